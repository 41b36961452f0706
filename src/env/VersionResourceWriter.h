#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace perivant {

// Builds a version-information block in the Windows resource layout: the root "VS_VERSION_INFO"
// with its fixed file information, "StringFileInfo" with one string table, and "VarFileInfo"
// with "Translation". Texts are Windows-1252 and stored as UTF-16LE. Every node starts on a
// 32-bit boundary of the block; its wLength excludes the padding after it.
class VersionResourceWriter {
public:
    static constexpr uint32_t kFixedSignature = 0xFEEF04BD;
    static constexpr uint32_t kFileTypeApp = 1;
    static constexpr uint32_t kFileTypeDll = 2;

    // The four 16-bit parts of the file version; the product version starts out the same.
    VersionResourceWriter(uint16_t a, uint16_t b, uint16_t c, uint16_t d);

    void SetProductVersion(uint16_t a, uint16_t b, uint16_t c, uint16_t d);
    void SetFileType(uint32_t fileType) { m_fileType = fileType; }

    // Language and code page pairs of "\VarFileInfo\Translation"; U.S. English with code page
    // 1252 by default. An empty list writes a Translation value without entries.
    void SetTranslations(std::vector<std::pair<uint16_t, uint16_t>> translations);
    // Leaves "VarFileInfo" out of the block.
    void OmitVarFileInfo() { m_writeVarFileInfo = false; }
    // The string table key; by default derived from the first translation ("040904E4").
    void SetStringTableKey(std::string key) { m_tableKey = std::move(key); }

    // Adds a string or replaces the value of an existing key; first additions keep their order.
    void SetString(const std::string& key, const std::string& value);

    // The finished block, or an empty one when it would not fit the 16-bit lengths.
    std::vector<uint8_t> Build() const;

    // "1, 0, 0, 0": the Windows style of a version in a resource string.
    static std::string FormatVersion(uint16_t a, uint16_t b, uint16_t c, uint16_t d);
    // "040904E4": language and code page as four upper-case hexadecimal digits each.
    static std::string TableKey(uint16_t language, uint16_t codePage);

private:
    uint16_t m_fileVersion[4];
    uint16_t m_productVersion[4];
    uint32_t m_fileType = kFileTypeApp;
    std::vector<std::pair<uint16_t, uint16_t>> m_translations;
    bool m_writeVarFileInfo = true;
    std::string m_tableKey;
    std::vector<std::pair<std::string, std::string>> m_strings;
};

}  // namespace perivant
