#include "app/RunModal.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>

namespace perivant {

int RunModal(QDialog& dialog) {
    const QPointer<QWidget> before = QApplication::activeWindow();
    const int result = dialog.exec();
    QWidget* active = QApplication::activeWindow();
    if ((active == nullptr || active == &dialog) && before != nullptr && before != &dialog &&
        before->isVisible()) {
        before->activateWindow();
    }
    return result;
}

}  // namespace perivant
