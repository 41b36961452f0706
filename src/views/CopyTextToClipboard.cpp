#include "views/CopyTextToClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QThread>

#include "app/QtText.h"

namespace perivant {

namespace {
// Another program may hold the clipboard for a moment; give it two seconds at most.
constexpr int kTries = 20;
constexpr unsigned long kPauseMs = 100;
}  // namespace

bool CopyTextToClipboard(const std::string& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) {
        return false;
    }
    const QString wanted = ToQString(text);
    for (int attempt = 0; attempt < kTries; ++attempt) {
        if (attempt > 0) {
            QThread::msleep(kPauseMs);
        }
        clipboard->setText(wanted, QClipboard::Clipboard);
        // The platform gives no result for the write; reading it back is the only check.
        if (clipboard->text(QClipboard::Clipboard) == wanted) {
            return true;
        }
    }
    return false;
}

}  // namespace perivant
