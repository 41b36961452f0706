#pragma once

#include <QTreeWidget>
#include <array>
#include <cstddef>
#include <string>

namespace perivant {

struct AppSettings;

// What the player and flight-plan panes share: a plain list of rows under headings that only
// label their columns (no sorting, no clicking, no moving), and the recording of the pane's
// client size in the settings once the window is ready.
class DetailListView : public QTreeWidget {
    Q_OBJECT

public:
    // The settings fields that receive the pane's width and height.
    using SizeField = int AppSettings::*;

    DetailListView(AppSettings& settings, SizeField width, SizeField height, QWidget* parent);

protected:
    // Column tables of the panes: each entry has a heading, a width and an alignment.
    template <class Column, std::size_t N>
    void SetColumns(const std::array<Column, N>& columns) {
        setColumnCount(static_cast<int>(N));
        for (std::size_t c = 0; c < N; ++c) {
            SetColumn(static_cast<int>(c), columns[c].heading, columns[c].width,
                      columns[c].alignment);
        }
    }

    // A row that can be selected but not edited or expanded.
    static QTreeWidgetItem* NewRow();

    // A cell's text as shown: a server's text cut to what any column can show. Every cell is
    // measured for the column widths and elided on every paint, in time that grows with its
    // length; a server's megabyte-long names held the window for seconds on each paint.
    static QString CellText(const std::string& text);
    static constexpr std::size_t kMaxCellChars = 1000;

    void resizeEvent(QResizeEvent* event) override;

    AppSettings& m_settings;

private:
    void SetColumn(int column, const char* heading, int width, Qt::Alignment alignment);

    SizeField m_width;
    SizeField m_height;
};

}  // namespace perivant
