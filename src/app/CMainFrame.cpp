#include "app/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <numeric>

#include "app/AppSettings.h"
#include "app/CAboutDlg.h"
#include "app/CPerivantDoc.h"
#include "app/MainFrameRules.h"
#include "app/ProgramIcons.h"
#include "app/QtFrameTarget.h"
#include "app/QtHelpMessageRunner.h"
#include "app/QtText.h"
#include "app/QtTimerService.h"
#include "app/QtUserPrompts.h"
#include "app/RepaintPacer.h"
#include "app/RunModal.h"
#include "app/WebCommands.h"
#include "dialogs/COptionsDlg.h"
#include "dialogs/CServerFilterDlg.h"
#include "dialogs/FilterSettings.h"
#include "dialogs/PassesFilter.h"
#include "polling/UserPrompts.h"
#include "views/CFlightPlanView.h"
#include "views/CPlayerView.h"
#include "views/CServerInfoView.h"
#include "views/CServerListView.h"
#include "views/ServerListModel.h"

namespace perivant {

namespace {

// How long start-up completion waits for the first paint of a shown window.
constexpr int kFirstPaintWaitMs = 2000;
// How long start-up completion waits for the window system to maximize the window.
constexpr int kMaximizeWaitMs = 1000;

// Command ids kept from the program's menu resource; tests and the trace know them.
enum Command {
    IdRefresh = 32771,
    IdOptions = 32773,
    IdPostcard = 32776,
    IdRefreshSelected = 32774,
    IdFilter = 32775,
    IdDonations = 32782,
    IdAbout = 57664,
    IdExit = 57665,
    IdCopy = 57634,
    IdNextPane = 57680,
    IdPrevPane = 57681,
};

}  // namespace

CMainFrame::CMainFrame(Services services)
    : m_services(std::move(services)), m_settings(m_services.settings) {
    RunDialog = RunModal;
    m_frameTarget = std::make_shared<QtFrameTarget>(
        this, [this](FrameMessage message, ServerPtr record) { HandleMessage(message, record); });
    m_timers = std::make_unique<QtTimerService>(this);
    m_serverManager = std::make_unique<ServerManager>(ServerManager::Services{
        m_settings, m_services.store, *m_timers, m_services.prompts, m_frameTarget,
        m_services.network, m_services.detectDirectXVersion});
    m_helpRunner = std::make_unique<QtHelpMessageRunner>(this);
    new RepaintPacer(this);

    setObjectName(QStringLiteral("Perivant"));
    setWindowTitle(QStringLiteral("Perivant"));
    PlaceWindow();
    CreateBars();
    CreatePanes();
    CreateMenus();
    UpdateCommandEnabling();
}

CMainFrame::~CMainFrame() {
    // The engine goes first: it stops its timer and lets go of every record while the panes
    // still exist, and running workers find its closing flag from here on.
    m_serverManager.reset();
}

void CMainFrame::PlaceWindow() {
    QRect display = QGuiApplication::primaryScreen()->geometry();
    WindowRect r = MainFrameRules::ClipWindowRect(m_settings.WindowPosition, display.width(),
                                                  display.height());
    setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

QAction* CMainFrame::AddCommand(int id, const QString& text, const QString& prompt) {
    auto* action = new QAction(text, this);
    if (!prompt.isEmpty()) {
        const int cut = prompt.indexOf('\n');
        action->setStatusTip(prompt.left(cut));
        action->setToolTip(prompt.mid(cut + 1));
    }
    action->setData(id);
    m_commands[id] = action;
    addAction(action);
    return action;
}

QAction* CMainFrame::Action(int commandId) const {
    auto it = m_commands.find(commandId);
    return it == m_commands.end() ? nullptr : it->second;
}

void CMainFrame::CreateBars() {
    QAction* refresh = AddCommand(IdRefresh, QStringLiteral("&Refresh\tF5"),
                                  QStringLiteral("Refresh the server list\nRefresh"));
    refresh->setShortcuts({QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_R)});
    refresh->setIcon(ProgramIcons::Refresh());
    connect(refresh, &QAction::triggered, this, &CMainFrame::OnRefresh);

    QAction* selected =
        AddCommand(IdRefreshSelected, QStringLiteral("Refresh &Selected\tCtrl-F5"),
                   QStringLiteral("Refresh only the selected server(s)\nRefresh Selected"));
    selected->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F5));
    selected->setIcon(ProgramIcons::RefreshSelected());
    connect(selected, &QAction::triggered, this, &CMainFrame::OnRefreshSelected);

    QAction* filter = AddCommand(IdFilter, QStringLiteral("&Filter...\tCtrl-F"),
                                 QStringLiteral("Show only servers with particular info\nFilter"));
    filter->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    filter->setIcon(ProgramIcons::Filter());
    connect(filter, &QAction::triggered, this, &CMainFrame::RunFilterDialog);

    QAction* options = AddCommand(IdOptions, QStringLiteral("&Options...\tCtrl-O"),
                                  QStringLiteral("Edit program options\nOptions"));
    options->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    options->setIcon(ProgramIcons::Options());
    connect(options, &QAction::triggered, this, &CMainFrame::OnOptions);

    QToolBar* toolBar = addToolBar(QStringLiteral("Toolbar"));
    toolBar->setObjectName(QStringLiteral("Toolbar"));
    toolBar->setIconSize(QSize(16, 16));
    toolBar->addAction(refresh);
    toolBar->addAction(selected);
    toolBar->addSeparator();
    toolBar->addAction(options);
    toolBar->addAction(filter);

    // The message pane, then the three key indicators.
    m_statusMessage = new QLabel(QStringLiteral(" "), this);
    statusBar()->addWidget(m_statusMessage, 1);
    // When a menu or toolbar prompt goes, the idle message takes its place until the status
    // text next changes.
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (message.isEmpty()) {
            m_statusMessage->setText(QStringLiteral(" "));
        }
    });
    for (const char* indicator : {"CAP", "NUM", "SCRL"}) {
        auto* label = new QLabel(QString::fromLatin1(indicator), this);
        label->setEnabled(false);
        statusBar()->addPermanentWidget(label);
    }
}

