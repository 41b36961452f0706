#include "app/CPerivantApp.h"

#include <sys/resource.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <chrono>
#include <cstdio>

#include "app/CMainFrame.h"
#include "app/ProgramIcons.h"
#include "app/QtText.h"
#include "env/DirectXVersion.h"
#include "env/VersionText.h"
#include "polling/ServerNetwork.h"
#include "views/DeferredIconStyle.h"

namespace perivant {

CPerivantApp::CPerivantApp() : m_document(m_settings, m_store) {}

CPerivantApp::~CPerivantApp() = default;

bool CPerivantApp::InitInstance() {
    DeferredIconStyle::Install();
    QSize screen = QGuiApplication::primaryScreen()->size();
    LoadSettings(m_settings, m_store, screen.width(), screen.height());
    m_frame = std::make_unique<CMainFrame>(
        CMainFrame::Services{m_settings, m_store, m_prompts, m_document,
                             std::make_shared<RealServerNetwork>(), DetectInstalledDirectXVersion});
    m_document.OnNewDocument(*m_frame);
    m_frame->setWindowTitle(ToQString("Perivant " + GetVersionText()));
    m_frame->setWindowIcon(ProgramIcons::Program());
    m_frame->show();
    if (qEnvironmentVariableIntValue("PERIVANT_EXIT_WHEN_DONE") == 1) {
        ExitWhenFirstRefreshDone();
    }
    return true;
}

void CPerivantApp::ExitWhenFirstRefreshDone() {
    using Clock = std::chrono::steady_clock;
    struct Watch {
        bool started = false;
        bool done = false;
        Clock::time_point start;
        double startCpu = 0;
    };
    // Processor time of the whole process, every thread, so far.
    auto cpuSeconds = [] {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
        return seconds(usage.ru_utime) + seconds(usage.ru_stime);
    };
    auto watch = std::make_shared<Watch>();
    CMainFrame* frame = m_frame.get();
    // The refresh starts with the Master Server fetch and ends when nothing runs and nothing
    // waits.
    QObject::connect(frame, &CMainFrame::statusTextChanged, frame,
                     [frame, watch, cpuSeconds](const QString& text) {
                         const ServerManager& manager = frame->Manager();
                         if (watch->done) {
                             return;
                         }
                         if (manager.MasterFetchBusy()) {
                             if (!watch->started) {
                                 watch->started = true;
                                 watch->start = Clock::now();
                                 watch->startCpu = cpuSeconds();
                             }
                             return;
                         }
                         if (!watch->started || manager.QueriesPending() ||
                             !text.startsWith(QStringLiteral("Done."))) {
                             return;
                         }
                         watch->done = true;
                         const double seconds =
                             std::chrono::duration<double>(Clock::now() - watch->start).count();
                         std::fprintf(stderr,
                                      "Refresh done: %d servers in %.3f s, %.3f s processor "
                                      "time\n",
                                      static_cast<int>(manager.Servers().Count()), seconds,
                                      cpuSeconds() - watch->startCpu);
                         std::fflush(stderr);
                         // Leaves the message loop without the closing step: no appeal, nothing
                         // saved.
                         QCoreApplication::exit(0);
                     });
}

void CPerivantApp::ExitInstance() {
    m_frame.reset();
}

}  // namespace perivant
