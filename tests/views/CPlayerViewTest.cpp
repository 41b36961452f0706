#include <QHeaderView>
#include <QScrollBar>
#include <QtTest>

#include "app/AppSettings.h"
#include "views/CPlayerView.h"

using namespace perivant;

namespace {

PlayerInfo Player(const std::string& name, const std::string& type) {
    PlayerInfo p;
    p.GameVersion = "FS2004";
    p.Name = name;
    p.Type = type;
    p.Aircraft = "Cessna Skyhawk";
    p.ConnectTime = "00:12:30";
    p.NearAirport = "EGLL";
    p.Altitude = "3500";
    p.Heading = "270";
    p.Speed = "110";
    p.Hop = "2";
    p.DXVersion = "9";
    p.Status = "Flying";
    return p;
}

QStringList Names(const QTreeWidget& view) {
    QStringList names;
    for (int i = 0; i < view.topLevelItemCount(); ++i) {
        names << view.topLevelItem(i)->text(1);
    }
    return names;
}

}  // namespace

class CPlayerViewTest : public QObject {
    Q_OBJECT

private slots:
    void columnsHaveTheirHeadingsAndWidths() {
        AppSettings settings;
        CPlayerView view(settings);
        const QStringList headings = {"Game", "Player Name", "Type",  "Aircraft", "Time", "Near",
                                      "Alt",  "Hdg",         "Speed", "Hop",      "DX",   "Status"};
        QCOMPARE(view.columnCount(), 12);
        for (int c = 0; c < headings.size(); ++c) {
            QCOMPARE(view.headerItem()->text(c), headings[c]);
        }
        QCOMPARE(view.header()->sectionSize(0), 50);  // left alone at creation
        QCOMPARE(view.headerItem()->textAlignment(10) & Qt::AlignHorizontal_Mask,
                 int(Qt::AlignHCenter));
        QCOMPARE(view.headerItem()->textAlignment(1) & Qt::AlignHorizontal_Mask,
                 int(Qt::AlignLeft));
        QVERIFY(!view.header()->sectionsClickable());
        QVERIFY(!view.rootIsDecorated());
        QCOMPARE(view.selectionMode(), QAbstractItemView::SingleSelection);
    }

    void rowsShowEveryFieldAsReceived() {
        AppSettings settings;
        CPlayerView view(settings);
        ServerInfo info;
        info.Players = {Player("Jos\xE9", "Pilot"), Player("Anna", "Observer")};
        info.Players[1].GameVersion = "FS2002 with a long version text";
        view.FillPlayerRows(info);

        QCOMPARE(view.topLevelItemCount(), 2);
        const QStringList expected = {"FS2004",   QString::fromUtf8("Jos\u00E9"),
                                      "Pilot",    "Cessna Skyhawk",
                                      "00:12:30", "EGLL",
                                      "3500",     "270",
                                      "110",      "2",
                                      "9",        "Flying"};
        for (int c = 0; c < 12; ++c) {
            QCOMPARE(view.topLevelItem(0)->text(c), expected[c]);
        }
        QCOMPARE(view.topLevelItem(1)->text(2), QString("Observer"));
        QCOMPARE(view.topLevelItem(1)->textAlignment(10) & Qt::AlignHorizontal_Mask,
                 int(Qt::AlignHCenter));
        // After a fill the game column is sized to its cells too.
        QVERIFY(view.header()->sectionSize(0) >=
                view.fontMetrics().horizontalAdvance("FS2002 with a long version text"));

        // With as many players as a page may list, the last row still counts.
        info.Players.assign(1000, Player("Pilot", "Pilot"));
        info.Players.back().Aircraft = "Douglas DC-3 in the colours of a long-gone airline";
        view.FillPlayerRows(info);
        QCOMPARE(view.topLevelItemCount(), 1000);
        QVERIFY(view.header()->sectionSize(3) >=
                view.fontMetrics().horizontalAdvance(
                    "Douglas DC-3 in the colours of a long-gone airline"));

        // A server's megabyte-long name shows as much as any column can; measuring and eliding
        // it whole on every paint held the window for seconds.
        info.Players.assign(3, Player(std::string(1000000, 'W'), "Pilot"));
        view.FillPlayerRows(info);
        QCOMPARE(view.topLevelItem(2)->text(1), QString(1000, QLatin1Char('W')));
        QCOMPARE(view.topLevelItem(2)->text(2), QString("Pilot"));
    }

