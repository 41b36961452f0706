#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "polling/PollingState.h"
#include "polling/RequestsLock.h"
#include "polling/ServerQuery.h"

namespace perivant {

struct AppSettings;
class ProfileStore;
class TimerService;
class UserPrompts;

// The polling engine: the server table, the queue of queries waiting for a worker, the running
// count and the flags the status text reads. Lives on the GUI thread as a member of the main
// frame; workers share only its PollingState.
class ServerManager {
public:
    // Everything the engine reaches outside itself. Frame may be empty (no main frame).
    struct Services {
        AppSettings& settings;
        ProfileStore& store;
        TimerService& timer;
        UserPrompts& prompts;
        std::shared_ptr<FrameTarget> frame;
        std::shared_ptr<ServerNetwork> network;
        // Detects the installed DirectX major version once, at construction.
        std::function<int()> detectDirectXVersion;
    };

    explicit ServerManager(Services services);
    ~ServerManager();
    ServerManager(const ServerManager&) = delete;
    ServerManager& operator=(const ServerManager&) = delete;

    // The one live manager, or null; the timer reaches the manager only through it.
    static ServerManager* Current();

    void QueueServerQuery(const std::string& address, int port, const std::string& guid2002,
                          const std::string& guid2004, ServerPtr existing);
    void OnTimer();
    void ReleaseAllServers();
    // Fetches the Master Server list and queues one query per listed server. GUI thread only,
    // and only while no worker runs.
    void FetchServerList();

    bool MasterFetchBusy() const { return m_masterFetchBusy; }
    int RunningQueries() const { return m_state->RunningQueries.load(); }
    // Running workers and ended ones whose last status message the frame has not yet taken.
    int BusySlots() const { return m_state->BusySlots(); }
    size_t QueuedQueries() const { return m_requests.size(); }
    // A refresh is still under way while queries wait for the next tick, even if every
    // worker of the last wave has ended.
    bool QueriesPending() const { return RunningQueries() != 0 || !m_requests.empty(); }
    const ServerTable& Servers() const { return m_state->Servers; }
    int QueryTimer() const { return m_queryTimer; }
    const std::shared_ptr<PollingState>& State() const { return m_state; }

    // For tests: how long LockRequests waits, and how workers are started: returns false when
    // no thread could be made at once; calls its second argument when one is refused later.
    std::chrono::milliseconds LockTimeout{10000};
    std::function<bool(std::function<void()>, std::function<void()>)> StartThread;

    void LockRequests();
    void UnlockRequests();

private:
    int EffectiveMaxThreads() const;
    void StartWorker(std::unique_ptr<ServerQuery> query);
    // Starts queued queries while slots are free; stops the timer once the queue is empty, and
    // asks for one more pass while ending workers hold slots.
    void StartQueued();
    // Slots held only by ended workers free up as soon as the GUI thread has taken their last
    // messages, which it cannot while it is starting workers: one more pass then follows those
    // messages instead of the next tick. Servers that refuse at once would otherwise cost a
    // whole tick each.
    void RunPassAfterEndingWorkers();
    void EndFetch();
    void ShowAndEndFetch(const std::string& text);
    // Writes the trace line of a failed list request and returns the message to show.
    static std::string FetchFailureMessage(int result, std::string errorText);
    // Both return false when the manager was destroyed while the notice was shown.
    bool ShowVersionNotice(const std::string& version, const std::string& url,
                           const std::string& text);
    bool ShowNewsNotice(const std::string& number, const std::string& text);

    Services m_services;
    std::shared_ptr<PollingState> m_state;
    std::deque<std::unique_ptr<ServerQuery>> m_requests;
    bool m_masterFetchBusy = false;
    RequestsLock m_requestsLock;
    int m_queryTimer = 0;
    bool m_passPending = false;
};

}  // namespace perivant
