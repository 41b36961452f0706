#include "polling/ServerManager.h"

#include <gtest/gtest.h>

#include "app/AppSettings.h"
#include "app/MemoryProfileStore.h"
#include "support/PollingFakes.h"
#include "text/Trace.h"

using namespace perivant;
using namespace perivant::testing;

namespace {

const std::string kGuid = "6F9619FF-8B86-D011-B4-2D-00-C0-4F-C9-64-FF";
const std::string kOtherGuid = "0A1B2C3D-4E5F-6071-82-93-A4-B5-C6-D7-E8-F9";

std::string Page(const std::string& name, const std::string& guid2002 = kGuid) {
    return "<Corvane><ServerName>" + name +
           "</ServerName><Version>3.0</Version>"
           "<SessionName>S " +
           name + "</SessionName><SessionGUID2002>" + guid2002 +
           "</SessionGUID2002><Players><Player><Name>p</Name></Player></Players></Corvane>";
}

std::string Address(int i) {
    return "127.0.0." + std::to_string(i + 2);
}

class TraceLines {
public:
    TraceLines() {
        SetTraceSink([this](int, const std::string& line) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_lines.push_back(line.substr(line.find("  ") + 2));
        });
    }
    ~TraceLines() { SetTraceSink(nullptr); }
    int CountStartingWith(const std::string& prefix) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        int n = 0;
        for (const auto& l : m_lines) {
            n += l.rfind(prefix, 0) == 0 ? 1 : 0;
        }
        return n;
    }
    bool Contains(const std::string& line) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return std::find(m_lines.begin(), m_lines.end(), line) != m_lines.end();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

class ServerManagerTest : public ::testing::Test {
protected:
    ServerManagerTest() {
        LoadSettings(settings, store, 1280, 1024);
        settings.MasterServerURL = "http://127.0.0.1:9000/cgi-bin/list.cgi";
        network = std::make_shared<FakeNetwork>();
        frame = std::make_shared<RecordingFrame>();
    }

    std::unique_ptr<ServerManager> MakeManager(int dx = 9) {
        return std::make_unique<ServerManager>(ServerManager::Services{
            settings, store, timer, prompts, frame, network, [dx] { return dx; }});
    }

    void ServeHealthy(int count) {
        for (int i = 0; i < count; ++i) {
            network->Set(Address(i), 23456, "/xml", {200, Page("S" + std::to_string(i)), ""});
        }
    }

    void SetList(const std::string& body, int status = 200, const std::string& error = "") {
        network->Set("127.0.0.1", 9000, "/cgi-bin/list.cgi", {status, body, error});
    }

    // Workers hold the shared state until their very last act.
    static bool WorkersGone(const ServerManager& manager) {
        return WaitFor([&] { return manager.State().use_count() == 1; });
    }

    TraceLines trace;
    AppSettings settings;
    MemoryProfileStore store;
    ManualTimer timer;
    ScriptedPrompts prompts;
    std::shared_ptr<FakeNetwork> network;
    std::shared_ptr<RecordingFrame> frame;
};

}  // namespace

TEST_F(ServerManagerTest, ConstructionDetectsDirectXOnceAndRegistersAsCurrent) {
    auto manager = MakeManager(8);
    EXPECT_EQ(settings.InstalledDirectXVersion, 8);
    EXPECT_EQ(ServerManager::Current(), manager.get());
    manager.reset();
    EXPECT_EQ(ServerManager::Current(), nullptr);
    EXPECT_EQ(frame->Count(MsgServersReleased), 1) << "destruction releases all servers";
}

