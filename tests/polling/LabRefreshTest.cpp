// Whole refreshes of the polling engine against corvane-lab on loopback: the real HTTP client,
// the real ping, real worker threads; the test thread plays the GUI thread and its timer.

#include <gtest/gtest.h>

#include <set>

#include "app/AppSettings.h"
#include "app/MemoryProfileStore.h"
#include "polling/PingHost.h"
#include "polling/ServerManager.h"
#include "support/LabProcess.h"
#include "support/PollingFakes.h"
#include "text/Trace.h"

using namespace perivant;
using namespace perivant::testing;

namespace {

class LabRefreshTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetTraceSink([this](int, const std::string& line) {
            std::lock_guard<std::mutex> lock(m_traceMutex);
            m_trace.push_back(line.substr(line.find("  ") + 2));
        });
        LoadSettings(settings, store, 1280, 1024);
        frame = std::make_shared<RecordingFrame>();
        // Short limits keep the misbehaving hosts from holding the test for minutes.
        HttpClient client;
        client.ConnectTimeoutSeconds = 5;
        client.ReceiveTimeoutSeconds = 3;
        client.RequestDeadlineSeconds = 10;
        client.MaxBodyBytes = 4 * 1024 * 1024;
        network = std::make_shared<RealServerNetwork>(client);
    }
    void TearDown() override { SetTraceSink(nullptr); }

    std::unique_ptr<ServerManager> MakeManager() {
        return std::make_unique<ServerManager>(ServerManager::Services{
            settings, store, timer, prompts, frame, network, [] { return 9; }});
    }

    // Plays the GUI thread until every query ended: a timer tick every 100 ms.
    bool RunUntilIdle(ServerManager& manager, int limitSeconds, int* maxRunning = nullptr) {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
        while (std::chrono::steady_clock::now() < end) {
            if (maxRunning) {
                *maxRunning = std::max(*maxRunning, manager.RunningQueries());
            }
            if (manager.RunningQueries() == 0 && manager.QueuedQueries() == 0 &&
                manager.State().use_count() == 1) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            timer.Tick();
        }
        return false;
    }

    std::vector<std::string> TraceFor(const std::string& address) {
        std::lock_guard<std::mutex> lock(m_traceMutex);
        std::vector<std::string> out;
        for (const std::string& l : m_trace) {
            if (l.find(address + ":") != std::string::npos) {
                out.push_back(l);
            }
        }
        return out;
    }
    int TraceCount(const std::string& prefix) {
        std::lock_guard<std::mutex> lock(m_traceMutex);
        int n = 0;
        for (const std::string& l : m_trace) {
            n += l.rfind(prefix, 0) == 0 ? 1 : 0;
        }
        return n;
    }

    AppSettings settings;
    MemoryProfileStore store;
    ManualTimer timer;
    ScriptedPrompts prompts;
    std::shared_ptr<RecordingFrame> frame;
    std::shared_ptr<RealServerNetwork> network;

private:
    std::mutex m_traceMutex;
    std::vector<std::string> m_trace;
};

}  // namespace

