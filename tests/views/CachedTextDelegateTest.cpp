#include "views/CachedTextDelegate.h"

#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <QTreeView>
#include <QtTest>

namespace perivant {
namespace {

// A list set up like the server list, with cells that take every path of the delegate: plain,
// right-aligned, too wide for the column, markup-like, empty, and one with an icon.
class Fixture {
public:
    Fixture() {
        model.setColumnCount(4);
        const char* names[] = {"Tower", "A rather long server name that goes on and on",
                               "<b>Bold</b> &amp; more", "", "Ünïcödé °"};
        for (int row = 0; row < 5; ++row) {
            QList<QStandardItem*> items;
            auto* icon = new QStandardItem();
            QPixmap pixmap(14, 14);
            pixmap.fill(row % 2 ? Qt::red : Qt::blue);
            icon->setData(pixmap, Qt::DecorationRole);
            items << icon;
            items << new QStandardItem(QString::fromUtf8(names[row]));
            auto* number = new QStandardItem(QString::number(row * 1234));
            number->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            items << number;
            items << new QStandardItem(QStringLiteral("%1 ms").arg(row * 50));
            model.appendRow(items);
        }
        view.setRootIsDecorated(false);
        view.setUniformRowHeights(true);
        view.setAllColumnsShowFocus(true);
        view.setSelectionBehavior(QAbstractItemView::SelectRows);
        view.setSelectionMode(QAbstractItemView::ExtendedSelection);
        view.setModel(&model);
        view.resize(560, 160);
        view.header()->resizeSection(0, 21);
        view.header()->resizeSection(1, 120);
        view.header()->resizeSection(2, 60);
        view.header()->resizeSection(3, 80);
        view.selectionModel()->select(model.index(1, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    // The viewport as painted. Opaque pixels only: the grab leaves the unused byte of each
    // pixel as whatever the paint engine wrote there.
    QImage Render() {
        QCoreApplication::processEvents();
        return view.viewport()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    }

    QStandardItemModel model;
    QTreeView view;
};

}  // namespace

class CachedTextDelegateTest : public QObject {
    Q_OBJECT

private slots:
    void PaintsWhatTheStyleWouldPaint() {
        Fixture fixture;
        const QImage styled = fixture.Render();
        auto* style = new QStyledItemDelegate(&fixture.view);
        auto* delegate = new CachedTextDelegate(&fixture.view);
        fixture.view.setItemDelegate(delegate);
        QCOMPARE(fixture.Render(), styled);
        QVERIFY(delegate->CachedTextCount() > 0);

        // Narrower and wider columns: texts are cut again for the new width, or shown whole.
        for (int width : {40, 300}) {
            fixture.view.setItemDelegate(style);
            fixture.view.header()->resizeSection(1, width);
            const QImage expected = fixture.Render();
            fixture.view.setItemDelegate(delegate);
            QCOMPARE(fixture.Render(), expected);
        }
    }

    void RightToLeftListsLookAsTheStyleDrawsThem() {
        Fixture fixture;
        fixture.view.setLayoutDirection(Qt::RightToLeft);
        const QImage styled = fixture.Render();
        fixture.view.setItemDelegate(new CachedTextDelegate(&fixture.view));
        QCOMPARE(fixture.Render(), styled);
    }

    void MarkupIsShownAsText() {
        // The cached path must not read "<b>" as bold: compare it with the literal text drawn
        // in another cell the style paints.
        Fixture fixture;
        fixture.view.setItemDelegate(new CachedTextDelegate(&fixture.view));
        fixture.view.header()->resizeSection(1, 300);
        fixture.model.item(0, 1)->setText(QStringLiteral("<i>x</i>"));
        const QImage cached = fixture.Render();
        fixture.view.setItemDelegate(new QStyledItemDelegate(&fixture.view));
        QCOMPARE(fixture.Render(), cached);
    }

    void CacheIsBoundedAndFollowsTheFont() {
        CachedTextDelegate delegate;
        QImage image(200, 20, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        QStandardItemModel model(1, 1);
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, 200, 20);
        option.state = QStyle::State_Enabled;
        option.showDecorationSelected = true;
        option.font = QFont();
        option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        option.textElideMode = Qt::ElideRight;
        for (int i = 0; i < CachedTextDelegate::kMaxCachedTexts + 100; ++i) {
            model.setData(model.index(0, 0), QString::number(i));
            delegate.paint(&painter, option, model.index(0, 0));
            QVERIFY(delegate.CachedTextCount() <= CachedTextDelegate::kMaxCachedTexts);
        }
        // Full at 4,096, started again with the 4,097th: 100 texts since.
        QCOMPARE(delegate.CachedTextCount(), 100);

        QFont bigger = option.font;
        bigger.setPointSize(option.font.pointSize() + 4);
        model.setData(model.index(0, 0), bigger, Qt::FontRole);
        delegate.paint(&painter, option, model.index(0, 0));
        QCOMPARE(delegate.CachedTextCount(), 1);
    }
};

}  // namespace perivant

QTEST_MAIN(perivant::CachedTextDelegateTest)
#include "CachedTextDelegateTest.moc"