TEST_F(ServerManagerTest, StartsAtMostMaxThreadsAndTicksTheRestIn) {
    settings.MaxThreads = 15;
    ServeHealthy(40);
    network->HoldWorkers();
    auto manager = MakeManager();
    for (int i = 0; i < 40; ++i) {
        manager->QueueServerQuery(Address(i), 23456, kGuid, "", nullptr);
    }
    EXPECT_EQ(manager->RunningQueries(), 15);
    EXPECT_EQ(manager->QueuedQueries(), 25u);
    EXPECT_EQ(timer.starts, 1) << "one timer for all queued queries";
    EXPECT_EQ(timer.period, 100);

    timer.Tick();  // no slot free yet
    EXPECT_EQ(manager->QueuedQueries(), 25u);

    network->Release(4);
    ASSERT_TRUE(WaitFor([&] { return manager->BusySlots() == 11; }));
    timer.Tick();
    EXPECT_EQ(manager->RunningQueries(), 15) << "a tick fills every free slot";
    EXPECT_EQ(manager->QueuedQueries(), 21u);

    // A new query starts at once when a slot is free, ahead of the queue.
    network->Release(1);
    ASSERT_TRUE(WaitFor([&] { return manager->BusySlots() == 14; }));
    manager->QueueServerQuery(Address(40), 23456, "", "", nullptr);
    EXPECT_EQ(manager->RunningQueries(), 15);
    EXPECT_EQ(manager->QueuedQueries(), 21u);

    // A whole wave ends before the next tick: no worker runs, yet the refresh is pending.
    network->Release(15);
    ASSERT_TRUE(WaitFor([&] { return manager->BusySlots() == 0; }));
    EXPECT_TRUE(manager->QueriesPending());
    timer.Tick();
    EXPECT_EQ(manager->RunningQueries(), 15);
    EXPECT_EQ(manager->QueuedQueries(), 6u);

    network->Release();
    for (int i = 0; i < 50 && manager->QueuedQueries() > 0; ++i) {
        ASSERT_TRUE(WaitFor([&] { return manager->RunningQueries() < 15; }));
        timer.Tick();
    }
    EXPECT_EQ(manager->QueuedQueries(), 0u);
    EXPECT_EQ(timer.running, 0) << "the tick that empties the queue stops the timer";
    ASSERT_TRUE(WorkersGone(*manager));
    EXPECT_FALSE(manager->QueriesPending());

    EXPECT_EQ(manager->Servers().Count(), 40u) << "Address(40) is not served";
    EXPECT_EQ(frame->Count(MsgServerAdded), 40);
    EXPECT_EQ(trace.CountStartingWith("Thread 0x"), 41 + 40)
        << "one created line per worker and one received line per answer";
    EXPECT_EQ(trace.CountStartingWith("Error 12029 getting server data from 127.0.0.42:23456."), 1);
    // Each start and each queueing sends one status message; each worker one at its end.
    EXPECT_EQ(frame->Count(MsgStatusChanged), 41 + 25 + 41);
}

// A frame that takes the workers' status messages only once the test lets it, as a busy GUI
// thread would.
class SlowFrame : public RecordingFrame {
public:
    void Send(FrameMessage message, ServerPtr record) override {
        if (std::this_thread::get_id() != m_owner) {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_open.wait(lock, [this] { return m_taking; });
        }
        RecordingFrame::Send(message, std::move(record));
    }
    void StartTaking() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_taking = true;
        m_open.notify_all();
    }

private:
    const std::thread::id m_owner = std::this_thread::get_id();
    std::mutex m_mutex;
    std::condition_variable m_open;
    bool m_taking = false;
};

// Makes the fixture's frame a SlowFrame; it lets every worker go when the test ends, so a failed
// check never leaves workers waiting.
class SlowFrameUse {
public:
    explicit SlowFrameUse(std::shared_ptr<RecordingFrame>& frame)
        : m_frame(std::make_shared<SlowFrame>()) {
        frame = m_frame;
    }
    ~SlowFrameUse() { m_frame->StartTaking(); }
    SlowFrame* operator->() const { return m_frame.get(); }

private:
    std::shared_ptr<SlowFrame> m_frame;
};

// Queues count queries for servers that are not served; returns once every started worker has
// ended and waits for the frame.
void QueueFailingQueries(ServerManager& manager, int count) {
    for (int i = 0; i < count; ++i) {
        manager.QueueServerQuery(Address(i), 23456, "", "", nullptr);
    }
    ASSERT_TRUE(WaitFor([&] { return manager.RunningQueries() == 0; }));
}

