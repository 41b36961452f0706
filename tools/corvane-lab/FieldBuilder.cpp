#include "FieldBuilder.h"

#include <cstdio>

namespace corvanelab {

namespace {

std::string ThreeDigits(unsigned code) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03u", code % 1000);
    return digits;
}

}  // namespace

std::string EscapeXml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string TrimBlanks(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n\v\f";
    std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    std::size_t last = text.find_last_not_of(kBlanks);
    return std::string(text.substr(first, last - first + 1));
}

FieldBuilder& FieldBuilder::Plain(std::string_view text) {
    m_text.xml += EscapeXml(text);
    m_text.decoded += text;
    return *this;
}

FieldBuilder& FieldBuilder::Escaped3(unsigned code) {
    std::string digits = ThreeDigits(code);
    m_text.xml += "&amp;#" + digits + ";";
    code %= 1000;
    if (m_numericStopped && m_decodedCodes.count(code) == 0) {
        m_text.decoded += "&#" + digits + ";";
        return *this;
    }
    if (!m_numericStopped) {
        m_decodedCodes.insert(code);
    }
    if (code % 256 != 0) {
        m_text.decoded += static_cast<char>(code % 256);
    }
    return *this;
}

FieldBuilder& FieldBuilder::Escaped2(unsigned code) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%02u", code % 100);
    m_text.xml += std::string("&amp;#") + digits + ";";
    m_text.decoded += std::string("&#") + digits + ";";
    m_numericStopped = true;
    return *this;
}

FieldBuilder& FieldBuilder::Degree(bool escaped) {
    m_text.xml += escaped ? "&amp;degree;" : "&degree;";
    m_text.decoded += '\xB0';
    return *this;
}

FieldBuilder& FieldBuilder::Numeric(unsigned code) {
    m_text.xml += "&#" + std::to_string(code) + ";";
    m_text.decoded += static_cast<char>(code);
    return *this;
}

FieldBuilder& FieldBuilder::DoubleEscaped(char c) {
    switch (c) {
        case '<':
            m_text.xml += "&amp;lt;";
            break;
        case '>':
            m_text.xml += "&amp;gt;";
            break;
        case '"':
            m_text.xml += "&amp;quot;";
            break;
        default:
            c = '&';
            m_text.xml += "&amp;amp;";
    }
    m_text.decoded += c;
    return *this;
}

FieldBuilder& FieldBuilder::TripleEscapedLess() {
    m_text.xml += "&amp;amp;lt;";
    m_text.decoded += "&lt;";
    return *this;
}

FieldBuilder& FieldBuilder::Apos() {
    m_text.xml += "&apos;";
    m_text.decoded += '\'';
    return *this;
}

FieldBuilder& FieldBuilder::Raw(std::string_view xml, std::string_view decoded) {
    m_text.xml += xml;
    m_text.decoded += decoded;
    return *this;
}

}  // namespace corvanelab