void CMainFrame::CreatePanes() {
    m_wndSplitter = new QSplitter(Qt::Vertical, this);
    m_wndTopSplitter = new QSplitter(Qt::Horizontal, m_wndSplitter);
    m_serverList = new CServerListView(m_settings, m_services.store, m_wndTopSplitter);
    m_serverList->SetUserPrompts(&m_services.prompts);
    m_serverList->SetHelpMessageRunner(m_helpRunner.get());
    m_serverInfo =
        new CServerInfoView(m_settings, m_services.store, *m_helpRunner, m_wndTopSplitter);
    m_players = new CPlayerView(m_settings, m_wndSplitter);
    m_flightPlans = new CFlightPlanView(m_settings, m_wndSplitter);
    for (QSplitter* splitter : {m_wndSplitter, m_wndTopSplitter}) {
        splitter->setChildrenCollapsible(true);
    }
    // The panes set no minimum of their own: the window may be as small as the user left it,
    // and the panes then show what fits.
    for (QWidget* pane :
         std::initializer_list<QWidget*>{m_serverList, m_serverInfo, m_players, m_flightPlans}) {
        pane->setMinimumSize(1, 1);
    }
    setCentralWidget(m_wndSplitter);

    // The list's selection reports are posted, as the panes' messages always were.
    connect(
        m_serverList, &CServerListView::serverSelected, this,
        [this](ServerPtr server) { HandleMessage(MsgServerSelected, server); },
        Qt::QueuedConnection);
    connect(
        m_serverList, &CServerListView::multipleSelected, this,
        [this] { HandleMessage(MsgMultipleSelected, nullptr); }, Qt::QueuedConnection);
    connect(m_serverList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CMainFrame::UpdateCommandEnabling);
}

