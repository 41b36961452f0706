#include "views/ServerListModel.h"

#include <algorithm>
#include <unordered_map>

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include "app/QtText.h"

namespace perivant {

namespace {

constexpr int kRowIconSize = 14;
constexpr int kArrowSize = 9;

const char* const kHeadings[kServerListColumnCount] = {"",       "Server", "Session",
                                                       "Pilots", "Games",  "Ping"};

Qt::Alignment ColumnAlignment(int column) {
    return (column == 0 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

}  // namespace

struct ServerListModel::Row {
    ServerPtr server;
    std::shared_ptr<const ServerInfo> info;
    ServerRowIcon icon = ServerRowIcon::Blank;
    std::array<QString, kServerListColumnCount> cells;
    std::array<int, kServerListColumnCount> widths{};
    size_t slot = 0;  // place in m_owned
};

ServerListModel::ServerListModel(QObject* parent) : QAbstractTableModel(parent) {
    m_arrows[0] = DrawSortArrow(false);
    m_arrows[1] = DrawSortArrow(true);
}

ServerListModel::~ServerListModel() = default;

int ServerListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ServerListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kServerListColumnCount;
}

QVariant ServerListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
        return {};
    }
    const Row& row = *m_rows[static_cast<size_t>(index.row())];
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
            if (column > 0) {
                return row.cells[static_cast<size_t>(column)];
            }
            return {};
        case Qt::DecorationRole:
            if (column == 0) {
                return RowIcon(row.icon);
            }
            return {};
        case kIconRole:
            if (column == 0) {
                return static_cast<int>(row.icon);
            }
            return {};
        case Qt::TextAlignmentRole:
            return static_cast<int>(ColumnAlignment(column));
        default:
            return {};
    }
}

QVariant ServerListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kServerListColumnCount) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromLatin1(kHeadings[section]);
        case Qt::DecorationRole: {
            bool descending = false;
            if (SortArrowColumn(m_sortOrder, descending) == section) {
                return m_arrows[descending ? 1 : 0];
            }
            return {};
        }
        case Qt::TextAlignmentRole:
            return static_cast<int>(ColumnAlignment(section));
        default:
            return {};
    }
}

Qt::ItemFlags ServerListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void ServerListModel::SetSortOrder(int sortOrder) {
    m_sortOrder = sortOrder;
    emit headerDataChanged(Qt::Horizontal, 0, kServerListColumnCount - 1);
    Sort();
}

bool ServerListModel::Before(const Row* a, const Row* b) const {
    return CompareServers(*a->info, *b->info, m_sortOrder) < 0;
}

void ServerListModel::Release(Row* row) {
    const size_t slot = row->slot;
    if (slot + 1 != m_owned.size()) {
        m_owned[slot] = std::move(m_owned.back());
        m_owned[slot]->slot = slot;
    }
    m_owned.pop_back();
}

