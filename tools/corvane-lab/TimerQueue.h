// One-shot timers on a binary heap. Each connection has at most one live timer; a timer that
// was superseded is recognised by its token and dropped when it comes due, so nothing is ever
// searched or removed from the middle of the heap.
#pragma once

#include <cstdint>
#include <functional>
#include <queue>
#include <vector>

namespace corvanelab {

class TimerQueue {
public:
    struct Entry {
        std::int64_t due;  // milliseconds on the steady clock
        std::uint64_t key;
        std::uint64_t token;
        bool operator>(const Entry& other) const {
            return due != other.due ? due > other.due : token > other.token;
        }
    };

    void Schedule(std::int64_t due, std::uint64_t key, std::uint64_t token) {
        m_heap.push({due, key, token});
    }

    // Milliseconds until the next entry is due (0 when one is due already), or fallback when
    // the queue is empty.
    std::int64_t WaitFor(std::int64_t now, std::int64_t fallback) const {
        if (m_heap.empty()) {
            return fallback;
        }
        return m_heap.top().due <= now ? 0 : m_heap.top().due - now;
    }

    // Pops every entry due at now and calls fire(key, token) for it.
    template <typename Fire>
    void RunDue(std::int64_t now, Fire&& fire) {
        while (!m_heap.empty() && m_heap.top().due <= now) {
            Entry entry = m_heap.top();
            m_heap.pop();
            fire(entry.key, entry.token);
        }
    }

    std::size_t Size() const { return m_heap.size(); }

private:
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> m_heap;
};

}  // namespace corvanelab
