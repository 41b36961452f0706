#pragma once

#include "dialogs/FilterSettings.h"
#include "dialogs/TemplateDialog.h"

namespace perivant {

class WindowsVersionSource;

// The "Server Filter" dialog (template 138). The caller sets the fourteen criteria, which the
// dialog carries under their stored names, runs it, and after OK reads them back; Cancel leaves
// them as they were set.
class CServerFilterDlg : public TemplateDialog, public FilterSettings {
    Q_OBJECT
public:
    enum { IDD = 138 };
    enum ControlId {
        IDC_FILTER_ENABLE = 1011,
        IDC_FILTER_PASSWORD = 1012,
        IDC_FILTER_FULL = 1017,
        IDC_FILTER_PLAYERS = 1015,
        IDC_FILTER_PLAYERS_NUM = 1014,
        IDC_FILTER_PILOTS_LABEL = 1018,
        IDC_FILTER_PING = 1016,
        IDC_FILTER_PING_NUM = 1013,
        IDC_FILTER_MS_LABEL = 1019,
        IDC_FILTER_DIRECTX = 1020,
        IDC_EXPLAIN_MORE = 1021,
        IDC_FILTER_FS2002 = 1030,
        IDC_FILTER_FS2004 = 1031,
        IDC_FILTER_TEXT = 1027,
        IDC_FILTER_TEXT_STRING = 1028,
        IDC_FILTER_SERVER_NAMES = 1029,
        IDC_FILTER_SERVER_NAMES_STRING = 1032,
        IDOK = 1,
        IDCANCEL = 2,
    };
    static constexpr int kTextMaxChars = 100;

    // Messages go through prompts, or through message boxes owned by the dialog when none is
    // given.
    explicit CServerFilterDlg(QWidget* parent = nullptr, UserPrompts* prompts = nullptr);
    ~CServerFilterDlg() override;

    // The installed DirectX major version that "Explain more" reports; the detected one unless
    // the caller says otherwise.
    int m_nInstalledDirectXVersion;
    // Where "Explain more" asks for the Windows version; null asks the running system.
    WindowsVersionSource* m_pWindowsVersion = nullptr;

    // OK: takes the controls' values when both number boxes hold integers; otherwise the dialog
    // stays open with the focus on the offending box and the criteria unchanged.
    void accept() override;

protected:
    void OnInitDialog() override;

private:
    void UpdateEnabling();
    void OnEnableFilter();
    void OnExplainMore();
    bool ReadControls(FilterSettings& values);
};

}  // namespace perivant
