// The main window's panes across restarts: sizes saved at start-up come back unchanged at the
// next start, so the layout the user left does not creep from one start to the next.

#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "app/AppSettings.h"
#include "app/CMainFrame.h"
#include "app/CPerivantDoc.h"
#include "app/QtProfileStore.h"
#include "support/PollingFakes.h"
#include "views/CFlightPlanView.h"
#include "views/CPlayerView.h"
#include "views/CServerInfoView.h"
#include "views/CServerListView.h"

using namespace perivant;
using namespace perivant::testing;

namespace {

struct Panes {
    int listWidth, listHeight, infoWidth, infoHeight, playerHeight, planHeight;
    bool operator==(const Panes&) const = default;
};

Panes SavedPanes(const AppSettings& s) {
    return {s.ServerListViewWidth,  s.ServerListViewHeight, s.ServerInfoViewWidth,
            s.ServerInfoViewHeight, s.PlayerViewHeight,     s.FlightPlanViewHeight};
}

char* toString(const Panes& p) {
    return QTest::toString(QStringLiteral("list %1x%2, info %3x%4, players %5, plans %6")
                               .arg(p.listWidth)
                               .arg(p.listHeight)
                               .arg(p.infoWidth)
                               .arg(p.infoHeight)
                               .arg(p.playerHeight)
                               .arg(p.planHeight));
}

// Prompts that can act while a message shows, as a user who closes the window then does.
class HookedPrompts : public ScriptedPrompts {
public:
    std::function<void()> onMessage;
    void ShowMessage(const std::string& text) override {
        ScriptedPrompts::ShowMessage(text);
        if (onMessage) {
            onMessage();
        }
    }
};

using StoredInts = std::vector<std::pair<const char*, int>>;

// One run of the main window over the stored settings (with the given values written first), on
// a fake network. When it ends, the values after are written, so later runs start as before.
struct Session {
    explicit Session(const StoredInts& before = {}, StoredInts after = {})
        : restore(std::move(after)) {
        for (const auto& [name, value] : before) {
            store.WriteInt(kSettingsSection, name, value);
        }
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        LoadSettings(settings, store, screen.width(), screen.height());
    }
    ~Session() {
        frame.reset();
        for (const auto& [name, value] : restore) {
            store.WriteInt(kSettingsSection, name, value);
        }
    }
    CMainFrame& Open() {
        frame = std::make_unique<CMainFrame>(
            CMainFrame::Services{settings, store, prompts, document, network, [] { return 9; }});
        document.OnNewDocument(*frame);
        return *frame;
    }

    StoredInts restore;
    QtProfileStore store;
    AppSettings settings;
    HookedPrompts prompts;
    std::shared_ptr<FakeNetwork> network = std::make_shared<FakeNetwork>();
    CPerivantDoc document{settings, store};
    std::unique_ptr<CMainFrame> frame;
};

}  // namespace

class PaneLayoutTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_config;

    // Starts the main window from the stored settings, completes start-up and closes it by
    // killing, as it were: what start-up completion saved stays in the store. Returns the
    // settings record as start-up left it.
    AppSettings StartOnce(const std::function<void(CMainFrame&)>& whileOpen = {}) {
        Session run;
        CMainFrame& frame = run.Open();
        frame.show();
        if (!QTest::qWaitFor([&run] { return run.settings.WindowReady; }, 10000)) {
            qWarning("start-up never completed");
        }
        if (whileOpen) {
            whileOpen(frame);
        }
        return run.settings;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        QtProfileStore store;
        store.WriteInt(kSettingsSection, "RefreshAtStartup", 0);
        store.WriteInt(kSettingsSection, "ShowCloseMsg", 0);
    }

    void defaultLayoutHoldsFromStartToStart() {
        const AppSettings first = StartOnce();
        QVERIFY(first.WindowReady);
        QVERIFY(first.ServerInfoViewWidth > 200);
        QVERIFY(first.ServerListViewHeight > first.PlayerViewHeight);
        for (int start = 2; start <= 4; ++start) {
            const AppSettings again = StartOnce();
            QVERIFY(again.WindowReady);
            QCOMPARE(SavedPanes(again), SavedPanes(first));
        }
    }

    void savedSizesComeBackAsSaved() {
        {
            QtProfileStore store;
            const char* names[] = {"ServerListViewHeight", "PlayerViewHeight",
                                   "FlightPlanViewHeight", "ServerInfoViewWidth"};
            const int values[] = {260, 140, 100, 420};
            for (int i = 0; i < 4; ++i) {
                store.WriteInt(kSettingsSection, names[i], values[i]);
            }
        }
        const AppSettings started = StartOnce();
        QCOMPARE(started.ServerInfoViewWidth, 420);
        QCOMPARE(started.ServerListViewHeight, 260);
        QCOMPARE(started.PlayerViewHeight, 140);
        // The last row takes what is left of the window, as it did when the sizes were saved.
        QVERIFY(started.FlightPlanViewHeight >= 20);
        QCOMPARE(SavedPanes(StartOnce()), SavedPanes(started));
    }

    // A small saved window comes back at its size, however little room its panes then have;
    // the window's state is recorded as the user leaves it.
    void smallWindowAndItsStateAreKept() {
        {
            QtProfileStore store;
            AppSettings settings;
            LoadSettings(settings, store, 1280, 1024);
            settings.WindowPosition = {100, 100, 250, 250};
            SaveSettings(settings, store);
        }
        const AppSettings started = StartOnce();
        const WindowRect r = started.WindowPosition;
        QCOMPARE(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top),
                 QRect(100, 100, 150, 150));

        // Minimized from maximized, the window is minimized and no longer maximized.
        const AppSettings minimized = StartOnce([](CMainFrame& frame) {
            frame.setWindowState(Qt::WindowMaximized);
            frame.setWindowState(Qt::WindowMaximized | Qt::WindowMinimized);
        });
        QVERIFY(!minimized.WindowMaximized);
        QVERIFY(minimized.WindowMinimized);
    }

    // Closed while the start-up refresh shows its error: the closing step saved the settings,
    // and start-up completion, resumed when the message goes, saves nothing after it.
    void closingDuringStartupSavesNothingAfterTheClosingStep() {
        Session run({{"RefreshAtStartup", 1}}, {{"RefreshAtStartup", 0}, {"ServerSortOrder", 2}});
        run.prompts.onMessage = [&run] {
            QVERIFY(run.frame->close());
            // Anything written from here on comes after the closing step.
            run.store.WriteInt(kSettingsSection, "ServerSortOrder", 77);
        };
        run.Open().show();
        QTRY_COMPARE_WITH_TIMEOUT(run.prompts.messages.size(), size_t(1), 10000);
        QTest::qWait(100);
        QCOMPARE(run.store.ReadInt(kSettingsSection, "ServerSortOrder", 0), 77);
    }

    // Closed while start-up completion waits for the window system to maximize the window: it
    // neither refreshes nor saves after the closing step.
    void closingWhileWaitingForTheMaximizeEndsStartup() {
        Session run({{"RefreshAtStartup", 1}, {"WindowMaximized", 1}},
                    {{"RefreshAtStartup", 0}, {"WindowMaximized", 0}, {"ServerSortOrder", 2}});
        CMainFrame& frame = run.Open();
        // Already maximized, the window gets no new size: completion waits its full time.
        frame.setWindowState(Qt::WindowMaximized);
        frame.show();
        QTest::qWait(300);
        QVERIFY(frame.close());
        run.store.WriteInt(kSettingsSection, "ServerSortOrder", 77);
        QTest::qWait(1200);
        QCOMPARE(run.network->Fetches(), 0);
        QVERIFY(run.prompts.messages.empty());
        QCOMPARE(run.store.ReadInt(kSettingsSection, "ServerSortOrder", 0), 77);
        QVERIFY(!run.settings.WindowReady);
    }

    // Closed before its first paint, with the closing appeal open while start-up completion's
    // timers fire: no start-up refresh and no start-up save inside the appeal.
    void closingAppealHoldsOffStartup() {
        Session run({{"RefreshAtStartup", 1}}, {{"RefreshAtStartup", 0}});
        run.settings.ShowCloseMsg = true;
        int appeals = 0;
        run.document.RunClosingAppeal = [&appeals](const std::string&) {
            ++appeals;
            QEventLoop appeal;
            QTimer::singleShot(2500, &appeal, &QEventLoop::quit);
            appeal.exec();
            return true;
        };
        CMainFrame& frame = run.Open();
        frame.show();
        QTimer::singleShot(0, &frame, [&frame] { frame.close(); });
        QTRY_COMPARE_WITH_TIMEOUT(appeals, 1, 5000);
        QTest::qWait(2700);
        QCOMPARE(run.network->Fetches(), 0);
        QVERIFY(run.prompts.messages.empty());
        QVERIFY(!run.settings.WindowReady);
    }

    // Saved from a maximized window, the panes come back as saved at every start: the window
    // is shown in its restored rectangle first and maximized by the window system later.
    void maximizedWindowKeepsItsPanes() {
        {
            QtProfileStore store;
            AppSettings settings;
            LoadSettings(settings, store, 1280, 1024);
            settings.WindowMaximized = true;
            settings.WindowMinimized = false;
            settings.WindowPosition = {52, 42, 652, 542};
            settings.ServerListViewWidth = 400;
            settings.ServerListViewHeight = 384;
            settings.PlayerViewWidth = 700;
            settings.PlayerViewHeight = 157;
            settings.FlightPlanViewWidth = 700;
            settings.FlightPlanViewHeight = 120;
            settings.ServerInfoViewWidth = 309;
            settings.ServerInfoViewHeight = 384;
            SaveSettings(settings, store);
        }
        bool maximized = false;
        const AppSettings first =
            StartOnce([&maximized](CMainFrame& frame) { maximized = frame.isMaximized(); });
        QVERIFY(maximized);
        QVERIFY(first.WindowMaximized);
        QCOMPARE(first.ServerListViewHeight, 384);
        QCOMPARE(first.PlayerViewHeight, 157);
        QCOMPARE(first.ServerInfoViewWidth, 309);
        QVERIFY(first.FlightPlanViewHeight >= 20);
        for (int start = 2; start <= 3; ++start) {
            QCOMPARE(SavedPanes(StartOnce()), SavedPanes(first));
        }
    }
};

QTEST_MAIN(PaneLayoutTest)
#include "PaneLayoutTest.moc"
