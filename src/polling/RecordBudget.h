#pragma once

#include <atomic>
#include <cstddef>

namespace perivant {

// The bytes that published server records may hold together. Each page is capped by the HTTP
// client, but the Master Server may list one host any number of times, so a hostile list and a
// host serving pages near the cap could otherwise hold memory without end. Real records hold a
// few kilobytes; the limit is far above thousands of them. The HTTP client keeps one more for
// the pages that arrive and that workers still hold.
class RecordBudget {
public:
    static constexpr size_t kDefaultLimit = size_t{256} * 1024 * 1024;

    explicit RecordBudget(size_t limit = kDefaultLimit) : m_limit(limit) {}

    RecordBudget(const RecordBudget&) = delete;
    RecordBudget& operator=(const RecordBudget&) = delete;

    // Charges the bytes if they fit beside what is held; charges nothing and returns false
    // otherwise.
    bool TryCharge(size_t bytes);
    void Refund(size_t bytes);
    size_t Held() const { return m_held.load(); }

private:
    const size_t m_limit;
    std::atomic<size_t> m_held{0};
};

}  // namespace perivant
