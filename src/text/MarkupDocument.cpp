#include "text/MarkupDocument.h"

#include "text/HexDigit.h"

#include <cstring>
#include <limits>
#include <new>

namespace perivant {
namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

// Offsets are stored as int32, so the end-of-text offset must fit one.
constexpr size_t kMaxTextLength = static_cast<size_t>(std::numeric_limits<int32_t>::max());

constexpr unsigned char kSpace = 1;      // skipped before a token
constexpr unsigned char kDelimiter = 2;  // ends an unquoted token
constexpr unsigned char kNotPlainNameStart = 4;

struct CharClasses {
    unsigned char of[256] = {};
    constexpr CharClasses() {
        for (unsigned char c : {' ', '\t', '\n', '\r'}) {
            of[c] = kSpace | kDelimiter | kNotPlainNameStart;
        }
        for (unsigned char c : {'/', '?', '!'}) {
            of[c] = kDelimiter | kNotPlainNameStart;
        }
        for (unsigned char c : {'<', '>', '=', '\\'}) {
            of[c] = kDelimiter;
        }
        of[static_cast<unsigned char>('"')] = kNotPlainNameStart;
        of[static_cast<unsigned char>('\'')] = kNotPlainNameStart;
    }
};
constexpr CharClasses kClasses;

inline bool IsSpace(char c) {
    return (kClasses.of[static_cast<unsigned char>(c)] & kSpace) != 0;
}
// Anything but white space, a delimiter or a quote starts an ordinary element name.
inline bool IsPlainNameStart(char c) {
    return (kClasses.of[static_cast<unsigned char>(c)] & kNotPlainNameStart) == 0;
}
inline bool IsDelimiter(char c) {
    return (kClasses.of[static_cast<unsigned char>(c)] & kDelimiter) != 0;
}

// One token of a tag; end is exclusive. An absent token sits at the end of the text.
struct Token {
    size_t start;
    size_t end;
    size_t next;
    bool present;
    bool quoted;
};

inline size_t SkipSpace(const char* text, size_t len, size_t p) {
    while (p < len && IsSpace(text[p])) {
        ++p;
    }
    return p;
}

// The unquoted token starting at p (not white space): up to the first delimiter, or the
// delimiter alone when p holds one.
inline size_t UnquotedTokenEnd(const char* text, size_t len, size_t p) {
    size_t e = p + 1;
    if (!IsDelimiter(text[p])) {
        while (e < len && !IsDelimiter(text[e])) {
            ++e;
        }
    }
    return e;
}

Token ReadToken(const char* text, size_t len, size_t p) {
    p = SkipSpace(text, len, p);
    if (p >= len) {
        return {len, len, len, false, false};
    }
    const char c = text[p];
    if (c == '"' || c == '\'') {
        const void* close = std::memchr(text + p + 1, c, len - p - 1);
        if (close == nullptr) {
            return {p + 1, len, len, true, true};
        }
        const size_t e = static_cast<const char*>(close) - text;
        return {p + 1, e, e + 1, true, true};
    }
    const size_t e = UnquotedTokenEnd(text, len, p);
    return {p, e, e, true, false};
}

inline size_t FindChar(const char* text, size_t len, size_t from, char c) {
    if (from >= len) {
        return kNone;
    }
    const void* hit = std::memchr(text + from, c, len - from);
    return hit == nullptr ? kNone : static_cast<const char*>(hit) - text;
}

// Offset just after the first occurrence of terminator at or after from.
size_t FindAfter(const char* text, size_t len, size_t from, std::string_view terminator) {
    const size_t at = std::string_view(text, len).find(terminator, from);
    return at == std::string_view::npos ? kNone : at + terminator.size();
}

// A requested name matches when the element name is its prefix and the request ends there or
// goes on with one of the characters that end a name in a query.
bool NameMatches(std::string_view elementName, std::string_view requested) {
    const size_t n = elementName.size();
    if (requested.size() < n || std::memcmp(requested.data(), elementName.data(), n) != 0) {
        return false;
    }
    if (requested.size() == n) {
        return true;
    }
    const char c = requested[n];
    return c == ' ' || c == '=' || c == '/' || c == '[';
}

std::string WithName(const char* pattern, std::string_view name) {
    std::string message(pattern);
    const size_t at = message.find("%s");
    message.replace(at, 2, name);
    return message;
}

// Decodes the numeric reference whose "&" is at p. Returns the offset after its ";" and stores
// the byte, or kNone when the reference stays as written.
size_t DecodeNumericReference(const char* text, size_t end, size_t p, char& byte) {
    size_t digits = p + 2;
    const bool hex = digits < end && text[digits] == 'x';
    if (hex) {
        ++digits;
    }
    const size_t reach = digits + 8 < end ? digits + 8 : end;
    const size_t semicolon = FindChar(text, reach, digits, ';');
    if (semicolon == kNone) {
        return kNone;
    }
    // At most seven digits fit before the ";", so the value cannot overflow.
    uint32_t value = 0;
    for (size_t i = digits; i < semicolon; ++i) {
        const char c = text[i];
        if (hex ? !IsHexDigit(c) : (c < '0' || c > '9')) {
            break;
        }
        value = value * (hex ? 16 : 10) + (hex ? HexDigitValue(c) : c - '0');
    }
    const uint32_t code = value & 0xFFFF;
    if (code == 0 || code > 255) {
        return kNone;
    }
    byte = static_cast<char>(code);
    return semicolon + 1;
}

void DecodeReferences(const char* text, size_t begin, size_t end, std::string& out) {
    static constexpr struct {
        std::string_view name;
        char byte;
    } kNamed[] = {{"lt;", '<'}, {"amp;", '&'}, {"gt;", '>'}, {"apos;", '\''}, {"quot;", '"'}};

    out.reserve(end - begin);
    size_t p = begin;
    while (p < end) {
        const size_t amp = FindChar(text, end, p, '&');
        if (amp == kNone) {
            out.append(text + p, end - p);
            break;
        }
        out.append(text + p, amp - p);
        p = amp + 1;
        char byte = 0;
        if (p < end && text[p] == '#') {
            const size_t after = DecodeNumericReference(text, end, amp, byte);
            if (after != kNone) {
                out.push_back(byte);
                p = after;
                continue;
            }
        } else {
            const std::string_view rest(text + p, end - p);
            bool decoded = false;
            for (const auto& named : kNamed) {
                if (rest.starts_with(named.name)) {
                    out.push_back(named.byte);
                    p += named.name.size();
                    decoded = true;
                    break;
                }
            }
            if (decoded) {
                continue;
            }
        }
        out.push_back('&');
    }
}

}  // namespace

