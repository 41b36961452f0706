#include "views/ServerInfoLayout.h"

#include <gtest/gtest.h>

namespace perivant {
namespace {

// The usual dialog font: 6 by 13 pixel base units.
constexpr DialogBaseUnits kBase{6, 13};

InfoControlRects FormInPixels(DialogBaseUnits base) {
    InfoControlRects rects;
    for (std::size_t i = 0; i < kInfoControlCount; ++i) {
        rects[i] = DialogUnitsToPixels(ServerInfoFormUnits()[i], base);
    }
    return rects;
}

TEST(DialogUnitsTest, BaseUnitsComeFromTheAlphabetWidthAndFontHeight) {
    EXPECT_EQ(DialogBaseUnitsFromFont(312, 13), (DialogBaseUnits{6, 13}));
    // Half the average width, the average truncated and the half rounded up.
    EXPECT_EQ(DialogBaseUnitsFromFont(337, 13), (DialogBaseUnits{6, 13}));
    EXPECT_EQ(DialogBaseUnitsFromFont(338, 16), (DialogBaseUnits{7, 16}));
    EXPECT_EQ(DialogBaseUnitsFromFont(0, 0), (DialogBaseUnits{0, 0}));
}

TEST(DialogUnitsTest, FormControlsLandWhereTheDialogFontPutsThem) {
    InfoControlRects px = FormInPixels(kBase);
    EXPECT_EQ(At(px, InfoControl::CommentsLabel), (ControlRect{6, 3, 93, 13}));
    // Edges round half away from zero: 84.5 becomes 85.
    EXPECT_EQ(At(px, InfoControl::Comments), (ControlRect{6, 21, 153, 64}));
    EXPECT_EQ(At(px, InfoControl::AddressLabel), (ControlRect{6, 96, 56, 13}));
    EXPECT_EQ(At(px, InfoControl::Address), (ControlRect{66, 93, 93, 22}));
    EXPECT_EQ(At(px, InfoControl::CopyButton), (ControlRect{164, 93, 93, 22}));
    EXPECT_EQ(At(px, InfoControl::WebSiteButton), (ControlRect{14, 124, 55, 22}));
    EXPECT_EQ(At(px, InfoControl::HostPageButton), (ControlRect{77, 124, 75, 22}));

    // Sizes come from converted edges: the comments and the address edit, which end on the same
    // dialog unit, share their right edge at any font.
    for (DialogBaseUnits base : {DialogBaseUnits{7, 15}, DialogBaseUnits{9, 20}}) {
        InfoControlRects scaled = FormInPixels(base);
        const ControlRect& comments = At(scaled, InfoControl::Comments);
        const ControlRect& address = At(scaled, InfoControl::Address);
        EXPECT_EQ(comments.x + comments.width, address.x + address.width);
    }
    EXPECT_EQ(At(FormInPixels(DialogBaseUnits{9, 20}), InfoControl::Address),
              (ControlRect{99, 143, 140, 35}));
}

TEST(ServerInfoLayoutTest, ResizePlacesEveryControlFromTheBottomEdge) {
    InfoControlRects form = FormInPixels(kBase);
    InfoControlRects laid = ServerInfoLayout(form, 400, 300);

    EXPECT_EQ(At(laid, InfoControl::CommentsLabel), At(form, InfoControl::CommentsLabel));
    // 300 - 20 - 13 (label) - 22 (address) - 22 (button).
    EXPECT_EQ(At(laid, InfoControl::Comments), (ControlRect{6, 21, 390, 223}));
    EXPECT_EQ(At(laid, InfoControl::WebSiteButton), (ControlRect{4, 274, 55, 22}));
    EXPECT_EQ(At(laid, InfoControl::HostPageButton), (ControlRect{63, 274, 75, 22}));
    EXPECT_EQ(At(laid, InfoControl::Address), (ControlRect{62, 248, 93, 22}));
    EXPECT_EQ(At(laid, InfoControl::CopyButton), (ControlRect{159, 248, 93, 22}));
    EXPECT_EQ(At(laid, InfoControl::AddressLabel), (ControlRect{4, 252, 56, 13}));

    // Laying out again for the same size changes nothing; another size moves only what hugs
    // the bottom and stretches the comments.
    EXPECT_EQ(ServerInfoLayout(laid, 400, 300), laid);
    InfoControlRects taller = ServerInfoLayout(laid, 250, 500);
    EXPECT_EQ(At(taller, InfoControl::Comments), (ControlRect{6, 21, 240, 423}));
    EXPECT_EQ(At(taller, InfoControl::WebSiteButton).y, 474);
    EXPECT_EQ(At(taller, InfoControl::Address).y, 448);
    EXPECT_EQ(At(taller, InfoControl::Address).x, 62);
}

TEST(ServerInfoLayoutTest, ATinyPaneGivesTheCommentsNoSizeRatherThanANegativeOne) {
    InfoControlRects laid = ServerInfoLayout(FormInPixels(kBase), 5, 50);
    EXPECT_EQ(At(laid, InfoControl::Comments).width, 0);
    EXPECT_EQ(At(laid, InfoControl::Comments).height, 0);
    // The bottom rows still follow the edge, above the top if need be.
    EXPECT_EQ(At(laid, InfoControl::WebSiteButton).y, 24);
    EXPECT_EQ(At(laid, InfoControl::Address).y, -2);
}

}  // namespace
}  // namespace perivant
