#pragma once

#include <QObject>
#include <map>

#include "polling/TimerService.h"

class QTimer;

namespace perivant {

// Periodic timers on the GUI thread for the query scheduler.
class QtTimerService : public TimerService {
public:
    explicit QtTimerService(QObject* parent) : m_parent(parent) {}
    ~QtTimerService() override;
    int StartTimer(int periodMs, std::function<void()> callback) override;
    void KillTimer(int id) override;
    void RunSoon(std::function<void()> callback) override;

private:
    QObject* m_parent;
    std::map<int, QTimer*> m_timers;
    int m_nextId = 1;
};

}  // namespace perivant
