#include "app/QtHelpMessageRunner.h"

#include "app/CHelpMessageDlg.h"

namespace perivant {

bool QtHelpMessageRunner::RunHelpMessage(const std::string& text, bool allowDontShow,
                                         bool& dontShowAgain) {
    CHelpMessageDlg dialog(m_parent);
    dialog.m_strMessage = text;
    dialog.m_bAllowDontShow = allowDontShow;
    bool ok = dialog.DoModal() == CHelpMessageDlg::kIdOk;
    dontShowAgain = dialog.m_bDontShowAgain;
    return ok;
}

}  // namespace perivant
