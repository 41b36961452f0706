#include "polling/RequestsLock.h"

namespace perivant {

bool RequestsLock::Wait(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_changed.wait_for(lock, timeout, [this] { return m_free; })) {
        return false;
    }
    m_free = false;
    return true;
}

void RequestsLock::Signal() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_free = true;
    }
    m_changed.notify_one();
}

}  // namespace perivant