void CMainFrame::CreateMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* exit = AddCommand(IdExit, QStringLiteral("E&xit"), QString());
    connect(exit, &QAction::triggered, this, &QWidget::close);
    file->addAction(exit);

    QMenu* servers = menuBar()->addMenu(QStringLiteral("&Servers"));
    servers->addAction(Action(IdRefresh));
    servers->addAction(Action(IdRefreshSelected));
    servers->addAction(Action(IdFilter));

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->addAction(Action(IdOptions));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    const struct {
        WebCommand command;
        const char* text;
        const char* prompt;
    } kWebCommands[] = {
        {WebCommand::OnlineHelp, "Online &Help", "View online help file\nOnline Help"},
        {WebCommand::OnlineFAQ, "Online &FAQ", "View online FAQ file\nOnline FAQ"},
        {WebCommand::OnlineForums, "Online For&ums", "View online message boards\nOnline Forums"},
        {WebCommand::Homepage, "Perivant H&omepage", "Go to Perivant homepage\nPerivant Homepage"},
    };
    for (const auto& web : kWebCommands) {
        QAction* action = AddCommand(static_cast<int>(web.command), QString::fromLatin1(web.text),
                                     QString::fromLatin1(web.prompt));
        const WebCommand command = web.command;
        connect(action, &QAction::triggered, this,
                [this, command] { RunWebCommand(command, m_services.prompts); });
        help->addAction(action);
    }
    help->addSeparator();
    QAction* reset = AddCommand(
        kResetHelpMessagesCommand, QStringLiteral("&Reset Help Messages"),
        QStringLiteral("Re-enable all help messages inside the program\nReset Help Messages"));
    connect(reset, &QAction::triggered, this, [this] {
        // Its confirmation is owned by this window.
        QtUserPrompts owned(this);
        ResetHelpMessages(m_services.store, owned);
    });
    help->addAction(reset);
    help->addSeparator();
    QAction* postcard = AddCommand(IdPostcard, QStringLiteral("&PostcardWare..."), QString());
    connect(postcard, &QAction::triggered, this,
            [this] { m_services.prompts.ShowMessage(CPerivantDoc::PostcardText()); });
    help->addAction(postcard);
    QAction* donations = AddCommand(IdDonations, QStringLiteral("&Donations..."), QString());
    connect(donations, &QAction::triggered, this,
            [this] { m_services.prompts.ShowMessage(CPerivantDoc::DonationsText()); });
    help->addAction(donations);
    help->addSeparator();
    QAction* about = AddCommand(IdAbout, QStringLiteral("&About Perivant..."), QString());
    connect(about, &QAction::triggered, this, [this] {
        CAboutDlg dialog(m_services.prompts, this);
        RunDialog(dialog);
    });
    help->addAction(about);

    // Commands without a menu item: copy in the info pane and moving between panes.
    QAction* copy = AddCommand(IdCopy, QStringLiteral("&Copy"), QString());
    copy->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    connect(copy, &QAction::triggered, this, [this] {
        if (m_serverInfo->canCopy()) {
            m_serverInfo->copy();
        }
    });
    QAction* next = AddCommand(IdNextPane, QString(), QString());
    next->setShortcut(QKeySequence(Qt::Key_F6));
    connect(next, &QAction::triggered, this, [this] { MovePaneFocus(1); });
    QAction* previous = AddCommand(IdPrevPane, QString(), QString());
    previous->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
    connect(previous, &QAction::triggered, this, [this] { MovePaneFocus(-1); });
}

void CMainFrame::MovePaneFocus(int step) {
    QWidget* panes[] = {m_serverList, m_serverInfo, m_players, m_flightPlans};
    int current = 0;
    for (int i = 0; i < 4; ++i) {
        if (panes[i]->isAncestorOf(QApplication::focusWidget()) ||
            panes[i] == QApplication::focusWidget()) {
            current = i;
        }
    }
    panes[(current + step + 4) % 4]->setFocus(Qt::ShortcutFocusReason);
}

void CMainFrame::PostMessage(FrameMessage message, ServerPtr record) {
    m_frameTarget->Post(message, std::move(record));
}

