#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "env/VersionInfoReader.h"
#include "env/VersionResourceWriter.h"

namespace perivant {
namespace {

uint16_t Word(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b.at(at) | b.at(at + 1) << 8);
}

uint32_t Dword(const std::vector<uint8_t>& b, size_t at) {
    return Word(b, at) | static_cast<uint32_t>(Word(b, at + 2)) << 16;
}

std::string Key(const std::vector<uint8_t>& b, size_t at) {
    std::string key;
    for (size_t i = at; Word(b, i) != 0; i += 2) {
        key.push_back(static_cast<char>(Word(b, i)));
    }
    return key;
}

void SetWord(std::vector<uint8_t>& b, size_t at, uint16_t value) {
    b.at(at) = static_cast<uint8_t>(value & 0xFF);
    b.at(at + 1) = static_cast<uint8_t>(value >> 8);
}

std::vector<uint8_t> SampleBlock() {
    VersionResourceWriter writer(1, 0, 0, 0);
    writer.SetString("FileVersion", "1, 0, 0, 0");
    writer.SetString("ProductName", "Perivant");
    return writer.Build();
}

// Node offsets and lengths worked out by hand from the resource layout rules.
TEST(VersionResourceWriterTest, LaysOutNodesOnDwordBoundariesWithExactLengths) {
    std::vector<uint8_t> b = SampleBlock();
    ASSERT_EQ(b.size(), 328u);

    EXPECT_EQ(Word(b, 0), 328);  // root
    EXPECT_EQ(Word(b, 2), 52);
    EXPECT_EQ(Word(b, 4), 0);
    EXPECT_EQ(Key(b, 6), "VS_VERSION_INFO");
    EXPECT_EQ(Word(b, 38), 0);  // padding before the fixed information
    EXPECT_EQ(Dword(b, 40), 0xFEEF04BDu);
    EXPECT_EQ(Dword(b, 48), 0x00010000u);  // file version 1.0
    EXPECT_EQ(Dword(b, 52), 0u);

    EXPECT_EQ(Word(b, 92), 166);  // StringFileInfo
    EXPECT_EQ(Word(b, 94), 0);
    EXPECT_EQ(Word(b, 96), 1);
    EXPECT_EQ(Key(b, 98), "StringFileInfo");

    EXPECT_EQ(Word(b, 128), 130);  // the string table
    EXPECT_EQ(Key(b, 134), "040904E4");

    EXPECT_EQ(Word(b, 152), 54);  // FileVersion: 11 units with the terminator
    EXPECT_EQ(Word(b, 154), 11);
    EXPECT_EQ(Word(b, 156), 1);
    EXPECT_EQ(Key(b, 158), "FileVersion");
    EXPECT_EQ(Key(b, 184), "1, 0, 0, 0");

    EXPECT_EQ(Word(b, 208), 50);  // ProductName after two bytes of padding
    EXPECT_EQ(Key(b, 214), "ProductName");
    EXPECT_EQ(Key(b, 240), "Perivant");

    EXPECT_EQ(Word(b, 260), 68);  // VarFileInfo
    EXPECT_EQ(Key(b, 266), "VarFileInfo");
    EXPECT_EQ(Word(b, 292), 36);  // Translation: four binary bytes
    EXPECT_EQ(Word(b, 294), 4);
    EXPECT_EQ(Word(b, 296), 0);
    EXPECT_EQ(Key(b, 298), "Translation");
    EXPECT_EQ(Word(b, 324), 0x0409);
    EXPECT_EQ(Word(b, 326), 1252);
}

TEST(VersionResourceWriterTest, FormatsVersionsAndKeysTheWindowsWay) {
    EXPECT_EQ(VersionResourceWriter::FormatVersion(1, 7, 3, 0), "1, 7, 3, 0");
    EXPECT_EQ(VersionResourceWriter::FormatVersion(65535, 0, 12, 9), "65535, 0, 12, 9");
    EXPECT_EQ(VersionResourceWriter::TableKey(0x0409, 1200), "040904B0");
    EXPECT_EQ(VersionResourceWriter::TableKey(0x0c0a, 0x4e4), "0C0A04E4");

    // A text that overflows the 16-bit lengths gives no block rather than a wrong one.
    VersionResourceWriter writer(1, 0, 0, 0);
    writer.SetString("Comments", std::string(40000, 'x'));
    EXPECT_TRUE(writer.Build().empty());
}

TEST(VersionInfoReaderTest, AnswersTheThreeKindsOfQuery) {
    VersionResourceWriter writer(4, 7, 0, 700);
    writer.SetProductVersion(9, 8, 7, 6);
    writer.SetTranslations({{0x0409, 1200}, {0x0407, 1252}});
    writer.SetString("FileVersion", "4, 7, 0, 700");
    writer.SetString("CompanyName", "Caf\xE9 \x80");  // Windows-1252 e-acute and euro sign
    writer.SetString("Empty", "");
    writer.SetString("FileVersion", "4, 7, 0, 701");  // replaces, keeps the first place
    std::vector<uint8_t> block = writer.Build();
    VersionInfoReader reader(block);

    FixedFileInfo info;
    ASSERT_TRUE(reader.QueryFixedFileInfo(info));
    EXPECT_EQ(info.FileVersion(), 0x000400070000'02BCull);
    EXPECT_EQ(info.ProductVersionMS, 0x00090008u);
    EXPECT_EQ(info.ProductVersionLS, 0x00070006u);
    EXPECT_EQ(info.FileType, VersionResourceWriter::kFileTypeApp);

    std::vector<uint32_t> translations;
    ASSERT_TRUE(reader.QueryTranslations(translations));
    EXPECT_EQ(translations, (std::vector<uint32_t>{0x04B00409u, 0x04E40407u}));

    std::string text;
    EXPECT_TRUE(reader.QueryString("\\StringFileInfo\\040904B0\\FileVersion", text));
    EXPECT_EQ(text, "4, 7, 0, 701");
    // Keys match whatever the ASCII case, and doubled separators are skipped.
    EXPECT_TRUE(reader.QueryString("\\stringfileinfo\\040904b0\\\\companyname", text));
    EXPECT_EQ(text, "Caf\xE9 \x80");
    EXPECT_TRUE(reader.QueryString("\\StringFileInfo\\040904B0\\Empty", text));
    EXPECT_EQ(text, "");

    EXPECT_FALSE(reader.QueryString("\\StringFileInfo\\040704E4\\FileVersion", text));
    EXPECT_FALSE(reader.QueryString("\\StringFileInfo\\040904B0\\FileVersio", text));
    EXPECT_FALSE(reader.QueryString("\\StringFileInfo\\040904B0\\FileVersion\\x", text));

    std::span<const uint8_t> value;
    bool isText = true;
    ASSERT_TRUE(reader.QueryValue("\\", value, isText));
    EXPECT_EQ(value.size(), 52u);
    EXPECT_FALSE(isText);
}

TEST(VersionInfoReaderTest, RejectsDamagedLengthsAndKeys) {
    const std::vector<uint8_t> good = SampleBlock();
    FixedFileInfo info;
    std::vector<uint32_t> translations;
    std::string text;
    const char* fileVersion = "\\StringFileInfo\\040904E4\\FileVersion";

    // Any cut block claims more than it holds: nothing is answered.
    for (size_t size = 0; size < good.size(); ++size) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + size);
        VersionInfoReader reader(cut);
        EXPECT_FALSE(reader.QueryFixedFileInfo(info)) << size;
        EXPECT_FALSE(reader.QueryTranslations(translations)) << size;
        EXPECT_FALSE(reader.QueryString(fileVersion, text)) << size;
    }