MarkupDocument::MarkupDocument() {
    Load(std::string_view());
}

MarkupDocument::~MarkupDocument() = default;

bool MarkupDocument::Load(const char* text) {
    return Load(text == nullptr ? std::string_view() : std::string_view(text));
}

bool MarkupDocument::Load(std::string_view text) {
    RewindAll();
    nextFreeIndex = 1;
    bool loaded = false;
    try {
        if (text.size() > kMaxTextLength) {
            docText.clear();
            errorText = "Document too large";
        } else {
            docText.assign(text);
            const size_t wanted = text.size() / 64 + 8;
            if (elementTable.size() < wanted) {
                elementTable.resize(wanted);
            }
            elementTable[0] = ElementPosition();
            loaded = !docText.empty() && Parse();
        }
    } catch (const std::bad_alloc&) {
        // A text or table that does not fit in memory is refused like any other bad page.
        docText.clear();
        errorText = "Document too large";
        loaded = false;
    }
    if (!loaded) {
        if (!elementTable.empty()) {
            elementTable[0] = ElementPosition();
        }
        nextFreeIndex = 1;
    }
    RewindAll();
    return loaded;
}

// Rare, so kept out of the parse loop.
[[gnu::noinline]] void MarkupDocument::GrowTable() {
    elementTable.resize(elementTable.size() + elementTable.size() / 2);
}

inline int MarkupDocument::AddEntry(const ElementPosition& entry) {
    if (static_cast<size_t>(nextFreeIndex) == elementTable.size()) {
        GrowTable();
    }
    elementTable[nextFreeIndex] = entry;
    return nextFreeIndex++;
}

bool MarkupDocument::Fail(std::string message) {
    errorText = std::move(message);
    return false;
}

