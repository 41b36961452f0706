#pragma once

#include <string_view>

namespace perivant {

// The integer value of a text: leading blanks skipped, an optional sign, then decimal digits up
// to the first other character; a text without digits is 0. Numbers from servers stay texts and
// are read this way only where a decision needs them. Values beyond the int range saturate, so a
// hostile "99999999999" cannot overflow.
int IntegerValue(std::string_view text);

}  // namespace perivant
