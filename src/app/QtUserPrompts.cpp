#include "app/QtUserPrompts.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

#include "app/QtText.h"

namespace perivant {

void QtUserPrompts::ShowMessage(const std::string& text) {
    QMessageBox::information(nullptr, QStringLiteral("Perivant"), ToQString(text), QMessageBox::Ok);
}

bool QtUserPrompts::AskYesNo(const std::string& text) {
    return QMessageBox::question(nullptr, QStringLiteral("Perivant"), ToQString(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void QtUserPrompts::OpenWebAddress(const std::string& url) {
    if (IsWebAddress(url)) {
        QDesktopServices::openUrl(QUrl(ToQString(url), QUrl::StrictMode));
    }
}

}  // namespace perivant