// One forward pass without recursion: the element whose children are being read is `open`,
// and the names of all unclosed elements sit on a stack, so nesting depth costs heap, not stack.
bool MarkupDocument::Parse() {
    const char* text = docText.data();
    const size_t len = docText.size();

    struct NameSpan {
        size_t start;
        size_t length;
    };
    std::vector<NameSpan> openNames;
    openNames.reserve(32);

    int open = 0;       // 0 while looking for the top-level element
    int lastChild = 0;  // the previous child of `open`, to link the next one to
    size_t scan = 0;    // where the next tag is looked for
    for (;;) {
        const size_t tagOpen = FindChar(text, len, scan, '<');
        if (tagOpen == kNone) {
            return Fail("Element tag not found");
        }
        size_t nameStart = tagOpen + 1;
        if (nameStart >= len || IsSpace(text[nameStart])) {
            nameStart = SkipSpace(text, len, nameStart);
            if (nameStart >= len) {
                return Fail("Abrupt end within tag");
            }
        }
        const char first = text[nameStart];
        if (!IsPlainNameStart(first)) {
            if (first == '"' || first == '\'') {
                return Fail("Tag starts with quote");
            }
            if (first == '?' || first == '!') {
                scan = SkipSpecialNode(tagOpen);
                if (scan == kNone) {
                    return Fail("Invalid node");
                }
                continue;
            }
            if (first == '/') {
                // An end tag before the top-level element: nothing loaded, nothing to say.
                if (open == 0) {
                    return false;
                }
                const NameSpan name = openNames.back();
                // The usual "</name>" gives what the token scan gives, without the tokens.
                const size_t after = nameStart + 1 + name.length;
                size_t tagClose = after;
                if (after >= len || text[after] != '>' ||
                    std::memcmp(text + nameStart + 1, text + name.start, name.length) != 0) {
                    tagClose =
                        ScanEndTag(tagOpen, std::string_view(text + name.start, name.length));
                    if (tagClose == kNone) {
                        return false;
                    }
                }
                ElementPosition& closed = elementTable[open];
                closed.endTagOpen = static_cast<int32_t>(tagOpen);
                closed.endTagClose = static_cast<int32_t>(tagClose);
                openNames.pop_back();
                lastChild = open;
                open = closed.parentEntry;
                if (open == 0) {
                    elementTable[0].firstChild = lastChild;
                    return true;
                }
                scan = tagClose + 1;
                continue;
            }
        }

        const size_t nameEnd = UnquotedTokenEnd(text, len, nameStart);
        const size_t tagClose =
            nameEnd < len && text[nameEnd] == '>' ? nameEnd : FindChar(text, len, nameEnd, '>');
        if (tagClose == kNone) {
            return Fail("End of tag not found");
        }
        const bool empty = text[tagClose - 1] == '/';
        // An open element's end tag offset is where its content starts until the end tag is met.
        const size_t endOpen = empty ? tagClose - 1 : tagClose + 1;
        const int entry = AddEntry({static_cast<int32_t>(tagOpen), static_cast<int32_t>(tagClose),
                                    static_cast<int32_t>(endOpen),
                                    static_cast<int32_t>(empty ? tagClose : 0), open, 0, 0});
        if (lastChild != 0) {
            elementTable[lastChild].nextSibling = entry;
        } else if (open != 0) {
            elementTable[open].firstChild = entry;
        }
        scan = tagClose + 1;
        if (!empty) {
            openNames.push_back({nameStart, nameEnd - nameStart});
            open = entry;
            lastChild = 0;
        } else if (open == 0) {
            elementTable[0].firstChild = entry;
            return true;
        } else {
            lastChild = entry;
        }
    }
}

// Checks the end tag at tagOpen against the element name and returns the offset of its ">".
size_t MarkupDocument::ScanEndTag(size_t tagOpen, std::string_view name) {
    const char* text = docText.data();
    const size_t len = docText.size();
    // The child scan stopped on this "<"; looking again keeps the check independent of it.
    if (FindChar(text, len, tagOpen, '<') != tagOpen) {
        Fail(WithName("End tag of %s element not found", name));
        return kNone;
    }
    size_t p = tagOpen + 1;
    for (int count = 1;; ++count) {
        const Token token = ReadToken(text, len, p);
        if (!token.present) {
            Fail(WithName("End tag not completed for element %s", name));
            return kNone;
        }
        p = token.next;
        if (token.quoted) {
            continue;
        }
        const char c = text[token.start];
        if (count == 1 && c != '/') {
            Fail(WithName("Expecting end tag of element %s", name));
            return kNone;
        }
        if (count == 2 &&
            !NameMatches(name, std::string_view(text + token.start, token.end - token.start))) {
            Fail(WithName("End tag does not correspond to %s", name));
            return kNone;
        }
        if (c == '>') {
            if (count < 2) {
                Fail(WithName("End tag not completed for element %s", name));
                return kNone;
            }
            return token.start;
        }
    }
}

// Returns the offset after the "<?" or "<!" node at tagOpen, or kNone when it has no end.
size_t MarkupDocument::SkipSpecialNode(size_t tagOpen) const {
    const char* text = docText.data();
    const size_t len = docText.size();
    if (tagOpen + 2 >= len) {
        return kNone;
    }
    const char kind = text[tagOpen + 1];
    const char sub = text[tagOpen + 2];
    if (kind == '?') {
        return FindAfter(text, len, tagOpen, "?>");
    }
    // White space between "<" and "?" or "!" is no node at all; skipping nothing would stall.
    if (kind != '!') {
        return kNone;
    }
    if (sub == '[') {
        return FindAfter(text, len, tagOpen, "]]>");
    }
    if (sub == '-') {
        return FindAfter(text, len, tagOpen, "-->");
    }
    int depth = 0;
    size_t p = tagOpen;
    for (;;) {
        const Token token = ReadToken(text, len, p);
        if (!token.present) {
            return kNone;
        }
        p = token.next;
        if (token.quoted) {
            continue;
        }
        const char c = text[token.start];
        if (c == '[') {
            ++depth;
        } else if (c == ']') {
            --depth;
        } else if (c == '>' && depth == 0) {
            return token.start + 1;
        }
    }
}

