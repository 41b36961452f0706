#include "app/QtText.h"

#include "text/Windows1252.h"

namespace perivant {

QString ToQString(const std::string& text) {
    std::u16string wide = Windows1252ToUnicode(text);
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

std::string FromQString(const QString& text) {
    return UnicodeToWindows1252(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), text.size()));
}

}  // namespace perivant