void CMainFrame::HandleMessage(FrameMessage message, ServerPtr record) {
    switch (message) {
        case MsgServerAdded:
            // A record released by a newer refresh before this message arrived is gone.
            if (!record || record->IsReleased()) {
                return;
            }
            if (!PassesFilter(m_settings, *record->Info())) {
                ++m_nFilteredOut;
            } else {
                m_serverList->AddServerRow(record);
            }
            break;
        case MsgServerSelected:
            // Reported just before a refresh released the record or its row went: the panes
            // keep what the release or the drop left there.
            if (!record || record->IsReleased() ||
                m_serverList->Model()->FindRow(record.get()) < 0) {
                return;
            }
            ShowServerDetails(record);
            break;
        case MsgServersReleased:
            m_nFilteredOut = 0;
            m_serverList->ClearServerRows();
            ClearDetails();
            // Emptying the list drops the selection without a selection signal.
            UpdateCommandEnabling();
            break;
        case MsgStatusChanged:
            UpdateStatusText();
            break;
        case MsgDocumentReady:
            OnDocumentReady();
            break;
        case MsgServerUpdated:
            OnServerRequeried(record);
            break;
        case MsgServerDropped:
            DropServerRow(record);
            break;
        case MsgMultipleSelected:
            ClearDetails();
            break;
    }
}

void CMainFrame::ShowServerDetails(const ServerPtr& record) {
    if (!record) {
        return;
    }
    auto info = record->Info();
    m_detailsShown = record;
    m_serverInfo->ShowServerDetails(*info);
    m_players->FillPlayerRows(*info);
    m_flightPlans->FillFlightPlanRows(*info);
}

void CMainFrame::ClearDetails() {
    m_detailsShown.reset();
    m_serverInfo->ClearServerDetails();
    m_players->ClearPlayerRows();
    m_flightPlans->ClearFlightPlanRows();
}

void CMainFrame::DropServerRow(const ServerPtr& record) {
    // A server without a row (filtered out, or the list emptied since) changes nothing.
    if (!record || !m_serverList->RemoveServerRow(record.get())) {
        return;
    }
    // The panes stay when they describe the one selected server, another one: emptying them
    // left its comments and address shown without its players and flight plans.
    const std::vector<ServerPtr> selected = m_serverList->SelectedServers();
    const bool keep =
        selected.size() == 1 && selected[0] != record && selected[0] == m_detailsShown.lock();
    if (!keep) {
        m_players->ClearPlayerRows();
        m_flightPlans->ClearFlightPlanRows();
    }
    UpdateCommandEnabling();
}

void CMainFrame::OnServerRequeried(const ServerPtr& record) {
    if (!record || record->IsReleased() || m_serverList->Model()->FindRow(record.get()) < 0) {
        return;
    }
    if (!PassesFilter(m_settings, *record->Info())) {
        DropServerRow(record);
        ++m_nFilteredOut;
        UpdateStatusText();
        return;
    }
    m_serverList->UpdateServerRow(record.get());
    // Refresh the details only when they show this server: another selected row must not
    // be described by R's contents.
    std::vector<ServerPtr> selected = m_serverList->SelectedServers();
    if (selected.size() == 1 && selected[0] == record) {
        ShowServerDetails(record);
    }
}

QString CMainFrame::StatusText() const {
    return m_statusMessage->text();
}

void CMainFrame::UpdateStatusText() {
    const ServerManager& manager = *m_serverManager;
    std::string text =
        MainFrameRules::StatusText(manager.MasterFetchBusy(), manager.RunningQueries(),
                                   static_cast<int>(manager.QueuedQueries()),
                                   static_cast<int>(manager.Servers().Count()), m_nFilteredOut);
    // A prompt still shown for the toolbar button that started a refresh would hide the text:
    // the newest text wins, as a menu's prompt gives way to it.
    if (!statusBar()->currentMessage().isEmpty()) {
        statusBar()->clearMessage();
    }
    m_statusMessage->setText(ToQString(text));
    // The Master Server fetch blocks this thread next: paint now, or the text never shows.
    // Otherwise the next paint pass shows it; painting at once would paint the whole window,
    // rows included, for every worker that starts or ends.
    if (manager.MasterFetchBusy()) {
        m_statusMessage->repaint();
    }
    UpdateCommandEnabling();
    emit statusTextChanged(m_statusMessage->text());
}