    // Whether a fill brings the vertical scroll bar or takes it away, the columns end at the
    // right edge: no gap, and no horizontal scroll bar for a few pixels.
    void lastColumnMeetsTheRightEdge() {
        AppSettings settings;
        CPlayerView view(settings);
        view.resize(1100, 240);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        ServerInfo info;
        for (int players : {1, 4, 8, 9, 10, 11, 12, 14, 30, 9, 3, 0, 10}) {
            info.Players.assign(players, Player("Pilot", "Pilot"));
            view.FillPlayerRows(info);
            QTest::qWait(20);
            const QByteArray what = QByteArray::number(players) + " players";
            QVERIFY2(view.horizontalScrollBar()->maximum() == 0, what.constData());
            QVERIFY2(view.header()->length() == view.viewport()->width(), what.constData());
        }
    }

    void fsNavigatorsHideOnlyWhenTheSettingSaysSo() {
        AppSettings settings;
        CPlayerView view(settings);
        ServerInfo info;
        info.Players = {Player("Alpha", "Pilot"), Player("Bravo", "FSNavigator"),
                        Player("Charlie", "fsnavigator"), Player("Delta", "Pilot"),
                        Player("Echo", "FSNavigator")};
        view.FillPlayerRows(info);
        QCOMPARE(Names(view), QStringList({"Alpha", "Bravo", "Charlie", "Delta", "Echo"}));

        settings.HideFSNavigators = true;
        view.FillPlayerRows(info);
        QCOMPARE(Names(view), QStringList({"Alpha", "Charlie", "Delta"}));

        // A record's refill after the option changes back shows them again.
        settings.HideFSNavigators = false;
        auto record = std::make_shared<ServerRecord>(info);
        view.FillPlayerRows(record);
        QCOMPARE(view.topLevelItemCount(), 5);
    }

    void emptyServersAndClearsLeaveNoRows() {
        AppSettings settings;
        CPlayerView view(settings);
        ServerInfo info;
        info.Players = {Player("Alpha", "Pilot")};
        view.FillPlayerRows(info);
        QCOMPARE(view.topLevelItemCount(), 1);
        view.FillPlayerRows(ServerInfo());
        QCOMPARE(view.topLevelItemCount(), 0);
        view.FillPlayerRows(info);
        view.ClearPlayerRows();
        QCOMPARE(view.topLevelItemCount(), 0);
        view.FillPlayerRows(info);
        view.FillPlayerRows(ServerPtr());
        QCOMPARE(view.topLevelItemCount(), 0);
    }

    void clicksSelectOneRowAndHeadingsDoNotSort() {
        AppSettings settings;
        CPlayerView view(settings);
        ServerInfo info;
        info.Players = {Player("Zulu", "Pilot"), Player("Alpha", "Pilot")};
        view.resize(800, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.FillPlayerRows(info);

        QHeaderView* header = view.header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
        QCOMPARE(Names(view), QStringList({"Zulu", "Alpha"}));

        QRect second = view.visualItemRect(view.topLevelItem(1));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, second.center());
        QRect first = view.visualItemRect(view.topLevelItem(0));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier, first.center());
        QCOMPARE(view.selectedItems().size(), 1);
    }

    void sizeIsRecordedOnlyOnceTheWindowIsReady() {
        AppSettings settings;
        CPlayerView view(settings);
        view.resize(500, 150);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(settings.PlayerViewWidth, 0);
        settings.WindowReady = true;
        view.resize(640, 180);
        QCoreApplication::processEvents();
        // The client area: inside the frame, header included.
        const int frame = 2 * view.frameWidth();
        QCOMPARE(settings.PlayerViewWidth, 640 - frame);
        QCOMPARE(settings.PlayerViewHeight, 180 - frame);
    }
};

QTEST_MAIN(CPlayerViewTest)
#include "CPlayerViewTest.moc"
