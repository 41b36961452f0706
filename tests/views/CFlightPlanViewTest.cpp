#include <QHeaderView>
#include <QtTest>

#include "app/AppSettings.h"
#include "views/CFlightPlanView.h"

using namespace perivant;

namespace {

FlightPlanInfo Plan(const std::string& name, const std::string& state) {
    FlightPlanInfo p;
    p.PlayerName = name;
    p.Plan = "EGLL SID DVR UL9 KONAN LFPG";
    p.StatusText = state;
    p.TimeFiledText = "12:00";
    p.TimeOpenedText = "12:05";
    p.TimeClosedText = "13:10";
    p.OpenTimeText = "1:05";
    return p;
}

QImage IconImage(const QTreeWidgetItem* row) {
    return row->icon(0)
        .pixmap(CFlightPlanView::kIconSize, CFlightPlanView::kIconSize)
        .toImage()
        .convertToFormat(QImage::Format_ARGB32);
}

// How many opaque pixels of the picture lean clearly to one colour.
struct ColourCount {
    int red = 0;
    int green = 0;
    int blue = 0;
};

ColourCount Count(const QImage& image) {
    ColourCount count;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QColor c = image.pixelColor(x, y);
            if (c.alpha() < 128) {
                continue;
            }
            count.red += c.red() > 150 && c.green() < 80 && c.blue() < 80;
            count.green += c.green() > 150 && c.red() < 80 && c.blue() < 80;
            count.blue += c.blue() > 150 && c.red() < 80 && c.green() < 80;
        }
    }
    return count;
}

}  // namespace

class CFlightPlanViewTest : public QObject {
    Q_OBJECT

private slots:
    void columnsHaveTheirHeadingsAndWidths() {
        AppSettings settings;
        CFlightPlanView view(settings);
        const QStringList headings = {"",       "Player Name", "Filed", "Opened", "Flight Plan",
                                      "Closed", "Open Time"};
        QCOMPARE(view.columnCount(), 7);
        for (int c = 0; c < headings.size(); ++c) {
            QCOMPARE(view.headerItem()->text(c), headings[c]);
        }
        QCOMPARE(view.header()->sectionSize(0), 21);
        for (int c : {3, 5}) {
            QCOMPARE(view.headerItem()->textAlignment(c) & Qt::AlignHorizontal_Mask,
                     int(Qt::AlignHCenter));
        }
        QVERIFY(!view.header()->sectionsClickable());
        QCOMPARE(view.selectionMode(), QAbstractItemView::SingleSelection);
    }

    void rowsShowTheCellsInColumnOrder() {
        AppSettings settings;
        CFlightPlanView view(settings);
        ServerInfo info;
        info.FlightPlans = {Plan("Ren\xE9", "Open")};
        view.FillFlightPlanRows(info);
        QCOMPARE(view.topLevelItemCount(), 1);
        const QTreeWidgetItem* row = view.topLevelItem(0);
        QCOMPARE(row->text(0), QString());
        QCOMPARE(row->text(1), QString::fromUtf8("Ren\u00E9"));
        QCOMPARE(row->text(2), QString("12:00"));
        QCOMPARE(row->text(3), QString("12:05"));
        QCOMPARE(row->text(4), QString("EGLL SID DVR UL9 KONAN LFPG"));
        QCOMPARE(row->text(5), QString("13:10"));
        QCOMPARE(row->text(6), QString("1:05"));
        // The state is shown by its icon only, and the icon column keeps its width.
        for (int c = 0; c < 7; ++c) {
            QVERIFY(row->text(c) != "Open");
        }
        QCOMPARE(view.header()->sectionSize(0), 21);
        QVERIFY(view.header()->sectionSize(4) >=
                view.fontMetrics().horizontalAdvance("EGLL SID DVR UL9 KONAN LFPG"));

        // A megabyte-long route shows as much as any column can.
        info.FlightPlans[0].Plan = std::string(1000000, 'W');
        view.FillFlightPlanRows(info);
        QCOMPARE(view.topLevelItem(0)->text(4), QString(1000, QLatin1Char('W')));
    }

    void eachStateHasItsPicture() {
        AppSettings settings;
        CFlightPlanView view(settings);
        ServerInfo info;
        info.FlightPlans = {Plan("a", "Filed"), Plan("b", "Open"), Plan("c", "Closed"),
                            Plan("d", ""),      Plan("e", "open"), Plan("f", "Filed ")};
        view.FillFlightPlanRows(info);
        QCOMPARE(view.topLevelItemCount(), 6);

        ColourCount filed = Count(IconImage(view.topLevelItem(0)));
        ColourCount open = Count(IconImage(view.topLevelItem(1)));
        ColourCount closed = Count(IconImage(view.topLevelItem(2)));
        QVERIFY(filed.blue > 10 && filed.red == 0 && filed.green == 0);
        QVERIFY(open.green > 40 && open.red == 0 && open.blue == 0);
        QVERIFY(closed.red > 20 && closed.green == 0 && closed.blue == 0);
        // A disc is wider in the middle than a bar is tall: the open picture fills more rows.
        QVERIFY(open.green > closed.red);

        // Anything but the two exact words shows as closed.
        for (int i : {3, 4, 5}) {
            QCOMPARE(IconImage(view.topLevelItem(i)), IconImage(view.topLevelItem(2)));
        }
        QCOMPARE(view.iconSize(), QSize(14, 14));
    }

    void emptyServersAndClearsLeaveNoRows() {
        AppSettings settings;
        CFlightPlanView view(settings);
        ServerInfo info;
        info.FlightPlans = {Plan("a", "Open"), Plan("b", "Filed")};
        auto record = std::make_shared<ServerRecord>(info);
        view.FillFlightPlanRows(record);
        QCOMPARE(view.topLevelItemCount(), 2);
        QCOMPARE(view.topLevelItem(1)->text(1), QString("b"));
        view.FillFlightPlanRows(ServerInfo());
        QCOMPARE(view.topLevelItemCount(), 0);
        view.FillFlightPlanRows(info);
        view.ClearFlightPlanRows();
        QCOMPARE(view.topLevelItemCount(), 0);
        view.FillFlightPlanRows(record);
        view.FillFlightPlanRows(ServerPtr());
        QCOMPARE(view.topLevelItemCount(), 0);
    }

    void sizeIsRecordedOnlyOnceTheWindowIsReady() {
        AppSettings settings;
        CFlightPlanView view(settings);
        view.resize(500, 150);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(settings.FlightPlanViewHeight, 0);
        settings.WindowReady = true;
        view.resize(700, 120);
        QCoreApplication::processEvents();
        // The client area: inside the frame, header included.
        const int frame = 2 * view.frameWidth();
        QCOMPARE(settings.FlightPlanViewWidth, 700 - frame);
        QCOMPARE(settings.FlightPlanViewHeight, 120 - frame);
    }
};

QTEST_MAIN(CFlightPlanViewTest)
#include "CFlightPlanViewTest.moc"
