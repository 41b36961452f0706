#pragma once

#include <cstdlib>

namespace perivant::testing {

// Requests of a test program that includes this go straight to 127.0.0.1, whatever proxy the
// machine has set: the variables are cleared before the tests run.
inline const bool kProxiesCleared = [] {
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "all_proxy", "ALL_PROXY"}) {
        unsetenv(name);
    }
    return true;
}();

}  // namespace perivant::testing
