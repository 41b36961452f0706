#include "app/SettingsFileScan.h"

#include <string>

#include "text/HexDigit.h"

namespace perivant {

namespace {

// QSettings decodes a value written "@Variant(...)" or "@DateTime(...)" with its binary stream
// reader, which trusts what it reads: one damaged value can ask for gigabytes, or nest lists
// deep enough to overflow the stack and end the program at every start. QSettings decodes every
// value of a group on the first read from it and every value of the file on the first write. The
// program never writes such values (a text that begins with "@" is stored as "@@..."), so a file
// holding one is set aside unread. The functions below cut the file into lines, values and list
// elements as QSettings does, escapes included, and look at how each element begins.

bool IsIniBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Plain text of a value goes through one UTF-8 decoder for the whole value, while escapes add
// their characters directly. Bytes above 0x7F never form the ASCII markers, but they come out as
// characters, and where they come out matters: a complete sequence (or a replacement character
// for an invalid one) at its last byte, an incomplete one held back, past escapes and commas,
// until the next byte of plain text ends it; a byte order mark as the value's first character
// comes out as nothing. Leaving them out altogether made a stored text of an accented letter and
// "@Variant(" look like a streamed value, and the user's settings were set aside.
class PlainTextDecoder {
public:
    // Feeds one byte of plain text; out receives the characters the decoder gives out for it
    // (anything not ASCII as U+FFFD, which is all the markers need to know).
    template <class Out>
    void Feed(unsigned char byte, Out&& out) {
        if (m_need > 0) {
            if (byte >= m_low && byte <= m_high) {
                m_sequence = m_sequence << 8 | byte;
                m_low = 0x80;
                m_high = 0xBF;
                if (--m_need == 0) {
                    EmitSequence(out);
                }
                return;
            }
            m_need = 0;
            EmitSequence(out);  // cut short: one replacement character
        }
        if (byte < 0x80) {
            m_started = true;
            out(static_cast<char16_t>(byte));
            return;
        }
        m_sequence = byte;
        m_low = 0x80;
        m_high = 0xBF;
        if (byte >= 0xC2 && byte <= 0xDF) {
            m_need = 1;
        } else if (byte >= 0xE0 && byte <= 0xEF) {
            m_need = 2;
            m_low = byte == 0xE0 ? 0xA0 : 0x80;
            m_high = byte == 0xED ? 0x9F : 0xBF;
        } else if (byte >= 0xF0 && byte <= 0xF4) {
            m_need = 3;
            m_low = byte == 0xF0 ? 0x90 : 0x80;
            m_high = byte == 0xF4 ? 0x8F : 0xBF;
        } else {
            EmitSequence(out);
        }
    }

private:
    template <class Out>
    void EmitSequence(Out& out) {
        const bool first = !m_started;
        m_started = true;
        if (!(first && m_sequence == 0xEFBBBF)) {
            out(u'\uFFFD');
        }
    }

