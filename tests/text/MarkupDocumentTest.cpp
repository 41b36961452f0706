#include "text/MarkupDocument.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <string>
#include <tuple>
#include <vector>

namespace perivant {
namespace {

std::tuple<int, int, int, int, int, int, int> Fields(const ElementPosition& e) {
    return {e.startTagOpen, e.startTagClose, e.endTagOpen, e.endTagClose,
            e.parentEntry,  e.firstChild,    e.nextSibling};
}

// Text of the first child named `name` of the top-level element, or "<none>".
std::string TextOf(const std::string& document, const char* name) {
    MarkupDocument doc;
    if (!doc.Load(document) || !doc.FindNextChild(name)) {
        return "<none>";
    }
    return doc.ChildText();
}

std::string ErrorOf(const char* document) {
    MarkupDocument doc;
    EXPECT_FALSE(doc.Load(document)) << document;
    return doc.ErrorText();
}

TEST(MarkupDocumentTest, IndexesElementsAsOffsets) {
    MarkupDocument doc;
    ASSERT_TRUE(doc.Load("<a><b>x</b><e/></a>"));
    const auto& table = doc.Elements();
    EXPECT_EQ(doc.NextFreeIndex(), 4);
    EXPECT_EQ(Fields(table[0]), std::make_tuple(0, 0, 0, 0, 0, 1, 0));
    EXPECT_EQ(Fields(table[1]), std::make_tuple(0, 2, 15, 18, 0, 2, 0));
    EXPECT_EQ(Fields(table[2]), std::make_tuple(3, 5, 7, 10, 1, 0, 3));
    EXPECT_EQ(Fields(table[3]), std::make_tuple(11, 14, 13, 14, 1, 0, 0));

    EXPECT_TRUE(doc.FindNext("a"));
    EXPECT_TRUE(doc.FindNextChild("e"));
    EXPECT_EQ(doc.ChildText(), "");
    EXPECT_FALSE(doc.FindNextChild("b"));  // b lies before e
    doc.RewindChildren();
    EXPECT_TRUE(doc.FindNextChild("b"));
    EXPECT_EQ(doc.ChildText(), "x");

    // Only the first top-level element exists; what follows it is never looked at.
    ASSERT_TRUE(doc.Load("<a/><b/>"));
    EXPECT_EQ(doc.NextFreeIndex(), 2);
    EXPECT_FALSE(doc.FindNext("b"));
    EXPECT_TRUE(doc.FindNext("a"));
    EXPECT_TRUE(doc.Load("<a></a>trailing <<< garbage"));
}

TEST(MarkupDocumentTest, ReportsEveryParseError) {
    EXPECT_EQ(ErrorOf("no markup at all"), "Element tag not found");
    EXPECT_EQ(ErrorOf("<a><b/>"), "Element tag not found");
    EXPECT_EQ(ErrorOf("<a>text"), "Element tag not found");
    EXPECT_EQ(ErrorOf("<'a'>x</a>"), "Tag starts with quote");
    EXPECT_EQ(ErrorOf("<a>< \"b\"/></a>"), "Tag starts with quote");
    EXPECT_EQ(ErrorOf("<"), "Abrupt end within tag");
    EXPECT_EQ(ErrorOf("<a>x< \r\n\t"), "Abrupt end within tag");
    EXPECT_EQ(ErrorOf("<a"), "End of tag not found");
    EXPECT_EQ(ErrorOf("<a><b x='1'"), "End of tag not found");
    EXPECT_EQ(ErrorOf("<!-- open"), "Invalid node");
    EXPECT_EQ(ErrorOf("<?xml version='1.0'"), "Invalid node");
    EXPECT_EQ(ErrorOf("<a><![CDATA[x]]</a>"), "Invalid node");
    EXPECT_EQ(ErrorOf("<!DOCTYPE a [ <!ENTITY e 'v'> <a/>"), "Invalid node");
    EXPECT_EQ(ErrorOf("<!DOCTYPE a \"unclosed>"), "Invalid node");
    EXPECT_EQ(ErrorOf("<?"), "Invalid node");
    EXPECT_EQ(ErrorOf("<!"), "Invalid node");
    EXPECT_EQ(ErrorOf("<a></b>"), "End tag does not correspond to a");
    EXPECT_EQ(ErrorOf("<a></A>"), "End tag does not correspond to a");
    EXPECT_EQ(ErrorOf("<a></>"), "End tag does not correspond to a");
    EXPECT_EQ(ErrorOf("<Server></ServerName>"), "End tag does not correspond to Server");
    EXPECT_EQ(ErrorOf("<ServerName></Server>"), "End tag does not correspond to ServerName");
    EXPECT_EQ(ErrorOf("<r><Players></Player></r>"), "End tag does not correspond to Players");
    EXPECT_EQ(ErrorOf("<a>x</a"), "End tag not completed for element a");
    EXPECT_EQ(ErrorOf("<a>x</"), "End tag not completed for element a");
    EXPECT_EQ(ErrorOf("<r><item>x</item 'quote>'"), "End tag not completed for element item");
    EXPECT_EQ(ErrorOf("<%s%d>x</%s%d"), "End tag not completed for element %s%d");

    // A failed load leaves nothing to find.
    MarkupDocument doc;
    ASSERT_TRUE(doc.Load("<a><b/></a>"));
    EXPECT_FALSE(doc.Load("<a><b/>"));
    EXPECT_EQ(doc.NextFreeIndex(), 1);
    EXPECT_EQ(Fields(doc.Elements()[0]), std::make_tuple(0, 0, 0, 0, 0, 0, 0));
    EXPECT_FALSE(doc.FindNext("a"));
    EXPECT_FALSE(doc.FindNext());
    EXPECT_FALSE(doc.FindNextChild());
    EXPECT_FALSE(doc.EnterChild());
    EXPECT_FALSE(doc.LeaveElement());
}

TEST(MarkupDocumentTest, FailureWithoutMessageKeepsTheEarlierOne) {
    MarkupDocument doc;
    EXPECT_FALSE(doc.Load("<a>"));
    EXPECT_EQ(doc.ErrorText(), "Element tag not found");
    EXPECT_FALSE(doc.Load(""));
    EXPECT_FALSE(doc.Load(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(doc.Load("</a>"));
    EXPECT_FALSE(doc.Load("  <!-- c --> </a><a/>"));
    EXPECT_EQ(doc.ErrorText(), "Element tag not found");
    EXPECT_TRUE(doc.Load("<a/>"));
    EXPECT_EQ(doc.ErrorText(), "Element tag not found");
}

TEST(MarkupDocumentTest, WhiteSpaceBeforeQuestionOrBangIsAnInvalidNode) {
    EXPECT_EQ(ErrorOf("< ?x?>"), "Invalid node");
    EXPECT_EQ(ErrorOf("< !-- c --><a/>"), "Invalid node");
    EXPECT_EQ(ErrorOf("<a>\n<\t!x></a>"), "Invalid node");
}

TEST(MarkupDocumentTest, SkipsPrologCommentsDeclarationsAndSections) {
    MarkupDocument doc;
    ASSERT_TRUE(
        doc.Load("<?xml version='1.0'?>\n<!-- <x/> -->\n"
                 "<!DOCTYPE r [ <!ENTITY e \"a>b\"> <!ELEMENT r ANY> ]>\n"
                 "<r><?pi <x/> ?><![CDATA[<x/>]]><!----><b>1</b><!-- <x/> --></r>"));
    EXPECT_TRUE(doc.FindNext("r"));
    EXPECT_FALSE(doc.FindNextChild("x"));
    EXPECT_TRUE(doc.FindNextChild());
    EXPECT_EQ(doc.ChildText(), "1");
    EXPECT_FALSE(doc.FindNextChild());

    ASSERT_TRUE(doc.Load("<a><!-- <b/> --></a>"));
    EXPECT_FALSE(doc.FindNextChild("b"));
    // Terminators are looked for from the "<", so they may overlap the opener.
    EXPECT_TRUE(doc.Load("<?><!--><a/>"));
    EXPECT_TRUE(doc.Load("<!DOCTYPE a SYSTEM 'x>y'><a/>"));
    // A comment ends at its "-->" only: a ">" or a quote inside it is part of it.
    EXPECT_EQ(TextOf("<a><!-- 1 > 0 <b>x</b> --><c>y</c></a>", "b"), "<none>");
    EXPECT_EQ(TextOf("<a><!-- 'open --><c>y</c></a>", "c"), "y");
    // A "]" outside brackets leaves the depth below zero, so the ">" after it does not end.
    EXPECT_EQ(ErrorOf("<!x ]><a/>"), "Invalid node");
}

TEST(MarkupDocumentTest, EndTagsAreScannedAsTokens) {
    EXPECT_EQ(TextOf("<r>< a >x</ a ></r>", "a"), "x");
    EXPECT_EQ(TextOf("<r><b/><\n\ta>x</a></r>", "a"), "x");
    EXPECT_EQ(TextOf("<r><\rb/><a>x</a></r>", "a"), "x");
    EXPECT_EQ(TextOf("<r>< b>x</b></r>", "a"), "<none>");
    EXPECT_EQ(TextOf("<r>\n<a>x</a extra words='1'>\n</r>", "a"), "x");
    MarkupDocument doc;
    ASSERT_TRUE(doc.Load("<a>x</a \"q>\"  >"));
    EXPECT_EQ(doc.Elements()[1].endTagClose, 14);
    // "[" may follow a matching name, as in a query.
    EXPECT_TRUE(doc.Load("<a>x</a[1]>"));
}

TEST(MarkupDocumentTest, NamesMatchWholeAndCaseSensitive) {
    const std::string page =
        "<Corvane><ServerName>long</ServerName><server>lower</server>"
        "<Server>exact</Server><Serve>short</Serve></Corvane>";
    EXPECT_EQ(TextOf(page, "Server"), "exact");
    EXPECT_EQ(TextOf(page, "ServerName"), "long");
    EXPECT_EQ(TextOf(page, "server"), "lower");
    EXPECT_EQ(TextOf(page, "Serve"), "short");
    EXPECT_EQ(TextOf(page, "Server x"), "exact");
    EXPECT_EQ(TextOf(page, "Server=1"), "exact");
    EXPECT_EQ(TextOf(page, "Server/"), "exact");
    EXPECT_EQ(TextOf(page, "Server[0]"), "exact");
    EXPECT_EQ(TextOf(page, "Servers"), "<none>");
    EXPECT_EQ(TextOf(page, "SERVER"), "<none>");
    EXPECT_EQ(TextOf(page, ""), "long");
}

TEST(MarkupDocumentTest, ChildTextKeepsContentAndDecodesReferences) {
    EXPECT_EQ(TextOf("<r><n>  x  </n></r>", "n"), "  x  ");
    EXPECT_EQ(TextOf("<r><n>\r\n</n></r>", "n"), "\r\n");
    EXPECT_EQ(TextOf("<r><n></n></r>", "n"), "");
    EXPECT_EQ(TextOf("<r><n/></r>", "n"), "");
    EXPECT_EQ(TextOf("<r><n>a<c/>b</n></r>", "n"), "");
    EXPECT_EQ(TextOf("<r><n>x<!--note-->y</n></r>", "n"), "x<!--note-->y");
    EXPECT_EQ(TextOf("<r><n>&lt;b&gt; &amp;amp; &#65;&#x42; &bogus; &#;</n></r>", "n"),
              "<b> &amp; AB &bogus; &#;");
    EXPECT_EQ(TextOf("<r><n>&apos;&quot;&LT;&lt &amp</n></r>", "n"), "'\"&LT;&lt &amp");
    EXPECT_EQ(TextOf("<r><n>&#233;</n></r>", "n"), "\xE9");
    // The highest one-byte code decodes in either base.
    EXPECT_EQ(TextOf("<r><n>&#255;&#xFF;</n></r>", "n"), "\xFF\xFF");
    EXPECT_EQ(TextOf("<r><n>&#8364;&#0;&#256;</n></r>", "n"), "&#8364;&#0;&#256;");
    EXPECT_EQ(TextOf("<r><n>&#65601;&#x10042;</n></r>", "n"), "AB");
    EXPECT_EQ(TextOf("<r><n>&#0000065;&#00000065;</n></r>", "n"), "A&#00000065;");
    EXPECT_EQ(TextOf("<r><n>&#x0000041;&#x00000041;</n></r>", "n"), "A&#x00000041;");
    EXPECT_EQ(TextOf("<r><n>&#65x;&#X41;&#x4g;&#x;</n></r>", "n"), "A&#X41;\x04&#x;");
    EXPECT_EQ(TextOf("<r><n>&#&#65;</n></r>", "n"), "&#A");
    // A reference is never completed by text outside the content.
    EXPECT_EQ(TextOf("<r><n>&#65</n>;</r>", "n"), "&#65");
}

TEST(MarkupDocumentTest, CharacterDataCountsOnlyAtTheStartOfContent) {
    EXPECT_EQ(TextOf("<r><n>  <![CDATA[a&lt;b]]>tail</n></r>", "n"), "a&lt;b");
    EXPECT_EQ(TextOf("<r><n><![CDATA[]]></n></r>", "n"), "");
    EXPECT_EQ(TextOf("<r><n>x<![CDATA[y]]></n></r>", "n"), "x<![CDATA[y]]>");
    EXPECT_EQ(TextOf("<r><n>\n<![CDATA[ <b/> ]]></n></r>", "n"), " <b/> ");
    EXPECT_EQ(TextOf("<r><n><![CDATA[a]]]]></n></r>", "n"), "a]]");
    EXPECT_EQ(TextOf("<r><n><![CDATA[1]]><![CDATA[2]]></n></r>", "n"), "1");
    EXPECT_EQ(TextOf("<r><n>&lt;<![CDATA[1]]></n></r>", "n"), "<<![CDATA[1]]>");
}

TEST(MarkupDocumentTest, NavigatesLikeTheStatusQuery) {
    MarkupDocument doc;
    EXPECT_FALSE(doc.FindNext());  // nothing loaded yet
    ASSERT_TRUE(
        doc.Load("<Corvane><Version>3</Version>"
                 "<Players><Player><Name>p1</Name></Player><Junk/>"
                 "<Player><Name>p2</Name></Player></Players>"
                 "<FlightPlans><FlightPlan><Plan>f1</Plan></FlightPlan></FlightPlans>"
                 "</Corvane>"));
    EXPECT_FALSE(doc.EnterChild());
    EXPECT_FALSE(doc.LeaveElement());
    ASSERT_TRUE(doc.FindNext("Corvane"));
    EXPECT_FALSE(doc.FindNext("Corvane"));
    ASSERT_TRUE(doc.FindNextChild("Version"));
    EXPECT_EQ(doc.ChildText(), "3");
    doc.RewindChildren();

    ASSERT_TRUE(doc.FindNextChild("Players"));
    ASSERT_TRUE(doc.EnterChild());
    std::vector<std::string> names;
    while (doc.FindNextChild("Player")) {
        ASSERT_TRUE(doc.EnterChild());
        ASSERT_TRUE(doc.FindNextChild("Name"));
        names.push_back(doc.ChildText());
        doc.RewindChildren();
        ASSERT_TRUE(doc.LeaveElement());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"p1", "p2"}));
    ASSERT_TRUE(doc.LeaveElement());
    // The child position stays on Players, so later lists are found, earlier ones are not.
    EXPECT_FALSE(doc.FindNextChild("Version"));
    ASSERT_TRUE(doc.FindNextChild("FlightPlans"));
    ASSERT_TRUE(doc.EnterChild());
    ASSERT_TRUE(doc.FindNextChild("FlightPlan"));
    ASSERT_TRUE(doc.EnterChild());
    ASSERT_TRUE(doc.FindNextChild("Plan"));
    EXPECT_EQ(doc.ChildText(), "f1");
    ASSERT_TRUE(doc.LeaveElement());
    ASSERT_TRUE(doc.LeaveElement());  // back at Corvane, child position on FlightPlans
    EXPECT_FALSE(doc.LeaveElement());
    EXPECT_FALSE(doc.FindNextChild("Players"));
    doc.RewindChildren();
    EXPECT_TRUE(doc.FindNextChild("Players"));

    // FlightPlans before Players is out of reach after leaving Players.
    ASSERT_TRUE(doc.Load("<C><FlightPlans/><Players><P/></Players></C>"));
    ASSERT_TRUE(doc.FindNext("C"));
    ASSERT_TRUE(doc.FindNextChild("Players"));
    ASSERT_TRUE(doc.EnterChild());
    ASSERT_TRUE(doc.LeaveElement());
    EXPECT_FALSE(doc.FindNextChild("FlightPlans"));
    // The child position is on Players: entering goes straight back into it.
    ASSERT_TRUE(doc.EnterChild());
    EXPECT_TRUE(doc.FindNextChild("P"));
    EXPECT_FALSE(doc.FindNextChild("P"));

    // FindNextChild first makes the top-level element current; no name walks every child.
    ASSERT_TRUE(doc.Load("<r><a/><b/><c/></r>"));
    EXPECT_TRUE(doc.FindNextChild());
    EXPECT_TRUE(doc.FindNextChild());
    EXPECT_TRUE(doc.FindNextChild(""));
    EXPECT_FALSE(doc.FindNextChild());
    EXPECT_TRUE(doc.EnterChild());  // c, which has no children
    EXPECT_FALSE(doc.FindNextChild());
    EXPECT_TRUE(doc.LeaveElement());
    doc.RewindAll();
    EXPECT_FALSE(doc.LeaveElement());
    EXPECT_TRUE(doc.FindNext("r"));
}

TEST(MarkupDocumentTest, TableGrowsByHalfWithoutLosingEntries) {
    std::string text = "<r>";
    for (int i = 0; i < 300; ++i) {
        text += "<e>" + std::to_string(i) + "</e>";
    }
    text += "</r>";
    MarkupDocument doc;
    ASSERT_TRUE(doc.Load(text));
    size_t size = text.size() / 64 + 8;
    while (size < 302) {
        size += size / 2;
    }
    EXPECT_EQ(doc.Elements().size(), size);
    EXPECT_EQ(doc.NextFreeIndex(), 302);
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(doc.FindNextChild("e"));
        ASSERT_EQ(doc.ChildText(), std::to_string(i));
    }
    EXPECT_FALSE(doc.FindNextChild("e"));

