#include "polling/ServerInfo.h"

#include "polling/RecordBudget.h"

#include <gtest/gtest.h>

#include <thread>

using namespace perivant;

namespace {

ServerPtr MakeRecord(const std::string& address, int players, int plans) {
    ServerInfo info;
    info.Address = address;
    info.Port = 23456;
    info.ServerName = "Server " + address;
    info.Players.resize(players);
    info.FlightPlans.resize(plans);
    return std::make_shared<ServerRecord>(std::move(info));
}

}  // namespace

TEST(ServerTable, ReleaseAllEmptiesTheTableAndReleasesEveryRecordWithItsLists) {
    ServerTable table;
    std::vector<std::weak_ptr<ServerRecord>> records;
    std::vector<std::weak_ptr<const ServerInfo>> contents;
    for (int i = 0; i < 3; ++i) {
        ServerPtr record = MakeRecord("127.0.0." + std::to_string(i + 2), 5, 2);
        records.push_back(record);
        contents.push_back(record->Info());
        table.Append(std::move(record));
    }
    ASSERT_EQ(table.Count(), 3u);

    std::vector<ServerPtr> released = table.ReleaseAll();
    EXPECT_EQ(table.Count(), 0u);
    ASSERT_EQ(released.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(released[i]->Address(), "127.0.0." + std::to_string(i + 2)) << "table order kept";
        EXPECT_TRUE(released[i]->IsReleased());
    }
    released.clear();
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(records[i].expired());
        EXPECT_TRUE(contents[i].expired()) << "players and flight plans go with the record";
    }
}

TEST(ServerTable, RemoveFindsTheRecordByIdentityNotContent) {
    ServerTable table;
    ServerPtr a = MakeRecord("127.0.0.2", 0, 0);
    ServerPtr twin = MakeRecord("127.0.0.2", 0, 0);  // same content, another record
    ServerPtr b = MakeRecord("127.0.0.3", 0, 0);
    table.Append(a);
    table.Append(b);

    EXPECT_FALSE(table.Remove(twin.get()));
    EXPECT_EQ(table.Count(), 2u);
    EXPECT_TRUE(table.Remove(a.get()));
    EXPECT_FALSE(table.Contains(a.get()));
    EXPECT_EQ(table.Snapshot(), std::vector<ServerPtr>{b});
    EXPECT_FALSE(a->IsReleased()) << "removal alone does not release";
    EXPECT_FALSE(table.Remove(a.get()));
}

TEST(ServerRecord, ReplaceKeepsIdentityAddressAndPortAndOldSnapshotsStayIntact) {
    ServerPtr record = MakeRecord("127.0.0.9", 3, 1);
    std::shared_ptr<const ServerInfo> before = record->Info();

    ServerInfo fresh;
    fresh.Address = "10.9.9.9";  // a re-query never changes the address or port
    fresh.Port = 1;
    fresh.ServerName = "Renamed";
    record->Replace(std::move(fresh));

    std::shared_ptr<const ServerInfo> after = record->Info();
    EXPECT_EQ(after->ServerName, "Renamed");
    EXPECT_EQ(after->Address, "127.0.0.9");
    EXPECT_EQ(after->Port, 23456);
    EXPECT_TRUE(after->Players.empty());
    EXPECT_EQ(before->ServerName, "Server 127.0.0.9");
    EXPECT_EQ(before->Players.size(), 3u);
}

// Lists filled one by one keep up to half their room spare; thousands of published records
// must not carry it.
TEST(ServerRecord, PublishedListsKeepNoSpareRoomAndKeepTheirEntries) {
    ServerInfo info;
    info.Address = "127.0.0.7";
    for (int i = 0; i < 20; ++i) {
        info.Players.emplace_back().Name = "Pilot";
        info.Players.back().Name += std::to_string(i);
    }
    for (int i = 0; i < 5; ++i) {
        info.FlightPlans.emplace_back().Plan = "Plan";
        info.FlightPlans.back().Plan += std::to_string(i);
    }
    ASSERT_GT(info.Players.capacity(), info.Players.size());
    auto record = std::make_shared<ServerRecord>(info);
    std::shared_ptr<const ServerInfo> published = record->Info();
    EXPECT_EQ(published->Players.capacity(), 20u);
    EXPECT_EQ(published->FlightPlans.capacity(), 5u);
    EXPECT_EQ(published->Players[19].Name, "Pilot19");
    EXPECT_EQ(published->FlightPlans[4].Plan, "Plan4");

    record->Replace(info);  // a re-query publishes the same way
    EXPECT_EQ(record->Info()->Players.capacity(), 20u);
    EXPECT_EQ(record->Info()->Players[0].Name, "Pilot0");
}

