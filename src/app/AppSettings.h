#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/MakerHost.h"
#include "app/ProfileStore.h"

namespace perivant {

// The section of the settings store that holds every value the program keeps.
inline constexpr std::string_view kSettingsSection = "Settings";

inline constexpr JoinedText kDefaultMasterServerURLText("http://", kMakerHost,
                                                        "/cgi-bin/corvane_master.cgi");
// Where the server list comes from until the user or a Master Server notice says otherwise.
inline constexpr std::string_view kDefaultMasterServerURL = kDefaultMasterServerURLText.View();

// Values kept only in the store, read at each use and written at once by their owners; they are
// not part of AppSettings.
inline constexpr std::string_view kHideClipboardMsg = "HideClipboardMsg";  // integer, default 0
inline constexpr std::string_view kHideDirectXMsg = "HideDirectXMsg";      // integer, default 0
inline constexpr std::string_view kHideNewsMsg = "HideNewsMsg";            // integer, default 0
inline constexpr std::string_view kHideVersionMsg = "HideVersionMsg";      // text
inline constexpr std::string_view kHideVersionMsgDefault = "0.0";

// A window rectangle in screen pixels, stored as 16 bytes: four little-endian 32-bit integers.
struct WindowRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    bool operator==(const WindowRect&) const = default;
};

// Everything the program remembers between runs, loaded once at start-up and saved whole. A
// default-constructed record has empty texts, false flags and zero numbers; LoadSettings gives
// the real defaults. Read and written on the GUI thread; InstalledDirectXVersion is set once
// before any query worker starts and only read afterwards.
struct AppSettings {
    bool WindowReady = false;  // not stored: the main frame's layout is complete
    bool WindowMaximized = false;
    bool WindowMinimized = false;
    WindowRect WindowPosition;

    int ServerListViewWidth = 0;
    int ServerListViewHeight = 0;
    int PlayerViewWidth = 0;
    int PlayerViewHeight = 0;
    int FlightPlanViewWidth = 0;
    int FlightPlanViewHeight = 0;
    int ServerInfoViewWidth = 0;
    int ServerInfoViewHeight = 0;

    std::string MasterServerURL;

    bool RefreshAtStartup = false;
    int MaxThreads = 0;  // taken as stored; the scheduler runs at least one worker
    bool HideFSNavigators = false;
    int ServerSortOrder = 0;

    bool FilterEnable = false;
    bool FilterFull = false;
    bool FilterPassword = false;
    bool FilterDirectX = false;
    bool FilterPing = false;
    int FilterPingNum = 0;
    bool FilterPlayers = false;
    int FilterPlayersNum = 0;
    bool FilterFS2002 = false;
    bool FilterFS2004 = false;
    bool FilterText = false;
    std::string FilterTextString;
    bool FilterServerNames = false;
    std::string FilterServerNamesString;

    int InstalledDirectXVersion = 0;  // not stored: detected at start-up

    bool ShowCloseMsg = false;

    std::string AppealText;  // not stored: shown by the closing appeal and the About box
};

// The window rectangle used while none is stored: the whole screen less 30 pixels of height on a
// screen at most 1024 wide, else 1024 by 700 centred.
WindowRect DefaultWindowRect(int screenWidth, int screenHeight);

// Fills the record from the store's Settings section, each value with its default when absent or
// unreadable. Flags are on only when stored as exactly 1. A WindowPosition that is not 16 bytes
// long reads as the default rectangle. WindowReady, InstalledDirectXVersion and AppealText keep
// their values.
void LoadSettings(AppSettings& settings, const ProfileStore& store, int screenWidth,
                  int screenHeight);

// Writes every stored value of the record, changed or not, flags as 0 or 1, as one batch.
void SaveSettings(const AppSettings& settings, ProfileStore& store);

// Direct access to the Settings section for the values kept only in the store. Each write is
// durable at once (outside a batch).
int ReadSettingsInt(const ProfileStore& store, std::string_view name, int defaultValue);
std::string ReadSettingsString(const ProfileStore& store, std::string_view name,
                               std::string_view defaultValue);
void WriteSettingsInt(ProfileStore& store, std::string_view name, int value);
void WriteSettingsString(ProfileStore& store, std::string_view name, std::string_view value);

}  // namespace perivant
