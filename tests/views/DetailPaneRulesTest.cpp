#include "views/ClipboardHelpText.h"
#include "views/DetailPaneRules.h"

#include <gtest/gtest.h>

namespace perivant {
namespace {

PlayerInfo Player(const std::string& type) {
    PlayerInfo player;
    player.Name = "pilot";
    player.Type = type;
    return player;
}

TEST(DetailPaneRulesTest, OnlyTheExactFSNavigatorTypeIsHiddenAndOnlyWhenAsked) {
    EXPECT_FALSE(IsPlayerListed(Player("FSNavigator"), true));
    EXPECT_TRUE(IsPlayerListed(Player("fsnavigator"), true));
    EXPECT_TRUE(IsPlayerListed(Player("FSNavigator "), true));
    EXPECT_TRUE(IsPlayerListed(Player("Pilot"), true));
    EXPECT_TRUE(IsPlayerListed(Player(""), true));
    EXPECT_TRUE(IsPlayerListed(Player("FSNavigator"), false));
}

TEST(DetailPaneRulesTest, FlightPlanIconsFollowTheExactStateText) {
    EXPECT_EQ(FlightPlanStateIcon("Filed"), FlightPlanIcon::Filed);
    EXPECT_EQ(FlightPlanStateIcon("Open"), FlightPlanIcon::Open);
    EXPECT_EQ(FlightPlanStateIcon("Closed"), FlightPlanIcon::Closed);
    EXPECT_EQ(FlightPlanStateIcon(""), FlightPlanIcon::Closed);
    EXPECT_EQ(FlightPlanStateIcon("open"), FlightPlanIcon::Closed);
    EXPECT_EQ(FlightPlanStateIcon("Filed "), FlightPlanIcon::Closed);
}

TEST(DetailPaneRulesTest, CommentsGainACarriageReturnBeforeEveryLineFeed) {
    EXPECT_EQ(SessionCommentsEditText("first\nsecond"), "first\r\nsecond");
    EXPECT_EQ(SessionCommentsEditText("first\r\nsecond"), "first\r\r\nsecond");
    EXPECT_EQ(SessionCommentsEditText("\n\n"), "\r\n\r\n");
    EXPECT_EQ(SessionCommentsEditText("no break"), "no break");
    EXPECT_EQ(SessionCommentsEditText(""), "");
}

TEST(DetailPaneRulesTest, EditTextShowsOneLineBreakPerLine) {
    EXPECT_EQ(EditTextAsLines("a\r\nb"), "a\nb");
    EXPECT_EQ(EditTextAsLines("a\r\r\nb"), "a\nb");
    EXPECT_EQ(EditTextAsLines("a\rb\r"), "ab");
    EXPECT_EQ(EditTextAsLines("a\r\r\r\nb"), "a\nb");
    // Bare and Windows line ends in the same comments give the same lines.
    EXPECT_EQ(EditTextAsLines(SessionCommentsEditText("one\r\ntwo\nthree\n")), "one\ntwo\nthree\n");
    EXPECT_EQ(EditTextAsLines("\xB0\r\n\x80"), "\xB0\n\x80");
}

TEST(DetailPaneRulesTest, HostPageIsTheServersAddressAndPort) {
    EXPECT_EQ(HostPageAddress("10.0.0.5", 8080), "http://10.0.0.5:8080/");
    EXPECT_EQ(HostPageAddress("192.168.1.20", 80), "http://192.168.1.20:80/");
    // Where the status page came from, also for these.
    EXPECT_EQ(HostPageAddress("::1", 8080), "http://[::1]:8080/");
    EXPECT_EQ(HostPageAddress("10.0.0.5", 0), "http://10.0.0.5:80/");
}

// The instructions the pilot reads after a copy, word for word, with the address in the place
// the text keeps for it.
TEST(DetailPaneRulesTest, ClipboardHelpIsTheInstructionTextWithTheAddress) {
    std::string expected =
        "The server's IP address (%s) has been copied to the clipboard.\n"
        "You can now paste it into Flight Simulator and connect to the server.\n"
        "\n"
        "DETAILED INSTRUCTIONS:\n"
        "\n"
        "Start FS2002, FS2004, or CorvaneClient (for FSX), click \"Multiplayer\", then "
        "\"Open multiplayer session\". Enter a player name, click in the \"IP address\" box "
        "and type Ctrl-V to paste in the IP. Click \"Search\", then after a couple of "
        "seconds, you should see the \"Session\" listed. If there's more than one session "
        "listed, select the one you want to join. Be sure to read the \"Session comments\" "
        "before joining. Click \"Join\" (or \"Connect\", in CorvaneClient) when you're ready "
        "to connect to the game.\n"
        "\n"
        "If you're already in the plane using FS2002 or FS2004, start the above instructions "
        "by clicking the \"Flights\" menu and selecting \"Multiplayer\" and then "
        "\"Connect\". (Press the Alt key if you don't see the Flights menu)";
    expected.replace(expected.find("%s"), 2, "127.0.0.2:23456");
    EXPECT_EQ(ClipboardHelpText("127.0.0.2:23456"), expected);
}

}  // namespace
}  // namespace perivant
