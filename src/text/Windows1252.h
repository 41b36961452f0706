#pragma once

#include <string>
#include <string_view>

namespace perivant {

// The core keeps texts as Windows-1252 bytes; Qt and the file system speak Unicode. These convert
// exactly, including the 0x80-0x9F range where Windows-1252 differs from Latin-1 (0x80 is the
// euro sign). The five bytes the code page leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) map
// to the C1 controls of the same value, as Windows itself does, so any byte text survives a
// round trip unchanged.

// The Unicode character of one Windows-1252 byte.
char16_t Windows1252ToUnicode(unsigned char byte);

// Windows-1252 bytes as UTF-16.
std::u16string Windows1252ToUnicode(std::string_view bytes);

// UTF-16 as Windows-1252 bytes. A character the code page lacks becomes '?': a surrogate pair
// (one character outside the basic plane) gives one '?', and so does a lone surrogate.
std::string UnicodeToWindows1252(std::u16string_view text);

}  // namespace perivant
