#include "app/AppSettings.h"

#include <array>
#include <variant>

namespace perivant {

namespace {

// Every stored integer is a 32-bit value.
static_assert(sizeof(int) == 4);

static_assert(kDefaultMasterServerURL == "http://www.perivant.example/cgi-bin/corvane_master.cgi");

// One table drives both the load and the save, so the two always agree on names, kinds and order.
struct FlagValue {
    std::string_view name;
    bool AppSettings::*member;
    bool defaultValue;
};
struct IntValue {
    std::string_view name;
    int AppSettings::*member;
    int defaultValue;
};
struct TextValue {
    std::string_view name;
    std::string AppSettings::*member;
    std::string_view defaultValue;
};
struct RectValue {
    std::string_view name;
    WindowRect AppSettings::*member;
};
using StoredValue = std::variant<FlagValue, IntValue, TextValue, RectValue>;

using S = AppSettings;
constexpr std::array<StoredValue, 31> kStoredValues = {{
    FlagValue{"WindowMaximized", &S::WindowMaximized, false},
    FlagValue{"WindowMinimized", &S::WindowMinimized, false},
    RectValue{"WindowPosition", &S::WindowPosition},
    IntValue{"ServerListViewWidth", &S::ServerListViewWidth, 0},
    IntValue{"ServerListViewHeight", &S::ServerListViewHeight, 0},
    IntValue{"PlayerViewWidth", &S::PlayerViewWidth, 0},
    IntValue{"PlayerViewHeight", &S::PlayerViewHeight, 0},
    IntValue{"FlightPlanViewWidth", &S::FlightPlanViewWidth, 0},
    IntValue{"FlightPlanViewHeight", &S::FlightPlanViewHeight, 0},
    IntValue{"ServerInfoViewWidth", &S::ServerInfoViewWidth, 0},
    IntValue{"ServerInfoViewHeight", &S::ServerInfoViewHeight, 0},
    TextValue{"MasterServerURL", &S::MasterServerURL, kDefaultMasterServerURL},
    FlagValue{"RefreshAtStartup", &S::RefreshAtStartup, true},
    IntValue{"MaxThreads", &S::MaxThreads, 15},
    FlagValue{"HideFSNavigators", &S::HideFSNavigators, false},
    IntValue{"ServerSortOrder", &S::ServerSortOrder, 2},
    FlagValue{"FilterEnable", &S::FilterEnable, false},
    FlagValue{"FilterFull", &S::FilterFull, false},
    FlagValue{"FilterPassword", &S::FilterPassword, false},
    FlagValue{"FilterDirectX", &S::FilterDirectX, false},
    FlagValue{"FilterPing", &S::FilterPing, false},
    IntValue{"FilterPingNum", &S::FilterPingNum, 500},
    FlagValue{"FilterPlayers", &S::FilterPlayers, false},
    IntValue{"FilterPlayersNum", &S::FilterPlayersNum, 1},
    FlagValue{"FilterFS2002", &S::FilterFS2002, false},
    FlagValue{"FilterFS2004", &S::FilterFS2004, false},
    FlagValue{"FilterText", &S::FilterText, false},
    TextValue{"FilterTextString", &S::FilterTextString, "HOP"},
    FlagValue{"FilterServerNames", &S::FilterServerNames, false},
    TextValue{"FilterServerNamesString", &S::FilterServerNamesString, ""},
    FlagValue{"ShowCloseMsg", &S::ShowCloseMsg, true},
}};

constexpr std::size_t kRectBytes = 16;

ProfileStore::Bytes RectToBytes(const WindowRect& rect) {
    ProfileStore::Bytes bytes;
    bytes.reserve(kRectBytes);
    for (std::int32_t side : {rect.left, rect.top, rect.right, rect.bottom}) {
        auto bits = static_cast<std::uint32_t>(side);
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(static_cast<std::uint8_t>(bits >> shift));
        }
    }
    return bytes;
}

std::int32_t SideAt(const ProfileStore::Bytes& bytes, std::size_t at) {
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        bits |= std::uint32_t{bytes[at + i]} << (8 * i);
    }
    return static_cast<std::int32_t>(bits);
}

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
// Spelled out for compilers without aggregate deduction (clang before 17).
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace

WindowRect DefaultWindowRect(int screenWidth, int screenHeight) {
    if (screenWidth <= 1024) {
        return {0, 0, screenWidth, screenHeight - 30};
    }
    WindowRect rect;
    rect.left = (screenWidth - 1024) / 2;
    rect.top = (screenHeight - 700) / 2;
    rect.right = rect.left + 1024;
    rect.bottom = rect.top + 700;
    return rect;
}

void LoadSettings(AppSettings& settings, const ProfileStore& store, int screenWidth,
                  int screenHeight) {
    for (const StoredValue& stored : kStoredValues) {
        std::visit(
            Overloaded{
                [&](const FlagValue& v) {
                    settings.*v.member =
                        store.ReadInt(kSettingsSection, v.name, v.defaultValue ? 1 : 0) == 1;
                },
                [&](const IntValue& v) {
                    settings.*v.member = store.ReadInt(kSettingsSection, v.name, v.defaultValue);
                },
                [&](const TextValue& v) {
                    settings.*v.member = store.ReadString(kSettingsSection, v.name, v.defaultValue);
                },
                [&](const RectValue& v) {
                    // Anything but exactly four sides (a truncated or foreign block) cannot be
                    // trusted to place the window, so it reads as if absent.
                    ProfileStore::Bytes bytes = store.ReadBytes(kSettingsSection, v.name, {});
                    settings.*v.member = bytes.size() == kRectBytes
                                             ? WindowRect{SideAt(bytes, 0), SideAt(bytes, 4),
                                                          SideAt(bytes, 8), SideAt(bytes, 12)}
                                             : DefaultWindowRect(screenWidth, screenHeight);
                },
            },
            stored);
    }
}

void SaveSettings(const AppSettings& settings, ProfileStore& store) {
    ProfileBatch batch(store);
    for (const StoredValue& stored : kStoredValues) {
        std::visit(Overloaded{
                       [&](const FlagValue& v) {
                           store.WriteInt(kSettingsSection, v.name, settings.*v.member ? 1 : 0);
                       },
                       [&](const IntValue& v) {
                           store.WriteInt(kSettingsSection, v.name, settings.*v.member);
                       },
                       [&](const TextValue& v) {
                           store.WriteString(kSettingsSection, v.name, settings.*v.member);
                       },
                       [&](const RectValue& v) {
                           store.WriteBytes(kSettingsSection, v.name,
                                            RectToBytes(settings.*v.member));
                       },
                   },
                   stored);
    }
}

int ReadSettingsInt(const ProfileStore& store, std::string_view name, int defaultValue) {
    return store.ReadInt(kSettingsSection, name, defaultValue);
}

std::string ReadSettingsString(const ProfileStore& store, std::string_view name,
                               std::string_view defaultValue) {
    return store.ReadString(kSettingsSection, name, defaultValue);
}

void WriteSettingsInt(ProfileStore& store, std::string_view name, int value) {
    store.WriteInt(kSettingsSection, name, value);
}

void WriteSettingsString(ProfileStore& store, std::string_view name, std::string_view value) {
    store.WriteString(kSettingsSection, name, value);
}

}  // namespace perivant