void CMainFrame::UpdateCommandEnabling() {
    const bool idle = !m_serverManager->QueriesPending();
    Action(IdRefresh)->setEnabled(idle);
    Action(IdFilter)->setEnabled(idle);
    Action(IdRefreshSelected)
        ->setEnabled(idle && m_serverList && m_serverList->SelectedServerCount() > 0);
}

void CMainFrame::OnRefresh() {
    UpdateStatusText();
    // A fetch between two waves would release the records and list the queued servers twice.
    if (m_serverManager->QueriesPending()) {
        return;
    }
    m_serverManager->FetchServerList();
}

void CMainFrame::OnRefreshSelected() {
    std::vector<ServerPtr> selected = m_serverList->SelectedServers();
    if (selected.empty()) {
        m_services.prompts.ShowMessage("Please select at least one server to refresh.");
        return;
    }
    for (const ServerPtr& record : selected) {
        auto info = record->Info();
        m_serverManager->QueueServerQuery(record->Address(), record->Port(), info->SessionGUID,
                                          info->SessionGUID2004, record);
    }
}

void CMainFrame::RunFilterDialog() {
    // Its messages (integer refusals, the DirectX explanation) are owned by the dialog.
    CServerFilterDlg dialog(this);
    static_cast<FilterSettings&>(dialog) = FilterSettingsOf(m_settings);
    if (RunDialog(dialog) != QDialog::Accepted) {
        return;
    }
    StoreFilterSettings(dialog, m_settings);
    SaveSettings(m_settings, m_services.store);
    RebuildServerList();
}

void CMainFrame::RebuildServerList() {
    m_nFilteredOut = 0;
    m_serverList->ClearServerRows();
    ClearDetails();
    for (const ServerPtr& record : m_serverManager->Servers().Snapshot()) {
        if (PassesFilter(m_settings, *record->Info())) {
            m_serverList->AddServerRow(record);
        } else {
            ++m_nFilteredOut;
        }
    }
    UpdateStatusText();
}

void CMainFrame::OnOptions() {
    // Its question and refusals are owned by the dialog.
    COptionsDlg dialog(this);
    dialog.m_strMasterURL = m_settings.MasterServerURL;
    dialog.m_bRefreshAtStartup = m_settings.RefreshAtStartup;
    dialog.m_nMaxThreads = m_settings.MaxThreads;
    dialog.m_bHideFSNavigators = m_settings.HideFSNavigators;
    if (RunDialog(dialog) != QDialog::Accepted) {
        return;
    }
    m_settings.MasterServerURL = dialog.m_strMasterURL;
    m_settings.RefreshAtStartup = dialog.m_bRefreshAtStartup;
    m_settings.MaxThreads = dialog.m_nMaxThreads;
    m_settings.HideFSNavigators = dialog.m_bHideFSNavigators;
    SaveSettings(m_settings, m_services.store);
    std::vector<ServerPtr> selected = m_serverList->SelectedServers();
    if (selected.size() == 1) {
        ShowServerDetails(selected[0]);
    }
}

void CMainFrame::OnDocumentReady() {
    // The pilot sees the window before the start-up refresh blocks this thread on the Master
    // Server: a shown window completes start-up once its first paint is done.
    if (isVisible() && !m_painted) {
        m_startupPending = true;
        // A window that is never painted (minimised at once, say) still completes start-up.
        QTimer::singleShot(kFirstPaintWaitMs, this, [this] { RunPendingStartup(); });
        return;
    }
    OnStartupComplete();
}

void CMainFrame::RunPendingStartup() {
    if (m_startupPending) {
        m_startupPending = false;
        OnStartupComplete();
    }
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_panesPlaced) {
        m_panesPlaced = true;
        PlacePanes();
    }
}