    bool m_started = false;
    int m_need = 0;
    unsigned char m_low = 0x80;
    unsigned char m_high = 0xBF;
    unsigned m_sequence = 0;
};

// The value after a line's "=": comma-separated elements, quotes, and backslash escapes. Only
// the first characters of each element matter.
bool ValueHoldsStreamedValue(std::string_view value) {
    static constexpr char kEscapes[][2] = {{'a', '\a'}, {'b', '\b'},  {'f', '\f'}, {'n', '\n'},
                                           {'r', '\r'}, {'t', '\t'},  {'v', '\v'}, {'"', '"'},
                                           {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
    constexpr size_t kPrefix = 10;
    std::u16string element;
    const auto add = [&element](char16_t c) {
        if (element.size() < kPrefix) {
            element.push_back(c);
        }
    };
    const auto streamed = [&element] {
        return element.starts_with(u"@Variant(") || element.starts_with(u"@DateTime(");
    };
    const size_t n = value.size();
    size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < n && (value[i] == ' ' || value[i] == '\t')) {
            ++i;
        }
    };
    bool inQuotes = false;
    PlainTextDecoder decoder;
    skipBlanks();
    while (i < n) {
        const char c = value[i++];
        if (c == '"') {
            inQuotes = !inQuotes;
            if (!inQuotes) {
                skipBlanks();
            }
        } else if (c == ',' && !inQuotes) {
            if (streamed()) {
                return true;
            }
            element.clear();
            skipBlanks();
        } else if (c != '\\') {
            decoder.Feed(static_cast<unsigned char>(c), add);
        } else if (i < n) {
            const char e = value[i++];
            bool simple = false;
            for (const auto& escape : kEscapes) {
                if (e == escape[0]) {
                    add(static_cast<char16_t>(escape[1]));
                    simple = true;
                    break;
                }
            }
            if (simple) {
                continue;
            }
            if (e == 'x') {
                // As many hexadecimal digits as follow, wrapping at 16 bits.
                if (i < n && HexDigitValue(value[i]) >= 0) {
                    char16_t code = 0;
                    while (i < n && HexDigitValue(value[i]) >= 0) {
                        code = static_cast<char16_t>(code << 4 | HexDigitValue(value[i++]));
                    }
                    add(code);
                }
            } else if (e >= '0' && e <= '7') {
                char16_t code = static_cast<char16_t>(e - '0');
                while (i < n && value[i] >= '0' && value[i] <= '7') {
                    code = static_cast<char16_t>(code << 3 | (value[i++] - '0'));
                }
                add(code);
            } else if ((e == '\n' || e == '\r') && i < n &&
                       (value[i] == '\n' || value[i] == '\r') && value[i] != e) {
                ++i;  // a line continuation may end with either pair of line breaks
            }
            // Any other escaped character is dropped.
        }
    }
    return streamed();
}

}  // namespace

// The file's logical lines: a line break inside quotes or after a backslash continues the line,
// ";" starts a comment, "[" a group header; a value follows the first unquoted "=".
bool SettingsFileHoldsStreamedValue(std::string_view data) {
    if (data.starts_with("\xEF\xBB\xBF")) {
        data.remove_prefix(3);
    }
    const size_t n = data.size();
    size_t pos = 0;
    for (;;) {
        size_t lineStart = pos;
        while (lineStart < n && IsIniBlank(data[lineStart])) {
            ++lineStart;
        }
        size_t i = lineStart;
        size_t equals = std::string_view::npos;
        bool inQuotes = false;
        while (i < n) {
            const char c = data[i++];
            if (c == '=') {
                if (!inQuotes && equals == std::string_view::npos) {
                    equals = i - 1;
                }
            } else if (c == '\n' || c == '\r') {
                if (i == lineStart + 1) {
                    ++lineStart;
                } else if (!inQuotes) {
                    --i;
                    break;
                }
            } else if (c == '\\') {
                if (i < n) {
                    const char escaped = data[i++];
                    if (i < n && ((escaped == '\n' && data[i] == '\r') ||
                                  (escaped == '\r' && data[i] == '\n'))) {
                        ++i;
                    }
                }
            } else if (c == '"') {
                inQuotes = !inQuotes;
            } else if (c == ';') {
                if (i == lineStart + 1) {
                    while (i < n && data[i] != '\n' && data[i] != '\r') {
                        ++i;
                    }
                    while (i < n && IsIniBlank(data[i])) {
                        ++i;
                    }
                    lineStart = i;
                } else if (!inQuotes) {
                    --i;
                    break;
                }
            }
        }
        pos = i;
        if (i <= lineStart) {
            return false;
        }
        if (data[lineStart] != '[' && equals != std::string_view::npos &&
            ValueHoldsStreamedValue(data.substr(equals + 1, i - equals - 1))) {
            return true;
        }
    }
}

}  // namespace perivant
