#include "polling/DecodeFieldText.h"

#include <algorithm>

#include "text/IntegerValue.h"
#include "text/MarkupDocument.h"

namespace perivant {

namespace {

void ReplaceAll(std::string& text, const std::string& what, const std::string& with, size_t from) {
    std::string out;
    out.reserve(text.size());
    out.append(text, 0, from);
    size_t pos = from;
    while (true) {
        size_t hit = text.find(what, pos);
        if (hit == std::string::npos) {
            out.append(text, pos, std::string::npos);
            break;
        }
        out.append(text, pos, hit - pos);
        out.append(with);
        pos = hit + what.size();
    }
    text.swap(out);
}

}  // namespace

std::string DecodeNumericReferences(std::string text) {
    size_t scanBudget = kReferenceScanBudget;
    return DecodeNumericReferences(std::move(text), scanBudget);
}

std::string DecodeNumericReferences(std::string text, size_t& scanBudget) {
    size_t from = 0;
    while (scanBudget > 0) {
        size_t amp = text.find("&#", from);
        if (amp == std::string::npos) {
            break;
        }
        if (text.size() - amp < 6 || text[amp + 5] != ';') {
            break;
        }
        const std::string reference = text.substr(amp, 6);
        unsigned code =
            static_cast<unsigned>(IntegerValue(std::string_view(reference).substr(2, 3)));
        const std::string replacement =
            (code % 256) == 0 ? std::string() : std::string(1, static_cast<char>(code % 256));
        scanBudget -= std::min(scanBudget, text.size());
        ReplaceAll(text, reference, replacement, amp);
        // Nothing before amp changed; a new "&#" can begin at amp - 1 at the earliest.
        from = amp == 0 ? 0 : amp - 1;
    }
    return text;
}

std::string DecodeNamedReferences(std::string text) {
    static const struct {
        const char* name;
        const char* replacement;
    } kNamed[] = {
        {"&degree;", "\xB0"}, {"&quot;", "\""}, {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"},
    };
    for (const auto& named : kNamed) {
        if (text.find(named.name) != std::string::npos) {
            ReplaceAll(text, named.name, named.replacement, 0);
        }
    }
    return text;
}

std::string DecodeFieldText(MarkupDocument& document, const char* name) {
    size_t scanBudget = kReferenceScanBudget;
    return DecodeFieldText(document, name, scanBudget);
}

std::string DecodeFieldText(MarkupDocument& document, const char* name, size_t& scanBudget) {
    if (!document.FindNextChild(name)) {
        return std::string();
    }
    std::string text = document.ChildText();
    if (text.find('&') != std::string::npos) {
        text = DecodeNamedReferences(DecodeNumericReferences(std::move(text), scanBudget));
    }
    document.RewindChildren();
    return text;
}

std::string TrimBlanks(const std::string& text) {
    const char* const kBlanks = " \t\r\n\v\f";
    size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos) {
        return std::string();
    }
    size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

}  // namespace perivant
