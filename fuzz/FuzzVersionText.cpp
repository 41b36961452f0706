// The order of version texts as servers report them, and the version text of any version block.
//
// Input: up to three texts separated by line feeds for the order; the whole input is also read
// as a version-information block.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "env/VersionText.h"

using perivant::CompareVersionText;

namespace {

void CheckPair(std::string_view x, std::string_view y) {
    const int xy = CompareVersionText(x, y);
    const int yx = CompareVersionText(y, x);
    FUZZ_CHECK(xy == -1 || xy == 0 || xy == 1);
    // 0 means the same bytes, in both directions alike.
    FUZZ_CHECK((xy == 0) == (x == y));
    FUZZ_CHECK((yx == 0) == (x == y));
    // Two texts are never each newer than the other. (Both may be "not newer": texts that read
    // as the same numbers.)
    FUZZ_CHECK(!(xy == 1 && yx == 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view texts[3];
    size_t count = 0;
    size_t at = 0;
    while (count < 3) {
        const size_t end = input.find('\n', at);
        texts[count++] = input.substr(at, end == std::string_view::npos ? end : end - at);
        if (end == std::string_view::npos) {
            break;
        }
        at = end + 1;
    }
    for (size_t i = 0; i < count; ++i) {
        FUZZ_CHECK(CompareVersionText(texts[i], texts[i]) == 0);
        for (size_t j = i + 1; j < count; ++j) {
            CheckPair(texts[i], texts[j]);
        }
    }
    // "Newer" is transitive: the server list sorts by it.
    if (count == 3) {
        for (int a = 0; a < 3; ++a) {
            for (int b = 0; b < 3; ++b) {
                const int c = 3 - a - b;
                if (a == b || c < 0 || c > 2 || c == a || c == b) {
                    continue;
                }
                if (CompareVersionText(texts[a], texts[b]) == 1 &&
                    CompareVersionText(texts[b], texts[c]) == 1) {
                    FUZZ_CHECK(CompareVersionText(texts[a], texts[c]) == 1);
                }
            }
        }
    }

    const std::string version = perivant::GetVersionText(std::span<const uint8_t>(data, size));
    // Four pieces of a 15-character string at most, with the fourth never shown.
    FUZZ_CHECK(version.size() <= 15);
    if (!version.empty()) {
        FUZZ_CHECK(version.find('.') != std::string::npos);
        FUZZ_CHECK(version.find(',') == std::string::npos &&
                   version.find(' ') == std::string::npos);
    }
    return 0;
}