    // A small document later keeps the grown table.
    ASSERT_TRUE(doc.Load("<a/>"));
    EXPECT_EQ(doc.Elements().size(), size);
    EXPECT_EQ(MarkupDocument().Elements().size(), 8u);
}

TEST(MarkupDocumentTest, DeepNestingAndLongSiblingListsLoad) {
    constexpr int kCount = 1000000;
    std::string text;
    text.reserve(kCount * 7 + 1);
    for (int i = 0; i < kCount; ++i) {
        text += "<a>";
    }
    text += "x";
    for (int i = 0; i < kCount; ++i) {
        text += "</a>";
    }
    MarkupDocument doc;
    ASSERT_TRUE(doc.Load(text)) << doc.ErrorText();
    ASSERT_TRUE(doc.FindNext("a"));
    for (int depth = 1; depth < kCount - 1; ++depth) {
        ASSERT_TRUE(doc.FindNextChild("a"));
        ASSERT_TRUE(doc.EnterChild());
    }
    ASSERT_TRUE(doc.FindNextChild("a"));
    EXPECT_EQ(doc.ChildText(), "x");
    EXPECT_EQ(doc.Elements()[kCount].parentEntry, kCount - 1);
    EXPECT_EQ(doc.Elements()[1].endTagOpen, static_cast<int>(text.size()) - 4);

    text[text.size() - 2] = 'b';  // the outermost end tag no longer fits
    EXPECT_FALSE(doc.Load(text));
    EXPECT_EQ(doc.ErrorText(), "End tag does not correspond to a");

    text = "<r>";
    for (int i = 0; i < kCount; ++i) {
        text += "<a/>";
    }
    text += "<b/></r>";
    ASSERT_TRUE(doc.Load(text));
    ASSERT_TRUE(doc.FindNextChild("b"));
    EXPECT_EQ(doc.NextFreeIndex(), kCount + 3);
}

TEST(MarkupDocumentTest, RefusesTextsWhoseOffsetsDoNotFitInt32) {
    constexpr size_t kTwoGiB = size_t{1} << 31;
    void* block =
        mmap(nullptr, kTwoGiB, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (block == MAP_FAILED) {
        GTEST_SKIP() << "no address space for 2 GiB";
    }
    MarkupDocument doc;
    ASSERT_TRUE(doc.Load("<a/>"));
    EXPECT_FALSE(doc.Load(std::string_view(static_cast<const char*>(block), kTwoGiB)));
    EXPECT_EQ(doc.ErrorText(), "Document too large");
    EXPECT_EQ(doc.NextFreeIndex(), 1);
    EXPECT_FALSE(doc.FindNext());
    munmap(block, kTwoGiB);
}

}  // namespace
}  // namespace perivant
