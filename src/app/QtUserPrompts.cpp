#include "app/QtUserPrompts.h"

#include "app/PlainMessageBox.h"
#include "app/WebBrowser.h"

namespace perivant {

void QtUserPrompts::ShowMessage(const std::string& text) {
    PlainMessageBox::Show(text, m_owner);
}

bool QtUserPrompts::AskYesNo(const std::string& text) {
    return PlainMessageBox::Ask(text, m_owner);
}

void QtUserPrompts::OpenWebAddress(const std::string& url) {
    OpenInBrowser(url);
}

}  // namespace perivant
