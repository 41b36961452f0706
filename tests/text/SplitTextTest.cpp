#include "text/SplitText.h"

#include <gtest/gtest.h>

using perivant::SplitText;
using Pieces = std::vector<std::string>;

TEST(SplitText, KeepsOrDropsEmptyPieces) {
    Pieces out;
    EXPECT_EQ(SplitText("a||b|", "|", true, out), 4);
    EXPECT_EQ(out, (Pieces{"a", "", "b", ""}));
    EXPECT_EQ(SplitText("a||b|", "|", false, out), 2);
    EXPECT_EQ(out, (Pieces{"a", "b"}));
    EXPECT_EQ(SplitText("|a", "|", true, out), 2);
    EXPECT_EQ(out, (Pieces{"", "a"}));
    EXPECT_EQ(SplitText("|a", "|", false, out), 1);
    EXPECT_EQ(out, (Pieces{"a"}));
}

TEST(SplitText, EdgeSources) {
    Pieces out{"stale"};
    EXPECT_EQ(SplitText("", "|", true, out), 0);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(SplitText("whole", "|", false, out), 1);
    EXPECT_EQ(out, (Pieces{"whole"}));
    EXPECT_EQ(SplitText("|||", "|", false, out), 0);
    EXPECT_EQ(SplitText("|||", "|", true, out), 4);
    EXPECT_EQ(out, (Pieces{"", "", "", ""}));
}

TEST(SplitText, AnyDelimiterOfTheSetCuts) {
    Pieces out;
    EXPECT_EQ(SplitText("http://host:8080/a//b/", "/:", false, out), 5);
    EXPECT_EQ(out, (Pieces{"http", "host", "8080", "a", "b"}));
    // Bytes above 0x7F are ordinary characters, compared byte for byte.
    EXPECT_EQ(SplitText("\xB0|\xE9", "|", false, out), 2);
    EXPECT_EQ(out, (Pieces{"\xB0", "\xE9"}));
}
