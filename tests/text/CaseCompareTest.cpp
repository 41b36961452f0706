#include "text/CaseCompare.h"

#include <gtest/gtest.h>

#include <string>

using perivant::EqualsNoCase;
using perivant::LowerAscii;
using perivant::StartsWithNoCase;

// Exactly the 26 letter pairs match across case: the bytes next to the letters ("@" and "`",
// "[" and "{"), high bytes and NUL keep their identity.
TEST(CaseCompare, OnlyAsciiLettersFoldAcrossCase) {
    for (int c = 0; c < 256; ++c) {
        const bool upper = c >= 'A' && c <= 'Z';
        const char byte = static_cast<char>(c);
        EXPECT_EQ(LowerAscii(byte), upper ? static_cast<char>(c + 32) : byte) << c;
        for (int d = 0; d < 256; ++d) {
            const bool same =
                c == d || (upper && d == c + 32) || (d >= 'A' && d <= 'Z' && c == d + 32);
            EXPECT_EQ(EqualsNoCase(std::string(1, byte), std::string(1, static_cast<char>(d))),
                      same)
                << c << " " << d;
        }
    }
}

TEST(CaseCompare, WholeTextsAndPrefixes) {
    EXPECT_TRUE(EqualsNoCase("HTTP://ZULU.EXAMPLE/LIST", "http://zulu.example/list"));
    EXPECT_FALSE(EqualsNoCase("http://zulu.example/list", "http://zulu.example/list/"));
    EXPECT_TRUE(EqualsNoCase(std::string("a\0B", 3), std::string("A\0b", 3)));
    EXPECT_FALSE(EqualsNoCase(std::string("a\0b", 3), "a"));
    EXPECT_TRUE(StartsWithNoCase("WWW.zulu.example", "www."));
    EXPECT_TRUE(StartsWithNoCase("www.", "WWW."));
    EXPECT_FALSE(StartsWithNoCase("www", "www."));
    EXPECT_TRUE(StartsWithNoCase("anything", ""));
}
