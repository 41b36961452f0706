#pragma once

#include <string>
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

    // Keywords compare without regard to case.
    static bool IsKeyword(const std::string& field, const char* keyword);

    // Message texts write a line break as backslash and "n".
    static std::string ExpandLineBreaks(const std::string& text);
};

}  // namespace perivant
