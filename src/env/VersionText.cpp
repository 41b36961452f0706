#include "env/VersionText.h"

#include <cstdio>
#include <vector>

#include "env/OwnVersionInfo.h"
#include "env/VersionInfoReader.h"
#include "text/IntegerValue.h"
#include "text/SplitText.h"

namespace perivant {

namespace {

// The file version string keeps at most this many characters once its blanks are gone.
constexpr size_t kMaxFileVersionChars = 15;

struct VersionNumbers {
    int major = 0;
    int minor = 0;
    int build = 0;  // 0 for a release, the beta number otherwise
};

VersionNumbers ReadVersionNumbers(std::string_view text) {
    VersionNumbers numbers;
    size_t dot = text.find('.');
    if (dot == std::string_view::npos) {
        return numbers;
    }
    numbers.major = IntegerValue(text.substr(0, dot));
    size_t beta = text.find('b');
    if (beta == std::string_view::npos) {
        numbers.minor = IntegerValue(text.substr(dot + 1));
        return numbers;
    }
    // A "b" before the dot leaves the minor number to the text after the dot.
    numbers.minor =
        IntegerValue(text.substr(dot + 1, beta > dot ? beta - dot - 1 : std::string_view::npos));
    numbers.build = IntegerValue(text.substr(beta + 1));
    return numbers;
}

}  // namespace

std::string GetVersionText() {
    // The block is compiled in and never changes; every request's agent name asks for it.
    static const std::string text = GetVersionText(OwnVersionInfo());
    return text;
}

std::string GetVersionText(std::span<const uint8_t> versionBlock) {
    VersionInfoReader reader(versionBlock);
    std::vector<uint32_t> translations;
    if (!reader.QueryTranslations(translations)) {
        return {};
    }
    unsigned language = translations.front() & 0xFFFF;
    unsigned codePage = translations.front() >> 16;
    char query[64];
    std::snprintf(query, sizeof query, "\\StringFileInfo\\%04X%04X\\FileVersion", language,
                  codePage);
    std::string fileVersion;
    if (!reader.QueryString(query, fileVersion)) {
        return {};
    }

    std::string compact;
    for (char c : fileVersion) {
        if (c != ' ') {
            compact.push_back(c);
        }
    }
    if (compact.size() > kMaxFileVersionChars) {
        compact.resize(kMaxFileVersionChars);
    }

    std::vector<std::string> pieces;
    if (SplitText(compact, ",", false, pieces) != 4) {
        return {};
    }
    if (pieces[2] == "0") {
        return pieces[0] + "." + pieces[1];
    }
    return pieces[0] + "." + pieces[1] + "b" + pieces[2];
}

int CompareVersionText(std::string_view x, std::string_view y) {
    if (x == y) {
        return 0;
    }
    VersionNumbers a = ReadVersionNumbers(x);
    VersionNumbers b = ReadVersionNumbers(y);
    if (a.major != b.major) {
        return a.major > b.major ? 1 : -1;
    }
    if (a.minor != b.minor) {
        return a.minor > b.minor ? 1 : -1;
    }
    bool newerBeta = a.build > b.build && b.build > 0;
    bool releaseOverBeta = a.build == 0 && b.build > 0;
    return newerBeta || releaseOverBeta ? 1 : -1;
}

}  // namespace perivant
