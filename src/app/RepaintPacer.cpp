#include "app/RepaintPacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace perivant {

RepaintPacer::RepaintPacer(QWidget* window, int intervalMs)
    : QObject(window), m_window(window), m_intervalMs(intervalMs) {
    m_release.setSingleShot(true);
    connect(&m_release, &QTimer::timeout, this, [this] {
        // Qt posts no further request while one is outstanding: this one stands for them all.
        m_delivering = true;
        QEvent request(QEvent::UpdateRequest);
        QCoreApplication::sendEvent(m_window, &request);
        m_delivering = false;
    });
    window->installEventFilter(this);
}

bool RepaintPacer::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window || event->type() != QEvent::UpdateRequest) {
        return false;
    }
    if (m_delivering) {
        m_sinceRepaint.start();
        return false;
    }
    if (m_release.isActive()) {
        return true;  // the held request delivers this one too
    }
    if (!m_sinceRepaint.isValid() || m_sinceRepaint.elapsed() >= m_intervalMs) {
        m_sinceRepaint.start();
        return false;
    }
    ++m_held;
    m_release.start(static_cast<int>(m_intervalMs - m_sinceRepaint.elapsed()));
    return true;
}

}  // namespace perivant
