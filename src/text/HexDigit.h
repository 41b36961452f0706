#pragma once

namespace perivant {

// The value of a hexadecimal digit in either case, or -1 for any other character.
inline int HexDigitValue(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

inline bool IsHexDigit(char c) {
    return HexDigitValue(c) >= 0;
}

}  // namespace perivant
