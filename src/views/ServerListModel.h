#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <QAbstractTableModel>
#include <QPixmap>
#include <QString>

#include "polling/ServerInfo.h"
#include "views/ServerRows.h"

namespace perivant {

// The server list's rows, always in the order of the current sort order. Each row holds its
// record (found again by identity), the snapshot of the record that it shows and sorts by, its
// cell texts and their measured widths. Rows go in by binary search, so adding rows one by one
// costs a search and a pointer shift each, never a full sort.
class ServerListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // Data role that gives a row's ServerRowIcon as an int (column 0).
    static constexpr int kIconRole = Qt::UserRole + 1;

    // Width in pixels that a cell text needs; the view supplies it from its font.
    using CellMeasure = std::function<int(const QString&)>;

    explicit ServerListModel(QObject* parent = nullptr);
    ~ServerListModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int SortOrder() const { return m_sortOrder; }
    // Takes the order, moves the heading arrow and sorts all rows.
    void SetSortOrder(int sortOrder);
    // Sorts all rows under the current order; rows keep their selection.
    void Sort();

    // Inserts a row for the record where the order puts it; returns its row, -1 for no record.
    int AddServer(const ServerPtr& server);
    // Rewrites the record's row from its current contents and moves it where the order puts
    // it. Returns the new row, or -1 when the record has no row.
    int UpdateServer(const ServerRecord* server);
    bool RemoveServer(const ServerRecord* server);
    void Clear();

    int FindRow(const ServerRecord* server) const;
    const ServerPtr& ServerAt(int row) const;
    // The contents the row shows and sorts by.
    const ServerInfo& InfoAt(int row) const;

    // Measures every cell again with measure and from now on each new or rewritten one.
    void SetCellMeasure(CellMeasure measure);
    // The widest measured cell of a column, 0 without rows.
    int WidestCell(int column) const;

    // The program's own pictures: the row icons (14 by 14) and the heading arrows (9 by 9).
    static QPixmap DrawRowIcon(ServerRowIcon icon);
    static QPixmap DrawSortArrow(bool descending);

private:
    const QPixmap& RowIcon(ServerRowIcon icon) const;
    struct Row;

    void Fill(Row& row) const;
    void Measure(Row& row) const;
    void CountWidths(const Row& row, int delta);
    bool Before(const Row* a, const Row* b) const;
    void Release(Row* row);

    // The rows own nothing of each other: m_owned keeps them alive in no particular order (a row
    // knows its slot, so it leaves in constant time), m_rows orders them. Inserting shifts only
    // plain pointers.
    std::vector<std::unique_ptr<Row>> m_owned;
    std::vector<Row*> m_rows;
    int m_sortOrder = 2;
    CellMeasure m_measure;
    // Per column: measured width -> number of cells of that width, so the widest is at hand
    // after any removal without measuring again.
    std::array<std::map<int, int>, kServerListColumnCount> m_widthCounts;
    mutable std::array<QPixmap, 3> m_rowIcons;
    std::array<QPixmap, 2> m_arrows;
};

}  // namespace perivant
