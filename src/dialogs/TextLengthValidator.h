#pragma once

#include <QString>
#include <QValidator>

class QLineEdit;

namespace perivant {

// Limits what the user can type or paste into an edit to a number of Windows-1252 characters,
// the measure the core stores; a paste that does not fit is refused whole. Unlike a widget's
// maximum length it leaves a longer text that the program puts into the edit whole
// (SetWholeText), so a value is never cut without the user seeing it; the user may then delete
// from that text but add nothing to it.
class TextLengthValidator : public QValidator {
    Q_OBJECT
public:
    TextLengthValidator(int maxChars, QLineEdit* edit);

    State validate(QString& input, int& pos) const override;

    // The length of a widget's text as the core will hold it.
    static int CoreLength(const QString& text);

    // Puts the program's own value into an edit, whole, whatever its length.
    static void SetWholeText(QLineEdit& edit, const QString& text);

    // Whether after is before with one run of characters taken out.
    static bool IsDeletionFrom(const QString& before, const QString& after);

private:
    int m_maxChars;
    // The edit's text before the change being checked: it tells edits of a longer text the
    // program put there from the rest.
    QString m_lastText;
};

}  // namespace perivant
