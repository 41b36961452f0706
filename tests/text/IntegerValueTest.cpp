#include "text/IntegerValue.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

using perivant::IntegerValue;

TEST(IntegerValue, ReadsLeadingDigitsAfterBlanksAndSign) {
    EXPECT_EQ(IntegerValue("42"), 42);
    EXPECT_EQ(IntegerValue("   7 pilots"), 7);
    EXPECT_EQ(IntegerValue("\t-15"), -15);
    EXPECT_EQ(IntegerValue("+3.1"), 3);
    EXPECT_EQ(IntegerValue("9.0c"), 9);
    EXPECT_EQ(IntegerValue("007"), 7);
    // Every blank the C runtime skips, from tab to carriage return; the next control is text.
    EXPECT_EQ(IntegerValue("\r\n12"), 12);
    EXPECT_EQ(IntegerValue("\v\f-8"), -8);
    EXPECT_EQ(IntegerValue(std::string{'\x0E', '5'}), 0);
    EXPECT_EQ(IntegerValue(std::string{'\x08', '5'}), 0);
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
    // Past any 64-bit range too: 2^64 + 5 and 2^65 + 5 must not come round to 5.
    EXPECT_EQ(IntegerValue("18446744073709551621"), INT_MAX);
    EXPECT_EQ(IntegerValue("-18446744073709551621"), INT_MIN);
    EXPECT_EQ(IntegerValue("36893488147419103237 pilots"), INT_MAX);
}