    // A root that ends after the fixed information keeps it but loses its children.
    std::vector<uint8_t> b = good;
    SetWord(b, 0, 92);
    EXPECT_TRUE(VersionInfoReader(b).QueryFixedFileInfo(info));
    EXPECT_FALSE(VersionInfoReader(b).QueryTranslations(translations));

    // Root lengths below a header, odd ones that cut the key, and a key without terminator.
    for (uint16_t length : {0, 5, 7, 37}) {
        b = good;
        SetWord(b, 0, length);
        EXPECT_FALSE(VersionInfoReader(b).QueryFixedFileInfo(info)) << length;
    }
    std::vector<uint8_t> unterminated = {10, 0, 0, 0, 0, 0, 'A', 0, 'B', 0};
    EXPECT_FALSE(VersionInfoReader(unterminated).QueryFixedFileInfo(info));

    // Fixed information that is too short, claims too much, or has a wrong signature.
    for (uint16_t valueLength : {0, 48, 0xFFFF}) {
        b = good;
        SetWord(b, 2, valueLength);
        EXPECT_FALSE(VersionInfoReader(b).QueryFixedFileInfo(info)) << valueLength;
    }
    b = good;
    b[40] ^= 1;
    EXPECT_FALSE(VersionInfoReader(b).QueryFixedFileInfo(info));

    // A child of length 0 ends the walk (no endless loop); its siblings become unreachable.
    b = good;
    SetWord(b, 92, 0);
    EXPECT_FALSE(VersionInfoReader(b).QueryString(fileVersion, text));
    EXPECT_FALSE(VersionInfoReader(b).QueryTranslations(translations));
    EXPECT_TRUE(VersionInfoReader(b).QueryFixedFileInfo(info));

    // A child longer than its parent is refused.
    b = good;
    SetWord(b, 152, 200);
    EXPECT_FALSE(VersionInfoReader(b).QueryString(fileVersion, text));

    // A text that claims more units than its node holds is read to the node's end only.
    b = good;
    SetWord(b, 154, 0x7FFF);
    SetWord(b, 204, 'x');  // overwrite the terminator: the text now runs to the node's end
    ASSERT_TRUE(VersionInfoReader(b).QueryString(fileVersion, text));
    EXPECT_EQ(text, "1, 0, 0, 0x");

    // A binary value that does not fit its node is no value.
    b = good;
    SetWord(b, 294, 40);
    EXPECT_FALSE(VersionInfoReader(b).QueryTranslations(translations));

    // An odd Translation length keeps only whole entries; less than one entry is none.
    b = good;
    SetWord(b, 294, 3);
    EXPECT_FALSE(VersionInfoReader(b).QueryTranslations(translations));
}

// Random damage must never lead outside the block; under the sanitizers a stray read fails here.
TEST(VersionInfoReaderTest, SurvivesRandomDamage) {
    const std::vector<uint8_t> good = SampleBlock();
    std::mt19937 random(20240601);
    for (int round = 0; round < 20000; ++round) {
        std::vector<uint8_t> b = good;
        int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i) {
            b[random() % b.size()] = static_cast<uint8_t>(random());
        }
        b.resize(b.size() - random() % 8);
        VersionInfoReader reader(b);
        std::span<const uint8_t> value;
        bool isText = false;
        for (const char* path :
             {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904E4\\FileVersion",
              "\\StringFileInfo\\040904E4\\ProductName"}) {
            if (reader.QueryValue(path, value, isText)) {
                ASSERT_GE(value.data(), b.data());
                ASSERT_LE(value.data() + value.size(), b.data() + b.size());
            }
        }
        std::string text;
        if (reader.QueryString("\\StringFileInfo\\040904E4\\FileVersion", text)) {
            ASSERT_LE(text.size(), b.size() / 2);
        }
    }
}

}  // namespace
}  // namespace perivant
