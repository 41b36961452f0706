#include "views/ExactCopyTextEdit.h"

#include <QMimeData>
#include <QTextCursor>

namespace perivant {

QMimeData* ExactCopyTextEdit::createMimeDataFromSelection() const {
    // The cursor's text keeps every character; only its line breaks need their usual form.
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    auto* data = new QMimeData;
    data->setText(text);
    return data;
}

}  // namespace perivant
