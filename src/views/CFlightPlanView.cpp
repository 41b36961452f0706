#include "views/CFlightPlanView.h"

#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>

#include "app/AppSettings.h"
#include "app/QtText.h"
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
    : QTreeWidget(parent), m_settings(settings) {
    for (FlightPlanIcon icon :
         {FlightPlanIcon::Filed, FlightPlanIcon::Open, FlightPlanIcon::Closed}) {
        m_stateIcons[static_cast<std::size_t>(icon)] = QIcon(StatePixmap(icon));
    }
    setIconSize(QSize(kIconSize, kIconSize));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);

    setColumnCount(kColumnCount);
    QTreeWidgetItem* headings = headerItem();
    for (int c = 0; c < kColumnCount; ++c) {
        headings->setText(c, QString::fromLatin1(kColumns[c].heading));
        headings->setTextAlignment(c, kColumns[c].alignment);
    }
    QHeaderView* head = header();
    // Headings only label the columns: they cannot sort, move or be clicked.
    head->setSectionsClickable(false);
    head->setSectionsMovable(false);
    head->setStretchLastSection(false);
    // A column may be narrower than the style's usual minimum: the icon column is 21 pixels.
    head->setMinimumSectionSize(0);
    for (int c = 0; c < kColumnCount; ++c) {
        head->resizeSection(c, kColumns[c].width);
    }
    // The icon column keeps its width for good.
    AutoSizeColumns(*this, 1);
}

void CFlightPlanView::FillFlightPlanRows(const ServerInfo& info) {
    clear();
    QList<QTreeWidgetItem*> rows;
    for (const FlightPlanInfo& plan : info.FlightPlans) {
        auto* row = new QTreeWidgetItem();
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren);
        row->setIcon(0,
                     m_stateIcons[static_cast<std::size_t>(FlightPlanStateIcon(plan.StatusText))]);
        for (int c = 1; c < kColumnCount; ++c) {
            row->setText(c, ToQString(plan.*kColumns[c].field));
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

void CFlightPlanView::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    // The event is the viewport's; the pane's client area is inside the frame, header included.
    if (m_settings.WindowReady) {
        const QRect client = contentsRect();
        m_settings.FlightPlanViewWidth = client.width();
        m_settings.FlightPlanViewHeight = client.height();
    }
}

}  // namespace perivant
