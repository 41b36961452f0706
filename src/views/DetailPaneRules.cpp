#include "views/DetailPaneRules.h"

#include "polling/HttpClient.h"
#include "text/CaseCompare.h"

namespace perivant {

bool IsPlayerListed(const PlayerInfo& player, bool hideFSNavigators) {
    return !(hideFSNavigators && player.Type == kFSNavigatorType);
}

FlightPlanIcon FlightPlanStateIcon(const std::string& statusText) {
    if (statusText == "Filed") {
        return FlightPlanIcon::Filed;
    }
    if (statusText == "Open") {
        return FlightPlanIcon::Open;
    }
    return FlightPlanIcon::Closed;
}

std::string SessionCommentsEditText(const std::string& comments) {
    std::string text;
    text.reserve(comments.size() + comments.size() / 8);
    for (char c : comments) {
        if (c == '\n') {
            text += '\r';
        }
        text += c;
    }
    return text;
}

std::string EditTextAsLines(const std::string& editText) {
    std::string lines;
    lines.reserve(editText.size());
    for (size_t i = 0; i < editText.size(); ++i) {
        char c = editText[i];
        if (c == '\r') {
            // A break is CR LF or CR CR LF; the edit control shows a lone CR as nothing.
            size_t next = i + 1;
            if (next < editText.size() && editText[next] == '\r' && next + 1 < editText.size() &&
                editText[next + 1] == '\n') {
                ++next;
            }
            if (next < editText.size() && editText[next] == '\n') {
                lines += '\n';
                i = next;
            }
            continue;
        }
        lines += c;
    }
    return lines;
}

std::string WebSiteAddress(const std::string& serverUrl) {
    // Windows-1252 text: 0xA0 is a no-break space.
    const auto blank = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0xA0;
    };
    size_t first = 0;
    size_t end = serverUrl.size();
    while (first < end && blank(serverUrl[first])) {
        ++first;
    }
    while (end > first && blank(serverUrl[end - 1])) {
        --end;
    }
    const std::string_view text(serverUrl.data() + first, end - first);
    std::string url = StartsWithNoCase(text, "www.") ? "http://" : "";
    for (char c : text) {
        // Encoded, a blank can neither end the address nor start another argument.
        url += c == ' ' ? std::string_view("%20") : std::string_view(&c, 1);
    }
    return url;
}

std::string HostPageAddress(const std::string& address, int port) {
    // Written as the status page's own address: an IPv6 address needs its brackets and port 0
    // stands for 80, or the browser gets an address that leads nowhere.
    return BuildRequestUrl(address, port, "/");
}

}  // namespace perivant