std::string_view MarkupDocument::ElementName(int index) const {
    const char* text = docText.data();
    const size_t len = docText.size();
    const size_t start = SkipSpace(text, len, elementTable[index].startTagOpen + 1);
    return std::string_view(text + start, UnquotedTokenEnd(text, len, start) - start);
}

int MarkupDocument::FindAfterIndex(int after, int parent, const char* name) const {
    const std::string_view requested = name == nullptr ? std::string_view() : name;
    const char* text = docText.data();
    int i = after != 0 ? elementTable[after].nextSibling : elementTable[parent].firstChild;
    if (requested.empty()) {
        return i;
    }
    for (; i != 0; i = elementTable[i].nextSibling) {
        // A name is never empty and must begin the request: most siblings are told apart by
        // their first byte, without scanning their names (a status page reads each field of
        // every player this way). A tag with space before its name takes the full path.
        const char first = text[elementTable[i].startTagOpen + 1];
        if (first != requested.front() && !IsSpace(first)) {
            continue;
        }
        if (NameMatches(ElementName(i), requested)) {
            return i;
        }
    }
    return 0;
}

void MarkupDocument::RewindAll() {
    parentIndex = 0;
    currentIndex = 0;
    childIndex = 0;
    currentIsElement = false;
}

bool MarkupDocument::FindNext(const char* name) {
    if (nextFreeIndex <= 1) {
        return false;
    }
    const int hit = FindAfterIndex(currentIndex, parentIndex, name);
    if (hit == 0) {
        return false;
    }
    currentIndex = hit;
    parentIndex = elementTable[hit].parentEntry;
    childIndex = 0;
    currentIsElement = true;
    return true;
}

bool MarkupDocument::FindNextChild(const char* name) {
    if (nextFreeIndex <= 1) {
        return false;
    }
    if (currentIndex == 0) {
        FindNext(nullptr);
    }
    const int hit = FindAfterIndex(childIndex, currentIndex, name);
    if (hit == 0) {
        return false;
    }
    childIndex = hit;
    currentIndex = elementTable[hit].parentEntry;
    parentIndex = elementTable[currentIndex].parentEntry;
    currentIsElement = currentIndex != 0;
    return true;
}

bool MarkupDocument::EnterChild() {
    if (currentIndex == 0 || !currentIsElement) {
        return false;
    }
    parentIndex = currentIndex;
    currentIndex = childIndex;
    childIndex = 0;
    currentIsElement = currentIndex != 0;
    return true;
}

bool MarkupDocument::LeaveElement() {
    if (parentIndex == 0) {
        return false;
    }
    childIndex = currentIndex;
    currentIndex = parentIndex;
    parentIndex = elementTable[currentIndex].parentEntry;
    currentIsElement = true;
    return true;
}

void MarkupDocument::RewindChildren() {
    childIndex = 0;
    currentIsElement = currentIndex != 0;
}

std::string MarkupDocument::ChildText() const {
    if (childIndex <= 0 || childIndex >= nextFreeIndex) {
        return std::string();
    }
    const ElementPosition& k = elementTable[childIndex];
    if (k.firstChild != 0 || k.startTagClose == k.endTagOpen + 1) {
        return std::string();
    }
    const char* text = docText.data();
    const size_t contentEnd = static_cast<size_t>(k.endTagOpen);
    const size_t q = SkipSpace(text, contentEnd, static_cast<size_t>(k.startTagClose) + 1);
    // Only a character-data section at the very start of the content counts as one.
    static constexpr std::string_view kCdataOpen = "<![CDATA[";
    if (q + 11 < contentEnd && std::string_view(text + q, kCdataOpen.size()) == kCdataOpen) {
        const size_t dataStart = q + kCdataOpen.size();
        const size_t close = std::string_view(text, contentEnd).find("]]>", dataStart);
        if (close != std::string_view::npos) {
            return std::string(text + dataStart, close - dataStart);
        }
    }
    std::string result;
    DecodeReferences(text, static_cast<size_t>(k.startTagClose) + 1, contentEnd, result);
    return result;
}

}  // namespace perivant
