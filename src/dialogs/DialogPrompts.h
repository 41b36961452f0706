#pragma once

#include "polling/UserPrompts.h"

class QWidget;

namespace perivant {

// Message boxes owned by a window, with the caption "Perivant": a dialog's (or the main
// window's) own messages stay above it and return the focus to it.
class DialogPrompts : public UserPrompts {
public:
    explicit DialogPrompts(QWidget* owner) : m_owner(owner) {}

    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    // Opens only http:// and https:// addresses.
    void OpenWebAddress(const std::string& url) override;

private:
    QWidget* m_owner;
};

}  // namespace perivant
