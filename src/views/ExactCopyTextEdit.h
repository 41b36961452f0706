#pragma once

#include <QPlainTextEdit>

class QMimeData;

namespace perivant {

// A plain-text edit whose copies carry the selected text as shown. Qt's own copy exports the
// selection as a document fragment, which turns no-break spaces into plain ones.
class ExactCopyTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    QMimeData* createMimeDataFromSelection() const override;
};

}  // namespace perivant
