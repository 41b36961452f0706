#pragma once

// Stand-ins for what the polling engine reaches outside itself: the main frame, the GUI timer,
// the user and the network. All are safe to call from workers.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "polling/FrameTarget.h"
#include "polling/ServerNetwork.h"
#include "polling/TimerService.h"
#include "polling/UserPrompts.h"

namespace perivant::testing {

struct FrameEvent {
    FrameMessage message;
    ServerPtr record;
    bool sent;
};

class RecordingFrame : public FrameTarget {
public:
    void Post(FrameMessage message, ServerPtr record) override { Add({message, record, false}); }
    void Send(FrameMessage message, ServerPtr record) override { Add({message, record, true}); }

    std::vector<FrameEvent> Events() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_events;
    }
    int Count(FrameMessage message) const {
        int n = 0;
        for (const FrameEvent& e : Events()) {
            n += e.message == message ? 1 : 0;
        }
        return n;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.clear();
    }

private:
    void Add(FrameEvent event) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back(std::move(event));
    }
    mutable std::mutex m_mutex;
    std::vector<FrameEvent> m_events;
};

// A timer that ticks only when the test says so.
class ManualTimer : public TimerService {
public:
    int StartTimer(int periodMs, std::function<void()> callback) override {
        period = periodMs;
        m_callback = std::move(callback);
        ++starts;
        return running = 7;
    }
    void KillTimer(int id) override {
        if (id == running) {
            running = 0;
            ++kills;
        }
    }
    void RunSoon(std::function<void()> callback) override { soon.push_back(std::move(callback)); }
    void Tick() {
        if (running != 0) {
            auto callback = m_callback;
            callback();
        }
    }
    // Runs the callbacks asked for so far; true when there were any.
    bool RunSoonCallbacks() {
        std::vector<std::function<void()>> due;
        due.swap(soon);
        for (auto& callback : due) {
            callback();
        }
        return !due.empty();
    }
    std::vector<std::function<void()>> soon;
    int running = 0;
    int starts = 0;
    int kills = 0;
    int period = 0;

private:
    std::function<void()> m_callback;
};

class ScriptedPrompts : public UserPrompts {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string& text) override {
        questions.push_back(text);
        return answerYes;
    }
    void OpenWebAddress(const std::string& url) override { opened.push_back(url); }

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<std::string> opened;
    bool answerYes = false;
};

// Serves canned replies by "host:port/path". Workers can be held at the gate until the test
// opens it, to see the scheduler with queries in flight.
class FakeNetwork : public ServerNetwork {
public:
    struct Reply {
        int status = 200;
        std::string body;
        std::string errorText;
        bool outOfMemory = false;  // the fetch throws std::bad_alloc
    };

    void Set(const std::string& host, int port, const std::string& path, Reply reply) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_replies[Key(host, port, path)] = std::move(reply);
    }
    void HoldWorkers() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_held = true;
    }
    // Lets `count` held fetches go (all when negative).
    void Release(int count = -1) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (count < 0) {
            m_held = false;
        } else {
            m_passes += count;
        }
        m_changed.notify_all();
    }
    int FetchPage(const std::string& host, int port, const std::string& path,
                  const std::string& agentName, std::string& body,
                  std::string& errorText) override {
        std::unique_lock<std::mutex> lock(m_mutex);
        ++m_fetches;
        m_lastAgent = agentName;
        m_changed.wait_for(lock, std::chrono::seconds(20),
                           [this] { return !m_held || m_passes > 0; });
        if (m_held && m_passes > 0) {
            --m_passes;
        }
        auto it = m_replies.find(Key(host, port, path));
        if (it == m_replies.end()) {
            errorText = "A connection with the server could not be established";
            return 12029;
        }
        if (it->second.outOfMemory) {
            throw std::bad_alloc();
        }
        if (it->second.status == 200) {
            body = it->second.body;
        } else if (!it->second.errorText.empty()) {
            errorText = it->second.errorText;
        }
        return it->second.status;
    }
    int Ping(const std::string&, int timeoutMs) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pingTimeouts.push_back(timeoutMs);
        return pingMs;
    }
    int Fetches() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_fetches;
    }

    std::string LastAgent() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lastAgent;
    }

    // The time-out of every ping so far, in milliseconds.
    std::vector<int> PingTimeouts() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_pingTimeouts;
    }

    std::atomic<int> pingMs{12};

private:
    static std::string Key(const std::string& host, int port, const std::string& path) {
        return host + ":" + std::to_string(port) + path;
    }
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<std::string, Reply> m_replies;
    bool m_held = false;
    int m_passes = 0;
    int m_fetches = 0;
    std::string m_lastAgent;
    std::vector<int> m_pingTimeouts;
};

// Waits (bounded) until the condition holds; true when it did.
inline bool WaitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace perivant::testing
