#include "app/WebBrowser.h"

#include <QDesktopServices>
#include <QUrl>

#include "app/ProcessLimits.h"
#include "app/QtText.h"
#include "polling/UserPrompts.h"

namespace perivant {

void OpenInBrowser(const std::string& url) {
    if (IsWebAddress(url)) {
        KeepDescriptorsFromChildren();
        QDesktopServices::openUrl(QUrl(ToQString(url), QUrl::TolerantMode));
    }
}

}  // namespace perivant
