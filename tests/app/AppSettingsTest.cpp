#include "app/AppSettings.h"

#include <gtest/gtest.h>

#include "app/MemoryProfileStore.h"

namespace perivant {
namespace {

constexpr std::string_view kSection = "Settings";

// The stored values by name and kind, as the settings file must hold them.
enum Kind { Int, Text, Block };
const std::vector<std::pair<std::string_view, Kind>> kStoredNames = {
    {"WindowMaximized", Int},     {"WindowMinimized", Int},      {"WindowPosition", Block},
    {"ServerListViewWidth", Int}, {"ServerListViewHeight", Int}, {"PlayerViewWidth", Int},
    {"PlayerViewHeight", Int},    {"FlightPlanViewWidth", Int},  {"FlightPlanViewHeight", Int},
    {"ServerInfoViewWidth", Int}, {"ServerInfoViewHeight", Int}, {"MasterServerURL", Text},
    {"RefreshAtStartup", Int},    {"MaxThreads", Int},           {"HideFSNavigators", Int},
    {"ServerSortOrder", Int},     {"FilterEnable", Int},         {"FilterFull", Int},
    {"FilterPassword", Int},      {"FilterDirectX", Int},        {"FilterPing", Int},
    {"FilterPingNum", Int},       {"FilterPlayers", Int},        {"FilterPlayersNum", Int},
    {"FilterFS2002", Int},        {"FilterFS2004", Int},         {"FilterText", Int},
    {"FilterTextString", Text},   {"FilterServerNames", Int},    {"FilterServerNamesString", Text},
    {"ShowCloseMsg", Int},
};

AppSettings Loaded(const ProfileStore& store, int width = 1280, int height = 1024) {
    AppSettings settings;
    LoadSettings(settings, store, width, height);
    return settings;
}

TEST(AppSettings, EmptyStoreGivesTheDefaults) {
    MemoryProfileStore store;
    AppSettings s;
    s.WindowReady = true;
    s.InstalledDirectXVersion = 9;
    s.AppealText = "kept";
    LoadSettings(s, store, 1280, 1024);

    EXPECT_TRUE(s.WindowReady);
    EXPECT_EQ(s.InstalledDirectXVersion, 9);
    EXPECT_EQ(s.AppealText, "kept");

    EXPECT_FALSE(s.WindowMaximized);
    EXPECT_FALSE(s.WindowMinimized);
    EXPECT_EQ(s.WindowPosition, (WindowRect{128, 162, 1152, 862}));
    for (int size : {s.ServerListViewWidth, s.ServerListViewHeight, s.PlayerViewWidth,
                     s.PlayerViewHeight, s.FlightPlanViewWidth, s.FlightPlanViewHeight,
                     s.ServerInfoViewWidth, s.ServerInfoViewHeight}) {
        EXPECT_EQ(size, 0);
    }
    EXPECT_EQ(s.MasterServerURL, "http://www.perivant.example/cgi-bin/corvane_master.cgi");
    EXPECT_TRUE(s.RefreshAtStartup);
    EXPECT_EQ(s.MaxThreads, 15);
    EXPECT_FALSE(s.HideFSNavigators);
    EXPECT_EQ(s.ServerSortOrder, 2);
    for (bool flag :
         {s.FilterEnable, s.FilterFull, s.FilterPassword, s.FilterDirectX, s.FilterPing,
          s.FilterPlayers, s.FilterFS2002, s.FilterFS2004, s.FilterText, s.FilterServerNames}) {
        EXPECT_FALSE(flag);
    }
    EXPECT_EQ(s.FilterPingNum, 500);
    EXPECT_EQ(s.FilterPlayersNum, 1);
    EXPECT_EQ(s.FilterTextString, "HOP");
    EXPECT_EQ(s.FilterServerNamesString, "");
    EXPECT_TRUE(s.ShowCloseMsg);

    EXPECT_EQ(store.Count(kSection), 0u) << "loading must not write";
}

TEST(AppSettings, DefaultWindowRectFollowsTheScreen) {
    EXPECT_EQ(Loaded(MemoryProfileStore{}, 1024, 768).WindowPosition,
              (WindowRect{0, 0, 1024, 738}));
    EXPECT_EQ(DefaultWindowRect(800, 600), (WindowRect{0, 0, 800, 570}));
    EXPECT_EQ(DefaultWindowRect(1025, 768), (WindowRect{0, 34, 1024, 734}));
    EXPECT_EQ(DefaultWindowRect(1920, 1080), (WindowRect{448, 190, 1472, 890}));
    // Halves round toward zero, also on a screen lower than the window.
    EXPECT_EQ(DefaultWindowRect(1281, 599), (WindowRect{128, -50, 1152, 650}));
}

TEST(AppSettings, FlagsAreOnOnlyWhenStoredAsOne) {
    MemoryProfileStore store;
    store.WriteInt(kSection, "RefreshAtStartup", 2);
    store.WriteInt(kSection, "ShowCloseMsg", -1);
    store.WriteInt(kSection, "WindowMaximized", 1);
    store.WriteInt(kSection, "FilterPing", 1);
    store.WriteInt(kSection, "FilterEnable", 256);
    AppSettings s = Loaded(store);
    EXPECT_FALSE(s.RefreshAtStartup);
    EXPECT_FALSE(s.ShowCloseMsg);
    EXPECT_TRUE(s.WindowMaximized);
    EXPECT_TRUE(s.FilterPing);
    EXPECT_FALSE(s.FilterEnable);

    SaveSettings(s, store);
    EXPECT_EQ(store.ReadInt(kSection, "RefreshAtStartup", 99), 0);
    EXPECT_EQ(store.ReadInt(kSection, "ShowCloseMsg", 99), 0);
    EXPECT_EQ(store.ReadInt(kSection, "WindowMaximized", 99), 1);
    EXPECT_EQ(store.ReadInt(kSection, "FilterEnable", 99), 0);
}

TEST(AppSettings, IntegersAreTakenAsStored) {
    MemoryProfileStore store;
    store.WriteInt(kSection, "MaxThreads", 200);
    store.WriteInt(kSection, "FilterPingNum", -5);
    store.WriteInt(kSection, "ServerSortOrder", -3);
    store.WriteInt(kSection, "PlayerViewHeight", 2147483647);
    AppSettings s = Loaded(store);
    EXPECT_EQ(s.MaxThreads, 200);
    EXPECT_EQ(s.FilterPingNum, -5);
    EXPECT_EQ(s.ServerSortOrder, -3);
    EXPECT_EQ(s.PlayerViewHeight, 2147483647);

    store.WriteInt(kSection, "MaxThreads", 0);
    EXPECT_EQ(Loaded(store).MaxThreads, 0);
    store.WriteInt(kSection, "MaxThreads", -7);
    EXPECT_EQ(Loaded(store).MaxThreads, -7);
}

TEST(AppSettings, SaveWritesEveryValueInItsKind) {
    MemoryProfileStore store;
    AppSettings untouched;  // as the application constructs it, never loaded
    SaveSettings(untouched, store);

    for (const auto& [name, kind] : kStoredNames) {
        const MemoryProfileStore::Value* value = store.Find(kSection, name);
        ASSERT_NE(value, nullptr) << name;
        EXPECT_EQ(static_cast<Kind>(value->index()), kind) << name;
    }
    EXPECT_EQ(store.Count(kSection), kStoredNames.size()) << "nothing beyond the stored values";
    EXPECT_EQ(std::get<ProfileStore::Bytes>(*store.Find(kSection, "WindowPosition")).size(), 16u);
    EXPECT_FALSE(store.Contains(kSection, "WindowReady"));
    EXPECT_FALSE(store.Contains(kSection, "InstalledDirectXVersion"));

    // A second save after a load leaves the same set of values.
    SaveSettings(Loaded(store), store);
    EXPECT_EQ(store.Count(kSection), kStoredNames.size());
}

TEST(AppSettings, SavedRecordLoadsBackUnchanged) {
    AppSettings s;
    s.WindowMaximized = true;
    s.WindowMinimized = true;
    s.WindowPosition = {-8, -8, 0x01020304, -0x01020304};
    s.ServerListViewWidth = 1;
    s.ServerListViewHeight = 2;
    s.PlayerViewWidth = 3;
    s.PlayerViewHeight = 4;
    s.FlightPlanViewWidth = 5;
    s.FlightPlanViewHeight = 6;
    s.ServerInfoViewWidth = 7;
    s.ServerInfoViewHeight = 8;
    s.MasterServerURL = "http://127.0.0.2:8080/list?a=1,b=2";
    s.RefreshAtStartup = false;
    s.MaxThreads = 42;
    s.HideFSNavigators = true;
    s.ServerSortOrder = -4;
    s.FilterEnable = true;
    s.FilterFull = true;
    s.FilterPassword = true;
    s.FilterDirectX = true;
    s.FilterPing = true;
    s.FilterPingNum = 250;
    s.FilterPlayers = true;
    s.FilterPlayersNum = 3;
    s.FilterFS2002 = true;
    s.FilterFS2004 = true;
    s.FilterText = true;
    s.FilterTextString = "Caf\xE9 \x80\xB0";
    s.FilterServerNames = true;
    s.FilterServerNamesString = "";
    s.ShowCloseMsg = false;

    MemoryProfileStore store;
    SaveSettings(s, store);
    // Sides are stored little-endian, two's complement.
    EXPECT_EQ(std::get<ProfileStore::Bytes>(*store.Find(kSection, "WindowPosition")),
              (ProfileStore::Bytes{0xF8, 0xFF, 0xFF, 0xFF, 0xF8, 0xFF, 0xFF, 0xFF, 0x04, 0x03, 0x02,
                                   0x01, 0xFC, 0xFC, 0xFD, 0xFE}));

    AppSettings back = Loaded(store);
    EXPECT_TRUE(back.WindowMaximized && back.WindowMinimized);
    EXPECT_EQ(back.WindowPosition, s.WindowPosition);
    EXPECT_EQ(std::vector<int>({back.ServerListViewWidth, back.ServerListViewHeight,
                                back.PlayerViewWidth, back.PlayerViewHeight,
                                back.FlightPlanViewWidth, back.FlightPlanViewHeight,
                                back.ServerInfoViewWidth, back.ServerInfoViewHeight}),
              std::vector<int>({1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(back.MasterServerURL, s.MasterServerURL);
    EXPECT_FALSE(back.RefreshAtStartup);
    EXPECT_EQ(back.MaxThreads, 42);
    EXPECT_TRUE(back.HideFSNavigators);
    EXPECT_EQ(back.ServerSortOrder, -4);
    EXPECT_TRUE(back.FilterEnable && back.FilterFull && back.FilterPassword && back.FilterDirectX &&
                back.FilterPing && back.FilterPlayers && back.FilterFS2002 && back.FilterFS2004 &&
                back.FilterText && back.FilterServerNames);
    EXPECT_EQ(back.FilterPingNum, 250);
    EXPECT_EQ(back.FilterPlayersNum, 3);
    EXPECT_EQ(back.FilterTextString, s.FilterTextString);
    // An empty text stays empty rather than turning into its default.
    EXPECT_EQ(back.FilterServerNamesString, "");
    EXPECT_FALSE(back.ShowCloseMsg);
}

TEST(AppSettings, DamagedValuesLoadAsDefaults) {
    MemoryProfileStore store;
    store.WriteString(kSection, "MaxThreads", "abc");
    store.WriteBytes(kSection, "FilterPingNum", ProfileStore::Bytes{1, 2, 3, 4});
    store.WriteInt(kSection, "MasterServerURL", 7);
    store.WriteString(kSection, "RefreshAtStartup", "1");
    store.WriteString(kSection, "FilterEnable", "1");
    store.WriteInt(kSection, "WindowPosition", 5);
    AppSettings s = Loaded(store);
    EXPECT_EQ(s.MaxThreads, 15);
    EXPECT_EQ(s.FilterPingNum, 500);
    EXPECT_EQ(s.MasterServerURL, kDefaultMasterServerURL);
    EXPECT_TRUE(s.RefreshAtStartup);
    EXPECT_FALSE(s.FilterEnable);
    EXPECT_EQ(s.WindowPosition, (WindowRect{128, 162, 1152, 862}));

    // A rectangle block of any length but 16 is not trusted.
    for (std::size_t length : {0u, 4u, 15u, 17u, 32u}) {
        store.WriteBytes(kSection, "WindowPosition", ProfileStore::Bytes(length, 0x11));
        EXPECT_EQ(Loaded(store, 1024, 768).WindowPosition, (WindowRect{0, 0, 1024, 738})) << length;
    }

    // The next save repairs the kinds.
    SaveSettings(s, store);
    EXPECT_EQ(store.ReadInt(kSection, "MaxThreads", -1), 15);
    EXPECT_EQ(store.ReadBytes(kSection, "WindowPosition", {}).size(), 16u);
}

TEST(AppSettings, StoreOnlyValuesAreReadAndWrittenDirectly) {
    MemoryProfileStore store;
    EXPECT_EQ(ReadSettingsInt(store, kHideClipboardMsg, 0), 0);
    EXPECT_EQ(ReadSettingsString(store, kHideVersionMsg, kHideVersionMsgDefault), "0.0");

    WriteSettingsInt(store, kHideNewsMsg, 3);
    WriteSettingsInt(store, kHideDirectXMsg, 1);
    WriteSettingsString(store, kHideVersionMsg, "1.4b2");
    EXPECT_EQ(store.ReadInt(kSection, "HideNewsMsg", 0), 3);
    EXPECT_EQ(store.ReadInt(kSection, "HideDirectXMsg", 0), 1);
    EXPECT_EQ(store.ReadString(kSection, "HideVersionMsg", ""), "1.4b2");
    EXPECT_EQ(ReadSettingsInt(store, kHideClipboardMsg, 0), 0);
    EXPECT_EQ(kHideClipboardMsg, "HideClipboardMsg");

    // The record neither loads nor saves them.
    AppSettings s = Loaded(store);
    store.WriteInt(kSection, "HideNewsMsg", 8);
    SaveSettings(s, store);
    EXPECT_EQ(store.ReadInt(kSection, "HideNewsMsg", 0), 8);
    EXPECT_FALSE(store.Contains(kSection, "HideClipboardMsg"));
}

}  // namespace
}  // namespace perivant
