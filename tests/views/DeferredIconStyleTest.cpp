#include "views/DeferredIconStyle.h"

#include <QApplication>
#include <QCommonStyle>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QStyleOption>
#include <QtTest>

namespace perivant {
namespace {

// Qt's common style, counting what it is asked for.
class CountingStyle : public QCommonStyle {
public:
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                       const QWidget* widget) const override {
        ++asked;
        return QCommonStyle::standardIcon(standardIcon, option, widget);
    }
    mutable int asked = 0;
};

QImage Image(const QIcon& icon, int size, qreal ratio) {
    return icon.pixmap(QSize(size, size), ratio).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Painted into a square of size logical pixels on an image of the given pixel ratio.
QImage Painted(const QIcon& icon, int size, qreal ratio = 1.0) {
    const int pixels = qRound(size * ratio);
    QImage image(pixels, pixels, QImage::Format_ARGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    icon.paint(&painter, QRect(0, 0, size, size));
    return image;
}

}  // namespace

class DeferredIconStyleTest : public QObject {
    Q_OBJECT

private slots:
    void AsksForTheExtensionIconsOnlyWhenUsed() {
        auto* counting = new CountingStyle;
        DeferredIconStyle style(counting);
        const QIcon icon = style.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
        QCOMPARE(counting->asked, 0);
        QVERIFY(!icon.pixmap(16, 16).isNull());
        QCOMPARE(counting->asked, 1);
        const QIcon copy = icon;  // copies share the icon made once
        copy.pixmap(32, 32);
        icon.actualSize(QSize(16, 16));
        QCOMPARE(counting->asked, 1);
        // Every other icon is the wrapped style's, made at once.
        style.standardIcon(QStyle::SP_DialogOkButton);
        QCOMPARE(counting->asked, 2);
    }

    void ACopyOfAMadeIconShowsTheSameIcon() {
        DeferredIconStyle style(new QCommonStyle);
        const QIcon icon = style.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
        const QImage made = Image(icon, 16, 1.0);
        QVERIFY(!made.isNull());
        QIcon changed = icon;
        changed.addPixmap(QPixmap(64, 64));  // a change gives the copy an engine of its own
        QCOMPARE(Image(changed, 16, 1.0), made);
    }

    void MadeIconsAreTheWrappedStylesIcons() {
        QCommonStyle plain;
        DeferredIconStyle style(new QCommonStyle);
        for (QStyle::StandardPixmap which : {QStyle::SP_ToolBarHorizontalExtensionButton,
                                             QStyle::SP_ToolBarVerticalExtensionButton}) {
            for (Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft}) {
                QStyleOption option;
                option.direction = direction;
                const QIcon expected = plain.standardIcon(which, &option);
                const QIcon deferred = style.standardIcon(which, &option);
                QCOMPARE(deferred.isNull(), expected.isNull());
                QCOMPARE(deferred.availableSizes(), expected.availableSizes());
                for (int size : {12, 16, 24, 32}) {
                    QCOMPARE(deferred.actualSize(QSize(size, size)),
                             expected.actualSize(QSize(size, size)));
                    QCOMPARE(Image(deferred, size, 1.0), Image(expected, size, 1.0));
                    QCOMPARE(Image(deferred, size, 2.0), Image(expected, size, 2.0));
                    QCOMPARE(Image(deferred, size, 1.5), Image(expected, size, 1.5));
                    QCOMPARE(Painted(deferred, size), Painted(expected, size));
                    QCOMPARE(Painted(deferred, size, 2.0), Painted(expected, size, 2.0));
                }
                QCOMPARE(deferred.pixmap(16, 16, QIcon::Disabled).toImage(),
                         expected.pixmap(16, 16, QIcon::Disabled).toImage());
            }
        }
    }

    void InstallWrapsTheApplicationsStyleAndKeepsItsLook() {
        const QString name = QApplication::style()->name();
        const QPalette palette = QApplication::palette();
        const int extent = QApplication::style()->pixelMetric(QStyle::PM_ToolBarExtensionExtent);
        DeferredIconStyle::Install();
        auto* installed = dynamic_cast<DeferredIconStyle*>(QApplication::style());
        QVERIFY(installed != nullptr);
        QCOMPARE(installed->baseStyle()->name(), name);
        QCOMPARE(QApplication::palette(), palette);
        QCOMPARE(installed->pixelMetric(QStyle::PM_ToolBarExtensionExtent), extent);
    }
};

}  // namespace perivant

QTEST_MAIN(perivant::DeferredIconStyleTest)
#include "DeferredIconStyleTest.moc"
