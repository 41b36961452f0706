#include "app/QtUserPrompts.h"

#include <QDesktopServices>
#include <QUrl>

#include "app/PlainMessageBox.h"
#include "app/QtText.h"

namespace perivant {

void QtUserPrompts::ShowMessage(const std::string& text) {
    PlainMessageBox::Show(text);
}

bool QtUserPrompts::AskYesNo(const std::string& text) {
    return PlainMessageBox::Ask(text);
}

void QtUserPrompts::OpenWebAddress(const std::string& url) {
    if (IsWebAddress(url)) {
        QDesktopServices::openUrl(QUrl(ToQString(url), QUrl::StrictMode));
    }
}

}  // namespace perivant
