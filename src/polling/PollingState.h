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
    // Workers that have lowered RunningQueries but wait for the frame to take their last status
    // message. They still hold their thread (and its connection handle), so they keep their slot
    // until then: otherwise, when many servers fail at once, a tick starts new threads while the
    // GUI thread works through thousands of such messages.
    std::atomic<int> EndingWorkers{0};
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
    // A worker's last act: lower the running count, then send the status message, holding the
    // slot until the frame has taken it.
    void EndWorker() {
        EndingWorkers.fetch_add(1);
        RunningQueries.fetch_sub(1);
        Send(MsgStatusChanged, nullptr);
        EndingWorkers.fetch_sub(1);
    }
    // Slots held: running workers and those still sending their last message. Read in this order
    // so that a worker between the two steps of EndWorker is counted at least once.
    int BusySlots() const {
        const int running = RunningQueries.load();
        return running + EndingWorkers.load();
    }
};

}  // namespace perivant
