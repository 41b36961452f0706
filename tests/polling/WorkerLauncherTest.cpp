#include "polling/WorkerLauncher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

using namespace perivant;

namespace {

// Counts events from any thread and lets the test wait, bounded, for a number of them.
class Tally {
public:
    void Add(std::thread::id where) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_threads.insert(where);
        ++m_count;
        m_changed.notify_all();
    }
    bool WaitFor(int count) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_count >= count; });
    }
    int Count() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_count;
    }
    std::set<std::thread::id> Threads() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_threads;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::set<std::thread::id> m_threads;
    int m_count = 0;
};

// Makes real threads, as the system would, and counts them.
class CountingMaker {
public:
    WorkerLauncher::ThreadMaker Maker(std::function<bool(int)> allow = nullptr) {
        return [this, allow](WorkerLauncher::Task body) {
            const int number = m_asked.fetch_add(1);
            if (allow && !allow(number)) {
                return false;
            }
            m_made.Add(std::this_thread::get_id());
            std::thread(std::move(body)).detach();
            return true;
        };
    }
    int Asked() const { return m_asked.load(); }
    Tally& Made() { return m_made; }

private:
    std::atomic<int> m_asked{0};
    Tally m_made;
};

bool WaitUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST(WorkerLauncherTest, EveryBodyRunsOnceOnAThreadOfItsOwn) {
    Tally ran;
    Tally refused;
    // Bodies wait for each other, so each must have had a thread of its own to finish.
    constexpr int kWorkers = 40;
    std::atomic<int> started{0};
    {
        WorkerLauncher launcher;
        for (int i = 0; i < kWorkers; ++i) {
            ASSERT_TRUE(launcher.Launch(
                [&] {
                    started.fetch_add(1);
                    const auto deadline =
                        std::chrono::steady_clock::now() + std::chrono::seconds(10);
                    while (started.load() < kWorkers &&
                           std::chrono::steady_clock::now() < deadline) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    }
                    ran.Add(std::this_thread::get_id());
                },
                [&] { refused.Add(std::this_thread::get_id()); }));
        }
        ASSERT_TRUE(ran.WaitFor(kWorkers));
    }
    EXPECT_EQ(ran.Count(), kWorkers);
    EXPECT_EQ(ran.Threads().size(), static_cast<size_t>(kWorkers));
    EXPECT_EQ(ran.Threads().count(std::this_thread::get_id()), 0u);
    EXPECT_EQ(refused.Count(), 0);
}

TEST(WorkerLauncherTest, ARefusedThreadRunsItsFailureInsteadOfTheBody) {
    CountingMaker maker;
    Tally ran;
    Tally refused;
    std::atomic<bool> launched{false};
    {
        // Refuses every second thread.
        WorkerLauncher launcher(maker.Maker([](int number) { return number % 2 == 0; }));
        for (int i = 0; i < 10; ++i) {
            // Each body holds its thread until all have run and all are launched, so none is
            // handed on: a thread freed before the last launch would take that body itself.
            launcher.Launch(
                [&] {
                    ran.Add(std::this_thread::get_id());
                    WaitUntil([&] { return ran.Count() >= 5 && launched.load(); });
                },
                [&] { refused.Add(std::this_thread::get_id()); });
        }
        launched.store(true);
        ASSERT_TRUE(refused.WaitFor(5));
        ASSERT_TRUE(ran.WaitFor(5));
    }
    EXPECT_EQ(maker.Asked(), 10);
    EXPECT_EQ(ran.Count(), 5);
    EXPECT_EQ(refused.Count(), 5);
    // Failures are reported on the launcher's thread, never on the caller's.
    EXPECT_EQ(refused.Threads(), maker.Made().Threads());
    EXPECT_EQ(refused.Threads().count(std::this_thread::get_id()), 0u);
}

TEST(WorkerLauncherTest, AThreadWhoseBodyEndedTakesTheNextBody) {
    CountingMaker maker;
    Tally ran;
    WorkerLauncher launcher(maker.Maker());
    launcher.Launch([&] { ran.Add(std::this_thread::get_id()); }, [] {});
    ASSERT_TRUE(ran.WaitFor(1));
    ASSERT_TRUE(WaitUntil([&] { return launcher.WaitingThreads() == 1; }));
    launcher.Launch([&] { ran.Add(std::this_thread::get_id()); }, [] {});
    ASSERT_TRUE(ran.WaitFor(2));
    EXPECT_EQ(maker.Asked(), 1);
    EXPECT_EQ(ran.Threads().size(), 1u);

    // Two bodies at once with one thread waiting: the second needs a new thread.
    ASSERT_TRUE(WaitUntil([&] { return launcher.WaitingThreads() == 1; }));
    std::atomic<bool> release{false};
    for (int i = 0; i < 2; ++i) {
        launcher.Launch(
            [&] {
                ran.Add(std::this_thread::get_id());
                WaitUntil([&] { return release.load(); });
            },
            [] {});
    }
    ASSERT_TRUE(ran.WaitFor(4));
    EXPECT_EQ(maker.Asked(), 2);
    EXPECT_EQ(ran.Threads().size(), 2u);
    release.store(true);
}

TEST(WorkerLauncherTest, AWaitingThreadEndsAfterTheIdleLimit) {
    CountingMaker maker;
    Tally ran;
    WorkerLauncher launcher(maker.Maker(), std::chrono::milliseconds(20));
    launcher.Launch([&] { ran.Add(std::this_thread::get_id()); }, [] {});
    ASSERT_TRUE(ran.WaitFor(1));
    ASSERT_TRUE(WaitUntil([&] { return launcher.WaitingThreads() == 1; }));
    ASSERT_TRUE(WaitUntil([&] { return launcher.WaitingThreads() == 0; }));
    launcher.Launch([&] { ran.Add(std::this_thread::get_id()); }, [] {});
    ASSERT_TRUE(ran.WaitFor(2));
    EXPECT_EQ(maker.Asked(), 2);
}

TEST(WorkerLauncherTest, EndingTheLauncherStillRunsEveryBodyAskedFor) {
    std::atomic<int> ran{0};
    constexpr int kWorkers = 25;
    {
        CountingMaker maker;
        WorkerLauncher launcher([&](WorkerLauncher::Task body) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            return maker.Maker()(std::move(body));
        });
        for (int i = 0; i < kWorkers; ++i) {
            launcher.Launch([&] { ran.fetch_add(1); }, [] {});
        }
    }
    // The launcher's end waits for every thread it made.
    EXPECT_EQ(ran.load(), kWorkers);
}

}  // namespace
