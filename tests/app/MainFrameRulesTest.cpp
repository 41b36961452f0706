#include "app/MainFrameRules.h"

#include <gtest/gtest.h>

#include <array>

using namespace perivant;

TEST(MainFrameRules, StatusTextForEveryState) {
    EXPECT_EQ(MainFrameRules::StatusText(true, 5, 5, 3, 1),
              "Retrieving server list from Master Server...");
    EXPECT_EQ(MainFrameRules::StatusText(false, 1, 0, 0, 0),
              "(1 Corvane server remaining) Retrieving data...");
    EXPECT_EQ(MainFrameRules::StatusText(false, 1, 1, 0, 0),
              "(2 Corvane servers remaining) Retrieving data...");
    EXPECT_EQ(MainFrameRules::StatusText(false, 0, 0, 0, 0), "Done. 0 Corvane servers online.");
    EXPECT_EQ(MainFrameRules::StatusText(false, 0, 0, 5, 5),
              "Done. 0 of 5 Corvane servers shown. (5 filtered out)");
    EXPECT_EQ(MainFrameRules::StatusText(false, 0, 3, 7, 0),
              "(3 Corvane servers remaining) Retrieving data...")
        << "between two waves the refresh is not done";
}

namespace {

// The window's left, top, right and bottom once the saved rectangle is clipped to a display.
std::array<int, 4> Clipped(const WindowRect& saved, int width, int height) {
    const WindowRect r = MainFrameRules::ClipWindowRect(saved, width, height);
    return {r.left, r.top, r.right, r.bottom};
}

using Edges = std::array<int, 4>;

}  // namespace

TEST(MainFrameRules, WindowRectIsClippedToTheDisplay) {
    EXPECT_EQ(Clipped({3000, 10, 3500, 600}, 1024, 768), (Edges{0, 10, 1024, 600}));
    EXPECT_EQ(Clipped({100, 100, 150, 150}, 1024, 768), (Edges{100, 100, 250, 250}));
    EXPECT_EQ(Clipped({-5, -5, -1, -1}, 800, 600), (Edges{0, 0, 800, 600}));
    // An edge at the display's end would put the whole window beside it.
    EXPECT_EQ(Clipped({1024, 768, 1500, 900}, 1024, 768), (Edges{0, 0, 1024, 768}));
    // Right before left, bottom before top: still 100 pixels each way.
    EXPECT_EQ(Clipped({500, 400, 100, 50}, 1024, 768), (Edges{500, 400, 600, 500}));
    // Cut to a sliver at the right and bottom edges: the added 100 pixels keep it on the display.
    EXPECT_EQ(Clipped({630, 100, 1230, 700}, 640, 480), (Edges{530, 100, 640, 480}));
    EXPECT_EQ(Clipped({100, 470, 700, 900}, 640, 480), (Edges{100, 370, 640, 480}));
    // A display narrower than the window: the window starts at its edge.
    EXPECT_EQ(Clipped({40, 0, 80, 300}, 60, 480), (Edges{0, 0, 120, 300}));
    // A hand-edited rectangle with extreme values must not overflow the width test.
    EXPECT_EQ(Clipped({INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN}, 800, 600),
              (Edges{0, 0, 800, 600}));
}

