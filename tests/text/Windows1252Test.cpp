#include "text/Windows1252.h"

#include <gtest/gtest.h>

namespace perivant {
namespace {

TEST(Windows1252, BytesBecomeTheirUnicodeCharacters) {
    EXPECT_EQ(Windows1252ToUnicode(0x41), u'A');
    EXPECT_EQ(Windows1252ToUnicode(0x80), u'\u20AC');  // euro sign, not a C1 control
    EXPECT_EQ(Windows1252ToUnicode(0x8A), u'\u0160');
    EXPECT_EQ(Windows1252ToUnicode(0x99), u'\u2122');
    EXPECT_EQ(Windows1252ToUnicode(0x9F), u'\u0178');
    EXPECT_EQ(Windows1252ToUnicode(0xA0), u'\u00A0');
    EXPECT_EQ(Windows1252ToUnicode(0xB0), u'\u00B0');
    EXPECT_EQ(Windows1252ToUnicode(0xFF), u'\u00FF');
    // Unassigned bytes keep their value, so they are not lost.
    EXPECT_EQ(Windows1252ToUnicode(0x81), u'\u0081');
    EXPECT_EQ(Windows1252ToUnicode(0x9D), u'\u009D');

    EXPECT_EQ(Windows1252ToUnicode(std::string_view("Caf\xE9 \x80\xB0")),
              u"Caf\u00E9 \u20AC\u00B0");
    EXPECT_EQ(Windows1252ToUnicode(std::string_view("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(Windows1252, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    std::u16string text = Windows1252ToUnicode(all);
    ASSERT_EQ(text.size(), 256u);
    EXPECT_EQ(UnicodeToWindows1252(text), all);
}

TEST(Windows1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(UnicodeToWindows1252(u"\u20AC\u00B0\u201C\u0153"), "\x80\xB0\x93\x9C");
    // C1 controls the code page replaced by printable characters do not map back.
    EXPECT_EQ(UnicodeToWindows1252(u"\u0080\u009F"), "??");
    EXPECT_EQ(UnicodeToWindows1252(u"x\u4E2D\u0100y"), "x??y");
    // One character beyond the basic plane is one '?', not two.
    EXPECT_EQ(UnicodeToWindows1252(u"a\U0001F600b"), "a?b");
    // Broken surrogates are replaced one by one.
    EXPECT_EQ(UnicodeToWindows1252(std::u16string_view(u"\xD800z\xDC00", 3)), "?z?");
    EXPECT_EQ(UnicodeToWindows1252(std::u16string_view(u"z\xD83D", 2)), "z?");
}

}  // namespace
}  // namespace perivant
