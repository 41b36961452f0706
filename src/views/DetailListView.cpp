#include "views/DetailListView.h"

#include <QHeaderView>
#include <QResizeEvent>

#include "app/AppSettings.h"
#include "app/QtText.h"

namespace perivant {

DetailListView::DetailListView(AppSettings& settings, SizeField width, SizeField height,
                               QWidget* parent)
    : QTreeWidget(parent), m_settings(settings), m_width(width), m_height(height) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);

    QHeaderView* head = header();
    // Headings only label the columns: they cannot sort, move or be clicked.
    head->setSectionsClickable(false);
    head->setSectionsMovable(false);
    head->setStretchLastSection(false);
    // A column may be narrower than the style's usual minimum: the icon column is 21 pixels.
    head->setMinimumSectionSize(0);
    // A column fits its widest cell in every row: Qt would measure only the first thousand,
    // and a server may list a thousand players or flight plans.
    head->setResizeContentsPrecision(-1);
}

void DetailListView::SetColumn(int column, const char* heading, int width,
                               Qt::Alignment alignment) {
    QTreeWidgetItem* headings = headerItem();
    headings->setText(column, QString::fromLatin1(heading));
    headings->setTextAlignment(column, alignment);
    header()->resizeSection(column, width);
}

QString DetailListView::CellText(const std::string& text) {
    return ToQString(text.size() > kMaxCellChars ? text.substr(0, kMaxCellChars) : text);
}

QTreeWidgetItem* DetailListView::NewRow() {
    auto* row = new QTreeWidgetItem();
    row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren);
    return row;
}

void DetailListView::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    // The event is the viewport's; the pane's client area is inside the frame, header included.
    if (m_settings.WindowReady) {
        const QRect client = contentsRect();
        m_settings.*m_width = client.width();
        m_settings.*m_height = client.height();
    }
}

}  // namespace perivant
