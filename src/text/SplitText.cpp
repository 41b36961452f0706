#include "text/SplitText.h"

namespace perivant {

int SplitText(std::string_view source, std::string_view delimiters, bool keepEmpty,
              std::vector<std::string>& output) {
    output.clear();
    if (source.empty()) {
        return 0;
    }
    size_t start = 0;
    while (true) {
        size_t end = source.find_first_of(delimiters, start);
        std::string_view piece = source.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (keepEmpty || !piece.empty()) {
            output.emplace_back(piece);
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return static_cast<int>(output.size());
}

}  // namespace perivant
