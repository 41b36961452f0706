#include "app/PlainMessageBox.h"

#include "app/QtText.h"

namespace perivant {

PlainMessageBox::PlainMessageBox(const std::string& text, StandardButtons buttons, QWidget* owner)
    : QMessageBox(QMessageBox::NoIcon, QStringLiteral("Perivant"), QString(), buttons, owner) {
    setTextFormat(Qt::PlainText);
    setText(ToQString(text));
}

void PlainMessageBox::Show(const std::string& text, QWidget* owner) {
    PlainMessageBox box(text, QMessageBox::Ok, owner);
    box.exec();
}

bool PlainMessageBox::Ask(const std::string& text, QWidget* owner) {
    PlainMessageBox box(text, QMessageBox::Yes | QMessageBox::No, owner);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace perivant
