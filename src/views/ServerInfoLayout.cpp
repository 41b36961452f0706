#include "views/ServerInfoLayout.h"

#include <algorithm>
#include <cstdint>

namespace perivant {

namespace {

// value * numerator / denominator rounded half away from zero, as the platform's dialog mapping
// rounds.
int MulDiv(int value, int numerator, int denominator) {
    if (denominator == 0) {
        return 0;
    }
    std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    std::int64_t half = denominator / 2;
    std::int64_t result =
        product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
    return static_cast<int>(result);
}

}  // namespace

DialogBaseUnits DialogBaseUnitsFromFont(int alphabetWidth, int fontHeight) {
    return DialogBaseUnits{(alphabetWidth / 26 + 1) / 2, fontHeight};
}

ControlRect DialogUnitsToPixels(const ControlRect& units, DialogBaseUnits base) {
    int left = MulDiv(units.x, base.x, 4);
    int top = MulDiv(units.y, base.y, 8);
    int right = MulDiv(units.x + units.width, base.x, 4);
    int bottom = MulDiv(units.y + units.height, base.y, 8);
    return ControlRect{left, top, right - left, bottom - top};
}

const InfoControlRects& ServerInfoFormUnits() {
    static const InfoControlRects units = {{
        {4, 2, 62, 8},      // "&Session Comments:"
        {4, 13, 102, 39},   // comments
        {4, 59, 37, 8},     // "&IP Address:"
        {44, 57, 62, 14},   // address
        {109, 57, 62, 14},  // "&Copy to clipboard"
        {9, 76, 37, 14},    // "&Web Site"
        {51, 76, 50, 14},   // "&Corvane Page"
    }};
    return units;
}

InfoControlRects ServerInfoLayout(const InfoControlRects& current, int cx, int cy) {
    InfoControlRects placed = current;
    const ControlRect& commentsLabel = At(current, InfoControl::CommentsLabel);
    const ControlRect& addressLabel = At(current, InfoControl::AddressLabel);
    const ControlRect& address = At(current, InfoControl::Address);
    const ControlRect& webSite = At(current, InfoControl::WebSiteButton);

    ControlRect& comments = At(placed, InfoControl::Comments);
    comments.width = std::max(0, cx - 10);
    comments.height = std::max(0, cy - 20 - commentsLabel.height - address.height - webSite.height);

    int buttonY = cy - webSite.height - 4;
    At(placed, InfoControl::WebSiteButton).x = 4;
    At(placed, InfoControl::WebSiteButton).y = buttonY;
    At(placed, InfoControl::HostPageButton).x = webSite.width + 8;
    At(placed, InfoControl::HostPageButton).y = buttonY;

    int addressX = addressLabel.width + 6;
    int addressY = cy - 2 * address.height - 8;
    At(placed, InfoControl::Address).x = addressX;
    At(placed, InfoControl::Address).y = addressY;
    At(placed, InfoControl::CopyButton).x = addressX + address.width + 4;
    At(placed, InfoControl::CopyButton).y = addressY;
    At(placed, InfoControl::AddressLabel).x = 4;
    At(placed, InfoControl::AddressLabel).y = addressY + 4;
    return placed;
}

}  // namespace perivant