TEST_F(ServerManagerTest, EndedWorkersHoldTheirSlotsUntilTheFrameTakesTheirLastMessage) {
    // Servers that fail at once end their workers within microseconds; if those workers gave up
    // their slots before the frame had taken their last message, the GUI thread would start new
    // threads beside thousands that are still waiting for it.
    settings.MaxThreads = 3;
    SlowFrameUse slow(frame);
    auto manager = MakeManager();
    QueueFailingQueries(*manager, 7);
    EXPECT_EQ(manager->BusySlots(), 3);

    timer.Tick();
    manager->QueueServerQuery(Address(7), 23456, "", "", nullptr);
    EXPECT_EQ(manager->QueuedQueries(), 5u) << "no slot is free while the messages wait";
    EXPECT_EQ(trace.CountStartingWith("Thread 0x"), 3);
    // Once the frame has taken those messages, one more pass follows instead of the next tick.
    EXPECT_EQ(timer.soon.size(), 1u);

    network->HoldWorkers();  // the next workers stay in their fetch, so one pass is seen
    slow->StartTaking();
    ASSERT_TRUE(WaitFor([&] { return manager->BusySlots() == 0; }));
    EXPECT_TRUE(timer.RunSoonCallbacks());
    EXPECT_EQ(trace.CountStartingWith("Thread 0x"), 6);
    EXPECT_EQ(manager->QueuedQueries(), 2u);
    EXPECT_TRUE(timer.soon.empty()) << "no worker is ending: the next tick takes over";
    EXPECT_EQ(trace.CountStartingWith("OnTimer."), 1) << "a pass is not a tick";

    network->Release();
    for (int i = 0; i < 10 && manager->QueuedQueries() > 0; ++i) {
        ASSERT_TRUE(WaitFor([&] { return manager->BusySlots() == 0; }));
        timer.Tick();
    }
    ASSERT_TRUE(WorkersGone(*manager));
    EXPECT_EQ(trace.CountStartingWith("Error 12029 getting server data"), 8);
    EXPECT_EQ(timer.running, 0);
}

TEST_F(ServerManagerTest, PassAfterEndingWorkersEmptiesTheQueueOrDoesNothingOnceClosed) {
    settings.MaxThreads = 2;
    {
        SlowFrameUse slow(frame);
        auto manager = MakeManager();
        QueueFailingQueries(*manager, 4);
        timer.Tick();
        ASSERT_EQ(timer.soon.size(), 1u);
        slow->StartTaking();
        ASSERT_TRUE(WaitFor([&] { return manager->BusySlots() == 0; }));
        timer.RunSoonCallbacks();
        EXPECT_EQ(manager->QueuedQueries(), 0u);
        EXPECT_EQ(timer.running, 0) << "the pass that empties the queue stops the timer";
        ASSERT_TRUE(WorkersGone(*manager));
    }

    // A pass still waiting when the manager goes starts nothing.
    SlowFrameUse slow(frame);
    timer.soon.clear();
    auto manager = MakeManager();
    QueueFailingQueries(*manager, 4);
    timer.Tick();
    ASSERT_EQ(timer.soon.size(), 1u);
    const int created = trace.CountStartingWith("Thread 0x");
    std::shared_ptr<PollingState> state = manager->State();
    manager.reset();
    slow->StartTaking();
    timer.RunSoonCallbacks();
    EXPECT_EQ(trace.CountStartingWith("Thread 0x"), created);
    EXPECT_TRUE(WaitFor([&] { return state.use_count() == 1; }));
}

