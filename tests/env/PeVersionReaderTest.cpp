#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "TestPeImage.h"
#include "env/PeVersionReader.h"
#include "env/VersionInfoReader.h"
#include "env/VersionResourceWriter.h"

namespace perivant {
namespace {

using test::TemporaryDirectory;
using test::TestPeImage;

constexpr size_t kRes = TestPeImage::kResourceOffset;

std::vector<uint8_t> DllBlock() {
    VersionResourceWriter writer(5, 3, 1, 904);
    writer.SetFileType(VersionResourceWriter::kFileTypeDll);
    writer.SetString("FileVersion", "5.3.1.904");
    return writer.Build();
}

uint64_t FileVersionOf(const std::vector<uint8_t>& block) {
    FixedFileInfo info;
    return VersionInfoReader(block).QueryFixedFileInfo(info) ? info.FileVersion() : 0;
}

TEST(PeVersionReaderTest, FindsTheVersionBlockInPe32AndPe32Plus) {
    const std::vector<uint8_t> block = DllBlock();
    for (bool pe32Plus : {false, true}) {
        std::vector<uint8_t> found;
        ASSERT_TRUE(PeVersionReader::ReadVersionBlock(TestPeImage::Build(block, pe32Plus), found))
            << pe32Plus;
        EXPECT_EQ(found, block);
        EXPECT_EQ(FileVersionOf(found), 0x0005000300010388ull);
    }

    // Named entries before the id entries: the first one is taken, whatever it is called.
    std::vector<uint8_t> image = TestPeImage::Build(block);
    TestPeImage::PutWord(image, kRes + TestPeImage::kNameDirectory + 12, 1);
    TestPeImage::PutWord(image, kRes + TestPeImage::kNameDirectory + 14, 0);
    TestPeImage::PutDword(image, kRes + TestPeImage::kNameDirectory + 16, 0x80000000u | 0x40);
    std::vector<uint8_t> found;
    EXPECT_TRUE(PeVersionReader::ReadVersionBlock(image, found));

    TemporaryDirectory dir;
    std::string path = dir.Path() + "/ddraw.dll";
    TestPeImage::WriteFile(path, TestPeImage::VersionedDll(4, 7, 0, 700));
    uint64_t version = 0;
    ASSERT_TRUE(PeVersionReader::ReadFileVersion(path, version));
    EXPECT_EQ(version, 0x00040007000002BCull);
}

// Sections are mapped as the loader maps them: only a section's raw data comes from the file,
// and an address at the end of one section belongs to the next.
TEST(PeVersionReaderTest, SectionsMapOnlyTheirFileDataAndMeetWithoutGaps) {
    const std::vector<uint8_t> good = TestPeImage::Build(DllBlock());
    const size_t section = TestPeImage::SectionTableOffset(false);
    std::vector<uint8_t> found;

    // Raw data that ends 0x20 bytes into the block: the block is cut there instead of taking
    // the file bytes that follow the section's data.
    std::vector<uint8_t> shortRaw = good;
    TestPeImage::PutDword(shortRaw, section + 16, TestPeImage::kBlock + 0x20);
    ASSERT_TRUE(PeVersionReader::ReadVersionBlock(shortRaw, found));
    EXPECT_EQ(found.size(), 0x20u);

    // A section in front of the resources that ends exactly where they begin.
    std::vector<uint8_t> twoSections = good;
    std::copy(good.begin() + section, good.begin() + section + 40,
              twoSections.begin() + section + 40);
    TestPeImage::PutWord(twoSections, TestPeImage::kFileHeaderOffset + 2, 2);
    TestPeImage::PutDword(twoSections, section + 8, 0x800);  // virtual size
    TestPeImage::PutDword(twoSections, section + 12, TestPeImage::kResourceRva - 0x800);
    TestPeImage::PutDword(twoSections, section + 16, 0x800);  // raw size
    TestPeImage::PutDword(twoSections, section + 20, 0);
    ASSERT_TRUE(PeVersionReader::ReadVersionBlock(twoSections, found));
    EXPECT_EQ(FileVersionOf(found), 0x0005000300010388ull);
}

TEST(PeVersionReaderTest, RefusesWhatIsNotAVersionedPeFile) {
    const std::vector<uint8_t> good = TestPeImage::Build(DllBlock());
    std::vector<uint8_t> found;

    // Every cut that loses part of the block or of what leads to it fails; cuts in the
    // section's trailing padding do not matter.
    const size_t needed = kRes + TestPeImage::kBlock + DllBlock().size();
    for (size_t size = 0; size < good.size(); ++size) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + size);
        EXPECT_EQ(PeVersionReader::ReadVersionBlock(cut, found), size >= needed) << size;
    }

