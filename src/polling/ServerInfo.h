#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace perivant {

// The session GUID that means "no session for that game".
inline constexpr const char* kNullGuid = "00000000-0000-0000-00-00-00-00-00-00-00-00";

// One connected player, fields in the order the player pane shows them.
struct PlayerInfo {
    std::string GameVersion;
    std::string Name;
    std::string Type;
    std::string Aircraft;
    std::string ConnectTime;
    std::string NearAirport;
    std::string Altitude;
    std::string Heading;
    std::string Speed;
    std::string Hop;
    std::string DXVersion;
    std::string Status;
};

// One flight plan filed on a server.
struct FlightPlanInfo {
    std::string PlayerName;
    std::string Plan;
    std::string StatusText;
    std::string TimeFiledText;
    std::string TimeOpenedText;
    std::string TimeClosedText;
    std::string OpenTimeText;
};

// Everything known about one server, as read from its status page. A plain value: the record
// that the table and the panes share is a ServerRecord, which hands out immutable snapshots of
// this so that no reader can ever see a half-written record.
struct ServerInfo {
    std::string Address;
    int Port = 0;
    std::string ServerName;
    std::string ServerURL;
    std::string SessionName;
    std::string PasswordRequiredText;
    bool PasswordRequired = false;
    std::string CurrentPilots;
    std::string MaxPilots;
    bool MaxPilotsUnlimited = false;
    std::string CurrentObservers;
    std::string MaxObservers;
    bool MaxObserversUnlimited = false;
    std::string SessionComments;
    std::string SessionGUID;
    std::string SessionGUID2004;
    bool HostsFS2002 = false;
    bool HostsFS2004 = false;
    int PingMs = -1;
    std::string Version;
    std::string DirectXVersionRequired;
    bool DirectXTooOld = false;
    std::vector<PlayerInfo> Players;
    std::vector<FlightPlanInfo> FlightPlans;

    // Releases every player and flight plan before a re-query refills them.
    void EmptyLists();
    // About how many bytes the contents take: texts and list entries.
    size_t HeldBytes() const;
};

class RecordBudget;

// A published server: its identity (rows and messages find it by this object, never by content)
// and its current contents. A re-query replaces the contents in one step; readers take a
// snapshot that stays valid and unchanged for as long as they hold it.
class ServerRecord {
public:
    explicit ServerRecord(ServerInfo info);
    ~ServerRecord();
    // A record whose contents count against the budget until it ends; none when they do not
    // fit beside what the budget holds.
    static std::shared_ptr<ServerRecord> MakeWithin(const std::shared_ptr<RecordBudget>& budget,
                                                    ServerInfo info);

    ServerRecord(const ServerRecord&) = delete;
    ServerRecord& operator=(const ServerRecord&) = delete;

    // Set once, never changed by a re-query.
    const std::string& Address() const { return m_address; }
    int Port() const { return m_port; }

    std::shared_ptr<const ServerInfo> Info() const;
    // Replaces the contents; Address and Port of the new contents are forced to the record's.
    // False, with nothing changed, when the record counts against a budget that the new
    // contents do not fit.
    bool Replace(ServerInfo info);

    // Set when the table let go of the record: a late message about it must change nothing.
    bool IsReleased() const { return m_released.load(std::memory_order_acquire); }
    void MarkReleased() { m_released.store(true, std::memory_order_release); }

private:
    const std::string m_address;
    const int m_port;
    mutable std::mutex m_mutex;
    std::shared_ptr<const ServerInfo> m_info;
    std::shared_ptr<RecordBudget> m_budget;  // set before the record is shared
    size_t m_charged = 0;                    // guarded by m_mutex
    std::atomic<bool> m_released{false};
};

using ServerPtr = std::shared_ptr<ServerRecord>;

// The server table: published records in the order their queries finished. Workers append and
// remove while the GUI thread reads, so every access goes through its lock.
class ServerTable {
public:
    void Append(ServerPtr record);
    // Removes the first entry that is this record; does nothing when it is absent.
    bool Remove(const ServerRecord* record);
    // Empties the table and marks every record released, in table order. Returns the records so
    // the caller decides when the last reference goes.
    std::vector<ServerPtr> ReleaseAll();
    size_t Count() const;
    std::vector<ServerPtr> Snapshot() const;
    bool Contains(const ServerRecord* record) const;

private:
    mutable std::mutex m_mutex;
    std::vector<ServerPtr> m_servers;
};

// True when a session GUID names a session: not empty and not exactly the null GUID.
bool HostsSession(const std::string& guid);

// The text the server list shows in its Games column.
const char* GamesText(bool hostsFS2002, bool hostsFS2004);

}  // namespace perivant
