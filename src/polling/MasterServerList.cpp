#include "polling/MasterServerList.h"

#include <algorithm>

#include "text/CaseCompare.h"
#include "text/IntegerValue.h"
#include "text/SplitText.h"

namespace perivant {

namespace {

constexpr const char kHeaderMarker[] = "CorvaneServerList";

}  // namespace

bool MasterServerList::ParseUrl(const std::string& url, MasterRequestTarget& target) {
    std::vector<std::string> pieces;
    SplitText(url, "/", false, pieces);
    size_t hostIndex = 0;
    if (!pieces.empty() && EqualsNoCase(pieces[0], "http:")) {
        hostIndex = 1;
    }
    if (hostIndex >= pieces.size()) {
        return false;
    }
    std::vector<std::string> hostParts;
    SplitText(pieces[hostIndex], ":", false, hostParts);
    if (hostParts.empty()) {
        return false;
    }
    target.host = hostParts[0];
    target.port = hostParts.size() == 2 ? IntegerValue(hostParts[1]) : 80;
    std::string path;
    for (size_t i = hostIndex + 1; i < pieces.size(); ++i) {
        path += '/';
        path += pieces[i];
    }
    target.path = path.empty() ? std::string(1, '/') : std::move(path);
    return true;
}

bool MasterServerList::NextLine(std::string_view body, size_t& from, std::string_view& line) {
    while (from < body.size()) {
        const size_t end = std::min(body.find('\n', from), body.size());
        line = body.substr(from, end - from);
        from = end + 1;
        if (!line.empty()) {
            return true;
        }
    }
    return false;
}

bool MasterServerList::IsHeader(std::string_view line) {
    return StartsWithNoCase(line, kHeaderMarker);
}

std::string_view MasterServerList::LeadingFields(std::string_view line, size_t count) {
    size_t from = 0;
    for (size_t bars = 0; bars < count; ++bars) {
        const size_t bar = line.find('|', from);
        if (bar == std::string_view::npos) {
            return line;
        }
        from = bar + 1;
    }
    return line.substr(0, from == 0 ? 0 : from - 1);
}

bool MasterServerList::IsKeyword(const std::string& field, const char* keyword) {
    return EqualsNoCase(field, keyword);
}

std::string MasterServerList::ExpandLineBreaks(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace perivant
