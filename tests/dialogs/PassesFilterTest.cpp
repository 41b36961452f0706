#include <gtest/gtest.h>

#include "app/AppSettings.h"
#include "dialogs/PassesFilter.h"
#include "polling/ServerInfo.h"

namespace perivant {
namespace {

// A server that no criterion refuses.
ServerInfo Harmless() {
    ServerInfo server;
    server.ServerName = "Harmless Field";
    server.SessionComments = "Weekend hop";
    server.CurrentPilots = "3";
    server.MaxPilots = "10";
    server.PingMs = 80;
    server.HostsFS2002 = true;
    server.HostsFS2004 = true;
    return server;
}

FilterSettings EnabledWith(void (*set)(FilterSettings&)) {
    FilterSettings filter;
    filter.FilterEnable = true;
    set(filter);
    return filter;
}

TEST(PassesFilterTest, DisabledFilterPassesEverything) {
    FilterSettings filter;
    filter.FilterFull = filter.FilterPassword = filter.FilterDirectX = filter.FilterPing = true;
    filter.FilterPlayers = filter.FilterFS2002 = filter.FilterFS2004 = true;
    filter.FilterText = filter.FilterServerNames = true;
    filter.FilterPingNum = 0;
    filter.FilterPlayersNum = 100;
    filter.FilterTextString = filter.FilterServerNamesString = "nowhere";
    ServerInfo server;
    server.PasswordRequired = server.DirectXTooOld = server.HostsFS2002 = true;
    server.PingMs = -1;
    EXPECT_TRUE(PassesFilter(filter, server));
    filter.FilterEnable = true;
    EXPECT_FALSE(PassesFilter(filter, server));
    // Enabled with no criterion on refuses nothing.
    EXPECT_TRUE(PassesFilter(EnabledWith([](FilterSettings&) {}), server));
}

TEST(PassesFilterTest, FullMeansExactlyAtTheLimit) {
    FilterSettings filter = EnabledWith([](FilterSettings& f) { f.FilterFull = true; });
    ServerInfo server = Harmless();
    auto passes = [&](const char* current, const char* max, bool unlimited = false) {
        server.CurrentPilots = current;
        server.MaxPilots = max;
        server.MaxPilotsUnlimited = unlimited;
        return PassesFilter(filter, server);
    };
    EXPECT_FALSE(passes("10", "10"));
    EXPECT_TRUE(passes("11", "10"));  // over the maximum is not full
    EXPECT_TRUE(passes("9", "10"));
    EXPECT_TRUE(passes("10", "unlimited", true));
    EXPECT_TRUE(passes("0", "0", true));
    EXPECT_FALSE(passes("0", "0"));
    EXPECT_FALSE(passes("", "abc"));      // both read as 0
    EXPECT_FALSE(passes(" 7 ", "7 of"));  // integer prefixes
}

TEST(PassesFilterTest, PasswordDirectXAndGameCriteria) {
    ServerInfo server = Harmless();
    server.PasswordRequired = true;
    server.DirectXTooOld = true;
    EXPECT_FALSE(
        PassesFilter(EnabledWith([](FilterSettings& f) { f.FilterPassword = true; }), server));
    EXPECT_FALSE(
        PassesFilter(EnabledWith([](FilterSettings& f) { f.FilterDirectX = true; }), server));
    server.PasswordRequired = false;
    server.DirectXTooOld = false;
    EXPECT_TRUE(PassesFilter(
        EnabledWith([](FilterSettings& f) { f.FilterPassword = f.FilterDirectX = true; }), server));

    FilterSettings only2002 = EnabledWith([](FilterSettings& f) { f.FilterFS2002 = true; });
    FilterSettings only2004 = EnabledWith([](FilterSettings& f) { f.FilterFS2004 = true; });
    auto games = [&](bool hosts2002, bool hosts2004) {
        server.HostsFS2002 = hosts2002;
        server.HostsFS2004 = hosts2004;
        return std::make_pair(PassesFilter(only2002, server), PassesFilter(only2004, server));
    };
    EXPECT_EQ(games(true, false), std::make_pair(false, true));
    EXPECT_EQ(games(false, true), std::make_pair(true, false));
    EXPECT_EQ(games(true, true), std::make_pair(true, true));
    EXPECT_EQ(games(false, false), std::make_pair(true, true));
}

TEST(PassesFilterTest, PingLimitIsUnsignedAndNoReplyFails) {
    FilterSettings filter = EnabledWith([](FilterSettings& f) {
        f.FilterPing = true;
        f.FilterPingNum = 500;
    });
    ServerInfo server = Harmless();
    server.PingMs = 500;
    EXPECT_TRUE(PassesFilter(filter, server));
    server.PingMs = 501;
    EXPECT_FALSE(PassesFilter(filter, server));
    server.PingMs = -1;
    EXPECT_FALSE(PassesFilter(filter, server));
    server.PingMs = 0;
    EXPECT_TRUE(PassesFilter(filter, server));
    // A negative limit reads as a huge one: every reply passes, and -1 equals it.
    filter.FilterPingNum = -1;
    server.PingMs = 100000;
    EXPECT_TRUE(PassesFilter(filter, server));
    server.PingMs = -1;
    EXPECT_TRUE(PassesFilter(filter, server));
    filter.FilterPing = false;
    filter.FilterPingNum = 0;
    EXPECT_TRUE(PassesFilter(filter, server));
}

TEST(PassesFilterTest, PilotMinimumIsSigned) {
    FilterSettings filter = EnabledWith([](FilterSettings& f) {
        f.FilterPlayers = true;
        f.FilterPlayersNum = 1;
    });
    ServerInfo server = Harmless();
    server.CurrentPilots = "0";
    EXPECT_FALSE(PassesFilter(filter, server));
    server.CurrentPilots = "1";
    EXPECT_TRUE(PassesFilter(filter, server));
    server.CurrentPilots = "many";
    EXPECT_FALSE(PassesFilter(filter, server));
    filter.FilterPlayersNum = -5;
    server.CurrentPilots = "-5";
    EXPECT_TRUE(PassesFilter(filter, server));
    server.CurrentPilots = "-6";
    EXPECT_FALSE(PassesFilter(filter, server));
}

TEST(PassesFilterTest, TextPatternsIgnoreCaseAndEmptyMatchesAll) {
    FilterSettings filter = EnabledWith([](FilterSettings& f) {
        f.FilterText = true;
        f.FilterTextString = "HOP";
    });
    ServerInfo server = Harmless();
    for (const char* comments : {"hop tonight", "Hop", "HOPPING", "a\nmultiline shop"}) {
        server.SessionComments = comments;
        EXPECT_TRUE(PassesFilter(filter, server)) << comments;
    }
    for (const char* comments : {"", "H O P", "ho", "h*p"}) {
        server.SessionComments = comments;
        EXPECT_FALSE(PassesFilter(filter, server)) << comments;
    }
    filter.FilterTextString = "";
    server.SessionComments = "";
    EXPECT_TRUE(PassesFilter(filter, server));

    FilterSettings names = EnabledWith([](FilterSettings& f) {
        f.FilterServerNames = true;
        f.FilterServerNamesString = "field";
    });
    server.ServerName = "HARMLESS FIELD";
    EXPECT_TRUE(PassesFilter(names, server));
    server.ServerName = "Harmless Fjeld";
    EXPECT_FALSE(PassesFilter(names, server));
    // The name pattern is not looked for in the comments, nor the other way round.
    server.SessionComments = "field trip";
    EXPECT_FALSE(PassesFilter(names, server));
    names.FilterServerNamesString.clear();
    EXPECT_TRUE(PassesFilter(names, server));
}

TEST(PassesFilterTest, LowerCasingFollowsTheCodePage) {
    EXPECT_EQ(LowerCaseWindows1252("ABC xyz 09 [@]"), "abc xyz 09 [@]");
    EXPECT_EQ(LowerCaseWindows1252("\xC0\xC9\xD6\xD7\xD8\xDE\xDF"),
              "\xE0\xE9\xF6\xD7\xF8\xFE\xDF");  // the multiplication sign and sharp s stay
    EXPECT_EQ(LowerCaseWindows1252("\x8A\x8C\x8E\x9F"), "\x9A\x9C\x9E\xFF");
    EXPECT_EQ(LowerCaseWindows1252(std::string("A\0B", 3)), std::string("a\0b", 3));
    EXPECT_TRUE(ContainsNoCaseWindows1252("Z\xDCRICH approach", "z\xFCrich"));
    EXPECT_TRUE(ContainsNoCaseWindows1252("", ""));
    EXPECT_FALSE(ContainsNoCaseWindows1252("", "a"));
}

TEST(PassesFilterTest, SettingsRecordCarriesTheSameCriteria) {
    AppSettings settings;
    settings.FilterEnable = true;
    settings.FilterPing = true;
    settings.FilterPingNum = 200;
    settings.FilterServerNames = true;
    settings.FilterServerNamesString = "Field";
    settings.MaxThreads = 42;
    ServerInfo server = Harmless();
    EXPECT_TRUE(PassesFilter(settings, server));
    server.PingMs = 201;
    EXPECT_FALSE(PassesFilter(settings, server));

    FilterSettings filter = FilterSettingsOf(settings);
    EXPECT_EQ(filter.FilterPingNum, 200);
    EXPECT_EQ(filter.FilterServerNamesString, "Field");
    EXPECT_FALSE(PassesFilter(filter, server));

    filter.FilterPlayersNum = 7;
    filter.FilterTextString = "HOP";
    filter.FilterFS2004 = true;
    StoreFilterSettings(filter, settings);
    EXPECT_EQ(FilterSettingsOf(settings), filter);
    EXPECT_EQ(settings.MaxThreads, 42);
}

}  // namespace
}  // namespace perivant
