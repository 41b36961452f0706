#pragma once

#include <QMessageBox>
#include <string>

namespace perivant {

// The program's message box: caption "Perivant", no icon, and the text shown exactly as given.
// QMessageBox takes a text that merely looks like markup as rich text, and some texts come
// from the Master Server ("ErrorMsg", news and version notices), which must read as sent.
class PlainMessageBox : public QMessageBox {
public:
    PlainMessageBox(const std::string& text, StandardButtons buttons, QWidget* owner = nullptr);

    // Shows text with an OK button and waits for it to be closed.
    static void Show(const std::string& text, QWidget* owner = nullptr);
    // Asks text with Yes and No buttons; true for Yes.
    static bool Ask(const std::string& text, QWidget* owner = nullptr);

private:
    void KeepLinesWhole();
};

}  // namespace perivant
