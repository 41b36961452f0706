#pragma once

#include <string>

namespace perivant {

// What the core asks of the user, shown by the GUI with the caption "Perivant"; tests answer.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    virtual void ShowMessage(const std::string& text) = 0;  // OK button
    virtual bool AskYesNo(const std::string& text) = 0;     // true for Yes
    virtual void OpenWebAddress(const std::string& url) = 0;
};

// True for addresses the program may hand to a browser: http:// or https:// (any capitals)
// followed by something. Everything else that arrives over the network is never opened.
bool IsWebAddress(const std::string& url);

}  // namespace perivant
