#pragma once

#include <functional>

#include "polling/UserPrompts.h"

class QWidget;

namespace perivant {

// Message boxes with the caption "Perivant" and the user's browser.
class QtUserPrompts : public UserPrompts {
public:
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    // Opens only http:// and https:// addresses.
    void OpenWebAddress(const std::string& url) override;
};

}  // namespace perivant
