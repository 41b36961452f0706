#include "polling/UserPrompts.h"

#include "text/CaseCompare.h"

namespace perivant {

bool IsWebAddress(const std::string& url) {
    for (std::string_view scheme : {"http://", "https://"}) {
        if (url.size() > scheme.size() && StartsWithNoCase(url, scheme)) {
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
