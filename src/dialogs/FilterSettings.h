#pragma once

#include <string>

namespace perivant {

struct AppSettings;

// The fourteen server filter criteria, named as they are stored. The filter dialog edits a copy;
// only its OK puts them back into the settings record.
struct FilterSettings {
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

    bool operator==(const FilterSettings&) const = default;
};

// The criteria as the settings record holds them.
FilterSettings FilterSettingsOf(const AppSettings& settings);

// Puts the criteria back into the settings record; every other value stays.
void StoreFilterSettings(const FilterSettings& filter, AppSettings& settings);

}  // namespace perivant
