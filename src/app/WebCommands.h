#pragma once

#include <string_view>

#include "app/MakerHost.h"

namespace perivant {

class ProfileStore;
class UserPrompts;

// The Help-menu commands that open the maker's pages; the values are the command ids.
enum class WebCommand {
    OnlineHelp = 32777,
    OnlineFAQ = 32778,
    Homepage = 32779,
    OnlineForums = 32781,
};

// The Help-menu command that brings back every help message.
inline constexpr int kResetHelpMessagesCommand = 32780;

inline constexpr JoinedText kOnlineHelpURLText("http://", kMakerHost, "/perivant/?help");
inline constexpr JoinedText kOnlineFAQURLText("http://", kMakerHost, "/perivant/?faq");
inline constexpr JoinedText kOnlineForumsURLText("http://", kMakerHost, "/perivant/?forums");
inline constexpr JoinedText kHomepageURLText("http://", kMakerHost, "/perivant/");

inline constexpr std::string_view kHelpMessagesResetText =
    "All internal help messages will now be displayed again";

// The page a command opens.
std::string_view WebCommandURL(WebCommand command);

// Traces the launch and asks the browser to open the command's page. Whether the browser
// opened it is not reported: a failed launch goes unnoticed. The main frame runs these only
// while it exists, which is what stands for "the application has a main window".
void RunWebCommand(WebCommand command, UserPrompts& prompts);

// Writes 0 to HideClipboardMsg and HideDirectXMsg at once, whatever they hold, and confirms.
// The Master Server's notice marks and the closing appeal are left alone.
void ResetHelpMessages(ProfileStore& store, UserPrompts& prompts);

}  // namespace perivant
