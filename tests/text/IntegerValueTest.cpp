#include "text/IntegerValue.h"

#include <gtest/gtest.h>

#include <climits>

using perivant::IntegerValue;

TEST(IntegerValue, ReadsLeadingDigitsAfterBlanksAndSign) {
    EXPECT_EQ(IntegerValue("42"), 42);
    EXPECT_EQ(IntegerValue("   7 pilots"), 7);
    EXPECT_EQ(IntegerValue("\t-15"), -15);
    EXPECT_EQ(IntegerValue("+3.1"), 3);
    EXPECT_EQ(IntegerValue("9.0c"), 9);
    EXPECT_EQ(IntegerValue("007"), 7);
}

TEST(IntegerValue, TextWithoutDigitsIsZero) {
    EXPECT_EQ(IntegerValue(""), 0);
    EXPECT_EQ(IntegerValue("unlimited"), 0);
    EXPECT_EQ(IntegerValue("-"), 0);
    EXPECT_EQ(IntegerValue("x12"), 0);
    EXPECT_EQ(IntegerValue("- 5"), 0);
}

TEST(IntegerValue, HugeNumbersSaturateInsteadOfOverflowing) {
    EXPECT_EQ(IntegerValue("2147483647"), INT_MAX);
    EXPECT_EQ(IntegerValue("-2147483648"), INT_MIN);
    EXPECT_EQ(IntegerValue("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(IntegerValue("-99999999999999999999999"), INT_MIN);
}
