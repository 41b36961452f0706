#include "env/VersionInfoReader.h"

#include "text/Windows1252.h"

namespace perivant {

namespace {

constexpr size_t kHeaderSize = 6;  // wLength, wValueLength, wType
constexpr size_t kFixedInfoSize = 52;
constexpr uint16_t kTypeText = 1;

// Nodes start on 32-bit boundaries counted from the start of the block.
size_t Align4(size_t offset) {
    return (offset + 3) & ~static_cast<size_t>(3);
}

char16_t FoldAscii(char16_t unit) {
    return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - u'a' + u'A') : unit;
}

}  // namespace

// Offsets of one node's parts, all within [start, end].
struct VersionInfoReader::Node {
    size_t start = 0;
    size_t end = 0;
    size_t keyStart = 0;
    size_t keyUnits = 0;
    bool isText = false;
    bool valueValid = false;
    size_t valueStart = 0;
    size_t valueSize = 0;
    size_t childrenStart = 0;
};

uint16_t VersionInfoReader::Word(size_t at) const {
    return static_cast<uint16_t>(m_block[at] | m_block[at + 1] << 8);
}

bool VersionInfoReader::ParseNode(size_t start, size_t limit, Node& node) const {
    if (start >= limit || limit - start < kHeaderSize) {
        return false;
    }
    size_t length = Word(start);
    if (length < kHeaderSize || length > limit - start) {
        return false;
    }
    node.start = start;
    node.end = start + length;
    uint16_t valueLength = Word(start + 2);
    node.isText = Word(start + 4) == kTypeText;

    // The key runs to its terminator, which must lie inside the node.
    node.keyStart = start + kHeaderSize;
    size_t pos = node.keyStart;
    bool terminated = false;
    while (node.end - pos >= 2) {
        uint16_t unit = Word(pos);
        pos += 2;
        if (unit == 0) {
            terminated = true;
            break;
        }
    }
    if (!terminated) {
        return false;
    }
    node.keyUnits = (pos - 2 - node.keyStart) / 2;

    node.valueStart = Align4(pos) < node.end ? Align4(pos) : node.end;
    size_t available = node.end - node.valueStart;
    size_t declared = node.isText ? static_cast<size_t>(valueLength) * 2 : valueLength;
    if (declared <= available) {
        node.valueValid = true;
        node.valueSize = declared;
    } else if (node.isText) {
        // A text that claims more than its node holds is read up to the node's end.
        node.valueValid = true;
        node.valueSize = available;
    } else {
        node.valueValid = false;
        node.valueSize = 0;
        node.childrenStart = node.end;
        return true;
    }
    size_t afterValue = Align4(node.valueStart + node.valueSize);
    node.childrenStart = afterValue < node.end ? afterValue : node.end;
    return true;
}

bool VersionInfoReader::KeyMatches(const Node& node, std::string_view name) const {
    if (node.keyUnits != name.size()) {
        return false;
    }
    for (size_t i = 0; i < name.size(); ++i) {
        char16_t wanted = Windows1252ToUnicode(static_cast<unsigned char>(name[i]));
        char16_t actual = Word(node.keyStart + 2 * i);
        if (FoldAscii(wanted) != FoldAscii(actual)) {
            return false;
        }
    }
    return true;
}

bool VersionInfoReader::QueryValue(std::string_view subBlock, std::span<const uint8_t>& value,
                                   bool& isText) const {
    Node node;
    if (!ParseNode(0, m_block.size(), node)) {
        return false;
    }
    size_t pos = 0;
    while (pos < subBlock.size()) {
        if (subBlock[pos] == '\\') {
            ++pos;
            continue;
        }
        size_t next = subBlock.find('\\', pos);
        std::string_view name = subBlock.substr(
            pos, next == std::string_view::npos ? std::string_view::npos : next - pos);
        pos = next == std::string_view::npos ? subBlock.size() : next;

        // Each step moves on by a whole node of at least a header, so the walk ends.
        bool found = false;
        Node child;
        for (size_t at = node.childrenStart; at < node.end; at = Align4(child.end)) {
            if (!ParseNode(at, node.end, child)) {
                break;
            }
            if (KeyMatches(child, name)) {
                found = true;
                break;
            }
        }
        if (!found) {
            return false;
        }
        node = child;
    }
    if (!node.valueValid) {
        return false;
    }
    value = m_block.subspan(node.valueStart, node.valueSize);
    isText = node.isText;
    return true;
}

bool VersionInfoReader::QueryFixedFileInfo(FixedFileInfo& info) const {
    std::span<const uint8_t> value;
    bool isText = false;
    if (!QueryValue("\\", value, isText) || value.size() < kFixedInfoSize) {
        return false;
    }
    uint32_t fields[13];
    for (size_t i = 0; i < 13; ++i) {
        fields[i] = static_cast<uint32_t>(value[4 * i]) |
                    static_cast<uint32_t>(value[4 * i + 1]) << 8 |
                    static_cast<uint32_t>(value[4 * i + 2]) << 16 |
                    static_cast<uint32_t>(value[4 * i + 3]) << 24;
    }
    if (fields[0] != kFixedSignature) {
        return false;
    }
    info.Signature = fields[0];
    info.StrucVersion = fields[1];
    info.FileVersionMS = fields[2];
    info.FileVersionLS = fields[3];
    info.ProductVersionMS = fields[4];
    info.ProductVersionLS = fields[5];
    info.FileFlagsMask = fields[6];
    info.FileFlags = fields[7];
    info.FileOS = fields[8];
    info.FileType = fields[9];
    info.FileSubtype = fields[10];
    info.FileDateMS = fields[11];
    info.FileDateLS = fields[12];
    return true;
}

bool VersionInfoReader::QueryTranslations(std::vector<uint32_t>& translations) const {
    std::span<const uint8_t> value;
    bool isText = false;
    translations.clear();
    if (!QueryValue("\\VarFileInfo\\Translation", value, isText)) {
        return false;
    }
    for (size_t at = 0; value.size() - at >= 4; at += 4) {
        translations.push_back(static_cast<uint32_t>(value[at]) |
                               static_cast<uint32_t>(value[at + 1]) << 8 |
                               static_cast<uint32_t>(value[at + 2]) << 16 |
                               static_cast<uint32_t>(value[at + 3]) << 24);
    }
    return !translations.empty();
}

bool VersionInfoReader::QueryString(std::string_view subBlock, std::string& text) const {
    std::span<const uint8_t> value;
    bool isText = false;
    if (!QueryValue(subBlock, value, isText)) {
        return false;
    }
    std::u16string units;
    for (size_t at = 0; value.size() - at >= 2; at += 2) {
        char16_t unit = static_cast<char16_t>(value[at] | value[at + 1] << 8);
        if (unit == 0) {
            break;
        }
        units.push_back(unit);
    }
    text = UnicodeToWindows1252(units);
    return true;
}

}  // namespace perivant
