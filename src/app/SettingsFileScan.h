#pragma once

#include <string_view>

namespace perivant {

// True when the text of a settings file in QSettings' native format holds a value that QSettings
// would decode with its binary stream reader ("@Variant(...)" or "@DateTime(...)", escapes and
// quotes resolved as QSettings resolves them). Such a file must be set aside unread.
bool SettingsFileHoldsStreamedValue(std::string_view data);

}  // namespace perivant
