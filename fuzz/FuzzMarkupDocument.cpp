// Loads any text as a status page would be loaded and walks every element it indexed through the
// navigator, reading every element's text. The element table must describe a well-nested tree
// inside the text, and the walk must reach exactly the elements the table holds.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "text/MarkupDocument.h"

using perivant::ElementPosition;
using perivant::MarkupDocument;

namespace {

// The table: every entry lies inside the text, inside its parent's content, after its previous
// sibling, and the links form a tree rooted at entry 0.
void CheckTable(const MarkupDocument& document, size_t length) {
    const std::vector<ElementPosition>& table = document.Elements();
    const int count = document.NextFreeIndex();
    FUZZ_CHECK(count >= 2 && static_cast<size_t>(count) <= table.size());
    FUZZ_CHECK(table[0].firstChild == 1);
    const auto inText = [length](int32_t offset) {
        return offset >= 0 && static_cast<size_t>(offset) < length;
    };
    for (int i = 1; i < count; ++i) {
        const ElementPosition& e = table[i];
        FUZZ_CHECK(inText(e.startTagOpen) && inText(e.startTagClose) && inText(e.endTagClose));
        FUZZ_CHECK(e.startTagOpen < e.startTagClose);
        const bool empty = e.endTagClose == e.startTagClose;
        if (empty) {
            FUZZ_CHECK(e.endTagOpen == e.startTagClose - 1 && e.firstChild == 0);
        } else {
            FUZZ_CHECK(e.endTagOpen > e.startTagClose && e.endTagOpen < e.endTagClose);
        }
        FUZZ_CHECK(e.parentEntry >= 0 && e.parentEntry < i);
        if (e.parentEntry != 0) {
            const ElementPosition& parent = table[e.parentEntry];
            FUZZ_CHECK(e.startTagOpen > parent.startTagClose && e.endTagClose < parent.endTagOpen);
        }
        if (e.firstChild != 0) {
            FUZZ_CHECK(e.firstChild > i && e.firstChild < count);
            FUZZ_CHECK(table[e.firstChild].parentEntry == i);
        }
        if (e.nextSibling != 0) {
            FUZZ_CHECK(e.nextSibling > i && e.nextSibling < count);
            const ElementPosition& next = table[e.nextSibling];
            FUZZ_CHECK(next.parentEntry == e.parentEntry && next.startTagOpen > e.endTagClose);
        }
    }
}

// Depth-first over the navigator with an explicit stack (documents nest arbitrarily deep).
// Entries are handed out in document order, so the walk must meet them in index order, each
// as a child of the element on top of the stack. Returns the number of elements reached.
int WalkAll(MarkupDocument& document, size_t length) {
    const std::vector<ElementPosition>& table = document.Elements();
    FUZZ_CHECK(document.FindNext());
    FUZZ_CHECK(!document.LeaveElement());  // the top-level element has no parent to go back to
    std::vector<int> open{1};
    int reached = 1;
    for (;;) {
        if (document.FindNextChild()) {
            ++reached;
            FUZZ_CHECK(reached < document.NextFreeIndex());
            const ElementPosition& e = table[reached];
            FUZZ_CHECK(e.parentEntry == open.back());
            const std::string text = document.ChildText();
            if (e.firstChild != 0 || e.endTagClose == e.startTagClose) {
                FUZZ_CHECK(text.empty());
            } else {
                // References and character-data markers only ever shorten the content.
                FUZZ_CHECK(text.size() <= static_cast<size_t>(e.endTagOpen - e.startTagClose - 1));
            }
            FUZZ_CHECK(static_cast<size_t>(e.endTagOpen) <= length);
            FUZZ_CHECK(document.EnterChild());
            open.push_back(reached);
            continue;
        }
        open.pop_back();
        if (open.empty()) {
            break;
        }
        FUZZ_CHECK(document.LeaveElement());
    }
    FUZZ_CHECK(!document.LeaveElement());
    return reached;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    MarkupDocument document;
    if (!document.Load(text)) {
        // Nothing to navigate after a failed load.
        FUZZ_CHECK(!document.FindNext());
        FUZZ_CHECK(!document.FindNextChild());
        FUZZ_CHECK(!document.EnterChild());
        FUZZ_CHECK(!document.LeaveElement());
        return 0;
    }
    CheckTable(document, text.size());
    FUZZ_CHECK(WalkAll(document, text.size()) == document.NextFreeIndex() - 1);

    // A second load into the same document rebuilds the same table from its first entry.
    std::vector<ElementPosition> first(document.Elements().begin(),
                                       document.Elements().begin() + document.NextFreeIndex());
    document.Load("<x/>");
    FUZZ_CHECK(document.Load(text));
    FUZZ_CHECK(document.NextFreeIndex() == static_cast<int>(first.size()));
    for (size_t i = 0; i < first.size(); ++i) {
        const ElementPosition& a = first[i];
        const ElementPosition& b = document.Elements()[i];
        FUZZ_CHECK(a.startTagOpen == b.startTagOpen && a.startTagClose == b.startTagClose &&
                   a.endTagOpen == b.endTagOpen && a.endTagClose == b.endTagClose &&
                   a.parentEntry == b.parentEntry && a.firstChild == b.firstChild &&
                   a.nextSibling == b.nextSibling);
    }
    return 0;
}
