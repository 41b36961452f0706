#include "polling/ServerInfo.h"

#include <algorithm>

#include "polling/RecordBudget.h"

namespace perivant {

void ServerInfo::EmptyLists() {
    Players.clear();
    Players.shrink_to_fit();
    FlightPlans.clear();
    FlightPlans.shrink_to_fit();
}

size_t ServerInfo::HeldBytes() const {
    size_t bytes = sizeof(ServerInfo);
    for (const std::string* text :
         {&Address, &ServerName, &ServerURL, &SessionName, &PasswordRequiredText, &CurrentPilots,
          &MaxPilots, &CurrentObservers, &MaxObservers, &SessionComments, &SessionGUID,
          &SessionGUID2004, &Version, &DirectXVersionRequired}) {
        bytes += text->size();
    }
    for (const PlayerInfo& p : Players) {
        bytes += sizeof(PlayerInfo) + p.GameVersion.size() + p.Name.size() + p.Type.size() +
                 p.Aircraft.size() + p.ConnectTime.size() + p.NearAirport.size() +
                 p.Altitude.size() + p.Heading.size() + p.Speed.size() + p.Hop.size() +
                 p.DXVersion.size() + p.Status.size();
    }
    for (const FlightPlanInfo& f : FlightPlans) {
        bytes += sizeof(FlightPlanInfo) + f.PlayerName.size() + f.Plan.size() +
                 f.StatusText.size() + f.TimeFiledText.size() + f.TimeOpenedText.size() +
                 f.TimeClosedText.size() + f.OpenTimeText.size();
    }
    return bytes;
}

namespace {

// A published record never grows again: the lists give back what filling them one by one left
// spare (up to half of each), which adds up over thousands of servers.
ServerInfo Trimmed(ServerInfo info) {
    info.Players.shrink_to_fit();
    info.FlightPlans.shrink_to_fit();
    return info;
}

}  // namespace

ServerRecord::ServerRecord(ServerInfo info)
    : m_address(info.Address),
      m_port(info.Port),
      m_info(std::make_shared<const ServerInfo>(Trimmed(std::move(info)))) {}

ServerRecord::~ServerRecord() {
    if (m_budget) {
        m_budget->Refund(m_charged);
    }
}

std::shared_ptr<ServerRecord> ServerRecord::MakeWithin(const std::shared_ptr<RecordBudget>& budget,
                                                       ServerInfo info) {
    const size_t bytes = info.HeldBytes();
    if (!budget->TryCharge(bytes)) {
        return nullptr;
    }
    auto record = std::make_shared<ServerRecord>(std::move(info));
    record->m_budget = budget;
    record->m_charged = bytes;
    return record;
}

std::shared_ptr<const ServerInfo> ServerRecord::Info() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_info;
}

bool ServerRecord::Replace(ServerInfo info) {
    info.Address = m_address;
    info.Port = m_port;
    const size_t bytes = m_budget ? info.HeldBytes() : 0;
    if (m_budget && !m_budget->TryCharge(bytes)) {
        return false;
    }
    auto fresh = std::make_shared<const ServerInfo>(Trimmed(std::move(info)));
    std::shared_ptr<const ServerInfo> old;
    size_t refund = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        old = std::move(m_info);
        m_info = std::move(fresh);
        refund = m_charged;
        m_charged = bytes;
    }
    if (m_budget) {
        m_budget->Refund(refund);
    }
    // The old snapshot dies here, outside the lock, unless a reader still holds it.
    return true;
}

void ServerTable::Append(ServerPtr record) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_servers.push_back(std::move(record));
}

bool ServerTable::Remove(const ServerRecord* record) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = std::find_if(m_servers.begin(), m_servers.end(),
                           [record](const ServerPtr& p) { return p.get() == record; });
    if (it == m_servers.end()) {
        return false;
    }
    m_servers.erase(it);
    return true;
}

std::vector<ServerPtr> ServerTable::ReleaseAll() {
    std::vector<ServerPtr> released;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        released.swap(m_servers);
    }
    for (const ServerPtr& record : released) {
        record->MarkReleased();
    }
    return released;
}

size_t ServerTable::Count() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_servers.size();
}

std::vector<ServerPtr> ServerTable::Snapshot() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_servers;
}

bool ServerTable::Contains(const ServerRecord* record) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::any_of(m_servers.begin(), m_servers.end(),
                       [record](const ServerPtr& p) { return p.get() == record; });
}

bool HostsSession(const std::string& guid) {
    return !guid.empty() && guid != kNullGuid;
}

const char* GamesText(bool hostsFS2002, bool hostsFS2004) {
    if (hostsFS2002 && hostsFS2004) {
        return "2002/2004/FSX";
    }
    if (hostsFS2002) {
        return "2002";
    }
    if (hostsFS2004) {
        return "2004/FSX";
    }
    return "";
}

}  // namespace perivant
