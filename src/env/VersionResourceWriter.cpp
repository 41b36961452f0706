#include "env/VersionResourceWriter.h"

#include <cstdio>

#include "text/Windows1252.h"

namespace perivant {

namespace {

constexpr uint16_t kTypeBinary = 0;
constexpr uint16_t kTypeText = 1;

// One node of the block before it is laid out.
struct Node {
    std::u16string key;
    uint16_t type = kTypeBinary;
    std::vector<uint8_t> value;
    uint16_t valueLength = 0;  // bytes for binary values, code units for texts
    std::vector<Node> children;
};

void PutWord(std::vector<uint8_t>& out, uint16_t word) {
    out.push_back(static_cast<uint8_t>(word & 0xFF));
    out.push_back(static_cast<uint8_t>(word >> 8));
}

void PutDword(std::vector<uint8_t>& out, uint32_t dword) {
    PutWord(out, static_cast<uint16_t>(dword & 0xFFFF));
    PutWord(out, static_cast<uint16_t>(dword >> 16));
}

void SetWord(std::vector<uint8_t>& out, size_t at, uint16_t word) {
    out[at] = static_cast<uint8_t>(word & 0xFF);
    out[at + 1] = static_cast<uint8_t>(word >> 8);
}

void Align(std::vector<uint8_t>& out) {
    while (out.size() % 4 != 0) {
        out.push_back(0);
    }
}

// Lays out node at the end of out, which is aligned. False when a length overflows 16 bits.
bool Emit(const Node& node, std::vector<uint8_t>& out) {
    size_t start = out.size();
    PutWord(out, 0);
    PutWord(out, node.valueLength);
    PutWord(out, node.type);
    for (char16_t unit : node.key) {
        PutWord(out, unit);
    }
    PutWord(out, 0);
    Align(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const Node& child : node.children) {
        Align(out);
        if (!Emit(child, out)) {
            return false;
        }
    }
    size_t length = out.size() - start;
    if (length > 0xFFFF) {
        return false;
    }
    SetWord(out, start, static_cast<uint16_t>(length));
    return true;
}

Node TextNode(const std::string& key, const std::string& value) {
    Node node;
    node.key = Windows1252ToUnicode(key);
    node.type = kTypeText;
    std::u16string units = Windows1252ToUnicode(value);
    for (char16_t unit : units) {
        PutWord(node.value, unit);
    }
    PutWord(node.value, 0);
    // The count includes the terminator. A text too long for the field makes the node's own
    // length overflow, which Emit reports, so the cut here never reaches a finished block.
    node.valueLength = static_cast<uint16_t>(units.size() + 1 > 0xFFFF ? 0xFFFF : units.size() + 1);
    return node;
}

}  // namespace

VersionResourceWriter::VersionResourceWriter(uint16_t a, uint16_t b, uint16_t c, uint16_t d)
    : m_fileVersion{a, b, c, d}, m_productVersion{a, b, c, d}, m_translations{{0x0409, 1252}} {}

void VersionResourceWriter::SetProductVersion(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
    m_productVersion[0] = a;
    m_productVersion[1] = b;
    m_productVersion[2] = c;
    m_productVersion[3] = d;
}

void VersionResourceWriter::SetTranslations(
    std::vector<std::pair<uint16_t, uint16_t>> translations) {
    m_translations = std::move(translations);
}

void VersionResourceWriter::SetString(const std::string& key, const std::string& value) {
    for (auto& entry : m_strings) {
        if (entry.first == key) {
            entry.second = value;
            return;
        }
    }
    m_strings.emplace_back(key, value);
}

std::string VersionResourceWriter::FormatVersion(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
    char text[32];
    std::snprintf(text, sizeof text, "%u, %u, %u, %u", a, b, c, d);
    return text;
}

std::string VersionResourceWriter::TableKey(uint16_t language, uint16_t codePage) {
    char text[16];
    std::snprintf(text, sizeof text, "%04X%04X", static_cast<unsigned>(language),
                  static_cast<unsigned>(codePage));
    return text;
}

std::vector<uint8_t> VersionResourceWriter::Build() const {
    Node root;
    root.key = u"VS_VERSION_INFO";
    root.type = kTypeBinary;
    const uint32_t fixed[13] = {
        kFixedSignature,
        0x00010000,  // structure version 1.0
        static_cast<uint32_t>(m_fileVersion[0]) << 16 | m_fileVersion[1],
        static_cast<uint32_t>(m_fileVersion[2]) << 16 | m_fileVersion[3],
        static_cast<uint32_t>(m_productVersion[0]) << 16 | m_productVersion[1],
        static_cast<uint32_t>(m_productVersion[2]) << 16 | m_productVersion[3],
        0x3F,     // every defined file flag is valid
        0,        // no flags: a release build
        0x40004,  // 32-bit Windows on NT
        m_fileType,
        0,  // no subtype
        0,  // no file date
        0,
    };
    for (uint32_t dword : fixed) {
        PutDword(root.value, dword);
    }
    root.valueLength = static_cast<uint16_t>(root.value.size());

    Node stringFileInfo;
    stringFileInfo.key = u"StringFileInfo";
    stringFileInfo.type = kTypeText;
    Node table;
    std::string tableKey = m_tableKey;
    if (tableKey.empty()) {
        tableKey = m_translations.empty()
                       ? TableKey(0x0409, 1252)
                       : TableKey(m_translations.front().first, m_translations.front().second);
    }
    table.key = Windows1252ToUnicode(tableKey);
    table.type = kTypeText;
    for (const auto& [key, value] : m_strings) {
        table.children.push_back(TextNode(key, value));
    }
    stringFileInfo.children.push_back(std::move(table));
    root.children.push_back(std::move(stringFileInfo));

    if (m_writeVarFileInfo) {
        Node varFileInfo;
        varFileInfo.key = u"VarFileInfo";
        varFileInfo.type = kTypeText;
        Node translation;
        translation.key = u"Translation";
        translation.type = kTypeBinary;
        for (const auto& [language, codePage] : m_translations) {
            PutWord(translation.value, language);
            PutWord(translation.value, codePage);
        }
        if (translation.value.size() > 0xFFFF) {
            return {};
        }
        translation.valueLength = static_cast<uint16_t>(translation.value.size());
        varFileInfo.children.push_back(std::move(translation));
        root.children.push_back(std::move(varFileInfo));
    }

    std::vector<uint8_t> block;
    if (!Emit(root, block)) {
        return {};
    }
    return block;
}

}  // namespace perivant
