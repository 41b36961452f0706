#include "views/CPlayerView.h"

#include <array>

#include "app/AppSettings.h"
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
    : DetailListView(settings, &AppSettings::PlayerViewWidth, &AppSettings::PlayerViewHeight,
                     parent) {
    SetColumns(kColumns);
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
        QTreeWidgetItem* row = NewRow();
        for (int c = 0; c < kColumnCount; ++c) {
            row->setText(c, CellText(player.*kColumns[c].field));
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

}  // namespace perivant
