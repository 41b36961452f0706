#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace perivant {

// One element of a loaded document, recorded as byte offsets into the text.
struct ElementPosition {
    int32_t startTagOpen = 0;   // the "<" of the start tag
    int32_t startTagClose = 0;  // the ">" of the start tag
    int32_t endTagOpen = 0;     // the "<" of the end tag; the "/" of an empty-element tag
    int32_t endTagClose = 0;    // the ">" of the end tag; startTagClose for an empty element
    int32_t parentEntry = 0;    // enclosing element, 0 at the top level
    int32_t firstChild = 0;     // 0 when there is none
    int32_t nextSibling = 0;    // 0 when there is none
};

// The program's own lenient XML reader for status pages: one forward pass indexes the elements,
// then the caller walks them by name and reads element texts. Attributes are never read.
class MarkupDocument {
public:
    MarkupDocument();
    virtual ~MarkupDocument();

    // Replaces the document and parses it; a null text counts as empty. The position is rewound.
    bool Load(const char* text);
    bool Load(std::string_view text);

    void RewindAll();
    bool FindNext(const char* name = nullptr);
    bool FindNextChild(const char* name = nullptr);
    bool EnterChild();
    bool LeaveElement();
    // Text of the current child, only meaningful after a successful FindNextChild.
    std::string ChildText() const;
    void RewindChildren();
    const std::string& ErrorText() const { return errorText; }

    // Read-only views for tests and tools.
    const std::vector<ElementPosition>& Elements() const { return elementTable; }
    int NextFreeIndex() const { return nextFreeIndex; }

private:
    bool Parse();
    int AddEntry(const ElementPosition& entry);
    void GrowTable();
    bool Fail(std::string message);
    size_t ScanEndTag(size_t tagOpen, std::string_view name);
    size_t SkipSpecialNode(size_t tagOpen) const;
    std::string_view ElementName(int index) const;
    int FindAfterIndex(int after, int parent, const char* name) const;

    std::string docText;
    std::string errorText;
    std::vector<ElementPosition> elementTable;
    int parentIndex = 0;
    int currentIndex = 0;
    int childIndex = 0;
    int nextFreeIndex = 1;
    bool currentIsElement = false;
};

}  // namespace perivant
