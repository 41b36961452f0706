#pragma once

#include <string>
#include <string_view>

namespace perivant {

class ProfileStore;

// Shows one help message modally. Returns true when OK ended it; dontShowAgain then receives
// the state of the "Don't show this message again" box. The GUI runs CHelpMessageDlg; tests
// answer directly.
class HelpMessageRunner {
public:
    virtual ~HelpMessageRunner() = default;
    virtual bool RunHelpMessage(const std::string& text, bool allowDontShow,
                                bool& dontShowAgain) = 0;
};

// The show-once pattern: unless forced, nothing is shown while the flag (section Settings) is
// not 0; ticking the box and pressing OK writes 1 to the flag at once. A forced message greys
// the box.
void ShowHelpMessageOnce(ProfileStore& store, std::string_view flagName, const std::string& text,
                         bool forced, HelpMessageRunner& runner);

}  // namespace perivant
