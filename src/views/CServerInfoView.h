#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>

#include "polling/ServerInfo.h"
#include "views/ServerInfoLayout.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace perivant {

struct AppSettings;
class HelpMessageRunner;
class ProfileStore;

// The pane beside the server list: the selected server's session comments and IP address, a
// button that copies the address, and buttons for the server's web site and its built-in page.
// It keeps only the two addresses, never the record.
class CServerInfoView : public QWidget {
    Q_OBJECT

public:
    // Receives a web address the view has checked: http:// or https:// only.
    using WebOpener = std::function<void(const std::string& url)>;
    // Shows a message box with the caption "Perivant" and an OK button.
    using MessageReporter = std::function<void(const std::string& text)>;
    // Puts a text on the clipboard; false when the clipboard would not take it.
    using ClipboardWriter = std::function<bool(const std::string& text)>;

    // settings: WindowReady and the pane size; store: the HideClipboardMsg flag; runner: shows
    // the clipboard help message. All three must outlive the view.
    CServerInfoView(AppSettings& settings, ProfileStore& store, HelpMessageRunner& runner,
                    QWidget* parent = nullptr);

    void ShowServerDetails(const ServerInfo& info);
    // A null record clears the pane.
    void ShowServerDetails(const ServerPtr& record);
    void ClearServerDetails();

    // The resize handling: records the size while WindowReady is set, then lays the controls out
    // for a client area of cx by cy pixels. The main frame calls it once when its start-up ends.
    void OnSize(int cx, int cy);

    // Replace the browser, the message box and the clipboard (tests capture them). An empty
    // function restores the default.
    void SetWebOpener(WebOpener opener);
    void SetMessageReporter(MessageReporter reporter);
    void SetClipboardWriter(ClipboardWriter writer);

    const std::string& WebSiteAddress() const { return m_webSiteAddress; }
    const std::string& HostPageAddress() const { return m_hostPageAddress; }

    // Enable rules of the edit commands, judged on the widget that has the keyboard focus.
    bool canCopy() const;
    bool canCut() const;
    bool canPaste() const;

public slots:
    // The edit commands act on the focused edit, when their rule allows.
    void copy();
    void cut();
    void paste();

    void OnWebSite();
    void OnCorvanePage();
    void OnCopyToClipboard();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    QWidget* Control(InfoControl control) const;
    // The controls' places in pixels, in the order of InfoControl.
    InfoControlRects ControlRects() const;
    void PlaceFormControls();
    void OpenWebAddress(const std::string& url);

    AppSettings& m_settings;
    ProfileStore& m_store;
    HelpMessageRunner& m_runner;
    WebOpener m_webOpener;
    MessageReporter m_messageReporter;
    ClipboardWriter m_clipboardWriter;

    QLabel* m_commentsLabel = nullptr;
    QPlainTextEdit* m_comments = nullptr;
    QLabel* m_addressLabel = nullptr;
    QLineEdit* m_address = nullptr;
    QPushButton* m_copyButton = nullptr;
    QPushButton* m_webSiteButton = nullptr;
    QPushButton* m_hostPageButton = nullptr;

    // The control that had the focus last, given it back when the pane gets the focus.
    QPointer<QWidget> m_lastFocus;

    std::string m_webSiteAddress;
    std::string m_hostPageAddress;
};

}  // namespace perivant
