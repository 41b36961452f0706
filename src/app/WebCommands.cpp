#include "app/WebCommands.h"

#include <string>

#include "app/AppSettings.h"
#include "polling/UserPrompts.h"
#include "text/Trace.h"

namespace perivant {

std::string_view WebCommandURL(WebCommand command) {
    switch (command) {
        case WebCommand::OnlineHelp:
            return kOnlineHelpURLText.View();
        case WebCommand::OnlineFAQ:
            return kOnlineFAQURLText.View();
        case WebCommand::OnlineForums:
            return kOnlineForumsURLText.View();
        case WebCommand::Homepage:
            break;
    }
    return kHomepageURLText.View();
}

void RunWebCommand(WebCommand command, UserPrompts& prompts) {
    std::string url(WebCommandURL(command));
    switch (command) {
        case WebCommand::OnlineHelp:
            Trace(TraceInfo, "Launching help URL: %s\n", url.c_str());
            break;
        case WebCommand::OnlineFAQ:
            Trace(TraceInfo, "Launching FAQ URL: %s\n", url.c_str());
            break;
        case WebCommand::OnlineForums:
            Trace(TraceInfo, "Launching forums URL: %s\n", url.c_str());
            break;
        case WebCommand::Homepage:
            Trace(TraceInfo, "Launching homepage URL: %s\n", url.c_str());
            break;
    }
    prompts.OpenWebAddress(url);
}

void ResetHelpMessages(ProfileStore& store, UserPrompts& prompts) {
    WriteSettingsInt(store, kHideClipboardMsg, 0);
    WriteSettingsInt(store, kHideDirectXMsg, 0);
    prompts.ShowMessage(std::string(kHelpMessagesResetText));
}

}  // namespace perivant
