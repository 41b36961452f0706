#include "app/CPerivantApp.h"

#include <QGuiApplication>
#include <QScreen>

#include "app/CMainFrame.h"
#include "app/ProgramIcons.h"
#include "app/QtText.h"
#include "env/DirectXVersion.h"
#include "env/VersionText.h"
#include "polling/ServerNetwork.h"

namespace perivant {

CPerivantApp::CPerivantApp() : m_document(m_settings, m_store) {}

CPerivantApp::~CPerivantApp() = default;

bool CPerivantApp::InitInstance() {
    QSize screen = QGuiApplication::primaryScreen()->size();
    LoadSettings(m_settings, m_store, screen.width(), screen.height());
    m_frame = std::make_unique<CMainFrame>(CMainFrame::Services{
        m_settings, m_store, m_prompts, m_document, std::make_shared<RealServerNetwork>(),
        DetectInstalledDirectXVersion});
    m_document.OnNewDocument(*m_frame);
    m_frame->setWindowTitle(ToQString("Perivant " + GetVersionText()));
    m_frame->setWindowIcon(ProgramIcons::Program());
    m_frame->show();
    return true;
}

void CPerivantApp::ExitInstance() {
    m_frame.reset();
}

}  // namespace perivant
