#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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

    // The reply's lines (empty ones dropped); false when the first does not begin with the
    // header marker, in any capitals.
    static bool SplitReply(const std::string& body, std::vector<std::string>& lines);

    // The line up to its count-th "|" (not included), or all of it when it has fewer.
    static std::string_view LeadingFields(std::string_view line, size_t count);

    // Keywords compare without regard to case.
    static bool IsKeyword(const std::string& field, const char* keyword);

    // Message texts write a line break as backslash and "n".
    static std::string ExpandLineBreaks(const std::string& text);
};

}  // namespace perivant
