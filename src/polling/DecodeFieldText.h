#pragma once

#include <string>

namespace perivant {

class MarkupDocument;

// Text of the first child element called name of the document's current element, with the
// status page's own escapes resolved; empty when there is none. Rewinds the child position, so
// fields may stand in any order.
std::string DecodeFieldText(MarkupDocument& document, const char* name);

// The two escape passes on a text as ChildText returns it (exposed for tests).
std::string DecodeNumericReferences(std::string text);
std::string DecodeNamedReferences(std::string text);

// Strips space, tab, CR, LF, vertical tab and form feed from both ends.
std::string TrimBlanks(const std::string& text);

}  // namespace perivant
