#include "dialogs/TextLengthValidator.h"

#include "app/QtText.h"

namespace perivant {

TextLengthValidator::TextLengthValidator(int maxChars, QObject* parent)
    : QValidator(parent), m_maxChars(maxChars) {}

QValidator::State TextLengthValidator::validate(QString& input, int&) const {
    return CoreLength(input) <= m_maxChars ? Acceptable : Invalid;
}

int TextLengthValidator::CoreLength(const QString& text) {
    return static_cast<int>(FromQString(text).size());
}

}  // namespace perivant
