#pragma once

#include "polling/UserPrompts.h"

class QWidget;

namespace perivant {

// Message boxes with the caption "Perivant" and the user's browser. Boxes of a window's own
// (a dialog's, or the main window's) are owned by it, so they stay above it and give the focus
// back to it; the polling engine's have no owner.
class QtUserPrompts : public UserPrompts {
public:
    explicit QtUserPrompts(QWidget* owner = nullptr) : m_owner(owner) {}

    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    // Opens only http:// and https:// addresses.
    void OpenWebAddress(const std::string& url) override;

private:
    QWidget* m_owner;
};

}  // namespace perivant
