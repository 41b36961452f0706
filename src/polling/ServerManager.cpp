#include "polling/ServerManager.h"

#include <algorithm>

#include "app/AppSettings.h"
#include "app/ProfileStore.h"
#include "env/VersionText.h"
#include "polling/GetServer.h"
#include "polling/MasterServerList.h"
#include "polling/TimerService.h"
#include "polling/UserPrompts.h"
#include "polling/WorkerLauncher.h"
#include "text/CaseCompare.h"
#include "text/IntegerValue.h"
#include "text/SplitText.h"
#include "text/Trace.h"

namespace perivant {

namespace {

constexpr int kQueryTimerPeriodMs = 100;

ServerManager* g_currentManager = nullptr;

// Worker identifiers for the trace: unique for the process, known before the thread runs.
std::atomic<unsigned> g_nextThreadId{0x1000};

constexpr const char kBadListMessage[] =
    "Bad server list from Master Server.\nPlease check the Master Server URL in the Options "
    "window.";

}  // namespace

ServerManager::ServerManager(Services services)
    : StartThread([](std::function<void()> body, std::function<void()> failed) {
          return WorkerLauncher::Instance().Launch(std::move(body), std::move(failed));
      }),
      m_services(std::move(services)),
      m_state(std::make_shared<PollingState>()) {
    m_state->Frame = m_services.frame;
    m_state->Network = m_services.network;
    g_currentManager = this;
    int version = m_services.detectDirectXVersion ? m_services.detectDirectXVersion() : 0;
    m_services.settings.InstalledDirectXVersion = version;
    m_state->InstalledDirectXVersion = version;
}

ServerManager::~ServerManager() {
    m_state->Closing.store(true);
    if (m_queryTimer != 0) {
        m_services.timer.KillTimer(m_queryTimer);
        m_queryTimer = 0;
    }
    ReleaseAllServers();
    if (g_currentManager == this) {
        g_currentManager = nullptr;
    }
    m_requests.clear();
}

ServerManager* ServerManager::Current() {
    return g_currentManager;
}

int ServerManager::EffectiveMaxThreads() const {
    // A stored value below 1 would never start a worker and keep the timer ticking for ever.
    return std::max(1, m_services.settings.MaxThreads);
}

void ServerManager::LockRequests() {
    if (!m_requestsLock.Wait(LockTimeout)) {
        Trace(TraceWarning, "WARNING: ServerRequests lock timeout.\n");
    }
}

void ServerManager::UnlockRequests() {
    m_requestsLock.Signal();
}

void ServerManager::StartWorker(std::unique_ptr<ServerQuery> query) {
    query->ThreadId = g_nextThreadId.fetch_add(1);
    const unsigned threadId = query->ThreadId;
    const std::string address = query->Address;
    const int port = query->Port;
    // Counted before the thread runs, so a fast worker never drives the count below zero.
    m_state->RunningQueries.fetch_add(1);
    auto shared = std::make_shared<std::unique_ptr<ServerQuery>>(std::move(query));
    auto trace = [] { Trace(TraceThreadFailure, "Error creating GetServer thread\n"); };
    // A thread refused after the hand-over ends the query as its worker would have.
    std::shared_ptr<PollingState> state = m_state;
    auto refused = [state, trace] {
        trace();
        state->EndWorker();
    };
    if (StartThread([shared] { GetServer(std::move(*shared)); }, refused)) {
        Trace(TraceInfo, "Thread 0x%X created for %s:%d\n", threadId, address.c_str(), port);
        m_state->Send(MsgStatusChanged, nullptr);
    } else {
        m_state->RunningQueries.fetch_sub(1);
        trace();
    }
}

void ServerManager::QueueServerQuery(const std::string& address, int port,
                                     const std::string& guid2002, const std::string& guid2004,
                                     ServerPtr existing) {
    auto query = std::make_unique<ServerQuery>();
    query->Address = address;
    query->Port = port;
    query->ExpectedGUID2002 = guid2002;
    query->ExpectedGUID2004 = guid2004;
    query->Manager = m_state;
    query->IsRequery = existing != nullptr;
    query->ExistingServer = std::move(existing);

    if (m_state->BusySlots() < EffectiveMaxThreads()) {
        StartWorker(std::move(query));
        return;
    }
    LockRequests();
    m_requests.push_back(std::move(query));
    UnlockRequests();
    RunPassAfterEndingWorkers();
    if (m_queryTimer == 0) {
        m_queryTimer = m_services.timer.StartTimer(kQueryTimerPeriodMs, [] {
            if (ServerManager* manager = ServerManager::Current()) {
                manager->OnTimer();
            }
        });
    }
    m_state->Send(MsgStatusChanged, nullptr);
}

void ServerManager::OnTimer() {
    if (m_state->Closing.load()) {
        if (m_queryTimer != 0) {
            m_services.timer.KillTimer(m_queryTimer);
            m_queryTimer = 0;
        }
        return;
    }
    Trace(TraceInfo, "OnTimer. %d requests queued.\n", static_cast<int>(m_requests.size()));
    StartQueued();
}

void ServerManager::StartQueued() {
    LockRequests();
    while (!m_requests.empty() && m_state->BusySlots() < EffectiveMaxThreads()) {
        std::unique_ptr<ServerQuery> query = std::move(m_requests.front());
        m_requests.pop_front();
        StartWorker(std::move(query));
    }
    if (m_requests.empty() && m_queryTimer != 0) {
        m_services.timer.KillTimer(m_queryTimer);
        m_queryTimer = 0;
    }
    UnlockRequests();
    RunPassAfterEndingWorkers();
}

void ServerManager::RunPassAfterEndingWorkers() {
    if (m_passPending || m_requests.empty() || m_state->EndingWorkers.load() == 0) {
        return;
    }
    m_passPending = true;
    m_services.timer.RunSoon([] {
        ServerManager* manager = ServerManager::Current();
        if (manager == nullptr || !manager->m_passPending || manager->m_state->Closing.load()) {
            return;
        }
        manager->m_passPending = false;
        manager->StartQueued();
    });
}

void ServerManager::ReleaseAllServers() {
    std::vector<ServerPtr> released = m_state->Servers.ReleaseAll();
    released.clear();
    // Sent after the closing flag too: the frame must still clear its panes of the records.
    if (m_state->Frame) {
        m_state->Frame->Post(MsgServersReleased, nullptr);
    }
}

void ServerManager::EndFetch() {
    m_masterFetchBusy = false;
    m_state->Send(MsgStatusChanged, nullptr);
}

void ServerManager::ShowAndEndFetch(const std::string& text) {
    // A message box runs its own event loop, in which the main frame (and this manager) may be
    // destroyed; the shared state outlives it and says so.
    std::shared_ptr<PollingState> state = m_state;
    m_services.prompts.ShowMessage(text);
    if (!state->Closing.load()) {
        EndFetch();
    }
}

std::string ServerManager::FetchFailureMessage(int result, std::string errorText) {
    std::erase(errorText, '\r');
    std::erase(errorText, '\n');
    Trace(TraceWarning, "Error %d getting server list from Master Server. %s\n", result,
          errorText.c_str());
    std::string message;
    if (result == 404) {
        message =
            "No server list found on the Master Server.\nPlease check the Master Server URL in "
            "the Options window.";
    } else if (result == -1) {
        message = "Error getting server list from master server.\n" + errorText;
    } else {
        message = "Error " + std::to_string(result) + " getting server list from master server.\n" +
                  errorText;
    }
    return message;
}

bool ServerManager::ShowVersionNotice(const std::string& version, const std::string& url,
                                      const std::string& text) {
    m_services.store.Reload();
    const std::string announced =
        m_services.store.ReadString(kSettingsSection, kHideVersionMsg, kHideVersionMsgDefault);
    if (CompareVersionText(version, GetVersionText()) <= 0 ||
        CompareVersionText(version, announced) <= 0) {
        return true;
    }
    std::shared_ptr<PollingState> state = m_state;
    bool yes = m_services.prompts.AskYesNo(MasterServerList::ExpandLineBreaks(text));
    if (state->Closing.load()) {
        return false;  // the manager went away while the question was open
    }
    // Only web addresses go to the browser: the list may come from anywhere.
    if (yes && m_state->Frame && IsWebAddress(url)) {
        m_services.prompts.OpenWebAddress(url);
    }
    m_services.store.WriteString(kSettingsSection, kHideVersionMsg, version);
    m_services.store.Flush();
    return true;
}

bool ServerManager::ShowNewsNotice(const std::string& number, const std::string& text) {
    int news = IntegerValue(number);
    m_services.store.Reload();
    if (news > m_services.store.ReadInt(kSettingsSection, kHideNewsMsg, 0)) {
        std::shared_ptr<PollingState> state = m_state;
        m_services.prompts.ShowMessage(MasterServerList::ExpandLineBreaks(text));
        if (state->Closing.load()) {
            return false;
        }
        m_services.store.WriteInt(kSettingsSection, kHideNewsMsg, news);
        m_services.store.Flush();
    }
    return true;
}

void ServerManager::FetchServerList() {
    m_masterFetchBusy = true;
    m_state->Send(MsgStatusChanged, nullptr);

    MasterRequestTarget target;
    if (!MasterServerList::ParseUrl(m_services.settings.MasterServerURL, target)) {
        // No host to ask: sending nothing is the only safe request.
        ShowAndEndFetch(kBadListMessage);
        return;
    }
    std::string body;
    std::string errorText;
    int result = m_state->Network->FetchPage(target.host, target.port, target.path, AgentName(),
                                             body, errorText);
    if (m_state->Closing.load()) {
        return;
    }
    if (result != 200) {
        ShowAndEndFetch(FetchFailureMessage(result, std::move(errorText)));
        return;
    }
    size_t next = 0;
    std::string_view line;
    if (!MasterServerList::NextLine(body, next, line) || !MasterServerList::IsHeader(line)) {
        ShowAndEndFetch(kBadListMessage);
        return;
    }

    m_masterFetchBusy = false;
    ReleaseAllServers();

    std::shared_ptr<PollingState> state = m_state;
    bool queued = false;
    std::vector<std::string> fields;
    while (MasterServerList::NextLine(body, next, line)) {
        if (state->Closing.load()) {
            return;
        }
        if (line[0] == '#') {
            continue;
        }
        // No keyword reads past field 4: a line of a million "|" must not become a million texts.
        const size_t n = SplitText(MasterServerList::LeadingFields(line, 5), "|", true, fields);
        const std::string& keyword = fields[0];
        if (n >= 2 && MasterServerList::IsKeyword(keyword, "ErrorMsg")) {
            ShowAndEndFetch(fields[1]);
            return;
        }
        if (n >= 2 && MasterServerList::IsKeyword(keyword, "ReplaceMaster") &&
            !EqualsNoCase(fields[1], m_services.settings.MasterServerURL)) {
            m_services.settings.MasterServerURL = fields[1];
            SaveSettings(m_services.settings, m_services.store);
            ShowAndEndFetch(
                "The Master Server URL has been updated.\nPlease refresh the server list again.");
            return;
        }
        if (n >= 4 && MasterServerList::IsKeyword(keyword, "Version")) {
            if (!ShowVersionNotice(fields[1], fields[2], fields[3])) {
                return;
            }
        } else if (n >= 3 && MasterServerList::IsKeyword(keyword, "News")) {
            if (!ShowNewsNotice(fields[1], fields[2])) {
                return;
            }
        } else if (n >= 5 && MasterServerList::IsKeyword(keyword, "Server")) {
            QueueServerQuery(fields[1], IntegerValue(fields[2]), fields[3], fields[4], nullptr);
            queued = true;
        }
    }
    if (!queued) {
        Trace(TraceWarning, "Error: No data in server list from master server.\n");
        ShowAndEndFetch(
            "No servers are currently registered with the Master Server.\nPlease try again "
            "later.");
    }
}

}  // namespace perivant
