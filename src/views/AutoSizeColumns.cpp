#include "views/AutoSizeColumns.h"

#include <algorithm>

#include <QHeaderView>
#include <QScrollBar>
#include <QTreeView>
#include <QVariant>

namespace perivant {

namespace {

// Measuring a row asks the delegate about every cell, and the server list sizes its columns
// after every new row: the height is kept with the view for as long as its font is the same.
// The panes draw every row alike (uniform row heights), as the first row.
int RowHeight(QTreeView& view) {
    static const char* const kHeight = "perivantRowHeight";
    static const char* const kFont = "perivantRowHeightFont";
    const QString font = view.font().key();
    const QVariant height = view.property(kHeight);
    if (height.isValid() && view.property(kFont).toString() == font) {
        return height.toInt();
    }
    const int measured = std::max(view.sizeHintForRow(0), 0);
    view.setProperty(kHeight, measured);
    view.setProperty(kFont, font);
    return measured;
}

// The width the rows will have once the view has laid them out. Qt shows or hides the
// scroll bars only later, so the viewport's present width may still be the one from before
// the rows changed: a last column sized to it would leave a gap or call up a horizontal bar.
int RowsWidth(QTreeView& view, int columnsWidth) {
    const QSize room = view.maximumViewportSize();
    const QAbstractItemModel* model = view.model();
    const int rows = model != nullptr ? model->rowCount(view.rootIndex()) : 0;
    const int rowsHeight = rows > 0 ? rows * RowHeight(view) : 0;
    const int barWidth = view.verticalScrollBar()->sizeHint().width();
    const int barHeight = view.horizontalScrollBar()->sizeHint().height();
    bool vertical =
        view.verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn ||
        (view.verticalScrollBarPolicy() == Qt::ScrollBarAsNeeded && rowsHeight > room.height());
    const bool horizontal = view.horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn ||
                            (view.horizontalScrollBarPolicy() == Qt::ScrollBarAsNeeded &&
                             columnsWidth > room.width() - (vertical ? barWidth : 0));
    if (horizontal && !vertical && view.verticalScrollBarPolicy() == Qt::ScrollBarAsNeeded) {
        vertical = rowsHeight > room.height() - barHeight;
    }
    return room.width() - (vertical ? barWidth : 0);
}

}  // namespace

void AutoSizeColumns(QTreeView& view, int firstColumn) {
    QHeaderView* header = view.header();
    const int count = header->count();
    for (int column = std::max(firstColumn, 0); column < count; ++column) {
        // The view's own measure of its cells (virtual: a view may answer from widths it keeps).
        const QAbstractItemView& cells = view;
        int width = std::max(header->sectionSizeHint(column), cells.sizeHintForColumn(column));
        if (column == count - 1) {
            // The last column reaches the right edge when there is room to spare.
            const int position = header->sectionPosition(column);
            width = std::max(width, RowsWidth(view, position + width) - position);
        }
        header->resizeSection(column, width);
    }
}

}  // namespace perivant