TEST(ServerRecord, RecordsHoldTheirBytesOfTheBudgetUntilTheyEnd) {
    ServerInfo big;
    big.Address = "127.0.0.9";
    big.SessionComments.assign(10000, 'c');
    big.Players.resize(3);
    big.Players[2].Aircraft.assign(2000, 'a');
    const size_t bytes = big.HeldBytes();
    EXPECT_GE(bytes, 12000u);
    EXPECT_LT(bytes, 12000u + 4096u);

    // Room for two such records and a bit.
    auto budget = std::make_shared<RecordBudget>(bytes * 2 + bytes / 2);
    ServerPtr first = ServerRecord::MakeWithin(budget, big);
    ServerPtr second = ServerRecord::MakeWithin(budget, big);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(budget->Held(), 2 * bytes);
    EXPECT_EQ(ServerRecord::MakeWithin(budget, big), nullptr);
    EXPECT_EQ(budget->Held(), 2 * bytes) << "a refused record charges nothing";

    // A re-query that would not fit changes nothing; a smaller one gives bytes back.
    ServerInfo bigger = big;
    bigger.SessionComments.append(bytes, 'x');
    EXPECT_FALSE(first->Replace(bigger));
    EXPECT_EQ(first->Info()->SessionComments.size(), 10000u);
    ServerInfo small;
    small.Address = "127.0.0.9";
    small.ServerName = "small";
    EXPECT_TRUE(first->Replace(small));
    EXPECT_EQ(first->Info()->ServerName, "small");
    EXPECT_EQ(budget->Held(), bytes + small.HeldBytes());
    ServerPtr third = ServerRecord::MakeWithin(budget, big);
    EXPECT_NE(third, nullptr);

    // Released records give everything back, even while a reader still holds a snapshot.
    std::shared_ptr<const ServerInfo> snapshot = third->Info();
    first.reset();
    second.reset();
    third.reset();
    EXPECT_EQ(budget->Held(), 0u);
    EXPECT_EQ(snapshot->SessionComments.size(), 10000u);

    EXPECT_FALSE(budget->TryCharge(SIZE_MAX)) << "no wrap-around past the limit";
    EXPECT_TRUE(budget->TryCharge(bytes * 2 + bytes / 2));
    EXPECT_FALSE(budget->TryCharge(1));
}

TEST(ServerRecord, ConcurrentReplaceAndReadSeeWholeRecordsOnly) {
    ServerInfo first;
    first.ServerName = "n0";
    auto record = std::make_shared<ServerRecord>(std::move(first));
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!stop.load()) {
            auto info = record->Info();
            // Every writer keeps name and player count in step.
            if (info->ServerName != "n" + std::to_string(info->Players.size())) {
                ++torn;
            }
        }
    });
    for (int i = 0; i < 2000; ++i) {
        ServerInfo info;
        info.Players.resize(i % 7);
        info.ServerName = "n" + std::to_string(i % 7);
        record->Replace(std::move(info));
    }
    stop = true;
    reader.join();
    EXPECT_EQ(torn.load(), 0);
}

TEST(ServerInfo, GamesTextAndSessionTest) {
    EXPECT_STREQ(GamesText(true, true), "2002/2004/FSX");
    EXPECT_STREQ(GamesText(true, false), "2002");
    EXPECT_STREQ(GamesText(false, true), "2004/FSX");
    EXPECT_STREQ(GamesText(false, false), "");
    EXPECT_FALSE(HostsSession(""));
    EXPECT_FALSE(HostsSession(kNullGuid));
    EXPECT_TRUE(HostsSession("6F9619FF-8B86-D011-B4-2D-00-C0-4F-C9-64-FF"));
    // The null test is exact: another spelling of zero is a session.
    EXPECT_TRUE(HostsSession("00000000-0000-0000-0000-000000000000"));
}
