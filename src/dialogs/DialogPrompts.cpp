#include "dialogs/DialogPrompts.h"

#include <QDesktopServices>
#include <QUrl>

#include "app/PlainMessageBox.h"
#include "app/QtText.h"

namespace perivant {

void DialogPrompts::ShowMessage(const std::string& text) {
    PlainMessageBox::Show(text, m_owner);
}

bool DialogPrompts::AskYesNo(const std::string& text) {
    return PlainMessageBox::Ask(text, m_owner);
}

void DialogPrompts::OpenWebAddress(const std::string& url) {
    if (IsWebAddress(url)) {
        QDesktopServices::openUrl(QUrl(ToQString(url), QUrl::StrictMode));
    }
}

}  // namespace perivant
