// The real main window started from a settings file whose every value was damaged by hand:
// extreme, negative, out of range or of the wrong kind. It must start, complete start-up on
// the screen, run its start-up refresh and save sane values on closing.

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <climits>

#include "app/AppSettings.h"
#include "app/CMainFrame.h"
#include "app/CPerivantDoc.h"
#include "app/QtProfileStore.h"
#include "support/PollingFakes.h"
#include "views/CServerListView.h"

using namespace perivant;
using namespace perivant::testing;

namespace {

ProfileStore::Bytes Rect(int left, int top, int right, int bottom) {
    ProfileStore::Bytes bytes;
    for (int v : {left, top, right, bottom}) {
        const auto u = static_cast<unsigned>(v);
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(static_cast<std::uint8_t>(u >> shift));
        }
    }
    return bytes;
}

}  // namespace

class DamagedSettingsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_config;

    void Damage(QtProfileStore& store) {
        const char* sizes[] = {"ServerListViewWidth", "ServerListViewHeight",
                               "PlayerViewWidth",     "PlayerViewHeight",
                               "FlightPlanViewWidth", "FlightPlanViewHeight",
                               "ServerInfoViewWidth", "ServerInfoViewHeight"};
        for (int i = 0; i < 8; ++i) {
            store.WriteInt(kSettingsSection, sizes[i], i % 2 == 0 ? INT_MAX : INT_MAX - 1);
        }
        store.WriteBytes(kSettingsSection, "WindowPosition",
                         Rect(INT_MAX, INT_MIN, INT_MIN, INT_MAX));
        store.WriteInt(kSettingsSection, "WindowMaximized", 7);
        store.WriteInt(kSettingsSection, "WindowMinimized", -1);
        store.WriteInt(kSettingsSection, "MaxThreads", -5);
        store.WriteInt(kSettingsSection, "ServerSortOrder", INT_MIN);
        store.WriteInt(kSettingsSection, "FilterEnable", 1);
        store.WriteInt(kSettingsSection, "FilterPingNum", -1);
        store.WriteInt(kSettingsSection, "FilterPlayersNum", INT_MIN);
        store.WriteString(kSettingsSection, "FilterServerNamesString", std::string(100000, 'x'));
        store.WriteString(kSettingsSection, "ShowCloseMsg", "yes please");
        store.WriteInt(kSettingsSection, "RefreshAtStartup", 1);
        store.WriteString(kSettingsSection, "MasterServerURL", "http://127.0.0.1:9/list");
    }

private slots:
    void startsAndSavesSaneValues() {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        {
            QtProfileStore store;
            Damage(store);
        }
        QtProfileStore store;
        AppSettings settings;
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        LoadSettings(settings, store, screen.width(), screen.height());

        // The list is served by a fake network: nothing leaves the process.
        auto network = std::make_shared<FakeNetwork>();
        network->Set("127.0.0.1", 9, "/list", {404, "", ""});
        ScriptedPrompts prompts;
        CPerivantDoc document(settings, store);
        document.RunClosingAppeal = [](const std::string&) { return false; };
        auto frame = std::make_unique<CMainFrame>(
            CMainFrame::Services{settings, store, prompts, document, network, [] { return 9; }});
        document.OnNewDocument(*frame);
        frame->show();

        QTRY_VERIFY_WITH_TIMEOUT(settings.WindowReady, 10000);
        QTRY_COMPARE(frame->StatusText(), QStringLiteral("Done. 0 Corvane servers online."));
        QCOMPARE(prompts.messages.size(), size_t{1});
        QVERIFY(prompts.messages[0].rfind("No server list found on the Master Server.", 0) == 0);
        QVERIFY(screen.intersects(frame->frameGeometry()));
        QVERIFY(frame->width() >= 100 && frame->width() <= screen.width());
        QVERIFY(frame->height() >= 100 && frame->height() <= screen.height());
        QCOMPARE(frame->Manager().RunningQueries(), 0);

        QVERIFY(frame->close());
        frame.reset();
        QtProfileStore reread;
        AppSettings saved;
        LoadSettings(saved, reread, screen.width(), screen.height());
        QVERIFY(saved.WindowPosition.right - saved.WindowPosition.left <= screen.width());
        QVERIFY(saved.ServerListViewWidth <= screen.width());
        QCOMPARE(saved.ServerSortOrder, INT_MIN);
        QCOMPARE(saved.MaxThreads, -5);
    }
};

QTEST_MAIN(DamagedSettingsTest)
#include "DamagedSettingsTest.moc"
