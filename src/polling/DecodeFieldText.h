#pragma once

#include <cstddef>
#include <string>

namespace perivant {

class MarkupDocument;

// Text of the first child element called name of the document's current element, with the
// status page's own escapes resolved; empty when there is none. Rewinds the child position, so
// fields may stand in any order.
std::string DecodeFieldText(MarkupDocument& document, const char* name);

// Every pass of the numeric decoding rescans the text, so a hostile text full of distinct
// references costs its length times their number. A decoding stops, leaving the remaining
// references as written, once it has scanned this many bytes.
inline constexpr size_t kReferenceScanBudget = size_t{64} * 1024 * 1024;

// The same, drawing on a budget shared with other fields: a page spread over many fields must
// not get a whole budget for each.
std::string DecodeFieldText(MarkupDocument& document, const char* name, size_t& scanBudget);

// The two escape passes on a text as ChildText returns it (exposed for tests).
std::string DecodeNumericReferences(std::string text);
std::string DecodeNumericReferences(std::string text, size_t& scanBudget);
std::string DecodeNamedReferences(std::string text);

// Strips space, tab, CR, LF, vertical tab and form feed from both ends.
std::string TrimBlanks(const std::string& text);

}  // namespace perivant
