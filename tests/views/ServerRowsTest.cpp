#include "views/ServerRows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "polling/ServerInfo.h"

namespace perivant {
namespace {

ServerInfo Server(std::string name) {
    ServerInfo info;
    info.ServerName = std::move(name);
    return info;
}

// The names of the servers after sorting them with CompareServers under order.
std::vector<std::string> SortedNames(std::vector<ServerInfo> servers, int order) {
    std::stable_sort(servers.begin(), servers.end(),
                     [order](const ServerInfo& a, const ServerInfo& b) {
                         return CompareServers(a, b, order) < 0;
                     });
    std::vector<std::string> names;
    for (const ServerInfo& s : servers) {
        names.push_back(s.ServerName);
    }
    return names;
}

using Names = std::vector<std::string>;

TEST(ServerRows, CellsAndIcon) {
    ServerInfo s;
    s.ServerName = "A server name that is longer than thirty characters";
    s.SessionName = "Short";
    s.CurrentPilots = "3";
    s.MaxPilots = "unlimited";
    s.HostsFS2004 = true;
    s.PingMs = 0;
    ServerRowCells cells = MakeServerRowCells(s);
    EXPECT_EQ(cells[0], "");
    EXPECT_EQ(cells[1], "A server name that is longer t");
    EXPECT_EQ(cells[1].size(), 30u);
    EXPECT_EQ(cells[2], "Short");
    EXPECT_EQ(cells[3], "3/unlimited");
    EXPECT_EQ(cells[4], "2004/FSX");
    EXPECT_EQ(cells[5], "0 ms");

    s.PingMs = -1;
    s.HostsFS2002 = true;
    s.CurrentPilots.clear();
    s.MaxPilots.clear();
    cells = MakeServerRowCells(s);
    EXPECT_EQ(cells[5], "");
    EXPECT_EQ(cells[4], "2002/2004/FSX");
    EXPECT_EQ(cells[3], "/");
    EXPECT_EQ(PingCellText(4321), "4321 ms");
    // %lu of any other negative number prints it as unsigned.
    EXPECT_EQ(PingCellText(-2), "4294967294 ms");

    EXPECT_EQ(ServerRowIconFor(s), ServerRowIcon::Blank);
    s.PasswordRequired = true;
    EXPECT_EQ(ServerRowIconFor(s), ServerRowIcon::Padlock);
    s.DirectXTooOld = true;
    EXPECT_EQ(ServerRowIconFor(s), ServerRowIcon::DirectX);
    s.PasswordRequired = false;
    EXPECT_EQ(ServerRowIconFor(s), ServerRowIcon::DirectX);
}

TEST(ServerRows, ColumnClicksAndArrows) {
    // Server twice, then a third time.
    int order = SortOrderAfterColumnClick(4, 1);
    EXPECT_EQ(order, 2);
    order = SortOrderAfterColumnClick(order, 1);
    EXPECT_EQ(order, 3);
    EXPECT_EQ(SortOrderAfterColumnClick(order, 1), 2);
    // A descending order of another column starts the clicked one ascending.
    EXPECT_EQ(SortOrderAfterColumnClick(3, 5), 10);
    EXPECT_EQ(SortOrderAfterColumnClick(10, 5), 11);
    EXPECT_EQ(SortOrderAfterColumnClick(11, 5), 10);
    // The icon column from order 4: 0, 1, 0.
    EXPECT_EQ(SortOrderAfterColumnClick(4, 0), 0);
    EXPECT_EQ(SortOrderAfterColumnClick(0, 0), 1);
    EXPECT_EQ(SortOrderAfterColumnClick(1, 0), 0);
    EXPECT_EQ(SortOrderAfterColumnClick(99, 0), 0);

    bool descending = false;
    EXPECT_EQ(SortArrowColumn(0, descending), 0);
    EXPECT_FALSE(descending);
    EXPECT_EQ(SortArrowColumn(7, descending), 3);
    EXPECT_TRUE(descending);
    EXPECT_EQ(SortArrowColumn(11, descending), 5);
    EXPECT_TRUE(descending);
    EXPECT_EQ(SortArrowColumn(12, descending), -1);
    EXPECT_EQ(SortArrowColumn(13, descending), -1);
    EXPECT_EQ(SortArrowColumn(99, descending), -1);
    EXPECT_EQ(SortArrowColumn(-1, descending), -1);
    EXPECT_EQ(SortArrowColumn(-2, descending), -1);
}

TEST(ServerRows, TextOrdersIgnoreCaseAndUseTheFullText) {
    EXPECT_EQ(CompareTextNoCase("abc", "ABC"), 0);
    EXPECT_LT(CompareTextNoCase("abc", "ABD"), 0);
    EXPECT_LT(CompareTextNoCase("ab", "ABC"), 0);
    EXPECT_GT(CompareTextNoCase("b", "A"), 0);
    // Windows-1252 capitals fold too: E acute and e acute.
    EXPECT_EQ(CompareTextNoCase("\xC9t\xE9", "\xE9T\xC9"), 0);
    // ... and the four outside that block: S, OE and Z with caron, Y with diaeresis; the
    // multiplication sign has no small letter.
    EXPECT_EQ(CompareTextNoCase("\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF"), 0);
    EXPECT_NE(CompareTextNoCase("\xD7", "\xF7"), 0);
    // The bytes above 0x7F order after the ASCII letters.
    EXPECT_GT(CompareTextNoCase("\xE9", "z"), 0);

    // Names equal in their first 30 characters sort by the rest.
    std::string stem(30, 'x');
    std::vector<ServerInfo> servers = {Server(stem + "b"), Server(stem + "A"), Server("Alpha")};
    EXPECT_EQ(SortedNames(servers, 2), (Names{"Alpha", stem + "A", stem + "b"}));
    EXPECT_EQ(SortedNames(servers, 3), (Names{stem + "b", stem + "A", "Alpha"}));

    servers = {Server("n1"), Server("n2"), Server("n3")};
    servers[0].SessionName = "beta";
    servers[1].SessionName = "Alpha";
    servers[2].SessionName = "ALPHA";
    EXPECT_EQ(SortedNames(servers, 4), (Names{"n2", "n3", "n1"}));
    // Equal keys stay in ascending name order even when descending.
    EXPECT_EQ(SortedNames(servers, 5), (Names{"n1", "n2", "n3"}));
}

TEST(ServerRows, IconPilotsAndPingOrders) {
    std::vector<ServerInfo> servers = {Server("d"), Server("c"), Server("b"), Server("a")};
    servers[0].DirectXTooOld = true;
    servers[1].PasswordRequired = true;
    servers[2].PasswordRequired = true;
    servers[2].DirectXTooOld = true;
    EXPECT_EQ(SortedNames(servers, 0), (Names{"a", "b", "c", "d"}));
    servers[3].PasswordRequired = true;
    servers[1].PasswordRequired = false;
    EXPECT_EQ(SortedNames(servers, 0), (Names{"c", "a", "b", "d"}));
    EXPECT_EQ(SortedNames(servers, 1), (Names{"a", "b", "d", "c"}));

    servers = {Server("p10"), Server("p9"), Server("pu"), Server("pe")};
    servers[0].CurrentPilots = "10";
    servers[0].MaxPilots = "1";
    servers[1].CurrentPilots = " 9 pilots";
    servers[1].MaxPilots = "99";
    servers[2].CurrentPilots = "3";
    servers[2].MaxPilots = "unlimited";
    servers[3].CurrentPilots = "";
    // Only CurrentPilots counts, as a number, not as text.
    EXPECT_EQ(SortedNames(servers, 6), (Names{"pe", "pu", "p9", "p10"}));
    EXPECT_EQ(SortedNames(servers, 7), (Names{"p10", "p9", "pu", "pe"}));

    servers = {Server("none"), Server("slow"), Server("fast"), Server("zero")};
    servers[0].PingMs = -1;
    servers[1].PingMs = 900;
    servers[2].PingMs = 40;
    servers[3].PingMs = 0;
    EXPECT_EQ(SortedNames(servers, 10), (Names{"zero", "fast", "slow", "none"}));
    // No reply is the longest time whichever side it is on.
    EXPECT_GT(CompareServers(servers[0], servers[1], 10), 0);
    EXPECT_LT(CompareServers(servers[1], servers[0], 10), 0);
    EXPECT_EQ(SortedNames(servers, 11), (Names{"none", "slow", "fast", "zero"}));
    servers[2].PingMs = 900;
    EXPECT_EQ(SortedNames(servers, 11), (Names{"none", "fast", "slow", "zero"}));
}

TEST(ServerRows, GamesOrderIsConsistent) {
    std::vector<ServerInfo> servers = {Server("both"), Server("fs2004"), Server("fs2002"),
                                       Server("neither"), Server("both2")};
    servers[0].HostsFS2002 = servers[0].HostsFS2004 = true;
    servers[4].HostsFS2002 = servers[4].HostsFS2004 = true;
    servers[1].HostsFS2004 = true;
    servers[2].HostsFS2002 = true;
    EXPECT_EQ(SortedNames(servers, 8), (Names{"fs2002", "neither", "fs2004", "both", "both2"}));
    EXPECT_EQ(SortedNames(servers, 9), (Names{"both", "both2", "fs2004", "neither", "fs2002"}));

    // Antisymmetric and transitive over every pair and triple of kinds, under both directions:
    // a sort or a binary search needs no less.
    for (int order : {8, 9}) {
        for (const ServerInfo& a : servers) {
            for (const ServerInfo& b : servers) {
                EXPECT_EQ(CompareServers(a, b, order), -CompareServers(b, a, order));
                for (const ServerInfo& c : servers) {
                    if (CompareServers(a, b, order) < 0 && CompareServers(b, c, order) < 0) {
                        EXPECT_LT(CompareServers(a, c, order), 0);
                    }
                }
            }
        }
    }
}

TEST(ServerRows, VersionOrderAndOrdersWithoutAColumn) {
    std::vector<ServerInfo> servers = {Server("v2.0"), Server("v2.0b9"), Server("v2.0b10"),
                                       Server("v1.9"), Server("v2.0b1"), Server("a2.00")};
    servers[0].Version = "2.0";
    servers[1].Version = "2.0b9";
    servers[2].Version = "2.0b10";
    servers[3].Version = "1.9";
    servers[4].Version = "2.0b1";
    servers[5].Version = "2.00";
    EXPECT_EQ(SortedNames(servers, 12),
              (Names{"v1.9", "v2.0b1", "v2.0b9", "v2.0b10", "a2.00", "v2.0"}));
    EXPECT_EQ(SortedNames(servers, 13),
              (Names{"a2.00", "v2.0", "v2.0b10", "v2.0b9", "v2.0b1", "v1.9"}));
    // "2.0" and "2.00" read as the same numbers: equal keys, so the name decides both ways.
    EXPECT_LT(CompareServers(servers[5], servers[0], 12), 0);
    EXPECT_GT(CompareServers(servers[0], servers[5], 12), 0);
    EXPECT_LT(CompareServers(servers[5], servers[0], 13), 0);

    // Any other stored order keeps the name order.
    for (int order : {14, 99, -1}) {
        EXPECT_EQ(SortedNames(servers, order),
                  (Names{"a2.00", "v1.9", "v2.0", "v2.0b1", "v2.0b10", "v2.0b9"}));
    }
}

TEST(ServerRows, DirectXMessage) {
    const std::string body =
        "DirectX 8 has a bug in it that occasionally causes everyone in the session to\n"
        "be disconnected. DirectX 9 fixes that problem, and Corvane servers can optionally\n"
        "require that all players have DirectX 9 to be able to join the game.\n\n"
        "The server you selected requires DirectX version 9.0c and you have version 8, so if\n"
        "you try to join it, you will immediately be rejected with the message, \"The host\n"
        "has removed you from the session\".\n\n"
        "When a server requires a DirectX version greater than what you have, it's shown\n"
        "with a red \"DX\" symbol next to it in the server list. You can filter out these\n"
        "servers on the Filter window under the Servers menu.\n";
    ServerInfo s = Server("dx");
    s.DirectXVersionRequired = "9.0c";
    EXPECT_EQ(DirectXMessageText(s, 8, -1, ""), body);
    EXPECT_EQ(DirectXMessageText(s, 8, 2, "Windows 95-OSR2"),
              body +
                  "\nUnfortunately, you have Windows 95-OSR2, which is not supported by "
                  "DirectX 9  :-(");
    EXPECT_EQ(DirectXMessageText(s, 8, 8, "Windows XP"),
              body +
                  "\nYou can upgrade your version of DirectX at: "
                  "http://www.microsoft.com/directx/");
    // A requirement with printf conversions in it is shown as it is.
    s.DirectXVersionRequired = "%s%d%n";
    EXPECT_NE(DirectXMessageText(s, 8, -1, "").find("version %s%d%n and you have version 8,"),
              std::string::npos);
}

}  // namespace
}  // namespace perivant
