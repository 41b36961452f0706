#pragma once

#include <functional>
#include <string>

namespace perivant {

struct AppSettings;
class CMainFrame;
class ProfileStore;

// The document holds no data: it announces that start-up can complete, and when the main
// window is about to close it shows the closing appeal (while ShowCloseMsg is set) and saves
// all settings.
class CPerivantDoc {
public:
    CPerivantDoc(AppSettings& settings, ProfileStore& store);

    // Posts the start-up notice to the frame; completion runs once the event loop does.
    void OnNewDocument(CMainFrame& frame);
    // The closing step. Always permits the close.
    bool CanCloseFrame();

    // Shows the closing appeal; returns false when the user asked not to see it again. The
    // default is a message box with a check box; tests replace it.
    std::function<bool(const std::string& text)> RunClosingAppeal;

    static std::string PostcardText();
    static std::string DonationsText();
    static std::string ClosingAppealText();

private:
    AppSettings& m_settings;
    ProfileStore& m_store;
};

}  // namespace perivant
