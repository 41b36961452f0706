#pragma once

#include <string_view>

namespace perivant {

// Byte-wise comparisons that ignore the case of ASCII letters, as the program's keywords,
// GUIDs and flags are compared. Embedded NUL bytes are ordinary bytes. The C library's case
// functions are no substitute: Qt sets the user's locale at start-up, and in a Turkish one
// they lower "I" to a dotless i, or not at all.
char LowerAscii(char c);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

}  // namespace perivant
