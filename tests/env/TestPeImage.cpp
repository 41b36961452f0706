#include "TestPeImage.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "env/VersionResourceWriter.h"

namespace perivant::test {

void TestPeImage::PutWord(std::vector<uint8_t>& image, size_t at, uint16_t value) {
    image.at(at) = static_cast<uint8_t>(value & 0xFF);
    image.at(at + 1) = static_cast<uint8_t>(value >> 8);
}

void TestPeImage::PutDword(std::vector<uint8_t>& image, size_t at, uint32_t value) {
    PutWord(image, at, static_cast<uint16_t>(value & 0xFFFF));
    PutWord(image, at + 2, static_cast<uint16_t>(value >> 16));
}

size_t TestPeImage::SectionTableOffset(bool pe32Plus) {
    return kOptionalOffset + (pe32Plus ? 240 : 224);
}

std::vector<uint8_t> TestPeImage::Build(const std::vector<uint8_t>& versionBlock, bool pe32Plus) {
    size_t resourceSize = kBlock + versionBlock.size();
    size_t rawSize = (resourceSize + 0x1FF) & ~static_cast<size_t>(0x1FF);
    std::vector<uint8_t> image(kResourceOffset + rawSize, 0);

    image[0] = 'M';
    image[1] = 'Z';
    PutDword(image, 0x3C, kPeOffset);
    image[kPeOffset] = 'P';
    image[kPeOffset + 1] = 'E';

    size_t optionalSize = pe32Plus ? 240 : 224;
    PutWord(image, kFileHeaderOffset, pe32Plus ? 0x8664 : 0x14C);  // machine
    PutWord(image, kFileHeaderOffset + 2, 1);                      // one section
    PutWord(image, kFileHeaderOffset + 16, static_cast<uint16_t>(optionalSize));
    PutWord(image, kFileHeaderOffset + 18, pe32Plus ? 0x2022 : 0x2102);  // a DLL

    size_t o = kOptionalOffset;
    PutWord(image, o, pe32Plus ? 0x20B : 0x10B);
    PutDword(image, o + 32, 0x1000);  // section alignment
    PutDword(image, o + 36, 0x200);   // file alignment
    PutDword(image, o + 56, kResourceRva + ((resourceSize + 0xFFF) & ~static_cast<size_t>(0xFFF)));
    PutDword(image, o + 60, kResourceOffset);  // size of headers
    size_t countAt = pe32Plus ? 108 : 92;
    PutDword(image, o + countAt, 16);
    PutDword(image, o + countAt + 4 + 16, kResourceRva);
    PutDword(image, o + countAt + 4 + 20, static_cast<uint32_t>(resourceSize));

    size_t s = SectionTableOffset(pe32Plus);
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    std::copy(name, name + 8, image.begin() + s);
    PutDword(image, s + 8, static_cast<uint32_t>(resourceSize));
    PutDword(image, s + 12, kResourceRva);
    PutDword(image, s + 16, static_cast<uint32_t>(rawSize));
    PutDword(image, s + 20, kResourceOffset);
    PutDword(image, s + 36, 0x40000040);  // initialised data, readable

    // Type 16 -> id 1 -> language 0x409 -> data entry -> block.
    size_t r = kResourceOffset;
    PutWord(image, r + kRootDirectory + 14, 1);
    PutDword(image, r + kRootDirectory + 16, 16);
    PutDword(image, r + kRootDirectory + 20, 0x80000000u | kNameDirectory);
    PutWord(image, r + kNameDirectory + 14, 1);
    PutDword(image, r + kNameDirectory + 16, 1);
    PutDword(image, r + kNameDirectory + 20, 0x80000000u | kLanguageDirectory);
    PutWord(image, r + kLanguageDirectory + 14, 1);
    PutDword(image, r + kLanguageDirectory + 16, 0x409);
    PutDword(image, r + kLanguageDirectory + 20, kDataEntry);
    PutDword(image, r + kDataEntry, kResourceRva + kBlock);
    PutDword(image, r + kDataEntry + 4, static_cast<uint32_t>(versionBlock.size()));
    std::copy(versionBlock.begin(), versionBlock.end(), image.begin() + r + kBlock);
    return image;
}

std::vector<uint8_t> TestPeImage::VersionedDll(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
    VersionResourceWriter writer(a, b, c, d);
    writer.SetFileType(VersionResourceWriter::kFileTypeDll);
    writer.SetString("FileVersion", VersionResourceWriter::FormatVersion(a, b, c, d));
    return Build(writer.Build());
}

void TestPeImage::WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(file.good()) << path;
}

TemporaryDirectory::TemporaryDirectory() {
    std::string pattern = ::testing::TempDir() + "perivant-env-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) {
        m_path = pattern;
    }
    EXPECT_FALSE(m_path.empty()) << "cannot create a temporary directory";
}

TemporaryDirectory::~TemporaryDirectory() {
    if (!m_path.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
}

}  // namespace perivant::test
