#include "views/DeferredIconStyle.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>

namespace perivant {

namespace {

// An icon that is made by the style when something first needs it.
class DeferredStyleIcon : public QIconEngine {
public:
    // The option is kept as a plain QStyleOption: the style reads only its direction here.
    DeferredStyleIcon(QStyle* style, QStyle::StandardPixmap standardIcon,
                      const QStyleOption* option, const QWidget* widget)
        : m_style(style),
          m_standardIcon(standardIcon),
          m_hasOption(option != nullptr),
          m_option(option ? *option : QStyleOption()),
          m_widget(widget) {}

    // As Qt's pixmap icons paint: QIcon has placed rect already, so it is filled, not placed
    // again (placing twice moves a scaled-down arrow by a pixel).
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const QPaintDevice* device = painter->device();
        const qreal ratio = device ? device->devicePixelRatio() : qApp->devicePixelRatio();
        painter->drawPixmap(rect, Made().pixmap(rect.size(), ratio, mode, state));
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Made().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Made().pixmap(size, 1.0, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        // QIcon asks for device pixels; the made icon is asked in its own terms, which brings the
        // request back to the same device size.
        return Made().pixmap(scale > 0 ? size / scale : size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return Made().availableSizes(mode, state);
    }
    bool isNull() override { return Made().isNull(); }
    QString key() const override { return QStringLiteral("PerivantDeferredStyleIcon"); }
    QIconEngine* clone() const override {
        auto* copy = new DeferredStyleIcon(m_style, m_standardIcon,
                                           m_hasOption ? &m_option : nullptr, m_widget);
        copy->m_made = m_made;
        copy->m_icon = m_icon;
        return copy;
    }

private:
    QIcon& Made() {
        if (!m_made) {
            m_made = true;
            QStyle* style = m_style ? m_style.data() : QApplication::style();
            m_icon =
                style->standardIcon(m_standardIcon, m_hasOption ? &m_option : nullptr, m_widget);
        }
        return m_icon;
    }

    QPointer<QStyle> m_style;
    QStyle::StandardPixmap m_standardIcon;
    bool m_hasOption;
    QStyleOption m_option;
    QPointer<const QWidget> m_widget;
    bool m_made = false;
    QIcon m_icon;
};

}  // namespace

DeferredIconStyle::DeferredIconStyle(QStyle* base) : QProxyStyle(base) {}

QIcon DeferredIconStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                                      const QWidget* widget) const {
    if (standardIcon != SP_ToolBarHorizontalExtensionButton &&
        standardIcon != SP_ToolBarVerticalExtensionButton) {
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    }
    return QIcon(new DeferredStyleIcon(baseStyle(), standardIcon, option, widget));
}

void DeferredIconStyle::Install() {
    if (QStyle* base = QStyleFactory::create(QApplication::style()->name())) {
        QApplication::setStyle(new DeferredIconStyle(base));
    }
}

}  // namespace perivant
