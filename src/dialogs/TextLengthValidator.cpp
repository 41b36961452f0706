#include "dialogs/TextLengthValidator.h"

#include <QLineEdit>

#include "app/QtText.h"

namespace perivant {

TextLengthValidator::TextLengthValidator(int maxChars, QLineEdit* edit)
    : QValidator(edit), m_maxChars(maxChars), m_lastText(edit->text()) {
    connect(edit, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_lastText = text; });
}

QValidator::State TextLengthValidator::validate(QString& input, int& pos) const {
    const int length = CoreLength(input);
    if (length <= m_maxChars) {
        return Acceptable;
    }
    const int lastLength = CoreLength(m_lastText);
    if (lastLength > m_maxChars) {
        return length <= lastLength ? Intermediate : Invalid;
    }
    // The text fitted before, so this is an insertion that ends at the cursor and is at least as
    // long as the excess: drop its last characters, one core character (a surrogate pair counts
    // as one) at a time.
    int excess = length - m_maxChars;
    int cut = pos;
    while (excess > 0 && cut > 0) {
        const bool pair =
            cut >= 2 && input.at(cut - 1).isLowSurrogate() && input.at(cut - 2).isHighSurrogate();
        cut -= pair ? 2 : 1;
        --excess;
    }
    QString kept = input;
    kept.remove(cut, pos - cut);
    // Nothing of it fits: refused, as a keystroke into a full edit is.
    if (excess > 0 || kept == m_lastText) {
        return Invalid;
    }
    input = kept;
    pos = cut;
    return Acceptable;
}

int TextLengthValidator::CoreLength(const QString& text) {
    return static_cast<int>(FromQString(text).size());
}

void TextLengthValidator::SetWholeText(QLineEdit& edit, const QString& text) {
    // Checked text is the user's; the program's own value goes in unchecked.
    const QValidator* validator = edit.validator();
    edit.setValidator(nullptr);
    // Beyond the widget's own limit (32767 by default) too.
    if (text.size() > edit.maxLength()) {
        edit.setMaxLength(static_cast<int>(text.size()));
    }
    edit.setText(text);
    edit.setValidator(validator);
}

}  // namespace perivant
