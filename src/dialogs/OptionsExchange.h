#pragma once

#include <optional>
#include <string>

#include "dialogs/DialogExchange.h"

namespace perivant {

// Control ids of the Options dialog that the exchange refers to.
inline constexpr int kIdMasterURL = 1004;
inline constexpr int kIdResetDefault = 1006;
inline constexpr int kIdRefreshAtStartup = 1005;
inline constexpr int kIdMaxThreads = 1022;
inline constexpr int kIdHideFSNavigators = 1037;

inline constexpr int kMasterURLMaxChars = 1000;
inline constexpr int kMinThreads = 1;
inline constexpr int kMaxThreads = 99;

// The four values the Options dialog hands back, as its members hold them.
struct OptionsValues {
    std::string MasterURL;
    int RefreshAtStartup = 0;
    int MaxThreads = 0;
    int HideFSNavigators = 0;

    bool operator==(const OptionsValues&) const = default;
};

// What the controls hold when OK is pressed; texts in Windows-1252.
struct OptionsControls {
    std::string MasterURLText;
    bool RefreshAtStartupChecked = false;
    std::string MaxThreadsText;
    bool HideFSNavigatorsChecked = false;
};

// Reads the controls in the dialog's exchange order: the URL (at most 1000 characters, otherwise
// unchecked and possibly empty), the start-up refresh, the thread count (an integer from 1 to 99)
// and the FSNavigator option. The first refusal ends the exchange and values stay untouched;
// without one, values receives all four.
std::optional<DialogRefusal> ReadOptionsControls(const OptionsControls& controls,
                                                 OptionsValues& values);

}  // namespace perivant
