#include "app/ProgramIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace perivant {

namespace {

QPixmap Canvas(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A circular arrow: the refresh symbol.
void DrawArrow(QPainter& p, const QColor& colour) {
    p.setPen(QPen(colour, 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 280 * 16);
    QPainterPath head;
    head.moveTo(10.5, 1.0);
    head.lineTo(14.5, 3.5);
    head.lineTo(10.0, 6.0);
    head.closeSubpath();
    p.fillPath(head, colour);
}

}  // namespace

QIcon ProgramIcons::Program() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pixmap = Canvas(size);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const double s = size / 32.0;
        p.setBrush(QColor(30, 90, 170));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(1 * s, 1 * s, 30 * s, 30 * s));
        // A small aeroplane seen from above.
        QPainterPath plane;
        plane.moveTo(16 * s, 5 * s);
        plane.lineTo(18 * s, 13 * s);
        plane.lineTo(27 * s, 18 * s);
        plane.lineTo(18 * s, 17 * s);
        plane.lineTo(17.5 * s, 23 * s);
        plane.lineTo(21 * s, 26 * s);
        plane.lineTo(16 * s, 25 * s);
        plane.lineTo(11 * s, 26 * s);
        plane.lineTo(14.5 * s, 23 * s);
        plane.lineTo(14 * s, 17 * s);
        plane.lineTo(5 * s, 18 * s);
        plane.lineTo(14 * s, 13 * s);
        plane.closeSubpath();
        p.fillPath(plane, Qt::white);
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon ProgramIcons::Refresh() {
    QPixmap pixmap = Canvas(16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    DrawArrow(p, QColor(20, 130, 40));
    return QIcon(pixmap);
}

QIcon ProgramIcons::RefreshSelected() {
    QPixmap pixmap = Canvas(16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    DrawArrow(p, QColor(20, 130, 40));
    p.fillRect(QRectF(6, 6, 4, 4), QColor(30, 90, 170));
    return QIcon(pixmap);
}

QIcon ProgramIcons::Options() {
    QPixmap pixmap = Canvas(16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(8, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 90, 90));
    for (int i = 0; i < 8; ++i) {
        p.drawRect(QRectF(-1.5, -7.5, 3, 4));
        p.rotate(45);
    }
    p.drawEllipse(QPointF(0, 0), 5, 5);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(0, 0), 2, 2);
    return QIcon(pixmap);
}

QIcon ProgramIcons::Filter() {
    QPixmap pixmap = Canvas(16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath funnel;
    funnel.moveTo(1.5, 2.5);
    funnel.lineTo(14.5, 2.5);
    funnel.lineTo(9.5, 8.5);
    funnel.lineTo(9.5, 14.0);
    funnel.lineTo(6.5, 12.5);
    funnel.lineTo(6.5, 8.5);
    funnel.closeSubpath();
    p.fillPath(funnel, QColor(200, 140, 20));
    p.setPen(QPen(QColor(120, 80, 0), 1.0));
    p.drawPath(funnel);
    return QIcon(pixmap);
}

}  // namespace perivant
