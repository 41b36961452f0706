#include "app/QtUserPrompts.h"

#include "app/PlainMessageBox.h"
#include "app/WebBrowser.h"

namespace perivant {

void QtUserPrompts::ShowMessage(const std::string& text) {
    PlainMessageBox::Show(text);
}

bool QtUserPrompts::AskYesNo(const std::string& text) {
    return PlainMessageBox::Ask(text);
}

void QtUserPrompts::OpenWebAddress(const std::string& url) {
    OpenInBrowser(url);
}

}  // namespace perivant
