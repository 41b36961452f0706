#include "dialogs/TextLengthValidator.h"

#include <QLineEdit>

#include "app/QtText.h"

namespace perivant {

TextLengthValidator::TextLengthValidator(int maxChars, QLineEdit* edit)
    : QValidator(edit), m_maxChars(maxChars), m_lastText(edit->text()) {
    connect(edit, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_lastText = text; });
}

QValidator::State TextLengthValidator::validate(QString& input, int&) const {
    const int length = CoreLength(input);
    if (length <= m_maxChars) {
        return Acceptable;
    }
    // A longer text the program put there may be shortened by deleting from it, nothing added.
    // Anything else too long is refused whole: the check cannot tell a paste from an undo that
    // brings back a longer text, and cutting that would change the value behind the user's back.
    return CoreLength(m_lastText) > m_maxChars && IsDeletionFrom(m_lastText, input) ? Intermediate
                                                                                    : Invalid;
}

bool TextLengthValidator::IsDeletionFrom(const QString& before, const QString& after) {
    if (after.size() >= before.size()) {
        return false;
    }
    qsizetype head = 0;
    while (head < after.size() && after[head] == before[head]) {
        ++head;
    }
    qsizetype tail = 0;
    while (tail < after.size() - head &&
           after[after.size() - 1 - tail] == before[before.size() - 1 - tail]) {
        ++tail;
    }
    return head + tail == after.size();
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
