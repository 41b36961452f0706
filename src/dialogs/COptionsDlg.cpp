#include "dialogs/COptionsDlg.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

#include "app/AppSettings.h"
#include "app/QtText.h"
#include "dialogs/OptionsExchange.h"
#include "dialogs/TextLengthValidator.h"
#include "polling/UserPrompts.h"

namespace perivant {

namespace {

constexpr int kTemplateWidth = 365;
constexpr int kTemplateHeight = 102;

using Kind = TemplateDialog::Kind;
constexpr int kStatic = TemplateDialog::kStatic;

// Template 133, in tab order.
constexpr TemplateDialog::ControlTemplate kControls[] = {
    {kStatic, Kind::Label, "&Master Server URL:", 7, 9, 64, 8},
    {1004, Kind::Edit, "", 74, 7, 221, 14},
    {1006, Kind::Button, "Reset to &Default", 299, 7, 59, 14},
    {1005, Kind::CheckBox, "&Automatically refresh server list when program starts", 7, 24, 177,
     10},
    {kStatic, Kind::Label, "&Refresh up to", 7, 39, 44, 8},
    {1022, Kind::Edit, "", 54, 37, 14, 14},
    {kStatic, Kind::Label,
     "servers at once (suggested: 15 for 56K modem, 30 for Cable/DSL, 60 for T1 or higher)", 70, 39,
     271, 8},
    {1037, Kind::CheckBox, "Hide &FSNavigators in player list", 7, 58, 113, 10},
    {1, Kind::DefaultButton, "OK", 130, 81, 50, 14},
    {2, Kind::Button, "Cancel", 186, 81, 50, 14},
};

}  // namespace

COptionsDlg::COptionsDlg(QWidget* parent, UserPrompts* prompts)
    : TemplateDialog(parent, prompts, QStringLiteral("Options")), m_editMasterURL(nullptr) {
    CreateControls(kControls, kTemplateWidth, kTemplateHeight);
    m_editMasterURL = static_cast<QLineEdit*>(GetDlgItem(IDC_MASTER_URL));
    m_editMasterURL->setValidator(new TextLengthValidator(kMasterURLMaxChars, m_editMasterURL));

    connect(static_cast<QPushButton*>(GetDlgItem(IDC_RESET_DEFAULT)), &QPushButton::clicked, this,
            &COptionsDlg::OnResetDefault);
    connect(static_cast<QPushButton*>(GetDlgItem(IDOK)), &QPushButton::clicked, this,
            &COptionsDlg::accept);
    connect(static_cast<QPushButton*>(GetDlgItem(IDCANCEL)), &QPushButton::clicked, this,
            &COptionsDlg::reject);
}

COptionsDlg::~COptionsDlg() = default;

void COptionsDlg::OnInitDialog() {
    m_strMasterURLAtOpen = m_strMasterURL;
    TextLengthValidator::SetWholeText(*m_editMasterURL, ToQString(m_strMasterURL));
    static_cast<QCheckBox*>(GetDlgItem(IDC_REFRESH_AT_STARTUP))
        ->setChecked(m_bRefreshAtStartup != 0);
    static_cast<QLineEdit*>(GetDlgItem(IDC_MAX_THREADS))->setText(QString::number(m_nMaxThreads));
    static_cast<QCheckBox*>(GetDlgItem(IDC_HIDE_FSNAVIGATORS))
        ->setChecked(m_bHideFSNavigators != 0);
    m_editMasterURL->setFocus();
}

void COptionsDlg::OnResetDefault() {
    if (!Prompts().AskYesNo("Reset Master Server URL to default value?")) {
        return;
    }
    m_strMasterURL = std::string(kDefaultMasterServerURL);
    TextLengthValidator::SetWholeText(*m_editMasterURL, ToQString(m_strMasterURL));
}

void COptionsDlg::accept() {
    OptionsControls controls;
    controls.MasterURLText = FromQString(m_editMasterURL->text());
    controls.RefreshAtStartupChecked =
        static_cast<QCheckBox*>(GetDlgItem(IDC_REFRESH_AT_STARTUP))->isChecked();
    controls.MaxThreadsText =
        FromQString(static_cast<QLineEdit*>(GetDlgItem(IDC_MAX_THREADS))->text());
    controls.HideFSNavigatorsChecked =
        static_cast<QCheckBox*>(GetDlgItem(IDC_HIDE_FSNAVIGATORS))->isChecked();

    OptionsValues values;
    std::optional<DialogRefusal> refusal = ReadOptionsControls(controls, values);
    if (refusal) {
        Prompts().ShowMessage(refusal->message);
        if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(refusal->controlId))) {
            edit->setFocus();
            edit->selectAll();
        }
        return;
    }
    m_strMasterURL = values.MasterURL;
    m_bRefreshAtStartup = values.RefreshAtStartup;
    m_nMaxThreads = values.MaxThreads;
    m_bHideFSNavigators = values.HideFSNavigators;
    QDialog::accept();
}

void COptionsDlg::done(int result) {
    // A reset answered Yes reaches the caller only through OK.
    if (result != QDialog::Accepted && Initialised()) {
        m_strMasterURL = m_strMasterURLAtOpen;
    }
    TemplateDialog::done(result);
}

}  // namespace perivant
