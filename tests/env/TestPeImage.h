#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace perivant::test {

// Builds small PE images in memory for the reader tests: DOS header, PE signature, file and
// optional headers, and one ".rsrc" section whose resource tree leads type 16, id 1, language
// 0x409 to the version block given. The fixed offsets below let tests damage chosen fields.
class TestPeImage {
public:
    static constexpr size_t kPeOffset = 0x40;
    static constexpr size_t kFileHeaderOffset = kPeOffset + 4;
    static constexpr size_t kOptionalOffset = kFileHeaderOffset + 20;
    static constexpr size_t kResourceOffset = 0x200;  // the section's file data
    static constexpr uint32_t kResourceRva = 0x1000;
    // Offsets inside the resource section.
    static constexpr size_t kRootDirectory = 0x00;
    static constexpr size_t kNameDirectory = 0x18;
    static constexpr size_t kLanguageDirectory = 0x30;
    static constexpr size_t kDataEntry = 0x48;
    static constexpr size_t kBlock = 0x58;

    static std::vector<uint8_t> Build(const std::vector<uint8_t>& versionBlock,
                                      bool pe32Plus = false);

    // The file offset of the section table (one entry of 40 bytes).
    static size_t SectionTableOffset(bool pe32Plus);

    // A DLL image whose version resource says file version a.b.c.d.
    static std::vector<uint8_t> VersionedDll(uint16_t a, uint16_t b, uint16_t c, uint16_t d);

    static void PutWord(std::vector<uint8_t>& image, size_t at, uint16_t value);
    static void PutDword(std::vector<uint8_t>& image, size_t at, uint32_t value);
    static void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
};

// A fresh directory under the test temporary directory, removed with everything in it.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

}  // namespace perivant::test