TEST_F(LabRefreshTest, PublishesExactlyTheHealthyHostsWithTheirDecodedFields) {
    LabProcess lab({"--hosts", "200", "--seed", "7", "--host-port", "0", "--faults",
                    "refuse:3,silent:2,slow:2,404:2,500:2,notxml:2,wrongguid:2,truncate:2,"
                    "trickle:1,endless:2",
                    "--slow-ms", "20000", "--trickle-ms", "5000"});
    ASSERT_TRUE(lab.Started()) << LabProcess::Binary();
    ASSERT_EQ(lab.Hosts().size(), 200u);
    settings.MasterServerURL = lab.MasterUrl();
    settings.MaxThreads = 15;

    auto manager = MakeManager();
    auto started = std::chrono::steady_clock::now();
    manager->FetchServerList();
    EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front();
    int maxRunning = 0;
    ASSERT_TRUE(RunUntilIdle(*manager, 90, &maxRunning));
    auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_LT(seconds, 60.0) << "every wait is bounded by the client's limits";
    EXPECT_LE(maxRunning, 15);
    EXPECT_GE(timer.starts, 1) << "queued queries were started by the timer";
    EXPECT_EQ(timer.running, 0);
    EXPECT_EQ(TraceCount("Thread 0x"), 200 + 180 + 2) << "200 created, 180 received, 2 wrong";

    std::map<std::string, std::shared_ptr<const ServerInfo>> published;
    for (const ServerPtr& record : manager->Servers().Snapshot()) {
        published[record->Address()] = record->Info();
    }
    const bool canPing = CanOpenIcmpSocket(IcmpSocketKind::Automatic);
    int healthy = 0;
    for (const LabHost& host : lab.Hosts()) {
        auto it = published.find(host.address);
        if (host.fault != "ok") {
            EXPECT_EQ(it, published.end()) << host.address << " " << host.fault;
            EXPECT_FALSE(TraceFor(host.address).empty()) << host.fault;
            continue;
        }
        ++healthy;
        ASSERT_NE(it, published.end()) << host.address;
        const ServerInfo& s = *it->second;
        const std::vector<std::string>& c = host.columns;
        ASSERT_GE(c.size(), 20u);
        EXPECT_EQ(s.Port, host.port);
        EXPECT_EQ(s.ServerName, c[3]);
        EXPECT_EQ(s.SessionName, c[4]);
        EXPECT_EQ(s.Version, c[5]);
        EXPECT_EQ(std::to_string(s.Players.size()), c[6]);
        EXPECT_EQ(std::to_string(s.FlightPlans.size()), c[7]);
        EXPECT_EQ(s.HostsFS2002, c[10] == "1");
        EXPECT_EQ(s.HostsFS2004, c[11] == "1");
        EXPECT_EQ(s.PasswordRequiredText, c[12]);
        EXPECT_EQ(s.MaxPilots, c[14]);
        EXPECT_EQ(s.DirectXVersionRequired, c[17]);
        EXPECT_EQ(s.ServerURL, c[18]);
        // Loopback answers every echo: a measured time where the system lets us ping, else -1.
        if (canPing) {
            EXPECT_GE(s.PingMs, 0) << host.address;
            EXPECT_LT(s.PingMs, 3000) << host.address;
        } else {
            EXPECT_EQ(s.PingMs, -1) << host.address;
        }
    }
    EXPECT_EQ(healthy, 180);
    EXPECT_EQ(published.size(), 180u);
    EXPECT_EQ(frame->Count(MsgServerAdded), 180);

    // Each kind of failure leaves its own trace.
    for (const LabHost& host : lab.Hosts()) {
        std::vector<std::string> lines = TraceFor(host.address);
        std::string all;
        for (const auto& l : lines) {
            all += l;
        }
        if (host.fault == "refuse") {
            EXPECT_NE(all.find("Error 12029 getting server data"), std::string::npos) << all;
        } else if (host.fault == "silent" || host.fault == "slow" || host.fault == "trickle") {
            EXPECT_NE(all.find("Error 12002 getting server data"), std::string::npos) << all;
        } else if (host.fault == "404" || host.fault == "500") {
            EXPECT_NE(all.find("Error " + host.fault + " getting server data"), std::string::npos);
        } else if (host.fault == "notxml") {
            EXPECT_NE(all.find("Bad server data from"), std::string::npos) << all;
        } else if (host.fault == "wrongguid") {
            EXPECT_NE(all.find("received wrong guid"), std::string::npos) << all;
        }
    }
}

TEST_F(LabRefreshTest, RequeryRewritesInPlaceThenDropsWhenTheHostsAreGone) {
    auto lab = std::make_unique<LabProcess>(
        std::vector<std::string>{"--hosts", "12", "--seed", "3", "--host-port", "0"});
    ASSERT_TRUE(lab->Started());
    settings.MasterServerURL = lab->MasterUrl();
    auto manager = MakeManager();
    manager->FetchServerList();
    ASSERT_TRUE(RunUntilIdle(*manager, 60));
    std::vector<ServerPtr> records = manager->Servers().Snapshot();
    ASSERT_EQ(records.size(), 12u);

    auto requeryAll = [&] {
        frame->Clear();
        for (const ServerPtr& r : records) {
            auto info = r->Info();
            manager->QueueServerQuery(r->Address(), r->Port(), info->SessionGUID,
                                      info->SessionGUID2004, r);
        }
        return RunUntilIdle(*manager, 60);
    };
    std::vector<std::shared_ptr<const ServerInfo>> before;
    for (const ServerPtr& r : records) {
        before.push_back(r->Info());
    }
    ASSERT_TRUE(requeryAll());
    EXPECT_EQ(frame->Count(MsgServerUpdated), 12);
    EXPECT_EQ(manager->Servers().Count(), 12u);
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_NE(records[i]->Info(), before[i]) << "new contents were published";
        EXPECT_EQ(records[i]->Info()->ServerName, before[i]->ServerName);
    }

    lab.reset();  // every host now refuses
    ASSERT_TRUE(requeryAll());
    EXPECT_EQ(frame->Count(MsgServerDropped), 12);
    EXPECT_EQ(manager->Servers().Count(), 0u);
}

TEST_F(LabRefreshTest, DestroyingTheManagerMidRefreshEndsQuietly) {
    LabProcess lab({"--hosts", "60", "--seed", "5", "--host-port", "0", "--delay-ms", "400"});
    ASSERT_TRUE(lab.Started());
    settings.MasterServerURL = lab.MasterUrl();
    settings.MaxThreads = 10;
    auto manager = MakeManager();
    manager->FetchServerList();
    ASSERT_EQ(manager->RunningQueries(), 10);
    std::weak_ptr<PollingState> state = manager->State();
    manager.reset();
    const size_t eventsAtClose = frame->Events().size();
    const int createdAtClose = TraceCount("Thread 0x");

    ASSERT_TRUE(WaitFor([&] { return state.expired(); }, std::chrono::seconds(30)));
    EXPECT_EQ(frame->Events().size(), eventsAtClose) << "nothing is sent after the closing flag";
    EXPECT_EQ(TraceCount("Thread 0x"), createdAtClose) << "no worker started or finished";
}
