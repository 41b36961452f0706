#pragma once

#include "app/HelpMessages.h"

class QWidget;

namespace perivant {

// Shows help messages in CHelpMessageDlg, owned by the given window.
class QtHelpMessageRunner : public HelpMessageRunner {
public:
    explicit QtHelpMessageRunner(QWidget* parent = nullptr) : m_parent(parent) {}

    bool RunHelpMessage(const std::string& text, bool allowDontShow, bool& dontShowAgain) override;

private:
    QWidget* m_parent;
};

}  // namespace perivant
