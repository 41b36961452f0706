#pragma once

#include <string>

#include "dialogs/TemplateDialog.h"

class QLineEdit;

namespace perivant {

// The "Options" dialog (template 133). The caller sets the four values from MasterServerURL,
// RefreshAtStartup, MaxThreads and HideFSNavigators, runs it, and after OK reads them back.
class COptionsDlg : public TemplateDialog {
    Q_OBJECT
public:
    enum { IDD = 133 };
    enum ControlId {
        IDC_MASTER_URL = 1004,
        IDC_RESET_DEFAULT = 1006,
        IDC_REFRESH_AT_STARTUP = 1005,
        IDC_MAX_THREADS = 1022,
        IDC_HIDE_FSNAVIGATORS = 1037,
        IDOK = 1,
        IDCANCEL = 2,
    };

    // Messages and the reset question go through prompts, or through message boxes owned by
    // the dialog when none is given.
    explicit COptionsDlg(QWidget* parent = nullptr, UserPrompts* prompts = nullptr);
    ~COptionsDlg() override;

    QLineEdit* m_editMasterURL;  // control 1004
    std::string m_strMasterURL;  // Windows-1252
    int m_bRefreshAtStartup = 0;
    int m_nMaxThreads = 0;
    int m_bHideFSNavigators = 0;

    // OK: hands the four values back when every check passes; otherwise the dialog stays open
    // with the message shown and the focus on the offending control.
    void accept() override;
    // Cancel, Escape and the close box leave the values as the caller set them.
    void done(int result) override;

protected:
    void OnInitDialog() override;

private:
    void OnResetDefault();

    std::string m_strMasterURLAtOpen;
};

}  // namespace perivant