void ServerListModel::Sort() {
    auto before = [this](const Row* a, const Row* b) { return Before(a, b); };
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Selection and current row are persistent indexes: they follow their rows.
    const QModelIndexList oldIndexes = persistentIndexList();
    std::vector<const Row*> oldRows;
    oldRows.reserve(static_cast<size_t>(oldIndexes.size()));
    for (const QModelIndex& index : oldIndexes) {
        oldRows.push_back(m_rows[static_cast<size_t>(index.row())]);
    }
    // Stable, so rows that compare equal keep their places.
    std::stable_sort(m_rows.begin(), m_rows.end(), before);
    if (!oldIndexes.isEmpty()) {
        std::unordered_map<const Row*, int> newRows;
        for (size_t i = 0; i < m_rows.size(); ++i) {
            newRows.emplace(m_rows[i], static_cast<int>(i));
        }
        QModelIndexList newIndexes;
        newIndexes.reserve(oldIndexes.size());
        for (qsizetype i = 0; i < oldIndexes.size(); ++i) {
            newIndexes.append(
                index(newRows.at(oldRows[static_cast<size_t>(i)]), oldIndexes[i].column()));
        }
        changePersistentIndexList(oldIndexes, newIndexes);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ServerListModel::Fill(Row& row) const {
    row.info = row.server->Info();
    row.icon = ServerRowIconFor(*row.info);
    ServerRowCells cells = MakeServerRowCells(*row.info);
    for (size_t c = 0; c < cells.size(); ++c) {
        row.cells[c] = ToQString(cells[c]);
    }
}

void ServerListModel::Measure(Row& row) const {
    for (size_t c = 1; c < row.cells.size(); ++c) {
        row.widths[c] = m_measure ? m_measure(row.cells[c]) : 0;
    }
}

void ServerListModel::CountWidths(const Row& row, int delta) {
    for (size_t c = 1; c < row.widths.size(); ++c) {
        std::map<int, int>& counts = m_widthCounts[c];
        int& count = counts[row.widths[c]];
        count += delta;
        if (count <= 0) {
            counts.erase(row.widths[c]);
        }
    }
}

int ServerListModel::AddServer(const ServerPtr& server) {
    if (!server) {
        return -1;
    }
    auto owned = std::make_unique<Row>();
    Row* row = owned.get();
    row->server = server;
    Fill(*row);
    Measure(*row);
    // After the rows it equals, as if appended and then sorted stably.
    auto at = std::upper_bound(m_rows.begin(), m_rows.end(), row,
                               [this](const Row* a, const Row* b) { return Before(a, b); });
    const int position = static_cast<int>(at - m_rows.begin());
    beginInsertRows(QModelIndex(), position, position);
    row->slot = m_owned.size();
    m_owned.push_back(std::move(owned));
    m_rows.insert(at, row);
    CountWidths(*row, +1);
    endInsertRows();
    return position;
}

int ServerListModel::UpdateServer(const ServerRecord* server) {
    const int from = FindRow(server);
    if (from < 0) {
        return -1;
    }
    Row* row = m_rows[static_cast<size_t>(from)];
    CountWidths(*row, -1);
    Fill(*row);
    Measure(*row);
    CountWidths(*row, +1);

    // Where the rewritten row belongs among the others, as sorting the whole list again
    // (stably) would put it: the rest keep their order, and among the rows it equals the row
    // keeps its place, so a re-query that changed nothing moves nothing.
    m_rows.erase(m_rows.begin() + from);
    const auto before = [this](const Row* a, const Row* b) { return Before(a, b); };
    const auto equal = std::equal_range(m_rows.begin(), m_rows.end(), row, before);
    const int to = std::clamp(from, static_cast<int>(equal.first - m_rows.begin()),
                              static_cast<int>(equal.second - m_rows.begin()));
    m_rows.insert(m_rows.begin() + from, row);
    if (to != from) {
        // A move keeps the row's selection, as sorting does.
        beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
        if (to > from) {
            std::rotate(m_rows.begin() + from, m_rows.begin() + from + 1, m_rows.begin() + to + 1);
        } else {
            std::rotate(m_rows.begin() + to, m_rows.begin() + from, m_rows.begin() + from + 1);
        }
        endMoveRows();
    }
    emit dataChanged(index(to, 0), index(to, kServerListColumnCount - 1));
    return to;
}

bool ServerListModel::RemoveServer(const ServerRecord* server) {
    const int row = FindRow(server);
    if (row < 0) {
        return false;
    }
    beginRemoveRows(QModelIndex(), row, row);
    Row* removed = m_rows[static_cast<size_t>(row)];
    CountWidths(*removed, -1);
    m_rows.erase(m_rows.begin() + row);
    Release(removed);
    endRemoveRows();
    return true;
}

void ServerListModel::Clear() {
    beginResetModel();
    m_rows.clear();
    m_owned.clear();
    for (std::map<int, int>& counts : m_widthCounts) {
        counts.clear();
    }
    endResetModel();
}

int ServerListModel::FindRow(const ServerRecord* server) const {
    if (server == nullptr) {
        return -1;
    }
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i]->server.get() == server) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

const ServerPtr& ServerListModel::ServerAt(int row) const {
    return m_rows.at(static_cast<size_t>(row))->server;
}

const ServerInfo& ServerListModel::InfoAt(int row) const {
    return *m_rows.at(static_cast<size_t>(row))->info;
}

void ServerListModel::SetCellMeasure(CellMeasure measure) {
    m_measure = std::move(measure);
    for (std::map<int, int>& counts : m_widthCounts) {
        counts.clear();
    }
    for (Row* row : m_rows) {
        Measure(*row);
        CountWidths(*row, +1);
    }
}

int ServerListModel::WidestCell(int column) const {
    if (column < 0 || column >= kServerListColumnCount) {
        return 0;
    }
    const std::map<int, int>& counts = m_widthCounts[static_cast<size_t>(column)];
    return counts.empty() ? 0 : counts.rbegin()->first;
}

const QPixmap& ServerListModel::RowIcon(ServerRowIcon icon) const {
    // Drawn when a row first shows one: the "DX" letters load a bold font, which the empty list
    // of a starting window does not need.
    const auto index = static_cast<size_t>(icon);
    if (m_rowIcons[index].isNull()) {
        m_rowIcons[index] = DrawRowIcon(icon);
    }
    return m_rowIcons[index];
}

QPixmap ServerListModel::DrawRowIcon(ServerRowIcon icon) {
    QPixmap pixmap(kRowIconSize, kRowIconSize);
    pixmap.fill(Qt::transparent);
    if (icon == ServerRowIcon::Blank) {
        return pixmap;
    }
    QPainter painter(&pixmap);
    if (icon == ServerRowIcon::Padlock) {
        // Shackle, then the brass body with its keyhole.
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(80, 80, 80), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(4, 1.5, 6, 8), 3, 3);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QColor(107, 78, 0));
        painter.setBrush(QColor(222, 170, 30));
        painter.drawRect(2, 6, 10, 7);
        painter.fillRect(6, 8, 2, 3, QColor(60, 40, 0));
    } else {
        // Red "DX", outlined from the letters' shapes so it reads at 14 pixels.
        QFont font;
        font.setPixelSize(9);
        font.setBold(true);
        QPainterPath letters;
        letters.addText(0, 0, font, QStringLiteral("DX"));
        QRectF bounds = letters.boundingRect();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate((kRowIconSize - bounds.width()) / 2 - bounds.left(),
                          (kRowIconSize - bounds.height()) / 2 - bounds.top());
        painter.fillPath(letters, QColor(220, 0, 0));
    }
    return pixmap;
}

QPixmap ServerListModel::DrawSortArrow(bool descending) {
    QPixmap pixmap(kArrowSize, kArrowSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(64, 64, 64));
    QPolygon triangle;
    if (descending) {
        triangle = QPolygon({QPoint(0, 2), QPoint(8, 2), QPoint(4, 7)});
    } else {
        triangle = QPolygon({QPoint(4, 1), QPoint(8, 6), QPoint(0, 6)});
    }
    painter.drawPolygon(triangle);
    return pixmap;
}

}  // namespace perivant
