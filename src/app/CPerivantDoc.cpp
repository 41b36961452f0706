#include "app/CPerivantDoc.h"

#include <QCheckBox>
#include <QMessageBox>

#include "app/AppSettings.h"
#include "app/CMainFrame.h"
#include "app/QtText.h"

namespace perivant {

namespace {

bool ShowClosingAppealBox(const std::string& text) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Perivant"), ToQString(text),
                    QMessageBox::Ok);
    auto* never = new QCheckBox(QStringLiteral("&Don't show this message again"), &box);
    box.setCheckBox(never);
    box.exec();
    return !never->isChecked();
}

}  // namespace

CPerivantDoc::CPerivantDoc(AppSettings& settings, ProfileStore& store)
    : RunClosingAppeal(ShowClosingAppealBox), m_settings(settings), m_store(store) {}

void CPerivantDoc::OnNewDocument(CMainFrame& frame) {
    frame.PostMessage(MsgDocumentReady);
}

bool CPerivantDoc::CanCloseFrame() {
    if (m_settings.ShowCloseMsg && RunClosingAppeal && !RunClosingAppeal(ClosingAppealText())) {
        m_settings.ShowCloseMsg = false;
    }
    SaveSettings(m_settings, m_store);
    return true;
}

std::string CPerivantDoc::PostcardText() {
    return "Perivant is PostcardWare.\n\nIf Perivant helps you find a place to fly, please send "
           "its author a picture postcard from where you live. The address is on the Perivant "
           "homepage.";
}

std::string CPerivantDoc::DonationsText() {
    return "Perivant is free, and it stays free.\n\nIf you would like to help keep it going, "
           "the Perivant homepage tells you how to make a donation. Thank you!";
}

std::string CPerivantDoc::ClosingAppealText() {
    return "Thank you for flying with Perivant!\n\nPerivant is PostcardWare: if you enjoy it, "
           "please send its author a postcard. The Help menu tells you more.";
}

}  // namespace perivant
