#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace perivant {

// Where a Master Server URL points: host, port and object path.
struct MasterRequestTarget {
    std::string host;
    int port = 80;
    std::string path = "/";
};

// Reading the Master Server's address and reply.
class MasterServerList {
public:
    // Takes the URL apart at "/" and ":"; only "http:" is recognised as a scheme. False when
    // the URL yields no host at all (empty, "http:", "http://"): no request may be sent then.
    static bool ParseUrl(const std::string& url, MasterRequestTarget& target);

    // The reply's next line at or after from, empty ones skipped, and from moved past it; false
    // when none is left. Lines are read in place: a reply of millions of short lines must not
    // become millions of texts.
    static bool NextLine(std::string_view body, size_t& from, std::string_view& line);

    // Whether a reply's first line begins with the header marker, in any capitals.
    static bool IsHeader(std::string_view line);

    // The line up to its count-th "|" (not included), or all of it when it has fewer.
    static std::string_view LeadingFields(std::string_view line, size_t count);

    // Keywords compare without regard to case.
    static bool IsKeyword(const std::string& field, const char* keyword);

    // Message texts write a line break as backslash and "n".
    static std::string ExpandLineBreaks(const std::string& text);
};

}  // namespace perivant
