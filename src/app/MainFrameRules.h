#pragma once

#include <string>

#include "app/AppSettings.h"

namespace perivant {

// Heights of the three outer rows and widths of the two top columns of the main window.
struct PaneSizes {
    int rows[3] = {0, 0, 0};
    int columns[2] = {0, 0};
};

// The main window's rules that need no window: placement, first pane layout, status text.
class MainFrameRules {
public:
    // The saved rectangle clipped to a display of width x height, at least 100 pixels each way.
    static WindowRect ClipWindowRect(const WindowRect& saved, int displayWidth, int displayHeight);

    // Saved pane sizes when all eight are 20 or more, else the default layout, for a frame of
    // cx by cy pixels.
    static PaneSizes InitialPaneSizes(const AppSettings& settings, int cx, int cy);

    // The border allowance that InitialPaneSizes builds into the saved column widths.
    static constexpr int kColumnBorders = 19;

    // Lays the cells out in width by height pixels of pane space (splitter handles excluded) as
    // a static splitter does: every row and column but the last gets its size, cut to the space
    // left, and the last gets the rest. columnBorders is what the frame is wider than the
    // columns' space here; it takes the place of kColumnBorders, so that a saved info pane width
    // comes back as the same width.
    static PaneSizes FitPaneSizes(const PaneSizes& cells, int width, int height, int columnBorders);

    // The status bar's message for the polling engine's state.
    static std::string StatusText(bool masterFetchBusy, int runningQueries, int queuedQueries,
                                  int totalServers, int filteredOut);
};

}  // namespace perivant
