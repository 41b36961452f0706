#pragma once

#include <memory>

#include "polling/ServerQuery.h"

namespace perivant {

// The status query of one server, run on a worker thread of its own. Takes the query, fetches
// the server's /xml page, checks its session, pings it, publishes the record and tells the main
// frame; always ends by lowering the running count and sending MsgStatusChanged, unless the
// manager is closing.
void GetServer(std::unique_ptr<ServerQuery> query);

// The agent name of every request: "Perivant" followed by the version text.
std::string AgentName();

}  // namespace perivant
