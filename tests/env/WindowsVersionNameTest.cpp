#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "env/WindowsVersionName.h"

namespace perivant {
namespace {

int NameOf(uint32_t platform, uint32_t major, uint32_t minor, const std::string& servicePack,
           std::string& name) {
    name = "unchanged";
    return WindowsVersionName({platform, major, minor, servicePack}, name);
}

TEST(WindowsVersionNameTest, NamesTheKnownVersions) {
    std::string name;
    EXPECT_EQ(NameOf(0, 3, 11, "", name), 0);
    EXPECT_EQ(name, "Win32S");
    EXPECT_EQ(NameOf(1, 4, 0, "", name), 1);
    EXPECT_EQ(name, "Windows 95");
    EXPECT_EQ(NameOf(1, 4, 0, " C", name), 2);
    EXPECT_EQ(name, "Windows 95-OSR2");
    EXPECT_EQ(NameOf(1, 4, 0, " B", name), 2);
    EXPECT_EQ(NameOf(1, 4, 0, " c", name), 1);  // the test is case-exact
    EXPECT_EQ(NameOf(1, 4, 0, "C", name), 1);   // second character, not first
    EXPECT_EQ(NameOf(1, 4, 10, "", name), 3);
    EXPECT_EQ(name, "Windows 98");
    EXPECT_EQ(NameOf(1, 4, 10, " A ", name), 4);
    EXPECT_EQ(name, "Windows 98-SE");
    EXPECT_EQ(NameOf(1, 4, 90, " A", name), 5);
    EXPECT_EQ(name, "Windows ME");
    EXPECT_EQ(NameOf(2, 3, 51, "Service Pack 5", name), 6);
    EXPECT_EQ(name, "Windows NT");
    EXPECT_EQ(NameOf(2, 4, 0, "", name), 6);
    EXPECT_EQ(NameOf(2, 5, 0, "", name), 7);
    EXPECT_EQ(name, "Windows 2000");
    EXPECT_EQ(NameOf(2, 5, 1, "Service Pack 3", name), 8);
    EXPECT_EQ(name, "Windows XP");
}

TEST(WindowsVersionNameTest, OtherVersionsGiveMinusOneAndLeaveTheName) {
    std::string name;
    const WindowsVersionRecord others[] = {
        {2, 5, 2, ""}, {2, 6, 0, ""}, {2, 10, 0, ""}, {1, 4, 1, ""},
        {1, 5, 0, ""}, {1, 3, 0, ""}, {3, 4, 0, ""},  {2, 5, 3, ""},
    };
    for (const WindowsVersionRecord& record : others) {
        name = "unchanged";
        EXPECT_EQ(WindowsVersionName(record, name), -1)
            << record.PlatformId << " " << record.MajorVersion << "." << record.MinorVersion;
        EXPECT_EQ(name, "unchanged");
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
