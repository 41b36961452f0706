#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "TestPeImage.h"
#include "env/DirectXVersion.h"
#include "env/WineSystemDirectory.h"
#include "support/TurkishLocale.h"

namespace perivant {
namespace {

using test::TemporaryDirectory;
using test::TestPeImage;

class FixedDiagnostic : public DirectXDiagnostic {
public:
    FixedDiagnostic(uint32_t major, uint32_t minor, std::string letter)
        : m_major(major), m_minor(minor), m_letter(std::move(letter)) {}
    bool ReadVersion(uint32_t& major, uint32_t& minor, std::string& letter) override {
        major = m_major;
        minor = m_minor;
        letter = m_letter;
        return true;
    }

private:
    uint32_t m_major;
    uint32_t m_minor;
    std::string m_letter;
};

struct DllFile {
    std::string name;
    uint16_t a, b, c, d;
};

// A Wine prefix whose system directory holds the given DLLs, built by the test itself.
class WinePrefix {
public:
    explicit WinePrefix(const std::vector<DllFile>& dlls, const char* windows = "windows",
                        const char* system32 = "system32") {
        m_system = m_root.Path() + "/drive_c/" + windows + "/" + system32;
        std::filesystem::create_directories(m_system);
        for (const DllFile& dll : dlls) {
            TestPeImage::WriteFile(m_system + "/" + dll.name,
                                   TestPeImage::VersionedDll(dll.a, dll.b, dll.c, dll.d));
        }
    }
    const std::string& Prefix() const { return m_root.Path(); }
    const std::string& System() const { return m_system; }

private:
    TemporaryDirectory m_root;
    std::string m_system;
};

std::string FromFiles(const std::vector<DllFile>& dlls) {
    WinePrefix prefix(dlls);
    std::string text;
    UnavailableDirectXDiagnostic none;
    EXPECT_TRUE(DetectDirectXVersion(text, none, prefix.System()));
    return text;
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        const char* old = std::getenv(name);
        if (old != nullptr) {
            m_old = old;
        }
        value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(DirectXVersionTest, DiagnosticComponentAnswersFirst) {
    WinePrefix prefix({{"d3d9.dll", 5, 3, 1, 904}});
    std::string text;
    FixedDiagnostic c(9, 0, "c");
    EXPECT_TRUE(DetectDirectXVersion(text, c, prefix.System()));
    EXPECT_EQ(text, "9.0c");

    FixedDiagnostic upper(8, 1, "B");
    DetectDirectXVersion(text, upper, prefix.System());
    EXPECT_EQ(text, "8.1b");

    FixedDiagnostic blank(9, 0, " ");
    DetectDirectXVersion(text, blank, prefix.System());
    EXPECT_EQ(text, "9.0");
    FixedDiagnostic empty(9, 0, "");
    DetectDirectXVersion(text, empty, prefix.System());
    EXPECT_EQ(text, "9.0");

    // The text has room for 9 characters only.
    FixedDiagnostic huge(1234567890, 5, "a");
    DetectDirectXVersion(text, huge, prefix.System());
    EXPECT_EQ(text, "123456789");
}

TEST(DirectXVersionTest, FileVersionsNameTheLastReleaseReached) {
    EXPECT_EQ(FromFiles({{"d3d9.dll", 5, 3, 1, 904}}), "9.0");
    // d3d9.dll counts however old it is.
    EXPECT_EQ(FromFiles({{"ddraw.dll", 4, 7, 0, 700}, {"d3d9.dll", 1, 0, 0, 0}}), "9.0");
    EXPECT_EQ(FromFiles({{"ddraw.dll", 4, 7, 0, 700}, {"dinput.dll", 4, 7, 0, 716}}), "7.0a");
    EXPECT_EQ(FromFiles({{"ddraw.dll", 4, 7, 0, 700}, {"dinput.dll", 4, 7, 0, 715}}), "7.0");
    EXPECT_EQ(FromFiles({{"ddraw.dll", 4, 2, 0, 95}}), "1.0");
    EXPECT_EQ(FromFiles({{"ddraw.dll", 4, 2, 0, 94}}), "0.0");
    EXPECT_EQ(FromFiles({{"ddraw.dll", 4, 4, 0, 68}, {"d3drg8x.dll", 4, 4, 0, 70}}), "3.0a");
    EXPECT_EQ(FromFiles({{"ddraw.dll", 4, 6, 0, 436}, {"dplayx.dll", 4, 6, 3, 518}}), "6.1a");

    // The 8.0 step wants 4.8.0.400 from a 4.x file and 5.1.2258.400 from a 5.x file.
    EXPECT_EQ(FromFiles({{"ddraw.dll", 5, 1, 2258, 400}}), "8.0");
    EXPECT_EQ(FromFiles({{"ddraw.dll", 5, 1, 2258, 399}}), "7.0");
    EXPECT_EQ(FromFiles({{"ddraw.dll", 4, 8, 0, 400}}), "8.0");
    EXPECT_EQ(FromFiles({{"ddraw.dll", 4, 9, 0, 0}, {"d3d8.dll", 6, 0, 0, 0}}), "8.0");

    EXPECT_EQ(FromFiles({{"ddraw.dll", 5, 1, 2600, 881},
                         {"d3d8.dll", 5, 1, 2600, 901},
                         {"mpg2splt.ax", 6, 3, 1, 885}}),
              "8.1b");
    EXPECT_EQ(FromFiles({{"ddraw.dll", 5, 1, 2600, 881},
                         {"d3d8.dll", 4, 8, 1, 881},
                         {"dpnet.dll", 5, 2, 3677, 134}}),
              "8.2");
    // Each step asks its own file only: a later one holds without ddraw.dll.
    EXPECT_EQ(FromFiles({{"dplayx.dll", 4, 6, 3, 518}}), "6.1a");
    EXPECT_EQ(FromFiles({{"ddraw.dll", 4, 7, 0, 700}, {"dplayx.dll", 4, 6, 3, 518}}), "7.0");
    EXPECT_EQ(FromFiles({{"dinput.dll", 4, 7, 0, 716}}), "7.0a");
}

void ExpectFilesAndFoldersFoundInAnyCase() {
    WinePrefix prefix({{"DDRAW.DLL", 4, 7, 0, 700}, {"DInput.dll", 4, 7, 0, 716}}, "Windows",
                      "System32");
    EXPECT_EQ(WineSystemDirectory::ForPrefix(prefix.Prefix()), prefix.System());
    std::string text;
    UnavailableDirectXDiagnostic none;
    DetectDirectXVersion(text, none, WineSystemDirectory::ForPrefix(prefix.Prefix()));
    EXPECT_EQ(text, "7.0a");

    // The exact name wins over another spelling.
    TestPeImage::WriteFile(prefix.System() + "/ddraw.dll", TestPeImage::VersionedDll(1, 0, 0, 0));
    EXPECT_EQ(WineSystemDirectory::FindEntry(prefix.System(), "ddraw.dll"),
              prefix.System() + "/ddraw.dll");
    EXPECT_EQ(WineSystemDirectory::FindEntry(prefix.System(), "Ddraw.Dll"),
              prefix.System() + "/DDRAW.DLL");
    EXPECT_EQ(WineSystemDirectory::FindEntry(prefix.System(), "d3d9.dll"), "");
}

TEST(DirectXVersionTest, FindsFilesAndFoldersInAnyCase) {
    ExpectFilesAndFoldersFoundInAnyCase();
}

// The user's locale must not change what a name matches: "DInput.dll" is dinput.dll there too.
TEST(DirectXVersionTest, FindsFilesInAnyCaseInATurkishLocale) {
    perivant::testing::TurkishLocale turkish;
    ASSERT_EQ(turkish.Problem(), "");
    ExpectFilesAndFoldersFoundInAnyCase();
}

TEST(DirectXVersionTest, NothingFoundIsZero) {
    std::string text;
    UnavailableDirectXDiagnostic none;
    EXPECT_TRUE(DetectDirectXVersion(text, none, std::nullopt));
    EXPECT_EQ(text, "0.0");

    TemporaryDirectory empty;
    EXPECT_TRUE(DetectDirectXVersion(text, none, empty.Path() + "/drive_c/windows/system32"));
    EXPECT_EQ(text, "0.0");

    // A d3d9.dll that is no PE file, or has no version resource, counts as absent.
    WinePrefix prefix({{"ddraw.dll", 4, 6, 0, 318}});
    TestPeImage::WriteFile(prefix.System() + "/d3d9.dll", std::vector<uint8_t>(4096, 'M'));
    DetectDirectXVersion(text, none, prefix.System());
    EXPECT_EQ(text, "6.0");
}

TEST(DirectXVersionTest, LinuxDetectionReadsTheUsersWinePrefix) {
    WinePrefix prefix({{"d3d9.dll", 5, 3, 1, 904}});
    SetInstalledDirectXVersion(0);
    {
        ScopedEnv wine("WINEPREFIX", prefix.Prefix().c_str());
        std::string text;
        EXPECT_TRUE(DetectDirectXVersion(text));
        EXPECT_EQ(text, "9.0");
        EXPECT_EQ(DetectInstalledDirectXVersion(), 9);
        EXPECT_EQ(InstalledDirectXVersion(), 9);
    }
    {
        // No WINEPREFIX: ~/.wine, here a home without one.
        TemporaryDirectory home;
        ScopedEnv noWine("WINEPREFIX", nullptr);
        ScopedEnv homeEnv("HOME", home.Path().c_str());
        EXPECT_EQ(WineSystemDirectory::Locate(), home.Path() + "/.wine/drive_c/windows/system32");
        EXPECT_EQ(DetectInstalledDirectXVersion(), 0);
        EXPECT_EQ(InstalledDirectXVersion(), 0);
    }
}

// An empty variable counts as one that is not set, as the shell treats it: an empty WINEPREFIX
// does not send the search to the file system's root, and an empty HOME is asked of the user
// database instead.
TEST(DirectXVersionTest, EmptyPrefixOrHomeCountsAsUnset) {
    TemporaryDirectory home;
    {
        ScopedEnv wine("WINEPREFIX", "");
        ScopedEnv homeEnv("HOME", home.Path().c_str());
        EXPECT_EQ(WineSystemDirectory::Locate(), home.Path() + "/.wine/drive_c/windows/system32");
    }
    {
        ScopedEnv wine("WINEPREFIX", nullptr);
        ScopedEnv homeEnv("HOME", "");
        const passwd* user = ::getpwuid(::getuid());
        ASSERT_NE(user, nullptr);
        std::string expected = user->pw_dir;
        expected += expected.back() == '/' ? ".wine" : "/.wine";
        const std::optional<std::string> found = WineSystemDirectory::Locate();
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(found->rfind(expected, 0), 0u) << *found;
    }
}

}  // namespace
}  // namespace perivant
