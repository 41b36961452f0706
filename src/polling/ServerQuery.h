#pragma once

#include <memory>
#include <string>

#include "polling/PollingState.h"

namespace perivant {

// One pending or running status query. A first query has no record; a re-query names the
// listed record it rewrites.
struct ServerQuery {
    std::string Address;
    int Port = 0;
    std::string ExpectedGUID2002;
    std::string ExpectedGUID2004;
    std::shared_ptr<PollingState> Manager;
    bool IsRequery = false;
    ServerPtr ExistingServer;
    // Identifies the worker in the trace; given when the worker is started.
    unsigned ThreadId = 0;
};

}  // namespace perivant
