#include "polling/UserPrompts.h"

#include <strings.h>

namespace perivant {

bool IsWebAddress(const std::string& url) {
    for (const char* scheme : {"http://", "https://"}) {
        size_t n = std::char_traits<char>::length(scheme);
        if (url.size() > n && strncasecmp(url.c_str(), scheme, n) == 0) {
            // A control byte or blank could smuggle a second command line argument or header.
            for (unsigned char c : url) {
                if (c <= 0x20 || c == 0x7F) {
                    return false;
                }
            }
            return true;
        }
    }
    return false;
}

}  // namespace perivant
