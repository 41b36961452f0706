#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace perivant {

// The fixed file information at the root of a version block.
struct FixedFileInfo {
    uint32_t Signature = 0;
    uint32_t StrucVersion = 0;
    uint32_t FileVersionMS = 0;
    uint32_t FileVersionLS = 0;
    uint32_t ProductVersionMS = 0;
    uint32_t ProductVersionLS = 0;
    uint32_t FileFlagsMask = 0;
    uint32_t FileFlags = 0;
    uint32_t FileOS = 0;
    uint32_t FileType = 0;
    uint32_t FileSubtype = 0;
    uint32_t FileDateMS = 0;
    uint32_t FileDateLS = 0;

    // a.b.c.d as the number a*2^48 + b*2^32 + c*2^16 + d.
    uint64_t FileVersion() const {
        return static_cast<uint64_t>(FileVersionMS) << 32 | FileVersionLS;
    }
};

// Answers queries on a version-information block as the system's version query does:
// "\" for the fixed file information, "\VarFileInfo\Translation" for the language and code page
// list, "\StringFileInfo\040904E4\FileVersion" for a string. Path parts match keys without
// regard to ASCII case. The block may come from any file, so every length in it is checked
// against its parent and the block's end; nothing is read outside the block, and every walk
// moves forward by at least one node header, so no input can make it loop.
class VersionInfoReader {
public:
    static constexpr uint32_t kFixedSignature = 0xFEEF04BD;

    // Keeps a view of block: the bytes must outlive the reader.
    explicit VersionInfoReader(std::span<const uint8_t> block) : m_block(block) {}

    // The value bytes of the node that subBlock names, and whether the node holds text.
    bool QueryValue(std::string_view subBlock, std::span<const uint8_t>& value, bool& isText) const;

    // "\": needs a whole structure with the right signature.
    bool QueryFixedFileInfo(FixedFileInfo& info) const;

    // "\VarFileInfo\Translation": each entry has the language in its low 16 bits and the code
    // page in its high 16 bits. False when the list is missing or empty.
    bool QueryTranslations(std::vector<uint32_t>& translations) const;

    // A text value, up to its terminator, converted to Windows-1252.
    bool QueryString(std::string_view subBlock, std::string& text) const;

private:
    struct Node;
    bool ParseNode(size_t start, size_t limit, Node& node) const;
    bool KeyMatches(const Node& node, std::string_view name) const;
    uint16_t Word(size_t at) const;

    std::span<const uint8_t> m_block;
};

}  // namespace perivant
