#include "app/QtTimerService.h"

#include <QTimer>

namespace perivant {

QtTimerService::~QtTimerService() {
    for (auto& [id, timer] : m_timers) {
        delete timer;
    }
}

int QtTimerService::StartTimer(int periodMs, std::function<void()> callback) {
    const int id = m_nextId++;
    auto* timer = new QTimer(m_parent);
    timer->setInterval(periodMs);
    // A coarse timer may fire up to 5% late to save wake-ups; queued queries would wait for it.
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, timer, std::move(callback));
    timer->start();
    m_timers[id] = timer;
    return id;
}

void QtTimerService::KillTimer(int id) {
    auto it = m_timers.find(id);
    if (it != m_timers.end()) {
        it->second->stop();
        // The callback may be the one killing its own timer: delete once it has returned.
        it->second->deleteLater();
        m_timers.erase(it);
    }
}

void QtTimerService::RunSoon(std::function<void()> callback) {
    // Queued behind the events already posted (the workers' messages among them); dropped with
    // the parent.
    QMetaObject::invokeMethod(m_parent, std::move(callback), Qt::QueuedConnection);
}

}  // namespace perivant