void CMainFrame::PlacePanes() {
    // Placed once the splitters have their space, before the first paint: a splitter shares out
    // its space in proportion to the sizes it is given, so saved sizes come back unchanged only
    // when the sizes fill the space exactly.
    const auto space = [](const QSplitter* splitter) {
        const QList<int> sizes = splitter->sizes();
        return std::accumulate(sizes.begin(), sizes.end(), 0);
    };
    const int columnSpace = space(m_wndTopSplitter);
    const PaneSizes cells = MainFrameRules::InitialPaneSizes(m_settings, width(), height());
    const PaneSizes fitted = MainFrameRules::FitPaneSizes(cells, columnSpace, space(m_wndSplitter),
                                                          width() - columnSpace);
    m_wndSplitter->setSizes({fitted.rows[0], fitted.rows[1], fitted.rows[2]});
    m_wndTopSplitter->setSizes({fitted.columns[0], fitted.columns[1]});
}

void CMainFrame::paintEvent(QPaintEvent* event) {
    QMainWindow::paintEvent(event);
    if (!m_painted) {
        m_painted = true;
        // The panes paint after the frame, in the same pass; start-up waits for all of them.
        if (m_startupPending) {
            QTimer::singleShot(0, this, [this] { RunPendingStartup(); });
        }
    }
}

void CMainFrame::OnStartupComplete() {
    // A window closed before its start-up completes (while it waited for its first paint, say)
    // neither refreshes nor saves again after the closing step.
    if (m_closed) {
        return;
    }
    if (m_settings.WindowMaximized && !m_startupFinished) {
        // The window system maximizes the window later, not within this call: the rest waits
        // for the new size, or gives up waiting after a while.
        m_maximizePending = true;
        showMaximized();
        QTimer::singleShot(kMaximizeWaitMs, this, [this] { FinishStartup(); });
        return;
    }
    FinishStartup();
}

void CMainFrame::FinishStartup() {
    // Once only: the refresh below may run message boxes, in which the fallback timer fires.
    // Nothing of it after the closing step.
    if (m_startupFinished || m_closed) {
        return;
    }
    m_startupFinished = true;
    if (m_maximizePending) {
        m_maximizePending = false;
        // Placed for the restored window, the rows left the last one little or nothing, and a
        // growing splitter shares out its space in proportion. A synchronous maximize would
        // have laid them out afresh from the saved sizes: so are they here.
        PlacePanes();
    }
    if (m_settings.RefreshAtStartup) {
        OnRefresh();
        // Closed inside one of the refresh's messages: the closing step has saved everything,
        // and nothing is saved after it.
        if (m_closed) {
            return;
        }
    }
    m_serverInfo->OnSize(m_serverInfo->width(), m_serverInfo->height());
    m_settings.FlightPlanViewWidth = m_flightPlans->width();
    m_settings.FlightPlanViewHeight = m_flightPlans->height();
    m_settings.PlayerViewWidth = m_players->width();
    m_settings.PlayerViewHeight = m_players->height();
    m_settings.ServerInfoViewWidth = m_serverInfo->width();
    m_settings.ServerInfoViewHeight = m_serverInfo->height();
    m_settings.ServerListViewWidth = m_serverList->width();
    m_settings.ServerListViewHeight = m_serverList->height();
    SaveSettings(m_settings, m_services.store);
    m_settings.WindowReady = true;
}

void CMainFrame::RecordWindowState() {
    if (m_settings.WindowReady) {
        // Minimized from maximized, Qt keeps both flags; the window's state is minimized.
        m_settings.WindowMaximized = isMaximized() && !isMinimized();
        m_settings.WindowMinimized = isMinimized();
    }
    if (!isMaximized() && !isMinimized()) {
        QRect r = geometry();
        m_settings.WindowPosition = {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    RecordWindowState();
    if (m_maximizePending && isMaximized()) {
        // Once the splitters have their new space too.
        QTimer::singleShot(0, this, [this] { FinishStartup(); });
    }
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        RecordWindowState();
    }
}

void CMainFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    QRect r = normalGeometry().isValid() ? normalGeometry() : geometry();
    m_settings.WindowPosition = {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // The closing step begins here: start-up completion, whose timers may fire inside the
    // closing appeal's message loop, no longer runs.
    m_closed = true;
    if (m_services.document.CanCloseFrame()) {
        event->accept();
    } else {
        m_closed = false;
        event->ignore();
    }
}

}  // namespace perivant
