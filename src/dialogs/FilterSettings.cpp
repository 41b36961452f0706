#include "dialogs/FilterSettings.h"

#include "app/AppSettings.h"

namespace perivant {

namespace {

// One list of the fourteen fields for both directions, so the two can never disagree.
template <typename From, typename To>
void CopyCriteria(const From& from, To& to) {
    to.FilterEnable = from.FilterEnable;
    to.FilterFull = from.FilterFull;
    to.FilterPassword = from.FilterPassword;
    to.FilterDirectX = from.FilterDirectX;
    to.FilterPing = from.FilterPing;
    to.FilterPingNum = from.FilterPingNum;
    to.FilterPlayers = from.FilterPlayers;
    to.FilterPlayersNum = from.FilterPlayersNum;
    to.FilterFS2002 = from.FilterFS2002;
    to.FilterFS2004 = from.FilterFS2004;
    to.FilterText = from.FilterText;
    to.FilterTextString = from.FilterTextString;
    to.FilterServerNames = from.FilterServerNames;
    to.FilterServerNamesString = from.FilterServerNamesString;
}

}  // namespace

FilterSettings FilterSettingsOf(const AppSettings& settings) {
    FilterSettings filter;
    CopyCriteria(settings, filter);
    return filter;
}

void StoreFilterSettings(const FilterSettings& filter, AppSettings& settings) {
    CopyCriteria(filter, settings);
}

}  // namespace perivant
