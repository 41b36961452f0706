#pragma once

class QTreeView;

namespace perivant {

// Sizes every column from firstColumn on to the wider of its heading and its widest cell; the
// last column also takes the rest of the view's width. Earlier columns keep their widths.
void AutoSizeColumns(QTreeView& view, int firstColumn);

}  // namespace perivant
