// Runs a whole Master Server refresh on any reply, without the network and without workers:
// the fake network answers with the input, the user's answers come from the input, and the
// scheduler's thread start drops every query it is given.
//
// Input: a status byte (below 0xC0 the request succeeds, otherwise its low bits pick a failure),
// a byte of set-up flags, a byte of Yes/No answers, the Master Server URL up to the first line
// feed, then the reply body.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "app/AppSettings.h"
#include "app/MemoryProfileStore.h"
#include "polling/MasterServerList.h"
#include "polling/ServerManager.h"
#include "polling/UserPrompts.h"
#include "support/PollingFakes.h"
#include "text/CaseCompare.h"
#include "text/Trace.h"

using namespace perivant;

namespace {

constexpr int kFailures[8] = {404, -1, 500, 12002, 12007, 12029, 301, 0};
constexpr int kMaxThreads[4] = {15, 1, 0, -3};

const std::string kBadList =
    "Bad server list from Master Server.\nPlease check the Master Server URL in the Options "
    "window.";

class InputNetwork : public ServerNetwork {
public:
    InputNetwork(int status, std::string reply) : m_status(status), m_reply(std::move(reply)) {}

    int FetchPage(const std::string& host, int port, const std::string& objectPath,
                  const std::string&, std::string& body, std::string& errorText) override {
        ++fetches;
        this->host = host;
        this->port = port;
        path = objectPath;
        if (m_status == 200) {
            body = m_reply;
        } else {
            errorText = "The operation timed out\r\n(after 30 s)\n";
        }
        return m_status;
    }
    int Ping(const std::string&, int) override { return -1; }

    int fetches = 0;
    std::string host;
    int port = 0;
    std::string path;

private:
    int m_status;
    std::string m_reply;
};

class InputPrompts : public UserPrompts {
public:
    explicit InputPrompts(uint8_t answers) : m_answers(answers) {}
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string& text) override {
        questions.push_back(text);
        return (m_answers >> (questions.size() % 8) & 1) != 0;
    }
    void OpenWebAddress(const std::string& url) override { opened.push_back(url); }

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<std::string> opened;

private:
    uint8_t m_answers;
};

// What the reply's first non-empty line says, found without the list reader.
bool LooksLikeList(const std::string& body) {
    size_t at = 0;
    while (at < body.size() && body[at] == '\n') {
        ++at;
    }
    return at < body.size() &&
           StartsWithNoCase(std::string_view(body).substr(at), "CorvaneServerList");
}

void CheckTarget(const std::string& url, bool parsed, const MasterRequestTarget& target) {
    if (!parsed) {
        return;
    }
    FUZZ_CHECK(!target.host.empty());
    FUZZ_CHECK(target.host.find_first_of("/:") == std::string::npos);
    FUZZ_CHECK(!target.path.empty() && target.path[0] == '/');
    FUZZ_CHECK(target.path.find("//") == std::string::npos);
    FUZZ_CHECK(target.path == "/" || target.path.back() != '/');
    FUZZ_CHECK(target.path.size() <= url.size() + 1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetTraceSink([](int, const std::string&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) {
        return 0;
    }
    const int status = data[0] < 0xC0 ? 200 : kFailures[data[0] & 7];
    const uint8_t flags = data[1];
    const std::string rest(reinterpret_cast<const char*>(data) + 3, size - 3);
    const size_t lineEnd = rest.find('\n');
    const std::string url = rest.substr(0, lineEnd);
    const std::string body =
        lineEnd == std::string::npos ? std::string() : rest.substr(lineEnd + 1);

    MasterRequestTarget target;
    const bool parsed = MasterServerList::ParseUrl(url, target);
    CheckTarget(url, parsed, target);

    AppSettings settings;
    MemoryProfileStore store;
    LoadSettings(settings, store, 1280, 1024);
    settings.MasterServerURL = url;
    settings.MaxThreads = kMaxThreads[(flags >> 1) & 3];
    const bool startsFail = (flags & 8) != 0;
    const int newsBefore = (flags & 16) != 0 ? 5 : 0;
    if (newsBefore != 0) {
        WriteSettingsInt(store, kHideNewsMsg, newsBefore);
    }
    if ((flags & 32) != 0) {
        WriteSettingsString(store, kHideVersionMsg, "9.9");
    }

    testing::ManualTimer timer;
    InputPrompts prompts(data[2]);
    auto network = std::make_shared<InputNetwork>(status, body);
    std::shared_ptr<FrameTarget> frame;
    if ((flags & 1) != 0) {
        frame = std::make_shared<testing::RecordingFrame>();
    }
    ServerManager manager(
        ServerManager::Services{settings, store, timer, prompts, frame, network, [] { return 9; }});
    int starts = 0;
    manager.StartThread = [&](std::function<void()>, std::function<void()>) {
        ++starts;
        return !startsFail;
    };

    manager.FetchServerList();

    FUZZ_CHECK(!manager.MasterFetchBusy());
    FUZZ_CHECK(manager.Servers().Count() == 0);
    const size_t queries = static_cast<size_t>(starts) + manager.QueuedQueries();
    if (!parsed) {
        FUZZ_CHECK(network->fetches == 0);
        FUZZ_CHECK(prompts.messages.size() == 1 && prompts.messages[0] == kBadList);
        FUZZ_CHECK(queries == 0);
        return 0;
    }
    FUZZ_CHECK(network->fetches == 1);
    FUZZ_CHECK(network->host == target.host && network->port == target.port &&
               network->path == target.path);
    if (status != 200) {
        FUZZ_CHECK(prompts.messages.size() == 1 && queries == 0);
        const std::string& message = prompts.messages[0];
        // The error text loses its line breaks; the message keeps its one.
        FUZZ_CHECK(message.find('\r') == std::string::npos);
        FUZZ_CHECK(std::count(message.begin(), message.end(), '\n') == 1);
        FUZZ_CHECK(settings.MasterServerURL == url);
        return 0;
    }
    if (!LooksLikeList(body)) {
        FUZZ_CHECK(prompts.messages.size() == 1 && prompts.messages[0] == kBadList);
        FUZZ_CHECK(queries == 0);
        return 0;
    }

    const size_t lines = static_cast<size_t>(std::count(body.begin(), body.end(), '\n')) + 1;
    FUZZ_CHECK(queries <= lines);
    FUZZ_CHECK(prompts.messages.size() + prompts.questions.size() <= lines + 1);
    if (queries == 0) {
        FUZZ_CHECK(!prompts.messages.empty());  // an error, a new URL, or no servers at all
    }
    for (const std::string& opened : prompts.opened) {
        FUZZ_CHECK(frame != nullptr && IsWebAddress(opened));
    }
    FUZZ_CHECK(prompts.opened.size() <= prompts.questions.size());
    FUZZ_CHECK(ReadSettingsInt(store, kHideNewsMsg, 0) >= newsBefore);
    if (settings.MasterServerURL != url) {
        FUZZ_CHECK(!EqualsNoCase(settings.MasterServerURL, url));
        FUZZ_CHECK(ReadSettingsString(store, "MasterServerURL", "") == settings.MasterServerURL);
    }

    // Workers that finish let the timer start the queued queries, at least one per tick.
    const size_t queued = manager.QueuedQueries();
    for (size_t tick = 0; tick <= queued && timer.running != 0; ++tick) {
        manager.State()->RunningQueries.store(0);
        timer.Tick();
    }
    FUZZ_CHECK(manager.QueuedQueries() == 0 && timer.running == 0);
    FUZZ_CHECK(static_cast<size_t>(starts) == queries);
    return 0;
}
