#include "app/MainFrameRules.h"

#include <algorithm>

namespace perivant {

WindowRect MainFrameRules::ClipWindowRect(const WindowRect& saved, int w, int h) {
    WindowRect r = saved;
    // An edge at the display's far end would open the window wholly beside the display (say
    // after the monitor it stood on was unplugged), and it would be saved there again.
    if (r.left < 0 || r.left >= w) {
        r.left = 0;
    }
    if (r.top < 0 || r.top >= h) {
        r.top = 0;
    }
    if (r.right > w || r.right < 0) {
        r.right = w;
    }
    if (r.bottom > h || r.bottom < 0) {
        r.bottom = h;
    }
    // Widths are computed in 64 bits: a hand-edited rectangle must not overflow them.
    if (static_cast<long long>(r.right) - r.left < 100) {
        r.right = r.right + 100;
    }
    if (static_cast<long long>(r.bottom) - r.top < 100) {
        r.bottom = r.bottom + 100;
    }
    // A rectangle whose right or bottom lies before its left or top: still at least 100.
    if (r.right - r.left < 100) {
        r.right = r.left + 100;
    }
    if (r.bottom - r.top < 100) {
        r.bottom = r.top + 100;
    }
    // The 100 pixels added to a window that was cut to a sliver at the display's right or bottom
    // edge reach past that edge, leaving a strip of ten pixels or so on the display and no title
    // bar to drag: such a window moves back onto the display whole, its size kept.
    if (r.right > w) {
        const int width = r.right - r.left;
        r.left = std::max(0, w - width);
        r.right = r.left + width;
    }
    if (r.bottom > h) {
        const int height = r.bottom - r.top;
        r.top = std::max(0, h - height);
        r.bottom = r.top + height;
    }
    return r;
}

PaneSizes MainFrameRules::InitialPaneSizes(const AppSettings& s, int cx, int cy) {
    // Saved sizes come from a file anyone can edit: larger than any screen, they are cut to a
    // size that no sum or addition below can overflow.
    static constexpr int kMaxPaneSize = 1 << 20;
    const auto Bounded = [](int v) { return std::min(v, kMaxPaneSize); };
    PaneSizes p;
    const int saved[] = {s.ServerListViewWidth, s.ServerListViewHeight, s.PlayerViewWidth,
                         s.PlayerViewHeight,    s.FlightPlanViewWidth,  s.FlightPlanViewHeight,
                         s.ServerInfoViewWidth, s.ServerInfoViewHeight};
    if (std::all_of(std::begin(saved), std::end(saved), [](int v) { return v >= 20; })) {
        p.rows[0] = Bounded(s.ServerListViewHeight);
        p.rows[1] = Bounded(s.PlayerViewHeight);
        p.rows[2] = Bounded(s.FlightPlanViewHeight);
        p.columns[0] = std::max(0, cx - Bounded(s.ServerInfoViewWidth) - kColumnBorders);
        p.columns[1] = Bounded(s.ServerInfoViewWidth) + kColumnBorders;
    } else {
        const int g = cy / 5 - 35;
        p.rows[0] = std::max(0, 3 * g);
        p.rows[1] = std::max(0, g + 34);
        p.rows[2] = std::max(0, g);
        p.columns[0] = std::max(0, cx - 330);
        p.columns[1] = 330;
    }
    return p;
}

PaneSizes MainFrameRules::FitPaneSizes(const PaneSizes& cells, int width, int height,
                                       int columnBorders) {
    width = std::max(0, width);
    height = std::max(0, height);
    PaneSizes p;
    // 64 bits: the cells may carry hand-edited sizes of about a million pixels.
    const long long first =
        static_cast<long long>(cells.columns[0]) + kColumnBorders - columnBorders;
    p.columns[0] = static_cast<int>(std::clamp<long long>(first, 0, width));
    p.columns[1] = width - p.columns[0];
    int left = height;
    for (int row = 0; row < 2; ++row) {
        p.rows[row] = std::clamp(cells.rows[row], 0, left);
        left -= p.rows[row];
    }
    p.rows[2] = left;
    return p;
}

std::string MainFrameRules::StatusText(bool masterFetchBusy, int runningQueries, int queuedQueries,
                                       int totalServers, int filteredOut) {
    if (masterFetchBusy) {
        return "Retrieving server list from Master Server...";
    }
    // Queued queries count too: between two waves no worker runs, yet the refresh is not done.
    if (runningQueries != 0 || queuedQueries != 0) {
        const int n = runningQueries + queuedQueries;
        return "(" + std::to_string(n) + " Corvane server" + (n > 1 ? "s" : "") +
               " remaining) Retrieving data...";
    }
    if (filteredOut > 0) {
        return "Done. " + std::to_string(totalServers - filteredOut) + " of " +
               std::to_string(totalServers) + " Corvane servers shown. (" +
               std::to_string(filteredOut) + " filtered out)";
    }
    return "Done. " + std::to_string(totalServers) + " Corvane servers online.";
}

}  // namespace perivant
