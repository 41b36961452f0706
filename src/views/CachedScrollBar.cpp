#include "views/CachedScrollBar.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>

namespace perivant {

CachedScrollBar::CachedScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool CachedScrollBar::SameAsCopy(const QStyleOptionSlider& shown) const {
    const QStyleOptionSlider& copy = m_copyShows;
    return m_copyValid && shown.rect == copy.rect && shown.state == copy.state &&
           shown.direction == copy.direction &&
           shown.palette.cacheKey() == copy.palette.cacheKey() &&
           shown.orientation == copy.orientation && shown.minimum == copy.minimum &&
           shown.maximum == copy.maximum && shown.sliderPosition == copy.sliderPosition &&
           shown.sliderValue == copy.sliderValue && shown.singleStep == copy.singleStep &&
           shown.pageStep == copy.pageStep && shown.upsideDown == copy.upsideDown &&
           m_copy.devicePixelRatio() == devicePixelRatioF() && m_copyStyle == style() &&
           m_copyBackground == window()->palette().brush(QPalette::Window);
}

bool CachedScrollBar::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            m_pressed = true;
            break;
        case QEvent::MouseButtonRelease:
            m_pressed = false;
            break;
        default:
            break;
    }
    const bool handled = QScrollBar::event(event);
    if (event->type() == QEvent::Polish) {
        // The style's polish makes scroll bars see-through; this one paints every pixel, the
        // window's background included.
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    return handled;
}

void CachedScrollBar::PaintBackground(QPainter& painter) const {
    // What the window paints behind a widget that leaves pixels unpainted.
    const QWidget* top = window();
    painter.setBrushOrigin(-mapTo(top, QPoint(0, 0)));
    painter.fillRect(rect(), top->palette().brush(QPalette::Window));
    painter.setBrushOrigin(QPoint(0, 0));
}

void CachedScrollBar::paintEvent(QPaintEvent* event) {
    // Lit or pressed parts are known only to Qt's own painting: those are painted as always.
    if (m_pressed || underMouse() || isSliderDown()) {
        m_copyValid = false;
        {
            QPainter painter(this);
            PaintBackground(painter);
        }
        QScrollBar::paintEvent(event);
        return;
    }
    QStyleOptionSlider shown;
    initStyleOption(&shown);
    // As Qt's scroll bar paints itself when nothing is lit or pressed.
    shown.subControls = QStyle::SC_All;
    shown.activeSubControls = QStyle::SC_None;
    if (!SameAsCopy(shown)) {
        const qreal ratio = devicePixelRatioF();
        QImage copy((QSizeF(size()) * ratio).toSize(), QImage::Format_RGB32);
        copy.setDevicePixelRatio(ratio);
        QPainter painter(&copy);
        PaintBackground(painter);
        style()->drawComplexControl(QStyle::CC_ScrollBar, &shown, &painter, this);
        painter.end();
        m_copy = copy;
        m_copyShows = shown;
        m_copyStyle = style();
        m_copyBackground = window()->palette().brush(QPalette::Window);
        m_copyValid = true;
    } else {
        ++m_copiedPaints;
    }
    QPainter painter(this);
    const QRect area = event->rect();
    const qreal ratio = m_copy.devicePixelRatio();
    painter.drawImage(area, m_copy,
                      QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio));
}

}  // namespace perivant
