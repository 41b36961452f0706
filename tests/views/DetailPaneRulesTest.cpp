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

}  // namespace
}  // namespace perivant
