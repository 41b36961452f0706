#pragma once

#include <functional>

namespace perivant {

// A periodic timer whose callback runs on the GUI thread.
class TimerService {
public:
    virtual ~TimerService() = default;
    // Returns a non-zero identifier.
    virtual int StartTimer(int periodMs, std::function<void()> callback) = 0;
    virtual void KillTimer(int id) = 0;
    // Runs callback once on the GUI thread, after the messages already waiting for it.
    virtual void RunSoon(std::function<void()> callback) = 0;
};

}  // namespace perivant
