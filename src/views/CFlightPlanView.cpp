#include "views/CFlightPlanView.h"

#include <QPainter>
#include <QPainterPath>

#include "app/AppSettings.h"
#include "views/AutoSizeColumns.h"

namespace perivant {

namespace {

struct PlanColumn {
    const char* heading;
    int width;
    Qt::Alignment alignment;
    const std::string FlightPlanInfo::*field;  // none for the icon column
};

constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;
constexpr Qt::Alignment kCentre = Qt::AlignHCenter | Qt::AlignVCenter;

const std::array<PlanColumn, CFlightPlanView::kColumnCount> kColumns = {{
    {"", 21, kRight, nullptr},
    {"Player Name", 150, kLeft, &FlightPlanInfo::PlayerName},
    {"Filed", 80, kLeft, &FlightPlanInfo::TimeFiledText},
    {"Opened", 80, kCentre, &FlightPlanInfo::TimeOpenedText},
    {"Flight Plan", 319, kLeft, &FlightPlanInfo::Plan},
    {"Closed", 80, kCentre, &FlightPlanInfo::TimeClosedText},
    {"Open Time", 80, kLeft, &FlightPlanInfo::OpenTimeText},
}};

}  // namespace

QPixmap CFlightPlanView::StatePixmap(FlightPlanIcon icon) {
    const int s = kIconSize;
    QPixmap pixmap(s, s);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    switch (icon) {
        case FlightPlanIcon::Filed: {
            const QColor blue(0, 0, 224);
            QPen pen(blue, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            // The hook: a half circle over the top, then down to the middle.
            QPainterPath hook;
            hook.moveTo(3.5, 5.0);
            hook.arcTo(QRectF(3.5, 1.5, 7.0, 7.0), 180.0, -250.0);
            hook.lineTo(7.0, 9.0);
            painter.drawPath(hook);
            painter.setPen(Qt::NoPen);
            painter.setBrush(blue);
            painter.drawEllipse(QRectF(5.6, 10.6, 2.8, 2.8));
            break;
        }
        case FlightPlanIcon::Open:
            painter.setPen(QPen(QColor(0, 96, 0), 1.0));
            painter.setBrush(QColor(0, 192, 0));
            painter.drawEllipse(QRectF(1.5, 1.5, s - 3.0, s - 3.0));
            break;
        case FlightPlanIcon::Closed:
            painter.setPen(QPen(QColor(128, 0, 0), 1.0));
            painter.setBrush(QColor(224, 0, 0));
            painter.drawRect(QRectF(1.5, 4.5, s - 3.0, 5.0));
            break;
    }
    painter.end();
    return pixmap;
}

CFlightPlanView::CFlightPlanView(AppSettings& settings, QWidget* parent)
    : DetailListView(settings, &AppSettings::FlightPlanViewWidth,
                     &AppSettings::FlightPlanViewHeight, parent) {
    for (FlightPlanIcon icon :
         {FlightPlanIcon::Filed, FlightPlanIcon::Open, FlightPlanIcon::Closed}) {
        m_stateIcons[static_cast<std::size_t>(icon)] = QIcon(StatePixmap(icon));
    }
    setIconSize(QSize(kIconSize, kIconSize));
    SetColumns(kColumns);
    // The icon column keeps its width for good.
    AutoSizeColumns(*this, 1);
}

void CFlightPlanView::FillFlightPlanRows(const ServerInfo& info) {
    clear();
    QList<QTreeWidgetItem*> rows;
    for (const FlightPlanInfo& plan : info.FlightPlans) {
        QTreeWidgetItem* row = NewRow();
        row->setIcon(0,
                     m_stateIcons[static_cast<std::size_t>(FlightPlanStateIcon(plan.StatusText))]);
        for (int c = 1; c < kColumnCount; ++c) {
            row->setText(c, CellText(plan.*kColumns[c].field));
            row->setTextAlignment(c, kColumns[c].alignment);
        }
        rows.append(row);
    }
    addTopLevelItems(rows);
    AutoSizeColumns(*this, 1);
}

void CFlightPlanView::FillFlightPlanRows(const ServerPtr& record) {
    if (!record) {
        ClearFlightPlanRows();
        return;
    }
    std::shared_ptr<const ServerInfo> info = record->Info();
    FillFlightPlanRows(*info);
}

void CFlightPlanView::ClearFlightPlanRows() {
    clear();
}

}  // namespace perivant
