#include "polling/DecodeFieldText.h"

#include <gtest/gtest.h>

#include "text/MarkupDocument.h"

using namespace perivant;

namespace {

// Loads a Corvane page with the given children and makes the root current.
MarkupDocument& LoadPage(MarkupDocument& doc, const std::string& children) {
    static std::string text;
    text = "<Corvane>" + children + "</Corvane>";
    EXPECT_TRUE(doc.Load(text.c_str())) << doc.ErrorText();
    EXPECT_TRUE(doc.FindNext("Corvane"));
    return doc;
}

}  // namespace

TEST(DecodeFieldText, FieldsInAnyOrderFirstOccurrenceWinsMissingIsEmpty) {
    MarkupDocument doc;
    LoadPage(doc, "<MaxPilots>8</MaxPilots><ServerName>A</ServerName><ServerName>B</ServerName>");
    EXPECT_EQ(DecodeFieldText(doc, "ServerName"), "A");
    EXPECT_EQ(DecodeFieldText(doc, "MaxPilots"), "8") << "lookup rescans all children";
    EXPECT_EQ(DecodeFieldText(doc, "ServerName"), "A");
    EXPECT_EQ(DecodeFieldText(doc, "PasswordRequired"), "");
    EXPECT_EQ(DecodeFieldText(doc, "Server"), "") << "names match whole, not as a prefix";
}

TEST(DecodeFieldText, ServerNameExampleDecodesAndTrims) {
    MarkupDocument doc;
    // As a page writes it: the ampersands of the server's own escapes are themselves escaped.
    LoadPage(doc, "<ServerName>  My&amp;#032;Server&amp;degree;  </ServerName>");
    EXPECT_EQ(TrimBlanks(DecodeFieldText(doc, "ServerName")), "My Server\xB0");
}

TEST(DecodeFieldText, NumericReferencesNeedExactlyThreeCharacters) {
    EXPECT_EQ(DecodeNumericReferences("&#039;s"), "'s");
    // A two-digit reference stops the numeric pass, even for later valid ones.
    EXPECT_EQ(DecodeNumericReferences("&#39;s &#065;"), "&#39;s &#065;");
    EXPECT_EQ(DecodeNamedReferences(DecodeNumericReferences("&#39;s &#065; &quot;x&quot;")),
              "&#39;s &#065; \"x\"");
    EXPECT_EQ(DecodeNumericReferences("a&#000;b"), "ab");
    EXPECT_EQ(DecodeNumericReferences("&#321;"), "A");
    EXPECT_EQ(DecodeNumericReferences("&#65"), "&#65") << "fewer than six characters left";
    // Every occurrence of the first reference goes at once, even past a later stop point.
    EXPECT_EQ(DecodeNumericReferences("&#066; &#12; &#066;"), "B &#12; B");
    // A decoded character can form a new reference with what precedes it.
    EXPECT_EQ(DecodeNumericReferences("&&#035;065;"), "A");
}

TEST(DecodeFieldText, NamedReferencesInFixedOrder) {
    EXPECT_EQ(DecodeNamedReferences("&amp;lt;"), "&lt;") << "ampersand last, so no double decode";
    EXPECT_EQ(DecodeNamedReferences("&lt;b&gt; &quot;q&quot; 5&degree;"), "<b> \"q\" 5\xB0");
    EXPECT_EQ(DecodeNamedReferences("&apos; &Amp;"), "&apos; &Amp;");
}

TEST(DecodeFieldText, TrimBlanksOnlyAtTheEnds) {
    EXPECT_EQ(TrimBlanks(" \t\r\n\v\fa b\n "), "a b");
    EXPECT_EQ(TrimBlanks("   "), "");
    EXPECT_EQ(TrimBlanks("x"), "x");
}

TEST(DecodeFieldText, HostilePageWithManyDistinctReferencesStaysBounded) {
    std::string text;
    for (int i = 0; i < 200000; ++i) {
        char ref[8];
        std::snprintf(ref, sizeof ref, "&#%03d;", 1 + i % 999);
        text += ref;
        text += static_cast<char>('a' + i % 26);
    }
    std::string decoded = DecodeNumericReferences(text);
    EXPECT_LT(decoded.size(), text.size());
    EXPECT_EQ(decoded.substr(0, 4),
              "\x01"
              "a\x02"
              "b");
}
