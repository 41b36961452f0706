#include "polling/GetServer.h"

#include <new>

#include "env/VersionText.h"
#include "polling/HttpClient.h"
#include "polling/StatusPage.h"
#include "text/MarkupDocument.h"
#include "text/Trace.h"

namespace perivant {

std::string AgentName() {
    return "Perivant" + GetVersionText();
}

namespace {

constexpr int kPingTimeoutMs = 3000;

void RemoveLineFeeds(std::string& text) {
    std::erase(text, '\n');
}

// A re-queried server that fails leaves the list.
void DropRequeried(const ServerQuery& query) {
    PollingState& manager = *query.Manager;
    if (query.IsRequery && manager.Servers.Remove(query.ExistingServer.get())) {
        manager.Post(MsgServerDropped, query.ExistingServer);
    }
}

// Everything but the worker's last act; false when the manager is closing, as then nothing is
// sent.
bool QueryServer(ServerQuery* query) {
    // The page and its parsed copy count against the pages' budget until they are read.
    PageChargeScope pageCharge;
    PollingState& manager = *query->Manager;
    const std::string& address = query->Address;
    const int port = query->Port;

    std::string body;
    std::string errorText;
    int result = manager.Network->FetchPage(address, port, "/xml", AgentName(), body, errorText);
    if (manager.Closing.load()) {
        return false;
    }

    bool failed = false;
    ServerInfo info;
    MarkupDocument document;
    if (result != 200) {
        RemoveLineFeeds(errorText);
        Trace(TraceWarning, "Error %d getting server data from %s:%d. %s\n", result,
              address.c_str(), port, errorText.c_str());
        failed = true;
    } else if (!StatusPage::Open(document, body)) {
        Trace(TraceWarning, "Bad server data from %s:%d\n", address.c_str(), port);
        failed = true;
    }
    std::string().swap(body);

    if (failed) {
        DropRequeried(*query);
    } else {
        // A re-query starts from the listed record (a host older than version 3 keeps its FS2004
        // GUID) and publishes the new contents in one step, so no reader sees them half-made.
        if (query->IsRequery) {
            info = *query->ExistingServer->Info();
            info.EmptyLists();
        } else {
            info.Address = address;
            info.Port = port;
        }
        StatusPage::ReadServerFields(document, info, manager.InstalledDirectXVersion,
                                     query->ExpectedGUID2002, query->ExpectedGUID2004);

        if (StatusPage::ReportsWrongSession(info, query->ExpectedGUID2002,
                                            query->ExpectedGUID2004)) {
            Trace(TraceInfo, "Thread 0x%X received wrong guid for %s:%d\n", query->ThreadId,
                  address.c_str(), port);
            if (query->IsRequery) {
                manager.Servers.Remove(query->ExistingServer.get());
                manager.Send(MsgServerDropped, query->ExistingServer);
                query->ExistingServer->MarkReleased();
            }
        } else {
            // Read before the ping, which may wait 3 s: the page and its parsed copy go, and
            // their share of the budget with them, so that other pages are not refused meanwhile.
            StatusPage::ReadPlayersAndFlightPlans(document, info);
            document = MarkupDocument();
            pageCharge.Release();
            info.PingMs = manager.Network->Ping(address, kPingTimeoutMs);
            if (manager.Closing.load()) {
                return false;
            }
            Trace(TraceInfo, "Ping from %s: %ld ms\n", address.c_str(),
                  static_cast<long>(info.PingMs));
            const std::string sessionName = info.SessionName;

            // Past what all records may hold together, a server is refused like an unreadable
            // page.
            bool kept = false;
            if (query->IsRequery) {
                kept = query->ExistingServer->Replace(std::move(info));
                if (kept) {
                    manager.Post(MsgServerUpdated, query->ExistingServer);
                }
            } else if (auto record = ServerRecord::MakeWithin(manager.Budget, std::move(info))) {
                kept = true;
                manager.Servers.Append(record);
                manager.Post(MsgServerAdded, std::move(record));
            }
            if (!kept) {
                Trace(TraceWarning, "Bad server data from %s:%d\n", address.c_str(), port);
                DropRequeried(*query);
            } else {
                Trace(TraceInfo, "Thread 0x%X received data for %s:%d (%s)\n", query->ThreadId,
                      address.c_str(), port, sessionName.c_str());
            }
        }
    }
    return true;
}

}  // namespace

void GetServer(std::unique_ptr<ServerQuery> query) {
    bool ending = true;
    try {
        ending = QueryServer(query.get());
    } catch (const std::bad_alloc&) {
        // Memory ran out for this server's page or record: it is refused like an unreadable
        // page, and the refresh goes on with the others.
        ending = !query->Manager->Closing.load();
        try {
            Trace(TraceWarning, "Bad server data from %s:%d\n", query->Address.c_str(),
                  query->Port);
            DropRequeried(*query);
        } catch (const std::bad_alloc&) {
            // Nothing more can be done for this server; its row, if any, stays as it was.
        }
    }
    if (ending) {
        query->Manager->EndWorker();
    }
}

}  // namespace perivant
