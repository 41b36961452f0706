#pragma once

#include <atomic>
#include <memory>

#include "polling/FrameTarget.h"
#include "polling/RecordBudget.h"
#include "polling/ServerInfo.h"
#include "polling/ServerNetwork.h"

namespace perivant {

// The part of the polling engine that workers share with the manager. Workers hold it by shared
// ownership, so one that outlives the manager (and the main frame) still finds the closing flag.
struct PollingState {
    std::atomic<bool> Closing{false};
    std::atomic<int> RunningQueries{0};
    ServerTable Servers;
    int InstalledDirectXVersion = 0;     // set before any worker starts
    std::shared_ptr<FrameTarget> Frame;  // may be empty: no main frame
    std::shared_ptr<ServerNetwork> Network;
    // Shared with the records, which give their bytes back when they end.
    std::shared_ptr<RecordBudget> Budget = std::make_shared<RecordBudget>();

    // Messages go out only while the manager lives; after the closing flag nothing is sent.
    void Post(FrameMessage message, ServerPtr record) const {
        if (Frame && !Closing.load()) {
            Frame->Post(message, std::move(record));
        }
    }
    void Send(FrameMessage message, ServerPtr record) const {
        if (Frame && !Closing.load()) {
            Frame->Send(message, std::move(record));
        }
    }
};

}  // namespace perivant
