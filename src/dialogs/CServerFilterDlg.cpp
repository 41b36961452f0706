#include "dialogs/CServerFilterDlg.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

#include "app/QtText.h"
#include "dialogs/DialogExchange.h"
#include "dialogs/DirectXExplanation.h"
#include "dialogs/TextLengthValidator.h"
#include "env/DirectXVersion.h"
#include "polling/UserPrompts.h"

namespace perivant {

namespace {

constexpr int kTemplateWidth = 302;
constexpr int kTemplateHeight = 199;

using Kind = TemplateDialog::Kind;

// Template 138, in tab order.
constexpr TemplateDialog::ControlTemplate kControls[] = {
    {1011, Kind::CheckBox, "&Enable Server Filter", 7, 7, 77, 10},
    {1012, Kind::CheckBox, "Don't show servers that require a &password", 20, 23, 151, 10},
    {1017, Kind::CheckBox, "Don't show servers that are &full", 20, 38, 113, 10},
    {1015, Kind::CheckBox, "Don't show servers with f&ewer than", 20, 53, 126, 10},
    {1014, Kind::Edit, "", 147, 51, 18, 14},
    {1018, Kind::Label, "pilots", 168, 55, 17, 8},
    {1016, Kind::CheckBox, "Don't show servers with a ping &time greater than", 20, 68, 167, 10},
    {1013, Kind::Edit, "", 188, 66, 22, 14},
    {1019, Kind::Label, "milliseconds", 215, 68, 38, 8},
    {1020, Kind::CheckBox, "Don't show servers that require a &DirectX version greater than mine",
     20, 83, 226, 10},
    {1021, Kind::Button, "&Explain more", 247, 81, 48, 14},
    {1030, Kind::CheckBox, "Don't show servers that only support FS200&2", 20, 98, 157, 10},
    {1031, Kind::CheckBox, "Don't show servers that only support FS200&4 and FSX", 20, 113, 186,
     10},
    {1027, Kind::CheckBox, "ONLY show servers with &Session Comments containing:", 20, 128, 191,
     10},
    {1028, Kind::Edit, "", 212, 126, 83, 14},
    {1029, Kind::CheckBox, "ONLY show servers with Server &Names containing:", 20, 145, 177, 10},
    {1032, Kind::Edit, "", 212, 143, 83, 14},
    {1, Kind::DefaultButton, "OK", 98, 177, 50, 14},
    {2, Kind::Button, "Cancel", 153, 177, 50, 14},
};

// Everything but the four edits follows the filter as a whole.
constexpr int kDependants[] = {1012, 1017, 1015, 1016, 1018, 1019,
                               1020, 1021, 1030, 1031, 1027, 1029};

// Each of these boxes switches its own edit.
struct BoxAndEdit {
    int box;
    int edit;
};
constexpr BoxAndEdit kBoxEdits[] = {{1015, 1014}, {1016, 1013}, {1027, 1028}, {1029, 1032}};

}  // namespace

CServerFilterDlg::CServerFilterDlg(QWidget* parent, UserPrompts* prompts)
    : TemplateDialog(parent, prompts, QStringLiteral("Server Filter")),
      m_nInstalledDirectXVersion(InstalledDirectXVersion()) {
    CreateControls(kControls, kTemplateWidth, kTemplateHeight);
    for (int id : {IDC_FILTER_TEXT_STRING, IDC_FILTER_SERVER_NAMES_STRING}) {
        auto* edit = static_cast<QLineEdit*>(GetDlgItem(id));
        edit->setValidator(new TextLengthValidator(kTextMaxChars, edit));
    }

    connect(static_cast<QCheckBox*>(GetDlgItem(IDC_FILTER_ENABLE)), &QCheckBox::clicked, this,
            &CServerFilterDlg::OnEnableFilter);
    for (const BoxAndEdit& pair : kBoxEdits) {
        auto* box = static_cast<QCheckBox*>(GetDlgItem(pair.box));
        QWidget* edit = GetDlgItem(pair.edit);
        connect(box, &QCheckBox::clicked, edit,
                [box, edit] { edit->setEnabled(box->isChecked()); });
    }
    connect(static_cast<QPushButton*>(GetDlgItem(IDC_EXPLAIN_MORE)), &QPushButton::clicked, this,
            &CServerFilterDlg::OnExplainMore);
    connect(static_cast<QPushButton*>(GetDlgItem(IDOK)), &QPushButton::clicked, this,
            &CServerFilterDlg::accept);
    connect(static_cast<QPushButton*>(GetDlgItem(IDCANCEL)), &QPushButton::clicked, this,
            &CServerFilterDlg::reject);
}

CServerFilterDlg::~CServerFilterDlg() = default;

void CServerFilterDlg::OnInitDialog() {
    auto check = [this](int id, bool on) {
        static_cast<QCheckBox*>(GetDlgItem(id))->setChecked(on);
    };
    auto text = [this](int id, const QString& value) {
        TextLengthValidator::SetWholeText(*static_cast<QLineEdit*>(GetDlgItem(id)), value);
    };
    check(IDC_FILTER_ENABLE, FilterEnable);
    check(IDC_FILTER_PASSWORD, FilterPassword);
    check(IDC_FILTER_FULL, FilterFull);
    check(IDC_FILTER_PLAYERS, FilterPlayers);
    text(IDC_FILTER_PLAYERS_NUM, QString::number(FilterPlayersNum));
    check(IDC_FILTER_PING, FilterPing);
    text(IDC_FILTER_PING_NUM, QString::number(FilterPingNum));
    check(IDC_FILTER_DIRECTX, FilterDirectX);
    check(IDC_FILTER_FS2002, FilterFS2002);
    check(IDC_FILTER_FS2004, FilterFS2004);
    check(IDC_FILTER_TEXT, FilterText);
    text(IDC_FILTER_TEXT_STRING, ToQString(FilterTextString));
    check(IDC_FILTER_SERVER_NAMES, FilterServerNames);
    text(IDC_FILTER_SERVER_NAMES_STRING, ToQString(FilterServerNamesString));
    UpdateEnabling();
    GetDlgItem(IDC_FILTER_ENABLE)->setFocus();
}

void CServerFilterDlg::UpdateEnabling() {
    auto checked = [this](int id) { return static_cast<QCheckBox*>(GetDlgItem(id))->isChecked(); };
    const bool enabled = checked(IDC_FILTER_ENABLE);
    for (int id : kDependants) {
        GetDlgItem(id)->setEnabled(enabled);
    }
    for (const BoxAndEdit& pair : kBoxEdits) {
        GetDlgItem(pair.edit)->setEnabled(enabled && checked(pair.box));
    }
}

void CServerFilterDlg::OnEnableFilter() {
    UpdateEnabling();
}

void CServerFilterDlg::OnExplainMore() {
    if (m_pWindowsVersion != nullptr) {
        Prompts().ShowMessage(
            FilterDirectXExplanation(m_nInstalledDirectXVersion, *m_pWindowsVersion));
    } else {
        Prompts().ShowMessage(FilterDirectXExplanation(m_nInstalledDirectXVersion));
    }
}

bool CServerFilterDlg::ReadControls(FilterSettings& values) {
    auto checked = [this](int id) { return static_cast<QCheckBox*>(GetDlgItem(id))->isChecked(); };
    auto edit = [this](int id) { return static_cast<QLineEdit*>(GetDlgItem(id)); };
    // A box that holds no integer is refused before anything is handed back.
    auto number = [&](int id, int& value) {
        std::optional<int> parsed = ParseDialogInteger(FromQString(edit(id)->text()));
        if (!parsed) {
            Prompts().ShowMessage(kEnterIntegerMessage);
            edit(id)->setFocus();
            edit(id)->selectAll();
            return false;
        }
        value = *parsed;
        return true;
    };
    values.FilterEnable = checked(IDC_FILTER_ENABLE);
    values.FilterPassword = checked(IDC_FILTER_PASSWORD);
    values.FilterFull = checked(IDC_FILTER_FULL);
    values.FilterPlayers = checked(IDC_FILTER_PLAYERS);
    if (!number(IDC_FILTER_PLAYERS_NUM, values.FilterPlayersNum)) {
        return false;
    }
    values.FilterPing = checked(IDC_FILTER_PING);
    if (!number(IDC_FILTER_PING_NUM, values.FilterPingNum)) {
        return false;
    }
    values.FilterDirectX = checked(IDC_FILTER_DIRECTX);
    values.FilterFS2002 = checked(IDC_FILTER_FS2002);
    values.FilterFS2004 = checked(IDC_FILTER_FS2004);
    values.FilterText = checked(IDC_FILTER_TEXT);
    values.FilterTextString = FromQString(edit(IDC_FILTER_TEXT_STRING)->text());
    values.FilterServerNames = checked(IDC_FILTER_SERVER_NAMES);
    values.FilterServerNamesString = FromQString(edit(IDC_FILTER_SERVER_NAMES_STRING)->text());
    return true;
}

void CServerFilterDlg::accept() {
    FilterSettings values;
    if (!ReadControls(values)) {
        return;
    }
    static_cast<FilterSettings&>(*this) = values;
    QDialog::accept();
}

}  // namespace perivant
