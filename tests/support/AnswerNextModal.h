// Answers a modal window of a test from inside its modal run.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace perivant::testing {

// The open window of type T: the active modal one, else any visible top-level one.
template <class T>
T* OpenModal() {
    if (auto* modal = qobject_cast<T*>(QApplication::activeModalWidget())) {
        return modal;
    }
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* window = qobject_cast<T*>(widget);
        if (window != nullptr && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

// Answers the next window of type T once its modal run has shown it; gives up after three
// seconds. The poll timer belongs to the application, so nothing is left behind when it gives
// up.
template <class T>
void AnswerNextModal(std::function<void(T*)> answer) {
    auto* poll = new QTimer(QCoreApplication::instance());
    QElapsedTimer started;
    started.start();
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer, started]() {
        T* window = OpenModal<T>();
        if (window == nullptr && started.elapsed() < 3000) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        if (window != nullptr) {
            answer(window);
        }
    });
    poll->start(10);
}

}  // namespace perivant::testing
