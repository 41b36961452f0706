#pragma once

#include <array>
#include <cstddef>

namespace perivant {

// A control's place in its parent, in pixels or in dialog units.
struct ControlRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const ControlRect&) const = default;
};

// The dialog font's base units: half the average width of the 52 Latin letters (rounded up) and
// the font's height. A dialog unit is a quarter of the first across and an eighth of the second
// down.
struct DialogBaseUnits {
    int x = 0;
    int y = 0;

    bool operator==(const DialogBaseUnits&) const = default;
};

// Base units from the pixel width of "A".."Z" followed by "a".."z" and the font's height.
DialogBaseUnits DialogBaseUnitsFromFont(int alphabetWidth, int fontHeight);

// Dialog units to pixels. Both edges are converted with rounding and the size taken between
// them, so neighbouring controls stay flush whatever the font.
ControlRect DialogUnitsToPixels(const ControlRect& units, DialogBaseUnits base);

// The seven controls of the server info pane, in tab order.
enum class InfoControl : std::size_t {
    CommentsLabel,   // 1007
    Comments,        // 1000
    AddressLabel,    // 1008
    Address,         // 1003
    CopyButton,      // 1038
    WebSiteButton,   // 1001
    HostPageButton,  // 1002
};
inline constexpr std::size_t kInfoControlCount = 7;

using InfoControlRects = std::array<ControlRect, kInfoControlCount>;

inline const ControlRect& At(const InfoControlRects& rects, InfoControl control) {
    return rects[static_cast<std::size_t>(control)];
}
inline ControlRect& At(InfoControlRects& rects, InfoControl control) {
    return rects[static_cast<std::size_t>(control)];
}

// Where the form places the controls before the first resize, in dialog units.
const InfoControlRects& ServerInfoFormUnits();

// The pane's re-layout for a client area of cx by cy pixels, from the controls' current places.
// The comments box keeps its corner and takes what the other rows leave; the buttons and the
// address row hug the bottom edge. A size that would come out negative is 0.
InfoControlRects ServerInfoLayout(const InfoControlRects& current, int cx, int cy);

}  // namespace perivant
