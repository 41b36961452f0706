#pragma once

#include <QValidator>

namespace perivant {

// Limits what the user can type or paste into an edit to a number of Windows-1252 characters,
// the measure the core stores. Unlike a widget's maximum length it leaves a longer text that
// the program puts into the edit whole, so a value is never cut without the user seeing it.
class TextLengthValidator : public QValidator {
    Q_OBJECT
public:
    TextLengthValidator(int maxChars, QObject* parent);

    State validate(QString& input, int& pos) const override;

    // The length of a widget's text as the core will hold it.
    static int CoreLength(const QString& text);

private:
    int m_maxChars;
};

}  // namespace perivant
