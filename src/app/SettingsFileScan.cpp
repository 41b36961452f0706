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

// Plain text of a value goes through one UTF-8 decoder for the whole value, in runs that end at
// every backslash, quote and comma, while escapes add their characters directly. Bytes above 0x7F
// never form the ASCII markers, but they come out as characters, and a character in front of a
// marker hides it. Only where that character is certain does the scan count it: a complete, valid
// sequence inside one run, the decoder having nothing held (a byte order mark as the value's
// first character comes out as nothing). A sequence cut by the end of a run is held back and
// checked more loosely, an invalid one comes out as replacement characters and may take a
// following byte along: after either, nothing above 0x7F is counted for the rest of the value.
// Leaving such a character out can only make the scan set aside a file the reader would have read
// (which the program's own writes never give); counting one the reader does not give would let a
// damaged value through. Leaving them all out, as before, set the user's settings aside whenever
// a saved text had an accented letter before "@Variant(".
class PlainTextDecoder {
public:
    // Feeds one byte of a run; out receives what the scan counts of it (a character above 0x7F
    // as U+FFFD, which is all the markers need to know).
    template <class Out>
    void Feed(unsigned char byte, Out&& out) {
        if (byte < 0x80) {
            if (m_need > 0) {
                m_unsure = true;  // cut short
                m_need = 0;
            }
            m_started = true;
            out(static_cast<char16_t>(byte));
            return;
        }
        if (m_unsure) {
            return;
        }
        if (m_need > 0) {
            if (byte < m_low || byte > m_high) {
                m_unsure = true;
                return;
            }
            m_sequence = m_sequence << 8 | byte;
            m_low = 0x80;
            m_high = 0xBF;
            if (--m_need == 0) {
                // Only the value's first character may be a byte order mark, which comes out as
                // nothing.
                if (m_started || m_sequence != 0xEFBBBF) {
                    out(u'\uFFFD');
                }
                m_started = true;
            }
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
            m_unsure = true;
        }
    }

    // A backslash, quote or comma ends the run.
    void EndRun() {
        if (m_need > 0) {
            m_unsure = true;
            m_need = 0;
        }
    }

private:
    bool m_started = false;
    bool m_unsure = false;
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
        if (c == '"' || c == ',' || c == '\\') {
            decoder.EndRun();
        }
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
