#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace perivant {

// Cuts source into pieces at any byte of delimiters. Empty pieces stay only with keepEmpty; an
// empty source gives no piece at all. Empties output first and returns the number of pieces.
int SplitText(std::string_view source, std::string_view delimiters, bool keepEmpty,
              std::vector<std::string>& output);

}  // namespace perivant
