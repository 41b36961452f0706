#include "views/AutoSizeColumns.h"

#include <algorithm>

#include <QHeaderView>
#include <QTreeView>

namespace perivant {

void AutoSizeColumns(QTreeView& view, int firstColumn) {
    QHeaderView* header = view.header();
    const int count = header->count();
    for (int column = std::max(firstColumn, 0); column < count; ++column) {
        // The view's own measure of its cells (virtual: a view may answer from widths it keeps).
        const QAbstractItemView& cells = view;
        int width = std::max(header->sectionSizeHint(column), cells.sizeHintForColumn(column));
        if (column == count - 1) {
            // The last column reaches the right edge when there is room to spare.
            int rest = view.viewport()->width() - header->sectionPosition(column);
            width = std::max(width, rest);
        }
        header->resizeSection(column, width);
    }
}

}  // namespace perivant
