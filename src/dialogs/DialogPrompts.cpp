#include "dialogs/DialogPrompts.h"

#include "app/PlainMessageBox.h"
#include "app/WebBrowser.h"

namespace perivant {

void DialogPrompts::ShowMessage(const std::string& text) {
    PlainMessageBox::Show(text, m_owner);
}

bool DialogPrompts::AskYesNo(const std::string& text) {
    return PlainMessageBox::Ask(text, m_owner);
}

void DialogPrompts::OpenWebAddress(const std::string& url) {
    OpenInBrowser(url);
}

}  // namespace perivant
