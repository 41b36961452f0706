// The event loop that serves the Master Server and every host from one thread: epoll over
// non-blocking sockets, one-shot timers on a heap, one small state machine per connection.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

#include "FaultPlan.h"
#include "HostileBodies.h"
#include "LabOptions.h"
#include "TimerQueue.h"

namespace corvanelab {

class LabServer {
public:
    explicit LabServer(const LabOptions& options);
    ~LabServer();
    LabServer(const LabServer&) = delete;
    LabServer& operator=(const LabServer&) = delete;

    // Raises the descriptor limit, assigns the faults, opens every socket and builds the
    // Master Server list. False with a message when any of it fails.
    bool Start(std::string& error);

    std::string MasterUrl() const;
    // The manifest (built by Start when options ask for one).
    std::string Manifest() const;

    // Serves until the time limit passes or SIGINT/SIGTERM arrives.
    void Run();

    void PrintStats(std::FILE* out) const;
    bool WriteStatsFile(const std::string& path, std::string& error) const;

private:
    struct Site {
        std::string address;
        std::uint16_t port = 0;
        Fault fault = Fault::Ok;
        int fd = -1;
        std::uint64_t connections = 0;
        std::uint64_t requests = 0;
    };

    enum class State { ReadingHead, Waiting, Sending, Silent, Draining };

    struct Connection {
        std::uint64_t id = 0;
        int fd = -1;
        std::size_t site = 0;  // kMasterSite or a host index
        State state = State::ReadingHead;
        std::string head;
        std::deque<SharedText> out;
        std::size_t outOffset = 0;
        std::uint64_t sent = 0;
        std::uint64_t sendLimit = UINT64_MAX;  // truncating faults stop here
        bool trickle = false;
        bool endless = false;
        bool readClosed = false;
        bool headOnly = false;  // a HEAD request: headers without the body
        bool watchingWrite = false;
        std::uint64_t timerToken = 0;
    };

    static constexpr std::size_t kMasterSite = SIZE_MAX;

    static std::int64_t NowMs();  // steady clock
    static SharedText Share(std::string text);
    static SharedText ErrorPage(int status);

    Site& SiteOf(const Connection& c) { return c.site == kMasterSite ? m_master : m_hosts[c.site]; }

    bool RaiseDescriptorLimit(std::string& error);
    bool OpenListener(Site& site, bool listening, std::string& error);
    void Accept(std::size_t siteIndex);
    void OnEvent(std::uint64_t id, std::uint32_t events);
    void OnReadable(std::uint64_t id, Connection& c);
    void OnHead(std::uint64_t id, Connection& c);
    void OnTimer(std::uint64_t id, Connection& c);
    void AnswerMaster(Connection& c);
    void AnswerHost(Connection& c, const std::string& path);
    // Queues a complete response; extraHeaders are whole lines ending in CR LF.
    void Respond(Connection& c, int status, const char* type, SharedText body,
                 bool withLength = true, const std::string& extraHeaders = {});
    void StartSending(std::uint64_t id, Connection& c, std::uint32_t delayMs);
    void Flush(std::uint64_t id, Connection& c);
    void FinishSending(std::uint64_t id, Connection& c);
    void SetTimer(std::uint64_t id, Connection& c, std::uint32_t delayMs);
    void WatchWrite(Connection& c, bool on);
    void Close(std::uint64_t id, bool reset = false);

    const LabOptions& m_options;
    Site m_master;
    std::vector<Site> m_hosts;
    std::string m_manifest;  // lines without the header
    SharedText m_masterBody;
    int m_epoll = -1;
    int m_signals = -1;
    int m_spareFd = -1;
    std::unordered_map<std::uint64_t, Connection> m_connections;
    std::uint64_t m_nextId = 1;
    std::uint64_t m_nextToken = 1;
    TimerQueue m_timers;
    std::int64_t m_startMs = 0;
    std::int64_t m_endMs = 0;
    std::uint64_t m_acceptFailures = 0;
};

}  // namespace corvanelab
