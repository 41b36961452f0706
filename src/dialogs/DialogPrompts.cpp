#include "dialogs/DialogPrompts.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

#include "app/QtText.h"

namespace perivant {

void DialogPrompts::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Perivant"), ToQString(text),
                    QMessageBox::Ok, m_owner);
    box.exec();
}

bool DialogPrompts::AskYesNo(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Perivant"), ToQString(text),
                    QMessageBox::Yes | QMessageBox::No, m_owner);
    return box.exec() == QMessageBox::Yes;
}

void DialogPrompts::OpenWebAddress(const std::string& url) {
    if (IsWebAddress(url)) {
        QDesktopServices::openUrl(QUrl(ToQString(url), QUrl::StrictMode));
    }
}

}  // namespace perivant
