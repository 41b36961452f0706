#include "views/CPlayerView.h"

#include <QHeaderView>
#include <QResizeEvent>
#include <array>

#include "app/AppSettings.h"
#include "app/QtText.h"
#include "views/AutoSizeColumns.h"
#include "views/DetailPaneRules.h"

namespace perivant {

namespace {

struct PlayerColumn {
    const char* heading;
    int width;
    Qt::Alignment alignment;
    std::string PlayerInfo::*field;
};

constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kCentre = Qt::AlignHCenter | Qt::AlignVCenter;

const std::array<PlayerColumn, CPlayerView::kColumnCount> kColumns = {{
    {"Game", 50, kLeft, &PlayerInfo::GameVersion},
    {"Player Name", 80, kLeft, &PlayerInfo::Name},
    {"Type", 75, kLeft, &PlayerInfo::Type},
    {"Aircraft", 144, kLeft, &PlayerInfo::Aircraft},
    {"Time", 75, kLeft, &PlayerInfo::ConnectTime},
    {"Near", 75, kLeft, &PlayerInfo::NearAirport},
    {"Alt", 50, kLeft, &PlayerInfo::Altitude},
    {"Hdg", 55, kLeft, &PlayerInfo::Heading},
    {"Speed", 65, kLeft, &PlayerInfo::Speed},
    {"Hop", 65, kLeft, &PlayerInfo::Hop},
    {"DX", 65, kCentre, &PlayerInfo::DXVersion},
    {"Status", 94, kLeft, &PlayerInfo::Status},
}};

}  // namespace

CPlayerView::CPlayerView(AppSettings& settings, QWidget* parent)
    : QTreeWidget(parent), m_settings(settings) {
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
    // The game column keeps its width until the first fill.
    AutoSizeColumns(*this, 1);
}

void CPlayerView::FillPlayerRows(const ServerInfo& info) {
    clear();
    QList<QTreeWidgetItem*> rows;
    for (const PlayerInfo& player : info.Players) {
        if (!IsPlayerListed(player, m_settings.HideFSNavigators)) {
            continue;
        }
        auto* row = new QTreeWidgetItem();
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren);
        for (int c = 0; c < kColumnCount; ++c) {
            row->setText(c, ToQString(player.*kColumns[c].field));
            row->setTextAlignment(c, kColumns[c].alignment);
        }
        rows.append(row);
    }
    addTopLevelItems(rows);
    AutoSizeColumns(*this, 0);
}

void CPlayerView::FillPlayerRows(const ServerPtr& record) {
    if (!record) {
        ClearPlayerRows();
        return;
    }
    std::shared_ptr<const ServerInfo> info = record->Info();
    FillPlayerRows(*info);
}

void CPlayerView::ClearPlayerRows() {
    clear();
}

void CPlayerView::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    // The event is the viewport's; the pane's client area is inside the frame, header included.
    if (m_settings.WindowReady) {
        const QRect client = contentsRect();
        m_settings.PlayerViewWidth = client.width();
        m_settings.PlayerViewHeight = client.height();
    }
}

}  // namespace perivant