    struct Damage {
        const char* what;
        size_t at;
        uint32_t value;
        bool dword;
    };
    const size_t optional = TestPeImage::kOptionalOffset;
    const size_t section = TestPeImage::SectionTableOffset(false);
    const Damage damages[] = {
        {"no MZ", 0, 'X', false},
        {"PE header past the end", 0x3C, 0xFFFFFFF0u, true},
        {"no PE signature", TestPeImage::kPeOffset, 'N', false},
        {"unknown optional header magic", optional, 0x107, false},
        {"optional header too short for the directory", TestPeImage::kFileHeaderOffset + 16, 100,
         false},
        {"optional header longer than the file", TestPeImage::kFileHeaderOffset + 16, 0xFFFF,
         false},
        {"only two data directories", optional + 92, 2, true},
        {"no resource directory", optional + 96 + 16, 0, true},
        {"section table past the end", TestPeImage::kFileHeaderOffset + 2, 0xFFFF, false},
        {"section data past the end", section + 20, 0x7FFFFFF0u, true},
        {"resource RVA in no section", optional + 96 + 16, 0x9000, true},
        {"no version type", kRes + 16, 24, true},
        {"version type leads to data", kRes + 20, TestPeImage::kNameDirectory, true},
        {"huge entry count", kRes + 14, 0xFFFF, false},
        {"empty name directory", kRes + TestPeImage::kNameDirectory + 14, 0, false},
        {"name leads to data", kRes + TestPeImage::kNameDirectory + 20,
         TestPeImage::kLanguageDirectory, true},
        {"language leads to a directory", kRes + TestPeImage::kLanguageDirectory + 20,
         0x80000000u | TestPeImage::kDataEntry, true},
        {"data entry far away", kRes + TestPeImage::kLanguageDirectory + 20, 0x7FFFFFFFu, true},
        {"data RVA in no section", kRes + TestPeImage::kDataEntry, 0xFFFFFFF0u, true},
        {"empty data", kRes + TestPeImage::kDataEntry + 4, 0, true},
    };
    for (const Damage& damage : damages) {
        std::vector<uint8_t> image = good;
        if (damage.dword) {
            TestPeImage::PutDword(image, damage.at, damage.value);
        } else if (damage.value > 0xFF) {
            TestPeImage::PutWord(image, damage.at, static_cast<uint16_t>(damage.value));
        } else {
            image[damage.at] = static_cast<uint8_t>(damage.value);
        }
        EXPECT_FALSE(PeVersionReader::ReadVersionBlock(image, found)) << damage.what;
    }

    // A data size far beyond the section keeps only what the section maps of it: still readable.
    std::vector<uint8_t> image = good;
    TestPeImage::PutDword(image, kRes + TestPeImage::kDataEntry + 4, 0x7FFFFFFFu);
    ASSERT_TRUE(PeVersionReader::ReadVersionBlock(image, found));
    EXPECT_EQ(found.size(), DllBlock().size());
    EXPECT_EQ(FileVersionOf(found), 0x0005000300010388ull);
}

TEST(PeVersionReaderTest, DirectoriesThatPointBackEndWithoutAnswer) {
    const std::vector<uint8_t> good = TestPeImage::Build(DllBlock());
    const size_t name = kRes + TestPeImage::kNameDirectory + 20;
    const size_t language = kRes + TestPeImage::kLanguageDirectory + 20;
    const std::pair<size_t, size_t> loops[] = {
        {kRes + 20, TestPeImage::kRootDirectory},  // the type leads back to the root
        {name, TestPeImage::kRootDirectory},
        {name, TestPeImage::kNameDirectory},  // a directory that holds itself
        {language, TestPeImage::kLanguageDirectory},
    };
    for (const auto& [at, back] : loops) {
        std::vector<uint8_t> image = good;
        TestPeImage::PutDword(image, at, 0x80000000u | static_cast<uint32_t>(back));
        std::vector<uint8_t> found;
        EXPECT_FALSE(PeVersionReader::ReadVersionBlock(image, found)) << at << " " << back;
    }
}

TEST(PeVersionReaderTest, OpensOnlyRegularFiles) {
    TemporaryDirectory dir;
    std::vector<uint8_t> found;
    uint64_t version = 0;
    EXPECT_FALSE(PeVersionReader::ReadVersionBlock(dir.Path() + "/missing.dll", found));
    EXPECT_FALSE(PeVersionReader::ReadVersionBlock(dir.Path(), found));
    // A FIFO would block an ordinary open until a writer came.
    std::string fifo = dir.Path() + "/d3d9.dll";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(PeVersionReader::ReadFileVersion(fifo, version));

    // A readable PE whose block lacks the fixed information has no file version.
    VersionResourceWriter writer(1, 0, 0, 0);
    std::vector<uint8_t> block = writer.Build();
    block[40] = 0;  // signature
    std::string path = dir.Path() + "/nosig.dll";
    TestPeImage::WriteFile(path, TestPeImage::Build(block));
    ASSERT_TRUE(PeVersionReader::ReadVersionBlock(path, found));
    EXPECT_FALSE(PeVersionReader::ReadFileVersion(path, version));
}

// Random damage to the headers and the resource tree: under the sanitizers any stray read or
// endless walk shows here.
TEST(PeVersionReaderTest, SurvivesRandomDamage) {
    const std::vector<uint8_t> good = TestPeImage::Build(DllBlock(), false);
    const std::vector<uint8_t> good64 = TestPeImage::Build(DllBlock(), true);
    std::mt19937 random(77);
    for (int round = 0; round < 20000; ++round) {
        std::vector<uint8_t> image = round % 2 == 0 ? good : good64;
        int changes = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < changes; ++i) {
            // Mostly where the structure is; now and then anywhere.
            size_t at = random() % 4 == 0   ? random() % image.size()
                        : random() % 2 == 0 ? random() % 0x200
                                            : kRes + random() % TestPeImage::kBlock;
            image[at] = static_cast<uint8_t>(random());
        }
        std::vector<uint8_t> found;
        if (PeVersionReader::ReadVersionBlock(image, found)) {
            ASSERT_LE(found.size(), image.size());
            ASSERT_LE(found.size(), PeVersionReader::kMaxVersionBlock);
            FixedFileInfo info;
            VersionInfoReader(found).QueryFixedFileInfo(info);
        }
    }
}

}  // namespace
}  // namespace perivant