TEST_F(ServerManagerTest, StoredMaxThreadsBelowOneStillRunsOneWorker) {
    settings.MaxThreads = 0;
    ServeHealthy(3);
    network->HoldWorkers();
    auto manager = MakeManager();
    for (int i = 0; i < 3; ++i) {
        manager->QueueServerQuery(Address(i), 23456, "", "", nullptr);
    }
    EXPECT_EQ(manager->RunningQueries(), 1);
    EXPECT_EQ(manager->QueuedQueries(), 2u);
    network->Release();
    for (int i = 0; i < 10 && manager->QueuedQueries() > 0; ++i) {
        ASSERT_TRUE(WaitFor([&] { return manager->RunningQueries() == 0; }));
        timer.Tick();
    }
    ASSERT_TRUE(WorkersGone(*manager));
    EXPECT_EQ(manager->Servers().Count(), 3u);
}

TEST_F(ServerManagerTest, FailedThreadStartDropsTheQuery) {
    auto manager = MakeManager();
    manager->StartThread = [](std::function<void()>, std::function<void()>) { return false; };
    manager->QueueServerQuery(Address(0), 23456, "", "", nullptr);
    EXPECT_EQ(manager->RunningQueries(), 0);
    EXPECT_EQ(manager->QueuedQueries(), 0u);
    EXPECT_EQ(trace.CountStartingWith("Error creating GetServer thread"), 1);
    EXPECT_EQ(frame->Count(MsgStatusChanged), 0);
}

TEST_F(ServerManagerTest, ThreadRefusedAfterTheHandOverEndsTheQuery) {
    auto manager = MakeManager();
    std::vector<std::function<void()>> refusals;
    manager->StartThread = [&](std::function<void()>, std::function<void()> failed) {
        refusals.push_back(std::move(failed));
        return true;
    };
    manager->QueueServerQuery(Address(0), 23456, "", "", nullptr);
    manager->QueueServerQuery(Address(1), 23456, "", "", nullptr);
    ASSERT_EQ(refusals.size(), 2u);
    EXPECT_EQ(manager->RunningQueries(), 2);
    const int statusBefore = frame->Count(MsgStatusChanged);

    refusals[0]();
    EXPECT_EQ(manager->RunningQueries(), 1);
    EXPECT_EQ(trace.CountStartingWith("Error creating GetServer thread"), 1);
    EXPECT_EQ(frame->Count(MsgStatusChanged), statusBefore + 1);

    // A refusal that comes after the manager has gone sends nothing to the frame.
    std::shared_ptr<PollingState> state = manager->State();
    manager.reset();
    const int statusAtClose = frame->Count(MsgStatusChanged);
    refusals[1]();
    EXPECT_EQ(frame->Count(MsgStatusChanged), statusAtClose);
    EXPECT_EQ(trace.CountStartingWith("Error creating GetServer thread"), 2);
}

TEST_F(ServerManagerTest, FirstQueriesPublishOrDropAsTheServerAnswers) {
    network->Set(Address(0), 23456, "/xml", {200, Page("Good"), ""});
    network->Set(Address(1), 23456, "/xml", {404, "", ""});
    network->Set(Address(2), 23456, "/xml", {200, "<html>nope</html>", ""});
    network->Set(Address(3), 23456, "/xml", {200, Page("Moved", kOtherGuid), ""});
    network->Set(Address(4), 23456, "/xml", {12002, "", "The operation timed out\n"});
    network->pingMs = -1;
    auto manager = MakeManager();
    for (int i = 0; i < 5; ++i) {
        manager->QueueServerQuery(Address(i), 23456, kGuid, kNullGuid, nullptr);
    }
    ASSERT_TRUE(WorkersGone(*manager));

    ASSERT_EQ(manager->Servers().Count(), 1u);
    ServerPtr record = manager->Servers().Snapshot()[0];
    auto info = record->Info();
    EXPECT_EQ(info->ServerName, "Good");
    EXPECT_EQ(info->Address, Address(0));
    EXPECT_EQ(info->PingMs, -1) << "no ping reply still publishes";
    EXPECT_TRUE(info->HostsFS2002);
    EXPECT_FALSE(info->HostsFS2004);
    EXPECT_EQ(info->Players.size(), 1u);
    EXPECT_EQ(frame->Count(MsgServerAdded), 1);
    EXPECT_EQ(frame->Count(MsgServerDropped), 0) << "first queries never drop rows";
    EXPECT_TRUE(trace.Contains("Error 404 getting server data from 127.0.0.3:23456. \n"));
    EXPECT_TRUE(trace.Contains("Bad server data from 127.0.0.4:23456\n"));
    EXPECT_EQ(trace.CountStartingWith("Thread 0x"), 5 + 1 + 1);
    EXPECT_TRUE(trace.Contains(
        "Error 12002 getting server data from 127.0.0.6:23456. The operation timed out\n"));
    EXPECT_TRUE(trace.Contains("Ping from 127.0.0.2: -1 ms\n"));
    EXPECT_EQ(network->LastAgent().rfind("Perivant", 0), 0u);
    // Every ping waits up to three seconds.
    const std::vector<int> timeouts = network->PingTimeouts();
    EXPECT_FALSE(timeouts.empty());
    for (int timeout : timeouts) {
        EXPECT_EQ(timeout, 3000);
    }
}

