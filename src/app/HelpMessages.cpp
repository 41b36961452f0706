#include "app/HelpMessages.h"

#include "app/AppSettings.h"

namespace perivant {

void ShowHelpMessageOnce(ProfileStore& store, std::string_view flagName, const std::string& text,
                         bool forced, HelpMessageRunner& runner) {
    // The flag is read at the moment of use: another copy of the program or a reset may have
    // changed it since start-up.
    store.Reload();
    if (!forced && ReadSettingsInt(store, flagName, 0) != 0) {
        return;
    }
    bool dontShowAgain = false;
    bool ok = runner.RunHelpMessage(text, !forced, dontShowAgain);
    // Escape or the close box is no acknowledgement, even with the box ticked.
    if (ok && dontShowAgain) {
        WriteSettingsInt(store, flagName, 1);
    }
}

}  // namespace perivant