TEST(MainFrameRules, InitialPaneSizes) {
    AppSettings s;
    PaneSizes p = MainFrameRules::InitialPaneSizes(s, 1024, 700);
    EXPECT_EQ(p.rows[0], 315);
    EXPECT_EQ(p.rows[1], 139);
    EXPECT_EQ(p.rows[2], 105);
    EXPECT_EQ(p.columns[0], 694);
    EXPECT_EQ(p.columns[1], 330);

    s.ServerListViewWidth = s.ServerListViewHeight = 300;
    s.PlayerViewWidth = 300;
    s.PlayerViewHeight = 120;
    s.FlightPlanViewWidth = 300;
    s.FlightPlanViewHeight = 90;
    s.ServerInfoViewWidth = 250;
    s.ServerInfoViewHeight = 300;
    p = MainFrameRules::InitialPaneSizes(s, 1000, 700);
    EXPECT_EQ(p.rows[0], 300);
    EXPECT_EQ(p.rows[1], 120);
    EXPECT_EQ(p.rows[2], 90);
    EXPECT_EQ(p.columns[0], 1000 - 250 - 19);
    EXPECT_EQ(p.columns[1], 269);

    // Hand-edited sizes beyond any screen neither overflow nor reach the splitters whole.
    s.ServerInfoViewWidth = s.ServerListViewHeight = 2147483647;
    p = MainFrameRules::InitialPaneSizes(s, 1000, 700);
    EXPECT_EQ(p.rows[0], 1 << 20);
    EXPECT_EQ(p.columns[0], 0);
    EXPECT_EQ(p.columns[1], (1 << 20) + 19);
    s.ServerInfoViewWidth = 250;

    s.PlayerViewWidth = 19;  // one size below 20 brings the default layout back
    p = MainFrameRules::InitialPaneSizes(s, 1024, 700);
    EXPECT_EQ(p.rows[0], 315);
    EXPECT_EQ(p.columns[1], 330);

    // 20 itself is a saved size like any other.
    s.ServerListViewWidth = s.ServerListViewHeight = s.PlayerViewWidth = s.PlayerViewHeight = 20;
    s.FlightPlanViewWidth = s.FlightPlanViewHeight = s.ServerInfoViewWidth = 20;
    s.ServerInfoViewHeight = 20;
    p = MainFrameRules::InitialPaneSizes(s, 1000, 700);
    EXPECT_EQ(p.rows[0], 20);
    EXPECT_EQ(p.rows[1], 20);
    EXPECT_EQ(p.rows[2], 20);
    EXPECT_EQ(p.columns[0], 1000 - 20 - 19);
    EXPECT_EQ(p.columns[1], 39);
}

TEST(MainFrameRules, FitPaneSizesGivesTheLastRowAndColumnTheRest) {
    AppSettings s;
    s.ServerListViewWidth = s.PlayerViewWidth = s.FlightPlanViewWidth = 500;
    s.ServerListViewHeight = 300;
    s.PlayerViewHeight = 120;
    s.FlightPlanViewHeight = 90;
    s.ServerInfoViewWidth = 250;
    s.ServerInfoViewHeight = 300;
    const PaneSizes cells = MainFrameRules::InitialPaneSizes(s, 1000, 700);

    // Whatever the borders take, a saved info pane width comes back unchanged.
    for (int borders : {0, 4, 6, 19, 25}) {
        PaneSizes p = MainFrameRules::FitPaneSizes(cells, 1000 - borders, 600, borders);
        EXPECT_EQ(p.columns[1], 250) << borders;
        EXPECT_EQ(p.columns[0] + p.columns[1], 1000 - borders) << borders;
    }
    PaneSizes p = MainFrameRules::FitPaneSizes(cells, 996, 600, 4);
    EXPECT_EQ(p.rows[0], 300);
    EXPECT_EQ(p.rows[1], 120);
    EXPECT_EQ(p.rows[2], 180);  // the saved 90 does not count: the last row takes the rest

    // Too little room: rows and columns are cut in order, the last ones first.
    p = MainFrameRules::FitPaneSizes(cells, 200, 350, 4);
    EXPECT_EQ(p.rows[0], 300);
    EXPECT_EQ(p.rows[1], 50);
    EXPECT_EQ(p.rows[2], 0);
    EXPECT_EQ(p.columns[0], 200);
    EXPECT_EQ(p.columns[1], 0);
    p = MainFrameRules::FitPaneSizes(cells, -5, -5, 0);
    EXPECT_EQ(p.rows[0] + p.rows[1] + p.rows[2], 0);
    EXPECT_EQ(p.columns[0] + p.columns[1], 0);

    // Hand-edited sizes of about a million pixels stay within the space.
    s.ServerInfoViewWidth = s.ServerListViewHeight = 2147483647;
    p = MainFrameRules::FitPaneSizes(MainFrameRules::InitialPaneSizes(s, 1000, 700), 996, 600, 4);
    EXPECT_EQ(p.rows[0], 600);
    EXPECT_EQ(p.rows[1] + p.rows[2], 0);
    EXPECT_GE(p.columns[1], 996 - MainFrameRules::kColumnBorders);
    EXPECT_EQ(p.columns[0] + p.columns[1], 996);

    // The default layout leaves the info pane what the rules' 19 pixels of borders leave it.
    p = MainFrameRules::FitPaneSizes(MainFrameRules::InitialPaneSizes(AppSettings{}, 1024, 700),
                                     1020, 600, 4);
    EXPECT_EQ(p.columns[1], 330 - 19);
    EXPECT_EQ(p.rows[0], 315);
    EXPECT_EQ(p.rows[1], 139);
    EXPECT_EQ(p.rows[2], 600 - 315 - 139);
}
