#include "app/QtProfileStore.h"

#include <climits>
#include <optional>
#include <string>
#include <string_view>

#include <QByteArray>
#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QVariant>

#include "text/Trace.h"
#include "text/Windows1252.h"

namespace perivant {

namespace {

QString Key(std::string_view section, std::string_view name) {
    return QString::fromUtf8(section.data(), static_cast<qsizetype>(section.size())) + u'/' +
           QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

int Clamp(long long value) {
    return value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

// A whole decimal integer with an optional sign and surrounding blanks, saturated far beyond the
// 32-bit range before the clamp. Anything else ("abc", "12px", "") is not a number.
std::optional<int> ParseInteger(const QString& text) {
    QString t = text.trimmed();
    qsizetype at = 0;
    bool negative = false;
    if (at < t.size() && (t[at] == u'-' || t[at] == u'+')) {
        negative = t[at] == u'-';
        ++at;
    }
    if (at == t.size()) {
        return std::nullopt;
    }
    long long magnitude = 0;
    for (; at < t.size(); ++at) {
        char16_t c = t[at].unicode();
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        if (magnitude < (1LL << 40)) {
            magnitude = magnitude * 10 + (c - u'0');
        }
    }
    return Clamp(negative ? -magnitude : magnitude);
}

// QSettings decodes a value written "@Variant(...)" or "@DateTime(...)" with its binary stream
// reader, which trusts what it reads: one damaged value can ask for gigabytes, or nest lists
// deep enough to overflow the stack and end the program at every start. QSettings decodes every
// value of a group on the first read from it and every value of the file on the first write. The
// program never writes such values (a text that begins with "@" is stored as "@@..."), so a file
// holding one is set aside unread. The two functions below cut the file into lines, values and list
// elements as QSettings does, escapes included, and look at how each element begins.

bool IsIniBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

int HexDigit(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

// The value after a line's "=": comma-separated elements, quotes, and backslash escapes. Only
// the first characters of each element matter; bytes above 0x7F are left out, since the UTF-8
// decoding can hold them back past a following escape and they never form the ASCII markers.
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
            if (static_cast<unsigned char>(c) < 0x80) {
                add(static_cast<char16_t>(c));
            }
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
                if (i < n && HexDigit(value[i]) >= 0) {
                    char16_t code = 0;
                    while (i < n && HexDigit(value[i]) >= 0) {
                        code = static_cast<char16_t>(code << 4 | HexDigit(value[i++]));
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

// The file's logical lines: a line break inside quotes or after a backslash continues the line,
// ";" starts a comment, "[" a group header; a value follows the first unquoted "=".
bool HoldsStreamedValue(std::string_view data) {
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

std::unique_ptr<QSettings> UserSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Perivant"), QStringLiteral("Perivant"));
}

}  // namespace

QtProfileStore::QtProfileStore() : settings_(UserSettings()) {
    // Opening reads the file but decodes no value yet.
    const QString fileName = settings_->fileName();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        return;
    }
    const QByteArray text = file.readAll();
    if (!HoldsStreamedValue(std::string_view(text.constData(), static_cast<size_t>(text.size())))) {
        return;
    }
    file.close();
    settings_.reset();
    // Kept for the user to look at; the settings start again from their defaults.
    const QString aside = fileName + QStringLiteral(".damaged");
    QFile::remove(aside);
    const bool moved = QFile::rename(fileName, aside);
    Trace(TraceWarning, "Settings file %s cannot be read safely; %s\n",
          fileName.toLocal8Bit().constData(),
          moved ? ("moved to " + aside.toLocal8Bit()).constData() : "using the defaults");
    // Where the file cannot be moved, nothing may read it: the store reads nothing and its
    // writes fail, as on a read-only disk.
    settings_ =
        moved ? UserSettings()
              : std::make_unique<QSettings>(QStringLiteral("/dev/null"), QSettings::NativeFormat);
}

QtProfileStore::~QtProfileStore() {
    settings_->sync();
}

int QtProfileStore::ReadInt(std::string_view section, std::string_view name,
                            int defaultValue) const {
    QVariant value = settings_->value(Key(section, name));
    switch (value.typeId()) {
        case QMetaType::Int:
            return value.toInt();
        case QMetaType::UInt:
        case QMetaType::LongLong:
            return Clamp(value.toLongLong());
        case QMetaType::ULongLong: {
            qulonglong number = value.toULongLong();
            return number > INT_MAX ? INT_MAX : static_cast<int>(number);
        }
        case QMetaType::QString:
            // What a file read back holds: every integer is text there.
            return ParseInteger(value.toString()).value_or(defaultValue);
        default:
            return defaultValue;
    }
}

std::string QtProfileStore::ReadString(std::string_view section, std::string_view name,
                                       std::string_view defaultValue) const {
    QVariant value = settings_->value(Key(section, name));
    QString text;
    switch (value.typeId()) {
        case QMetaType::QString:
            text = value.toString();
            break;
        case QMetaType::QStringList:
            // An unquoted comma in a hand-edited file splits the text into a list.
            text = value.toStringList().join(QStringLiteral(", "));
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            text = value.toString();
            break;
        default:
            return std::string(defaultValue);
    }
    return UnicodeToWindows1252(text.toStdU16String());
}

ProfileStore::Bytes QtProfileStore::ReadBytes(std::string_view section, std::string_view name,
                                              const Bytes& defaultValue) const {
    QVariant value = settings_->value(Key(section, name));
    if (value.typeId() != QMetaType::QByteArray) {
        return defaultValue;
    }
    QByteArray block = value.toByteArray();
    return Bytes(block.begin(), block.end());
}

void QtProfileStore::WriteInt(std::string_view section, std::string_view name, int value) {
    settings_->setValue(Key(section, name), value);
    Written();
}

void QtProfileStore::WriteString(std::string_view section, std::string_view name,
                                 std::string_view value) {
    settings_->setValue(Key(section, name), QString::fromStdU16String(Windows1252ToUnicode(value)));
    Written();
}

void QtProfileStore::WriteBytes(std::string_view section, std::string_view name,
                                std::span<const std::uint8_t> value) {
    settings_->setValue(Key(section, name), QByteArray(reinterpret_cast<const char*>(value.data()),
                                                       static_cast<qsizetype>(value.size())));
    Written();
}

bool QtProfileStore::Contains(std::string_view section, std::string_view name) const {
    return settings_->contains(Key(section, name));
}

void QtProfileStore::BeginBatch() {
    ++batchDepth_;
}

void QtProfileStore::EndBatch() {
    if (batchDepth_ > 0 && --batchDepth_ == 0) {
        settings_->sync();
    }
}

// Values owned by single features (help and notice marks) are written one at a time and must
// survive a crash right after; only a batch may wait.
void QtProfileStore::Written() {
    if (batchDepth_ == 0) {
        settings_->sync();
    }
}

bool QtProfileStore::Flush() {
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

QString QtProfileStore::FileName() const {
    return settings_->fileName();
}

}  // namespace perivant