TEST_F(ServerManagerTest, RequeryRewritesInPlaceOrDropsTheRow) {
    ServeHealthy(3);
    auto manager = MakeManager();
    for (int i = 0; i < 3; ++i) {
        manager->QueueServerQuery(Address(i), 23456, kGuid, "", nullptr);
    }
    ASSERT_TRUE(WorkersGone(*manager));
    std::vector<ServerPtr> records = manager->Servers().Snapshot();
    ASSERT_EQ(records.size(), 3u);
    frame->Clear();

    ServerPtr renamed, gone, moved;
    for (const ServerPtr& r : records) {
        (r->Address() == Address(0) ? renamed : r->Address() == Address(1) ? gone : moved) = r;
    }
    network->Set(Address(0), 23456, "/xml", {200, Page("Renamed"), ""});
    network->Set(Address(1), 23456, "/xml", {500, "", ""});
    network->Set(Address(2), 23456, "/xml", {200, Page("S2", kOtherGuid), ""});
    for (const ServerPtr& r : {renamed, gone, moved}) {
        auto info = r->Info();
        manager->QueueServerQuery(r->Address(), r->Port(), info->SessionGUID, info->SessionGUID2004,
                                  r);
    }
    ASSERT_TRUE(WorkersGone(*manager));

    EXPECT_EQ(renamed->Info()->ServerName, "Renamed");
    EXPECT_EQ(renamed->Info()->Players.size(), 1u) << "lists are refilled, not appended to";
    EXPECT_EQ(manager->Servers().Snapshot(), std::vector<ServerPtr>{renamed});
    EXPECT_FALSE(renamed->IsReleased());
    EXPECT_TRUE(moved->IsReleased()) << "another session: removed and released";
    EXPECT_FALSE(manager->Servers().Contains(gone.get()));

    int updated = 0, droppedPosted = 0, droppedSent = 0;
    for (const FrameEvent& e : frame->Events()) {
        if (e.message == MsgServerUpdated && e.record == renamed) {
            ++updated;
        }
        if (e.message == MsgServerDropped && e.record == gone && !e.sent) {
            ++droppedPosted;
        }
        if (e.message == MsgServerDropped && e.record == moved && e.sent) {
            ++droppedSent;
        }
    }
    EXPECT_EQ(updated, 1);
    EXPECT_EQ(droppedPosted, 1);
    EXPECT_EQ(droppedSent, 1);
}

