#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "env/OwnVersionInfo.h"
#include "env/VersionInfoReader.h"
#include "env/VersionResourceWriter.h"
#include "env/VersionText.h"

namespace perivant {
namespace {

std::vector<uint8_t> BlockWithFileVersion(const std::string& fileVersion) {
    VersionResourceWriter writer(1, 0, 0, 0);
    writer.SetString("ProductName", "Perivant");
    writer.SetString("FileVersion", fileVersion);
    return writer.Build();
}

std::string TextOf(const std::string& fileVersion) {
    return GetVersionText(BlockWithFileVersion(fileVersion));
}

TEST(VersionTextTest, ShortensTheFileVersionString) {
    EXPECT_EQ(TextOf("1, 6, 0, 2"), "1.6");
    EXPECT_EQ(TextOf("1, 7, 3, 0"), "1.7b3");
    EXPECT_EQ(TextOf("1,7,3,0"), "1.7b3");
    EXPECT_EQ(TextOf(" 2 , 10 , 0 , 0 "), "2.10");
    // The pieces are texts: "00" is not "0", and nothing is read as a number.
    EXPECT_EQ(TextOf("1, 06, 00, 0"), "1.06b00");
    // Empty pieces vanish before they are counted.
    EXPECT_EQ(TextOf(",1,,2,3,4,"), "1.2b3");
    // Only the first 15 characters after blank removal count: here the fifth piece falls off.
    EXPECT_EQ(TextOf("10, 20, 300, 4000, 5"), "10.20b300");
    // Exactly 15 characters without the blanks: the fourth piece is the last one kept.
    EXPECT_EQ(TextOf("11111, 22222, 3, 4"), "11111.22222b3");

    EXPECT_EQ(TextOf("1, 2, 3"), "");
    EXPECT_EQ(TextOf("1, 2, 3, 4, 5"), "");
    EXPECT_EQ(TextOf(""), "");
    EXPECT_EQ(TextOf(", , ,"), "");
}

TEST(VersionTextTest, NeedsTheTranslationAndTheTableItNames) {
    VersionResourceWriter noVarFileInfo(1, 6, 0, 2);
    noVarFileInfo.SetString("FileVersion", "1, 6, 0, 2");
    noVarFileInfo.OmitVarFileInfo();
    EXPECT_EQ(GetVersionText(noVarFileInfo.Build()), "");

    VersionResourceWriter emptyTranslation(1, 6, 0, 2);
    emptyTranslation.SetString("FileVersion", "1, 6, 0, 2");
    emptyTranslation.SetTranslations({});
    emptyTranslation.SetStringTableKey("040904E4");
    EXPECT_EQ(GetVersionText(emptyTranslation.Build()), "");

    // Only the first translation is used: the table belongs to the second.
    VersionResourceWriter secondOnly(1, 6, 0, 2);
    secondOnly.SetString("FileVersion", "1, 6, 0, 2");
    secondOnly.SetTranslations({{0x0407, 1252}, {0x0409, 1252}});
    secondOnly.SetStringTableKey("040904E4");
    EXPECT_EQ(GetVersionText(secondOnly.Build()), "");

    // The table key is found whatever its hexadecimal case; the unicode code page works too.
    VersionResourceWriter lowerKey(1, 6, 0, 2);
    lowerKey.SetString("FileVersion", "1, 6, 0, 2");
    lowerKey.SetTranslations({{0x0c0a, 1200}});
    lowerKey.SetStringTableKey("0c0a04b0");
    EXPECT_EQ(GetVersionText(lowerKey.Build()), "1.6");

    // No FileVersion string, no block, a broken block.
    VersionResourceWriter noFileVersion(1, 6, 0, 2);
    noFileVersion.SetString("ProductVersion", "1, 6, 0, 2");
    EXPECT_EQ(GetVersionText(noFileVersion.Build()), "");
    EXPECT_EQ(GetVersionText(std::span<const uint8_t>()), "");
    std::vector<uint8_t> cut = BlockWithFileVersion("1, 6, 0, 2");
    cut.resize(cut.size() - 1);
    EXPECT_EQ(GetVersionText(cut), "");
}

TEST(VersionTextTest, CompiledInBlockCarriesTheProjectVersion) {
    const int major = PERIVANT_TEST_VERSION_MAJOR;
    const int minor = PERIVANT_TEST_VERSION_MINOR;
    const int patch = PERIVANT_TEST_VERSION_PATCH;
    std::string expected = std::to_string(major) + "." + std::to_string(minor);
    if (patch != 0) {
        expected += "b" + std::to_string(patch);
    }
    EXPECT_EQ(GetVersionText(), expected);

    VersionInfoReader reader(OwnVersionInfo());
    FixedFileInfo info;
    ASSERT_TRUE(reader.QueryFixedFileInfo(info));
    EXPECT_EQ(info.FileVersionMS,
              static_cast<uint32_t>(major) << 16 | static_cast<uint32_t>(minor));
    EXPECT_EQ(info.FileVersionLS >> 16, static_cast<uint32_t>(patch));
    std::string text;
    ASSERT_TRUE(reader.QueryString("\\StringFileInfo\\040904E4\\ProductName", text));
    EXPECT_EQ(text, "Perivant");
    ASSERT_TRUE(reader.QueryString("\\StringFileInfo\\040904E4\\FileVersion", text));
    EXPECT_NE(text.find(", "), std::string::npos) << text;  // the Windows style with blanks
    ASSERT_TRUE(reader.QueryString("\\StringFileInfo\\040904E4\\ProductVersion", text));
}

TEST(CompareVersionTextTest, ReleasesAreNewerThanTheirBetas) {
    EXPECT_EQ(CompareVersionText("2.0", "2.0b9"), 1);
    EXPECT_EQ(CompareVersionText("2.0b9", "2.0"), -1);
    EXPECT_EQ(CompareVersionText("2.0b10", "2.0b9"), 1);
    EXPECT_EQ(CompareVersionText("2.0b9", "2.0b10"), -1);
    EXPECT_EQ(CompareVersionText("1.9", "2.0b1"), -1);
    EXPECT_EQ(CompareVersionText("2.0b1", "1.9"), 1);
    EXPECT_EQ(CompareVersionText("1.10", "1.9"), 1);  // numbers, not characters
    EXPECT_EQ(CompareVersionText("3.0b1", "2.9"), 1);
}

TEST(CompareVersionTextTest, EqualNumbersAreNotNewerEitherWay) {
    EXPECT_EQ(CompareVersionText("1.7b3", "1.7b3"), 0);
    EXPECT_EQ(CompareVersionText("", ""), 0);
    EXPECT_EQ(CompareVersionText("2.0", "2.00"), -1);
    EXPECT_EQ(CompareVersionText("2.00", "2.0"), -1);
    EXPECT_EQ(CompareVersionText("2.0b3", "2.0b03"), -1);
    EXPECT_EQ(CompareVersionText("2.0b03", "2.0b3"), -1);
    // Without a dot a text reads as 0.0: below any real version, equal to another such text.
    EXPECT_EQ(CompareVersionText("beta", "0.1"), -1);
    EXPECT_EQ(CompareVersionText("0.1", "beta"), 1);
    EXPECT_EQ(CompareVersionText("abc", "xyz"), -1);
    EXPECT_EQ(CompareVersionText("xyz", "abc"), -1);
    // Blanks and signs are read as the integer value reads them.
    EXPECT_EQ(CompareVersionText(" 2.1", "2.0"), 1);
    EXPECT_EQ(CompareVersionText("-1.0", "0.0"), -1);
}

}  // namespace
}  // namespace perivant
