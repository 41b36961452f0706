#include "views/CachedScrollBar.h"

#include <QImage>
#include <QWidget>
#include <QtTest>

namespace perivant {
namespace {

// Qt's scroll bar and the cached one side by side in one window, always given the same state.
class SideBySide {
public:
    SideBySide() {
        window.resize(120, 420);
        plain = new QScrollBar(Qt::Vertical, &window);
        cached = new CachedScrollBar(Qt::Vertical, &window);
        plain->setGeometry(10, 10, 16, 400);
        cached->setGeometry(60, 10, 16, 400);
        Both([](QScrollBar& bar) {
            bar.setRange(0, 100);
            bar.setPageStep(20);
        });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }

    template <class Change>
    void Both(Change change) {
        change(*plain);
        change(*cached);
    }

    // Each bar as the window shows it now, painted through the window as on screen.
    void Compare() {
        QCoreApplication::processEvents();
        const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(shot.copy(cached->geometry()), shot.copy(plain->geometry()));
    }

    QWidget window;
    QScrollBar* plain = nullptr;
    CachedScrollBar* cached = nullptr;
};

}  // namespace

class CachedScrollBarTest : public QObject {
    Q_OBJECT

private slots:
    void ShowsWhatQtsScrollBarShows() {
        SideBySide bars;
        bars.Compare();

        // Range changes that leave the handle where it is are shown from the copy.
        const int copied = bars.cached->CopiedPaints();
        for (int i = 0; i < 5; ++i) {
            bars.Both([](QScrollBar& bar) { bar.setRange(0, bar.maximum() + 1); });
            bars.cached->update();
            bars.Compare();
        }
        QVERIFY(bars.cached->CopiedPaints() > copied);

        // Everything that changes the picture is painted afresh.
        bars.Both([](QScrollBar& bar) { bar.setValue(40); });
        bars.Compare();
        bars.Both([](QScrollBar& bar) { bar.setRange(0, 10000); });
        bars.Compare();
        bars.Both([](QScrollBar& bar) { bar.setValue(bar.maximum()); });
        bars.Compare();
        bars.Both([](QScrollBar& bar) { bar.setEnabled(false); });
        bars.Compare();
        bars.Both([](QScrollBar& bar) { bar.setEnabled(true); });
        bars.Compare();
        bars.Both([](QScrollBar& bar) { bar.resize(16, 250); });
        bars.Compare();
    }

    void PressedArrowLooksPressed() {
        SideBySide bars;
        // The arrow at the top, pressed and held: only the pointer tells the bar it is sunken.
        bars.Both([](QScrollBar& bar) {
            QTest::mousePress(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(8, 4));
        });
        bars.Compare();
        bars.Both([](QScrollBar& bar) {
            QTest::mouseRelease(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(8, 4));
        });
        bars.Compare();
    }

    void FollowsNewColours() {
        SideBySide bars;
        QPalette palette = bars.window.palette();
        for (QPalette::ColorRole role : {QPalette::Window, QPalette::Button, QPalette::Base,
                                         QPalette::Dark, QPalette::Shadow}) {
            palette.setColor(role, QColor(200, 30, 90 + role));
        }
        bars.window.setPalette(palette);
        bars.Compare();
        // Opaque, so nothing behind it is painted again with it.
        QVERIFY(bars.cached->testAttribute(Qt::WA_OpaquePaintEvent));
    }

    // Last of all: the pointer stays where a test leaves it, and it must not rest on the bars
    // of the tests before.
    void HoveredPartsLookLit() {
        SideBySide bars;
        // One pointer: each bar is looked at while it rests on the same part of it.
        for (QPoint at : {QPoint(8, 4), QPoint(8, 40)}) {  // the top arrow, then the handle
            QImage seen[2];
            QScrollBar* const both[2] = {bars.plain, bars.cached};
            for (int i = 0; i < 2; ++i) {
                QTest::mouseMove(both[i], at);
                QTRY_VERIFY(both[i]->underMouse());
                QCoreApplication::processEvents();
                seen[i] = bars.window.grab()
                              .toImage()
                              .convertToFormat(QImage::Format_ARGB32)
                              .copy(both[i]->geometry());
            }
            QCOMPARE(seen[1], seen[0]);
        }
        QTest::mouseMove(&bars.window, QPoint(40, 415));
    }
};

}  // namespace perivant

QTEST_MAIN(perivant::CachedScrollBarTest)
#include "CachedScrollBarTest.moc"