TEST_F(ServerManagerTest, ServerWhosePageDoesNotFitInMemoryIsRefusedAndTheRefreshGoesOn) {
    ServeHealthy(2);
    network->Set(Address(2), 23456, "/xml", {200, "", "", true});
    auto manager = MakeManager();
    for (int i = 0; i < 3; ++i) {
        manager->QueueServerQuery(Address(i), 23456, kGuid, kNullGuid, nullptr);
    }
    ASSERT_TRUE(WorkersGone(*manager));
    EXPECT_EQ(manager->Servers().Count(), 2u);
    EXPECT_EQ(frame->Count(MsgServerAdded), 2);
    EXPECT_TRUE(trace.Contains("Bad server data from 127.0.0.4:23456\n"));
    EXPECT_EQ(manager->State()->RunningQueries.load(), 0);
    EXPECT_EQ(frame->Count(MsgStatusChanged), 3 + 3) << "created and ended, once each";

    // A re-queried server that runs out of memory leaves the list like a failed one.
    ServerPtr record = manager->Servers().Snapshot()[0];
    network->Set(record->Address(), 23456, "/xml", {200, "", "", true});
    frame->Clear();
    manager->QueueServerQuery(record->Address(), 23456, kGuid, kNullGuid, record);
    ASSERT_TRUE(WorkersGone(*manager));
    EXPECT_FALSE(manager->Servers().Contains(record.get()));
    EXPECT_EQ(frame->Count(MsgServerDropped), 1);
    EXPECT_EQ(manager->State()->RunningQueries.load(), 0);
}

TEST_F(ServerManagerTest, ServersPastTheRecordBudgetAreRefused) {
    // One host listed five times, each copy of its page holding a long comment.
    std::string page = Page("Big");
    page.insert(page.find("<Players>"),
                "<SessionComments>" + std::string(20000, 'c') + "</SessionComments>");
    network->Set(Address(0), 23456, "/xml", {200, page, ""});
    auto manager = MakeManager();
    auto budget = std::make_shared<RecordBudget>(50000);
    manager->State()->Budget = budget;
    for (int i = 0; i < 5; ++i) {
        manager->QueueServerQuery(Address(0), 23456, kGuid, kNullGuid, nullptr);
    }
    ASSERT_TRUE(WorkersGone(*manager));

    EXPECT_EQ(manager->Servers().Count(), 2u);
    EXPECT_EQ(frame->Count(MsgServerAdded), 2);
    EXPECT_EQ(trace.CountStartingWith("Bad server data from 127.0.0.2:23456"), 3);
    EXPECT_EQ(trace.CountStartingWith("Thread 0x"), 5 + 2);
    EXPECT_GT(budget->Held(), 40000u);

    // A re-query that grows past the budget drops its row like a failed one.
    ServerPtr kept = manager->Servers().Snapshot()[0];
    page.insert(page.find("<Players>"), std::string(20000, 'd'));
    network->Set(Address(0), 23456, "/xml", {200, page, ""});
    frame->Clear();
    manager->QueueServerQuery(kept->Address(), kept->Port(), kGuid, kNullGuid, kept);
    ASSERT_TRUE(WorkersGone(*manager));
    EXPECT_FALSE(manager->Servers().Contains(kept.get()));
    EXPECT_EQ(frame->Count(MsgServerDropped), 1);
    EXPECT_EQ(kept->Info()->SessionComments.size(), 20000u);

    // Released records give their bytes back for the next refresh.
    kept.reset();
    manager->ReleaseAllServers();
    frame->Clear();
    EXPECT_EQ(budget->Held(), 0u);
}

TEST_F(ServerManagerTest, DestroyingMidRefreshStartsNothingAndSendsNothingMore) {
    settings.MaxThreads = 2;
    ServeHealthy(6);
    network->HoldWorkers();
    auto manager = MakeManager();
    for (int i = 0; i < 6; ++i) {
        manager->QueueServerQuery(Address(i), 23456, "", "", nullptr);
    }
    std::weak_ptr<PollingState> state = manager->State();
    manager.reset();
    size_t eventsAtClose = frame->Events().size();
    EXPECT_EQ(timer.running, 0);

    network->Release();
    ASSERT_TRUE(WaitFor([&] { return state.expired(); })) << "workers end on their own";
    EXPECT_EQ(network->Fetches(), 2) << "queued queries never start";
    EXPECT_EQ(frame->Events().size(), eventsAtClose);
}
