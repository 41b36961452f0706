#pragma once

#include <string>
#include <string_view>

#include "dialogs/FilterSettings.h"

namespace perivant {

struct AppSettings;
struct ServerInfo;

// Whether a server gets a row in the server list under the given criteria. With the filter off
// every server passes; otherwise it fails as soon as one enabled criterion holds against it.
// Servers that fail stay in the server table; they are only not shown.
bool PassesFilter(const FilterSettings& filter, const ServerInfo& server);
bool PassesFilter(const AppSettings& settings, const ServerInfo& server);

// A Windows-1252 text in lower case: the ASCII letters and the code page's accented capitals
// (including S, Z and OE with caron or ligature, and Y with diaeresis at 0x9F).
std::string LowerCaseWindows1252(std::string_view text);

// True when text contains pattern, both lower-cased first; an empty pattern is in every text.
bool ContainsNoCaseWindows1252(std::string_view text, std::string_view pattern);

}  // namespace perivant
