// The real main window on the offscreen platform against corvane-lab: start-up, refresh,
// selection, filter, options, re-queries, the busy rules and closing.

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "app/AppSettings.h"
#include "app/CMainFrame.h"
#include "app/CPerivantDoc.h"
#include "app/MemoryProfileStore.h"
#include "app/ProgramIcons.h"
#include "app/QtProfileStore.h"
#include "dialogs/COptionsDlg.h"
#include "dialogs/CServerFilterDlg.h"
#include "support/AnswerNextModal.h"
#include "support/LabProcess.h"
#include "support/PollingFakes.h"
#include "views/CFlightPlanView.h"
#include "views/CPlayerView.h"
#include "views/CServerInfoView.h"
#include "views/CServerListView.h"
#include "views/ServerListModel.h"

using namespace perivant;
using namespace perivant::testing;

namespace {

constexpr int kHosts = 40;

HttpClient QuickClient() {
    HttpClient client;
    client.ConnectTimeoutSeconds = 3;
    client.ReceiveTimeoutSeconds = 2;
    client.RequestDeadlineSeconds = 5;
    return client;
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_config;
    std::unique_ptr<LabProcess> m_lab;
    int m_healthy = 0;
    AppSettings m_settings;
    std::unique_ptr<QtProfileStore> m_store;
    ScriptedPrompts m_prompts;
    std::unique_ptr<CPerivantDoc> m_document;
    std::unique_ptr<CMainFrame> m_frame;
    PaintCounter m_listPaints;
    int m_listPaintsBeforeFetch = -1;

    QString DoneText(int shown) const {
        return QStringLiteral("Done. %1 Corvane servers online.").arg(shown);
    }
    const LabHost* HostOf(const ServerPtr& record) const {
        for (const LabHost& host : m_lab->Hosts()) {
            if (host.address == record->Address()) {
                return &host;
            }
        }
        return nullptr;
    }
    void ClickRow(int row) {
        CServerListView* list = m_frame->ServerListView();
        QRect rect = list->visualRect(list->model()->index(row, 1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    }
    bool Idle() const { return !m_frame->Manager().QueriesPending(); }
    QString FilteredText(int shown, int total) const {
        return QStringLiteral("Done. %1 of %2 Corvane servers shown. (%3 filtered out)")
            .arg(shown)
            .arg(total)
            .arg(total - shown);
    }
    // The filter through its dialog: on for servers that need a password, or off.
    void FilterPasswords(bool on) {
        m_frame->RunDialog = [on](QDialog& dialog) {
            auto& filter = static_cast<CServerFilterDlg&>(dialog);
            filter.FilterEnable = on;
            filter.FilterPassword = on;
            return int(QDialog::Accepted);
        };
        m_frame->RunFilterDialog();
    }
    int LockedServers() const {
        int locked = 0;
        for (const ServerPtr& record : m_frame->Manager().Servers().Snapshot()) {
            locked += record->Info()->PasswordRequired ? 1 : 0;
        }
        return locked;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        m_lab = std::make_unique<LabProcess>(std::vector<std::string>{
            "--hosts", std::to_string(kHosts), "--seed", "11", "--host-port", "0", "--players",
            "3-12", "--faults", "refuse:2,404:1,notxml:1,wrongguid:1", "--delay-ms", "150"});
        QVERIFY(m_lab->Started());
        for (const LabHost& host : m_lab->Hosts()) {
            m_healthy += host.fault == "ok" ? 1 : 0;
        }
        QCOMPARE(m_healthy, kHosts - 5);

        m_store = std::make_unique<QtProfileStore>();
        LoadSettings(m_settings, *m_store, 1280, 1024);
        QVERIFY(m_settings.RefreshAtStartup);
        m_settings.MasterServerURL = m_lab->MasterUrl();
        m_settings.MaxThreads = 8;
        m_document = std::make_unique<CPerivantDoc>(m_settings, *m_store);
        m_document->RunClosingAppeal = [](const std::string&) { return false; };
        m_frame = std::make_unique<CMainFrame>(CMainFrame::Services{
            m_settings, *m_store, m_prompts, *m_document,
            std::make_shared<RealServerNetwork>(QuickClient()), [] { return 9; }});
        m_document->OnNewDocument(*m_frame);
        // The Master Server fetch blocks the GUI thread: by then the window must have painted.
        m_frame->ServerListView()->viewport()->installEventFilter(&m_listPaints);
        connect(m_frame.get(), &CMainFrame::statusTextChanged, this, [this](const QString& text) {
            if (m_listPaintsBeforeFetch < 0 && text.startsWith(QStringLiteral("Retrieving"))) {
                m_listPaintsBeforeFetch = m_listPaints.paints;
            }
        });
        m_frame->show();
    }

    void startupRefreshesAndCountsTheServers() {
        QVERIFY(!m_settings.WindowReady);
        // Completion runs from the event loop, and with it the first refresh.
        QTRY_VERIFY_WITH_TIMEOUT(m_settings.WindowReady, 10000);
        QVERIFY(m_listPaintsBeforeFetch > 0);
        QVERIFY2(m_prompts.messages.empty(),
                 m_prompts.messages.empty() ? "" : m_prompts.messages[0].c_str());
        QTRY_COMPARE_WITH_TIMEOUT(m_frame->StatusText(), DoneText(m_healthy), 30000);
        QCOMPARE(m_frame->ServerListView()->ServerRowCount(), m_healthy);
        QVERIFY(m_settings.ServerListViewWidth > 0);
        QVERIFY(m_store->ReadInt(kSettingsSection, "ServerListViewWidth", -1) > 0);
        QVERIFY(m_frame->Action(32771)->isEnabled());

        // A screenshot for the README, made by the real window.
        const QByteArray shot = qgetenv("PERIVANT_SCREENSHOT");
        if (!shot.isEmpty()) {
            ClickRow(0);
            QTest::qWait(300);
            QVERIFY(m_frame->grab().save(QString::fromUtf8(shot)));
        }
    }

    void selectingAServerFillsTheDetailPanes() {
        ClickRow(2);
        ServerPtr record = m_frame->ServerListView()->ServerAtRow(2);
        QVERIFY(record);
        const LabHost* host = HostOf(record);
        QVERIFY(host);
        QLineEdit* address = m_frame->ServerInfoView()->findChild<QLineEdit*>();
        QVERIFY(address);
        QTRY_COMPARE(address->text(), QString::fromStdString(record->Address()));
        QCOMPARE(m_frame->PlayerView()->topLevelItemCount(), std::stoi(host->columns[6]));
        QCOMPARE(m_frame->FlightPlanView()->topLevelItemCount(), std::stoi(host->columns[7]));
    }

    void optionsHideFSNavigatorsAtOnce() {
        // Pick a server with FSNavigator players and show it.
        int row = -1;
        int navigators = 0;
        for (int i = 0; i < m_frame->ServerListView()->ServerRowCount(); ++i) {
            navigators = std::stoi(HostOf(m_frame->ServerListView()->ServerAtRow(i))->columns[19]);
            if (navigators > 0) {
                row = i;
                break;
            }
        }
        QVERIFY2(row >= 0, "the lab serves FSNavigator players");
        ClickRow(row);
        const int players =
            std::stoi(HostOf(m_frame->ServerListView()->ServerAtRow(row))->columns[6]);
        QTRY_COMPARE(m_frame->PlayerView()->topLevelItemCount(), players);

        m_frame->RunDialog = [](QDialog& dialog) {
            static_cast<COptionsDlg&>(dialog).m_bHideFSNavigators = true;
            return int(QDialog::Accepted);
        };
        m_frame->OnOptions();
        QVERIFY(m_settings.HideFSNavigators);
        QCOMPARE(m_frame->PlayerView()->topLevelItemCount(), players - navigators);
        QCOMPARE(m_store->ReadInt(kSettingsSection, "HideFSNavigators", 0), 1);
    }

    void filterHidesServersAndTheStatusCountsThem() {
        // Keep only the servers that need a password.
        FilterPasswords(true);
        const int locked = LockedServers();
        QVERIFY(locked > 0 && locked < m_healthy);
        QCOMPARE(m_frame->ServerListView()->ServerRowCount(), m_healthy - locked);
        QCOMPARE(m_frame->StatusText(), FilteredText(m_healthy - locked, m_healthy));
        QCOMPARE(m_store->ReadInt(kSettingsSection, "FilterPassword", 0), 1);

        FilterPasswords(false);
        QCOMPARE(m_frame->ServerListView()->ServerRowCount(), m_healthy);
        QCOMPARE(m_frame->StatusText(), DoneText(m_healthy));
    }

    void serversArrivingUnderTheFilterAreCounted() {
        FilterPasswords(true);
        // The servers of a fresh refresh meet the filter one by one as they answer.
        m_frame->OnRefresh();
        QTRY_VERIFY_WITH_TIMEOUT(Idle(), 30000);
        const int locked = LockedServers();
        QVERIFY(locked > 0 && locked < m_healthy);
        QTRY_COMPARE(m_frame->StatusText(), FilteredText(m_healthy - locked, m_healthy));
        CServerListView* list = m_frame->ServerListView();
        QCOMPARE(list->ServerRowCount(), m_healthy - locked);
        for (int row = 0; row < list->ServerRowCount(); ++row) {
            QVERIFY(!list->ServerAtRow(row)->Info()->PasswordRequired);
        }

        FilterPasswords(false);
        QCOMPARE(list->ServerRowCount(), m_healthy);
        QCOMPARE(m_frame->StatusText(), DoneText(m_healthy));
    }

    void requeriedServerFollowsTheFilterAndRefillsItsPanes() {
        CServerListView* list = m_frame->ServerListView();
        list->clearSelection();
        ClickRow(0);
        QTRY_VERIFY(m_frame->PlayerView()->topLevelItemCount() > 0);
        const int players = m_frame->PlayerView()->topLevelItemCount();
        // The selected server's panes show what it answered again.
        m_frame->PlayerView()->ClearPlayerRows();
        m_frame->OnRefreshSelected();
        QTRY_VERIFY_WITH_TIMEOUT(Idle(), 30000);
        QTRY_COMPARE(m_frame->PlayerView()->topLevelItemCount(), players);

        // A server that the filter refuses when it answers again loses its row and is counted.
        // The filter is changed behind the list's back, so that only the re-query applies it.
        const AppSettings before = m_settings;
        m_settings.FilterEnable = true;
        m_settings.FilterPlayers = true;
        m_settings.FilterPlayersNum = 1000;
        const ServerPtr refused = list->ServerAtRow(0);
        m_frame->OnRefreshSelected();
        QTRY_VERIFY_WITH_TIMEOUT(Idle(), 30000);
        QTRY_COMPARE(list->ServerRowCount(), m_healthy - 1);
        QCOMPARE(list->Model()->FindRow(refused.get()), -1);
        QCOMPARE(m_frame->StatusText(), FilteredText(m_healthy - 1, m_healthy));

        m_settings.FilterPlayers = before.FilterPlayers;
        m_settings.FilterPlayersNum = before.FilterPlayersNum;
        FilterPasswords(false);
        QCOMPARE(list->ServerRowCount(), m_healthy);
        QCOMPARE(m_frame->StatusText(), DoneText(m_healthy));
    }

    void acceleratorsReachTheirCommands() {
        CServerListView* list = m_frame->ServerListView();
        m_frame->RunDialog = [](QDialog&) { return int(QDialog::Rejected); };
        struct Accelerator {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            int command;
        };
        const Accelerator table[] = {{Qt::Key_F5, Qt::NoModifier, 32771},
                                     {Qt::Key_R, Qt::ControlModifier, 32771},
                                     {Qt::Key_F5, Qt::ControlModifier, 32774},
                                     {Qt::Key_F, Qt::ControlModifier, 32775},
                                     {Qt::Key_O, Qt::ControlModifier, 32773}};
        for (const Accelerator& accelerator : table) {
            QTRY_VERIFY_WITH_TIMEOUT(Idle(), 30000);
            QTRY_COMPARE(list->ServerRowCount(), m_healthy);
            ClickRow(0);  // Refresh Selected needs a selected server
            // The commands come back with the status text that follows the last worker.
            QTRY_VERIFY(m_frame->Action(accelerator.command)->isEnabled());
            QSignalSpy triggered(m_frame->Action(accelerator.command), &QAction::triggered);
            QTest::keyClick(m_frame.get(), accelerator.key, accelerator.modifiers);
            QVERIFY2(triggered.count() == 1,
                     qPrintable(QKeySequence(accelerator.key | accelerator.modifiers).toString()));
        }
        QTRY_VERIFY_WITH_TIMEOUT(Idle(), 30000);
        QTRY_COMPARE(m_frame->StatusText(), DoneText(m_healthy));

        // F6 goes round the panes forwards, Shift+F6 backwards.
        list->setFocus();
        QTRY_VERIFY(list->hasFocus());
        auto focused = [](QWidget* pane) {
            QWidget* focus = QApplication::focusWidget();
            return focus == pane || pane->isAncestorOf(focus);
        };
        QTest::keyClick(m_frame.get(), Qt::Key_F6);
        QTRY_VERIFY(focused(m_frame->ServerInfoView()));
        QTest::keyClick(m_frame.get(), Qt::Key_F6, Qt::ShiftModifier);
        QTRY_VERIFY(focused(list));
        QTest::keyClick(m_frame.get(), Qt::Key_F6, Qt::ShiftModifier);
        QTRY_VERIFY(focused(m_frame->FlightPlanView()));
    }

    void secondSelectedServerEmptiesTheDetailPanes() {
        CServerListView* list = m_frame->ServerListView();
        list->clearSelection();
        ClickRow(0);
        QTRY_VERIFY(m_frame->PlayerView()->topLevelItemCount() > 0);
        auto* address = m_frame->ServerInfoView()->findChild<QLineEdit*>();
        QVERIFY(!address->text().isEmpty());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualRect(list->model()->index(1, 1)).center());
        QTRY_COMPARE(list->SelectedServerCount(), 2);
        QTRY_COMPARE(m_frame->PlayerView()->topLevelItemCount(), 0);
        QCOMPARE(m_frame->FlightPlanView()->topLevelItemCount(), 0);
        QCOMPARE(address->text(), QString());
    }

    void busyRulesHoldWhileQueriesRun() {
        CServerListView* list = m_frame->ServerListView();
        list->selectAll();
        QVERIFY(m_frame->Action(32774)->isEnabled());
        QTest::keyClick(m_frame.get(), Qt::Key_F5, Qt::ControlModifier);  // Refresh Selected
        QVERIFY(!Idle());
        QVERIFY(!m_frame->Action(32771)->isEnabled());
        QVERIFY(!m_frame->Action(32775)->isEnabled());
        QVERIFY(!m_frame->Action(32774)->isEnabled());
        QVERIFY(m_frame->Action(32773)->isEnabled());
        QVERIFY(m_frame->StatusText().endsWith(QStringLiteral("remaining) Retrieving data...")));
        // Refresh while busy only rewrites the status text: no new list, no rows released.
        const int rows = list->ServerRowCount();
        m_frame->OnRefresh();
        QVERIFY(!m_frame->Manager().MasterFetchBusy());
        QCoreApplication::processEvents();  // a fetch would have posted the release by now
        QCOMPARE(list->ServerRowCount(), rows);
        QTRY_VERIFY_WITH_TIMEOUT(Idle(), 30000);
        QTRY_COMPARE(m_frame->StatusText(), DoneText(m_healthy));
        // Re-queried rows were rewritten in place, none added or lost.
        QCOMPARE(list->ServerRowCount(), m_healthy);
    }

    void refreshSelectedDropsServersThatStopAnswering() {
        m_lab.reset();
        CServerListView* list = m_frame->ServerListView();
        list->clearSelection();
        ClickRow(0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualRect(list->model()->index(1, 1)).center());
        QTRY_COMPARE(list->SelectedServerCount(), 2);
        m_frame->OnRefreshSelected();
        QTRY_VERIFY_WITH_TIMEOUT(Idle(), 30000);
        QTRY_COMPARE(m_frame->StatusText(), DoneText(m_healthy - 2));
        QTRY_COMPARE(list->ServerRowCount(), m_healthy - 2);
        QCOMPARE(m_frame->PlayerView()->topLevelItemCount(), 0);

        list->clearSelection();
        m_frame->OnRefreshSelected();
        QCOMPARE(m_prompts.messages.back(),
                 std::string("Please select at least one server to refresh."));
    }

    void droppingAnotherServerKeepsTheShownDetails() {
        CServerListView* list = m_frame->ServerListView();
        ClickRow(0);
        ServerPtr shown = list->ServerAtRow(0);
        QVERIFY(shown && !shown->Info()->Players.empty());
        QTRY_VERIFY(m_frame->PlayerView()->topLevelItemCount() > 0);
        const int players = m_frame->PlayerView()->topLevelItemCount();
        const int rows = list->ServerRowCount();
        m_frame->HandleMessage(MsgServerDropped, list->ServerAtRow(2));
        QCOMPARE(list->ServerRowCount(), rows - 1);
        QCOMPARE(m_frame->PlayerView()->topLevelItemCount(), players);
        // Dropping the shown server itself empties them, also when a right click selected
        // another row (it shows nothing).
        QTest::mouseClick(list->viewport(), Qt::RightButton, Qt::NoModifier,
                          list->visualRect(list->model()->index(1, 1)).center());
        QCOMPARE(list->SelectedServerCount(), 1);
        QVERIFY(list->SelectedServers()[0] != shown);
        // A server that has no row changes nothing.
        m_frame->HandleMessage(MsgServerDropped, std::make_shared<ServerRecord>(ServerInfo()));
        QCOMPARE(list->ServerRowCount(), rows - 1);
        QCOMPARE(m_frame->PlayerView()->topLevelItemCount(), players);
        m_frame->HandleMessage(MsgServerDropped, shown);
        QCOMPARE(m_frame->PlayerView()->topLevelItemCount(), 0);
    }

    void releasedServersTakeTheSelectionAlong() {
        CServerListView* list = m_frame->ServerListView();
        QAction* refreshSelected = nullptr;
        for (QAction* action : m_frame->findChildren<QAction*>()) {
            refreshSelected = action->text().startsWith(QStringLiteral("Refresh &Selected"))
                                  ? action
                                  : refreshSelected;
        }
        QVERIFY(refreshSelected != nullptr);
        ClickRow(0);
        QTRY_VERIFY(refreshSelected->isEnabled());
        // A re-query drops a row while a click on it waits: the click's report comes last.
        ServerPtr dropped = list->ServerAtRow(2);
        QVERIFY(dropped && !dropped->Info()->Players.empty());
        const int rows = list->ServerRowCount();
        m_frame->PostMessage(MsgServerDropped, dropped);
        ClickRow(2);
        QTRY_COMPARE(list->ServerRowCount(), rows - 1);
        QTest::qWait(50);
        QCOMPARE(m_frame->PlayerView()->topLevelItemCount(), 0);
        QVERIFY(m_frame->ServerInfoView()->findChild<QLineEdit*>()->text() !=
                QString::fromStdString(dropped->Address()));

        // A refresh releases the records and posts its message; a click queued behind the
        // refresh command is handled first, on the old rows.
        ServerPtr clicked = list->ServerAtRow(1);
        QVERIFY(clicked && !clicked->Info()->Players.empty());
        m_frame->Manager().ReleaseAllServers();
        ClickRow(1);
        QTRY_COMPARE(list->ServerRowCount(), 0);
        QTest::qWait(50);
        QCOMPARE(m_frame->PlayerView()->topLevelItemCount(), 0);
        QCOMPARE(m_frame->ServerInfoView()->findChild<QLineEdit*>()->text(), QString());
        QVERIFY(!refreshSelected->isEnabled());
    }

    void resetHelpMessagesConfirmsOverTheWindow() {
        QAction* reset = nullptr;
        for (QAction* action : m_frame->findChildren<QAction*>()) {
            reset = action->text() == QStringLiteral("&Reset Help Messages") ? action : reset;
        }
        QVERIFY(reset != nullptr);
        QWidget* owner = nullptr;
        QString text;
        AnswerNextModal<QMessageBox>([&owner, &text](QMessageBox* box) {
            owner = box->parentWidget();
            text = box->text();
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
        reset->trigger();
        QCOMPARE(text, QStringLiteral("All internal help messages will now be displayed again"));
        QVERIFY(owner == m_frame.get());
    }

    void menuPromptGivesWayToTheIdleMessage() {
        QVERIFY(m_frame->StatusText() != QStringLiteral(" "));
        m_frame->Action(32771)->showStatusText(m_frame.get());
        QCOMPARE(m_frame->statusBar()->currentMessage(), QStringLiteral("Refresh the server list"));
        // A closing menu clears its prompt this way.
        QStatusTipEvent cleared{QString()};
        QApplication::sendEvent(m_frame.get(), &cleared);
        QCOMPARE(m_frame->statusBar()->currentMessage(), QString());
        QCOMPARE(m_frame->StatusText(), QStringLiteral(" "));
        // A status change while the pointer still rests on a toolbar button shows the new text.
        m_frame->Action(32771)->showStatusText(m_frame.get());
        m_frame->HandleMessage(MsgStatusChanged, nullptr);
        QCOMPARE(m_frame->statusBar()->currentMessage(), QString());
        QVERIFY(m_frame->StatusText().startsWith(QStringLiteral("Done.")));
    }

    // OK alone keeps the closing appeal for the next close; OK with "Don't show this message
    // again" ticked turns it off, and the saved settings say so.
    void theAppealsCheckBoxTurnsItOffForGood() {
        for (bool tick : {false, true}) {
            AppSettings settings;
            settings.ShowCloseMsg = true;
            MemoryProfileStore store;
            CPerivantDoc document(settings, store);
            QString title;
            QString text;
            QString box;
            AnswerNextModal<QMessageBox>([&](QMessageBox* shown) {
                title = shown->windowTitle();
                text = shown->text();
                box = shown->checkBox() ? shown->checkBox()->text() : QString();
                if (tick && shown->checkBox()) {
                    shown->checkBox()->setChecked(true);
                }
                QTest::mouseClick(shown->button(QMessageBox::Ok), Qt::LeftButton);
            });
            QVERIFY(document.CanCloseFrame());
            QCOMPARE(title, QStringLiteral("Perivant"));
            QVERIFY(text.startsWith(QStringLiteral("Thank you for flying with Perivant!")));
            QCOMPARE(box, QStringLiteral("&Don't show this message again"));
            QCOMPARE(settings.ShowCloseMsg, !tick);
            QCOMPARE(store.ReadInt(kSettingsSection, "ShowCloseMsg", 99), tick ? 0 : 1);
        }
    }

    void toolbarPicturesAreSixteenPixelsAndAllDifferent() {
        const QList<QIcon> icons = {ProgramIcons::Refresh(), ProgramIcons::RefreshSelected(),
                                    ProgramIcons::Options(), ProgramIcons::Filter()};
        QList<QImage> images;
        for (const QIcon& icon : icons) {
            QCOMPARE(icon.availableSizes(), QList<QSize>{QSize(16, 16)});
            const QImage image = icon.pixmap(16, 16).toImage();
            QImage blank(16, 16, image.format());
            blank.fill(Qt::transparent);
            QVERIFY(image != blank);  // something is drawn
            images.append(image);
        }
        for (int i = 0; i < images.size(); ++i) {
            for (int j = i + 1; j < images.size(); ++j) {
                QVERIFY2(images[i] != images[j], qPrintable(QString("%1 = %2").arg(i).arg(j)));
            }
        }
        // The program icon comes in the sizes a window system asks for, the About box's 48 too.
        QVERIFY(ProgramIcons::Program().availableSizes().contains(QSize(48, 48)));
        QVERIFY(ProgramIcons::Program().availableSizes().contains(QSize(16, 16)));
    }

    void closingSavesTheSettings() {
        m_settings.ServerSortOrder = 5;
        QVERIFY(m_frame->close());
        QVERIFY2(!m_settings.ShowCloseMsg, "the appeal was turned off for good");
        QSettings file(QSettings::NativeFormat, QSettings::UserScope, "Perivant", "Perivant");
        QVERIFY(file.fileName().startsWith(m_config.path()));
        QCOMPARE(file.value("Settings/ServerSortOrder").toInt(), 5);
        QCOMPARE(file.value("Settings/ShowCloseMsg").toInt(), 0);
        m_frame.reset();
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
