#pragma once

#include <memory>

#include "app/AppSettings.h"
#include "app/CPerivantDoc.h"
#include "app/QtProfileStore.h"
#include "app/QtUserPrompts.h"

namespace perivant {

class CMainFrame;

// The application: owns the settings, builds the document and the main window, and saves the
// settings through the document when the window closes.
class CPerivantApp {
public:
    CPerivantApp();
    ~CPerivantApp();

    // Loads the settings, creates the main window, sets its caption and icon and shows it.
    bool InitInstance();
    // Destroys the main window; the polling engine lets its workers end on their own.
    void ExitInstance();

    AppSettings& Settings() { return m_settings; }
    CMainFrame* MainFrame() const { return m_frame.get(); }

private:
    // With PERIVANT_EXIT_WHEN_DONE=1 in the environment: times the first refresh, writes one
    // line about it to standard error and quits. For scripts and benchmarks only.
    void ExitWhenFirstRefreshDone();

    AppSettings m_settings;
    QtProfileStore m_store;
    QtUserPrompts m_prompts;
    CPerivantDoc m_document;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace perivant
