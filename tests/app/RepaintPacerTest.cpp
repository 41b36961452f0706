#include "app/RepaintPacer.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QWidget>
#include <QtTest>

namespace perivant {
namespace {

// Counts its paints and remembers the value it showed last.
class CountingWidget : public QWidget {
public:
    using QWidget::QWidget;
    int paints = 0;
    int value = 0;
    int shown = -1;

protected:
    void paintEvent(QPaintEvent*) override {
        ++paints;
        shown = value;
        QPainter(this).fillRect(rect(), QColor(value % 256, 0, 0));
    }
};

struct Window {
    explicit Window(int intervalMs) {
        top.resize(200, 100);
        child = new CountingWidget(&top);
        child->setGeometry(10, 10, 100, 50);
        pacer = new RepaintPacer(&top, intervalMs);
        top.show();
        QVERIFY(QTest::qWaitForWindowExposed(&top));
        QTest::qWait(2 * intervalMs);  // the first paints are done
    }
    // Asks for a repaint about every millisecond for the given time, handling events meanwhile.
    void Storm(int ms) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) {
            ++child->value;
            child->update();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            QTest::qSleep(1);
        }
    }
    QWidget top;
    CountingWidget* child = nullptr;
    RepaintPacer* pacer = nullptr;
};

}  // namespace

class RepaintPacerTest : public QObject {
    Q_OBJECT

private slots:
    void ManyRequestsMakeAtMostOnePaintPerInterval() {
        Window window(20);
        const int before = window.child->paints;
        window.Storm(200);
        const int paints = window.child->paints - before;
        // 200 ms at one paint per 20 ms, with a margin for the ends of the storm.
        QVERIFY2(paints <= 200 / 20 + 2, qPrintable(QString::number(paints)));
        QVERIFY(paints >= 1);
        QVERIFY(window.pacer->HeldRequests() > 0);
        // The last state is painted once the interval has passed, without a further request.
        QTRY_COMPARE_WITH_TIMEOUT(window.child->shown, window.child->value, 1000);
    }

    void ARequestAfterAQuietIntervalIsPaintedAtOnce() {
        Window window(20);
        QTest::qWait(40);
        const int held = window.pacer->HeldRequests();
        const int before = window.child->paints;
        window.child->value = 7;
        window.child->update();
        QCoreApplication::processEvents();
        QCOMPARE(window.child->paints, before + 1);
        QCOMPARE(window.child->shown, 7);
        QCOMPARE(window.pacer->HeldRequests(), held);
    }

    void AHeldRequestWaitsOnlyForTheRestOfTheInterval() {
        Window window(1000);
        window.child->value = 1;
        window.child->update();
        QTRY_COMPARE_WITH_TIMEOUT(window.child->shown, 1, 2000);  // after a quiet interval
        QElapsedTimer sincePaint;
        sincePaint.start();
        QTest::qWait(700);
        window.child->value = 2;
        window.child->update();  // late in the interval: held only until it ends
        QTRY_COMPARE_WITH_TIMEOUT(window.child->shown, 2, 3000);
        // Due about 1,000 ms after the paint; waiting a whole interval more would give 1,700.
        QVERIFY2(sincePaint.elapsed() < 1400, qPrintable(QString::number(sincePaint.elapsed())));
    }
};

}  // namespace perivant

QTEST_MAIN(perivant::RepaintPacerTest)
#include "RepaintPacerTest.moc"
