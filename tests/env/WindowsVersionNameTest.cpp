#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "env/WindowsVersionName.h"

namespace perivant {
namespace {

struct Row {
    WindowsVersionRecord record;
    const char* name;  // nullptr: no name, the text stays as it was
    int code;
};

TEST(WindowsVersionNameTest, NamesKnownVersionsAndLeavesOthersAlone) {
    const Row rows[] = {
        {{0, 3, 11, ""}, "Win32S", 0},
        {{1, 4, 0, ""}, "Windows 95", 1},
        {{1, 4, 0, " C"}, "Windows 95-OSR2", 2},
        {{1, 4, 0, " B"}, "Windows 95-OSR2", 2},
        {{1, 4, 0, " c"}, "Windows 95", 1},  // the test is case-exact
        {{1, 4, 0, "C"}, "Windows 95", 1},   // second character, not first
        {{1, 4, 10, ""}, "Windows 98", 3},
        {{1, 4, 10, " A "}, "Windows 98-SE", 4},
        {{1, 4, 90, " A"}, "Windows ME", 5},
        {{2, 3, 51, "Service Pack 5"}, "Windows NT", 6},
        {{2, 4, 0, ""}, "Windows NT", 6},
        {{2, 5, 0, ""}, "Windows 2000", 7},
        {{2, 5, 1, "Service Pack 3"}, "Windows XP", 8},
        {{2, 5, 2, ""}, nullptr, -1},
        {{2, 6, 0, ""}, nullptr, -1},
        {{2, 10, 0, ""}, nullptr, -1},
        {{1, 4, 1, ""}, nullptr, -1},
        {{1, 5, 0, ""}, nullptr, -1},
        {{1, 3, 0, ""}, nullptr, -1},
        {{3, 4, 0, ""}, nullptr, -1},
    };
    for (const Row& row : rows) {
        std::string name = "unchanged";
        const WindowsVersionRecord& r = row.record;
        SCOPED_TRACE(std::to_string(r.PlatformId) + " " + std::to_string(r.MajorVersion) + "." +
                     std::to_string(r.MinorVersion) + " '" + r.CSDVersion + "'");
        EXPECT_EQ(WindowsVersionName(r, name), row.code);
        EXPECT_EQ(name, row.name != nullptr ? row.name : "unchanged");
    }
}

class RecordingSource : public WindowsVersionSource {
public:
    explicit RecordingSource(uint32_t acceptedSize) : m_acceptedSize(acceptedSize) {}
    bool GetVersionEx(uint32_t structureSize, WindowsVersionRecord& record) override {
        asked.push_back(structureSize);
        if (structureSize != m_acceptedSize) {
            record.PlatformId = 9;  // a failed call must not leave anything behind
            return false;
        }
        record = {2, 5, 1, ""};
        return true;
    }
    std::vector<uint32_t> asked;

private:
    uint32_t m_acceptedSize;
};

TEST(WindowsVersionNameTest, AsksExtendedThenBasicInformation) {
    std::string name;
    RecordingSource extended(156);
    EXPECT_EQ(GetWindowsVersionName(name, extended), 8);
    EXPECT_EQ(extended.asked, (std::vector<uint32_t>{156}));

    RecordingSource basic(148);
    EXPECT_EQ(GetWindowsVersionName(name, basic), 8);
    EXPECT_EQ(basic.asked, (std::vector<uint32_t>{156, 148}));

    RecordingSource neither(0);
    name = "unchanged";
    EXPECT_EQ(GetWindowsVersionName(name, neither), -1);
    EXPECT_EQ(neither.asked, (std::vector<uint32_t>{156, 148}));
    EXPECT_EQ(name, "unchanged");

    // Linux has no Windows version.
    EXPECT_EQ(GetWindowsVersionName(name), -1);
    EXPECT_EQ(name, "unchanged");
}

}  // namespace
}  // namespace perivant
