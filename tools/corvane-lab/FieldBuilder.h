// Builds one element text of a status page together with the text Perivant must end up with
// after its markup reader and its field decoding. Each piece knows both forms, so the
// manifest never has to re-run a decoder of its own.
#pragma once

#include <set>
#include <string>
#include <string_view>

namespace corvanelab {

struct FieldText {
    std::string xml;      // as written between the element's tags
    std::string decoded;  // as the program reads it (before any trimming)
};

class FieldBuilder {
public:
    // Ordinary text; "&", "<" and ">" are escaped for XML. An "&" in it must not be followed
    // by "#" or by a reference name ("amp;", "lt;", "gt;", "quot;", "degree;"), so that no
    // reference forms across pieces.
    FieldBuilder& Plain(std::string_view text);

    // A three-digit numeric reference whose ampersand the page escapes ("&amp;#039;"): the
    // markup reader yields "&#039;" and the field decoding turns it into the character of
    // code % 256 (code 0 vanishes) - unless an earlier malformed reference stopped the
    // numeric decoding, in which case it stays as "&#039;" (the same reference seen before
    // the stop was replaced everywhere in the text, so that one still decodes).
    FieldBuilder& Escaped3(unsigned code);

    // A two-digit reference with an escaped ampersand ("&amp;#39;"): it stays "&#39;" and stops
    // the numeric decoding of every later reference in the same text. Must not be followed
    // directly by ";".
    FieldBuilder& Escaped2(unsigned code);

    // The degree sign, 0xB0, written "&amp;degree;" (escaped, as status pages do) or
    // "&degree;" (raw: the markup reader passes unknown names through).
    FieldBuilder& Degree(bool escaped = true);

    // A numeric reference the markup reader itself resolves ("&#233;"), code 1..255 and not
    // "&", "#" or ";".
    FieldBuilder& Numeric(unsigned code);

    // "&amp;lt;" / "&amp;gt;" / "&amp;quot;" / "&amp;amp;": escaped once more than needed,
    // resolved by the field decoding to "<", ">", a double quote and "&".
    FieldBuilder& DoubleEscaped(char c);

    // "&amp;amp;lt;": the field decoding replaces "&amp;" last, so the text "&lt;" remains.
    FieldBuilder& TripleEscapedLess();

    // "&apos;": resolved by the markup reader.
    FieldBuilder& Apos();

    // Verbatim XML that decodes to itself (white space, for example).
    FieldBuilder& Raw(std::string_view xml, std::string_view decoded);

    FieldText Done() const { return m_text; }

private:
    FieldText m_text;
    bool m_numericStopped = false;
    std::set<unsigned> m_decodedCodes;  // three-digit references decoded before any stop
};

// Strips the white space the program strips from names: space, tab, CR, LF, VT, FF.
std::string TrimBlanks(std::string_view text);

// XML escaping of "&", "<" and ">".
std::string EscapeXml(std::string_view text);

}  // namespace corvanelab
