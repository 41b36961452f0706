#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>

#include "polling/FrameTarget.h"
#include "polling/ServerManager.h"

class QAction;
class QDialog;
class QLabel;
class QSplitter;

namespace perivant {

struct AppSettings;
class CFlightPlanView;
class CPerivantDoc;
class CPlayerView;
class CServerInfoView;
class CServerListView;
class ProfileStore;
class QtFrameTarget;
class QtHelpMessageRunner;
class QtTimerService;
class ServerNetwork;
class UserPrompts;

// The program's only top-level window: the four panes in two splitters, the menu, the toolbar
// and the status bar. It owns the polling engine and handles its messages. GUI thread only.
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    struct Services {
        AppSettings& settings;
        ProfileStore& store;
        UserPrompts& prompts;
        CPerivantDoc& document;
        std::shared_ptr<ServerNetwork> network;
        std::function<int()> detectDirectXVersion;
    };

    explicit CMainFrame(Services services);
    ~CMainFrame() override;

    // Runs every modal dialog of the frame; tests replace it to answer without a modal loop.
    std::function<int(QDialog&)> RunDialog;

    // The messages of the polling engine, the panes and the document.
    void HandleMessage(FrameMessage message, ServerPtr record);
    // Posts a message to this frame, as the document does at start-up.
    void PostMessage(FrameMessage message, ServerPtr record = nullptr);

    void UpdateStatusText();
    void OnRefresh();
    void OnRefreshSelected();
    void RunFilterDialog();
    void RebuildServerList();
    void OnOptions();
    void OnStartupComplete();

    ServerManager& Manager() { return *m_serverManager; }
    CServerListView* ServerListView() const { return m_serverList; }
    CServerInfoView* ServerInfoView() const { return m_serverInfo; }
    CPlayerView* PlayerView() const { return m_players; }
    CFlightPlanView* FlightPlanView() const { return m_flightPlans; }
    QString StatusText() const;
    int FilteredOut() const { return m_nFilteredOut; }
    QAction* Action(int commandId) const;

signals:
    // Every rewrite of the status text, after it is shown; lets tools watch the refresh.
    void statusTextChanged(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void PlaceWindow();
    void CreateBars();
    void CreatePanes();
    void PlacePanes();
    void CreateMenus();
    QAction* AddCommand(int id, const QString& text, const QString& prompt);
    void ShowServerDetails(const ServerPtr& record);
    void ClearDetails();
    void DropServerRow(const ServerPtr& record);
    void OnServerRequeried(const ServerPtr& record);
    void UpdateCommandEnabling();
    void RecordWindowState();
    void MovePaneFocus(int step);
    void OnDocumentReady();
    void RunPendingStartup();
    // The rest of start-up completion, at the window's final size.
    void FinishStartup();

    Services m_services;
    AppSettings& m_settings;
    // Built before the engine: it carries the engine's messages to this window.
    std::shared_ptr<QtFrameTarget> m_frameTarget;
    std::unique_ptr<QtTimerService> m_timers;
    std::unique_ptr<ServerManager> m_serverManager;
    QSplitter* m_wndSplitter = nullptr;
    QSplitter* m_wndTopSplitter = nullptr;
    int m_nFilteredOut = 0;
    // The server whose details the panes show, if any: told apart from the selection, which
    // a right click changes without showing anything.
    std::weak_ptr<const ServerRecord> m_detailsShown;
    QLabel* m_statusMessage = nullptr;
    std::unique_ptr<QtHelpMessageRunner> m_helpRunner;
    CServerListView* m_serverList = nullptr;
    CServerInfoView* m_serverInfo = nullptr;
    CPlayerView* m_players = nullptr;
    CFlightPlanView* m_flightPlans = nullptr;
    std::map<int, QAction*> m_commands;
    bool m_painted = false;
    bool m_panesPlaced = false;
    bool m_startupPending = false;
    bool m_maximizePending = false;
    bool m_startupFinished = false;
    bool m_closed = false;
};

}  // namespace perivant
