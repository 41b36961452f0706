#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace perivant {

// An auto-reset event used as a lock: created free; Wait takes it, Signal frees it. Signal is
// always allowed, also after a Wait that timed out, which a mutex would not permit.
class RequestsLock {
public:
    // False when the wait timed out; the caller then goes on without the lock.
    bool Wait(std::chrono::milliseconds timeout);
    void Signal();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_free = true;
};

}  // namespace perivant
