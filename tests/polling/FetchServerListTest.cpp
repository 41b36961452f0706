#include <gtest/gtest.h>
#include <sys/resource.h>

#include "app/AppSettings.h"
#include "app/MemoryProfileStore.h"
#include "env/VersionText.h"
#include "polling/MasterServerList.h"
#include "polling/ServerManager.h"
#include "support/PollingFakes.h"
#include "text/Trace.h"

using namespace perivant;
using namespace perivant::testing;

namespace {

const char kBadList[] =
    "Bad server list from Master Server.\nPlease check the Master Server URL in the Options "
    "window.";
const char kNoServers[] =
    "No servers are currently registered with the Master Server.\nPlease try again later.";
const std::string kServerLine =
    "Server|127.0.0.2|23456||00000000-0000-0000-00-00-00-00-00-00-00-00";

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

long PeakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class FetchServerListTest : public ::testing::Test {
protected:
    FetchServerListTest() {
        SetTraceSink([this](int, const std::string& line) {
            std::lock_guard<std::mutex> lock(traceMutex);
            traced.push_back(line.substr(line.find("  ") + 2));
        });
        LoadSettings(settings, store, 1280, 1024);
        settings.MasterServerURL = "http://127.0.0.1:9000/list";
        network = std::make_shared<FakeNetwork>();
        network->Set("127.0.0.2", 23456, "/xml",
                     {200, "<Corvane><ServerName>A</ServerName></Corvane>", ""});
        network->Set("127.0.0.3", 23456, "/xml",
                     {200, "<Corvane><ServerName>B</ServerName></Corvane>", ""});
        frame = std::make_shared<RecordingFrame>();
        manager = std::make_unique<ServerManager>(ServerManager::Services{
            settings, store, timer, prompts, frame, network, [] { return 9; }});
    }
    ~FetchServerListTest() override {
        manager.reset();
        SetTraceSink(nullptr);
    }

    // Runs one fetch with the given reply and waits for the workers it started.
    void Fetch(const std::string& body, int status = 200, const std::string& error = "") {
        network->Set("127.0.0.1", 9000, "/list", {status, body, error});
        frame->Clear();
        manager->FetchServerList();
        ASSERT_TRUE(WaitFor([&] { return manager->State().use_count() == 1; }));
    }

    bool Traced(const std::string& line) {
        std::lock_guard<std::mutex> lock(traceMutex);
        return std::find(traced.begin(), traced.end(), line) != traced.end();
    }

    std::mutex traceMutex;
    std::vector<std::string> traced;
    AppSettings settings;
    MemoryProfileStore store;
    ManualTimer timer;
    ScriptedPrompts prompts;
    std::shared_ptr<FakeNetwork> network;
    std::shared_ptr<RecordingFrame> frame;
    std::unique_ptr<ServerManager> manager;
};

}  // namespace

TEST(MasterServerList, RequestTargetFromUrl) {
    MasterRequestTarget t;
    ASSERT_TRUE(MasterServerList::ParseUrl("http://192.0.2.7:8080/cgi-bin/list.cgi?x=1", t));
    EXPECT_EQ(t.host, "192.0.2.7");
    EXPECT_EQ(t.port, 8080);
    EXPECT_EQ(t.path, "/cgi-bin/list.cgi?x=1");
    ASSERT_TRUE(MasterServerList::ParseUrl("HTTP://192.0.2.7", t));
    EXPECT_EQ(t.port, 80);
    EXPECT_EQ(t.path, "/");
    ASSERT_TRUE(MasterServerList::ParseUrl("192.0.2.7/list", t));
    EXPECT_EQ(t.host, "192.0.2.7");
    EXPECT_EQ(t.path, "/list");
    ASSERT_TRUE(MasterServerList::ParseUrl("http://192.0.2.7//a//b/", t));
    EXPECT_EQ(t.path, "/a/b");
    // A port is taken only from exactly two pieces; empty ones do not count.
    ASSERT_TRUE(MasterServerList::ParseUrl("http://192.0.2.7:8080:1/x", t));
    EXPECT_EQ(t.host, "192.0.2.7");
    EXPECT_EQ(t.port, 80);
    ASSERT_TRUE(MasterServerList::ParseUrl("http://192.0.2.7::8080:/x", t));
    EXPECT_EQ(t.port, 8080);
    for (const char* hostless : {"", "http:", "http://", "///", "HTTP:///"}) {
        EXPECT_FALSE(MasterServerList::ParseUrl(hostless, t)) << hostless;
    }
}

TEST(MasterServerList, OnlyTheFieldsAKeywordCanUseAreSplitOff) {
    EXPECT_EQ(MasterServerList::LeadingFields("Server|a|1|g|h|extra|more", 5), "Server|a|1|g|h");
    EXPECT_EQ(MasterServerList::LeadingFields("Server|a|1|g|", 5), "Server|a|1|g|");
    EXPECT_EQ(MasterServerList::LeadingFields("Server|a|1|g||", 5), "Server|a|1|g|");
    EXPECT_EQ(MasterServerList::LeadingFields("News|3", 5), "News|3");
    EXPECT_EQ(MasterServerList::LeadingFields(std::string(1000000, '|'), 5), "||||");
}

TEST_F(FetchServerListTest, QueuesEveryServerLineInAnyCapitals) {
    Fetch("corvaneserverlist v2\r\n\n# comment\nSERVER|127.0.0.3|23456|x|y|extra\n" + kServerLine +
          "\nServer|127.0.0.9|23456|x\n");
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(manager->Servers().Count(), 1u) << "127.0.0.3 reports no session x: dropped";
    auto info = manager->Servers().Snapshot()[0]->Info();
    EXPECT_EQ(info->Address, "127.0.0.2");
    EXPECT_FALSE(info->HostsFS2002);
    EXPECT_FALSE(info->HostsFS2004);
    EXPECT_FALSE(manager->MasterFetchBusy());
    EXPECT_EQ(frame->Count(MsgServersReleased), 1);
    // The first status message shows the retrieving state.
    ASSERT_FALSE(frame->Events().empty());
    EXPECT_EQ(frame->Events()[0].message, MsgStatusChanged);
}

TEST_F(FetchServerListTest, FailuresLeaveThePreviousServersListed) {
    Fetch("CorvaneServerList\n" + kServerLine + "\n");
    ASSERT_EQ(manager->Servers().Count(), 1u);

    Fetch("", 404);
    EXPECT_EQ(prompts.messages.back(),
              "No server list found on the Master Server.\nPlease check the Master Server URL in "
              "the Options window.");
    EXPECT_TRUE(Traced("Error 404 getting server list from Master Server. \n"));
    Fetch("", 500);
    EXPECT_EQ(prompts.messages.back(), "Error 500 getting server list from master server.\n");
    Fetch("", 12029, "A connection with the server\r\ncould not be established\r\n");
    EXPECT_EQ(prompts.messages.back(),
              "Error 12029 getting server list from master server.\nA connection with the "
              "servercould not be established");
    Fetch("", -1, "Not HTTP");
    EXPECT_EQ(prompts.messages.back(), "Error getting server list from master server.\nNot HTTP");
    Fetch("<html><body>Oops</body></html>");
    EXPECT_EQ(prompts.messages.back(), kBadList);
    Fetch("");
    EXPECT_EQ(prompts.messages.back(), kBadList);

    EXPECT_EQ(manager->Servers().Count(), 1u);
    EXPECT_EQ(frame->Count(MsgServersReleased), 0);
    EXPECT_FALSE(manager->MasterFetchBusy());
}

TEST_F(FetchServerListTest, BlankLinesAndMillionsOfTinyLines) {
    Fetch("\n\nCorvaneServerList\n\n\n" + kServerLine);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(manager->Servers().Count(), 1u);

    // Eight million lines of one letter: read through to the end without a text per line.
    std::string tiny(16 * 1024 * 1024, '\n');
    const std::string header = "CorvaneServerList\n";
    tiny.replace(0, header.size(), header);
    for (size_t i = header.size(); i + 1 < tiny.size(); i += 2) {
        tiny[i] = 'x';
    }
    const long before = PeakResidentKilobytes();
    Fetch(tiny);
    EXPECT_EQ(prompts.messages.back(), kNoServers);
    // A text per line took some 260 MB more; the reply and its copies take a fraction of that.
    // Sanitizers' shadow memory makes the figure meaningless there.
    if (!kSanitized) {
        EXPECT_LT(PeakResidentKilobytes() - before, 128 * 1024) << PeakResidentKilobytes() - before;
    }
}

TEST_F(FetchServerListTest, UrlWithoutHostSendsNothing) {
    settings.MasterServerURL = "http://";
    Fetch("CorvaneServerList\n" + kServerLine);
    EXPECT_EQ(network->Fetches(), 0);
    EXPECT_EQ(prompts.messages, std::vector<std::string>{kBadList});
    EXPECT_FALSE(manager->MasterFetchBusy());
}

TEST_F(FetchServerListTest, ListsWithoutUsableServers) {
    Fetch("CorvaneServerList\n# only\nServer|127.0.0.2|23456|x\n\n");
    EXPECT_EQ(prompts.messages.back(), kNoServers);
    EXPECT_TRUE(Traced("Error: No data in server list from master server.\n"));
    EXPECT_EQ(frame->Count(MsgServersReleased), 1) << "the list was recognised";
}

TEST_F(FetchServerListTest, ErrorMessageEndsTheReadingWhereItStands) {
    Fetch("CorvaneServerList\nErrorMsg|Down for\\nmaintenance\n" + kServerLine);
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"Down for\\nmaintenance"});
    EXPECT_EQ(manager->Servers().Count(), 0u);

    Fetch("CorvaneServerList\n" + kServerLine + "\nErrorMsg|Late");
    EXPECT_EQ(prompts.messages.back(), "Late");
    EXPECT_EQ(manager->Servers().Count(), 1u) << "servers before the error were queued";
}

TEST_F(FetchServerListTest, ReplaceMasterSavesTheNewUrlUnlessOnlyCapitalsDiffer) {
    Fetch("CorvaneServerList\nReplaceMaster|HTTP://127.0.0.1:9000/LIST\n" + kServerLine);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(manager->Servers().Count(), 1u);

    Fetch("CorvaneServerList\nReplaceMaster|http://127.0.0.1:9001/new\n" + kServerLine);
    EXPECT_EQ(prompts.messages.back(),
              "The Master Server URL has been updated.\nPlease refresh the server list again.");
    EXPECT_EQ(settings.MasterServerURL, "http://127.0.0.1:9001/new");
    EXPECT_EQ(store.ReadString(kSettingsSection, "MasterServerURL", ""),
              "http://127.0.0.1:9001/new");
    EXPECT_EQ(manager->Servers().Count(), 0u) << "released, nothing queued";
}

TEST_F(FetchServerListTest, NewsIsShownOncePerNumber) {
    store.WriteInt(kSettingsSection, kHideNewsMsg, 2);
    Fetch("CorvaneServerList\nNews|3|Line one\\nLine two\nNews|2|Old\n" + kServerLine);
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"Line one\nLine two"});
    EXPECT_EQ(store.ReadInt(kSettingsSection, kHideNewsMsg, 0), 3);
    Fetch("CorvaneServerList\nNews|3|Line one\\nLine two\n" + kServerLine);
    EXPECT_EQ(prompts.messages.size(), 1u);
}

TEST_F(FetchServerListTest, NewVersionIsAnnouncedOnceAndOnlyWebAddressesOpen) {
    const std::string own = GetVersionText();
    ASSERT_FALSE(own.empty());
    Fetch("CorvaneServerList\nVersion|" + own + "|http://x.test/|Same\n" + kServerLine);
    EXPECT_TRUE(prompts.questions.empty()) << "the program's own version is not news";

    prompts.answerYes = false;
    Fetch("CorvaneServerList\nVersion|99.0|http://x.test/|New!\\nGet it\n" + kServerLine);
    EXPECT_EQ(prompts.questions, std::vector<std::string>{"New!\nGet it"});
    EXPECT_TRUE(prompts.opened.empty());
    EXPECT_EQ(store.ReadString(kSettingsSection, kHideVersionMsg, ""), "99.0");

    prompts.answerYes = true;
    Fetch("CorvaneServerList\nVersion|99.0|http://x.test/|Again\n" + kServerLine);
    EXPECT_EQ(prompts.questions.size(), 1u) << "each release is announced once";

    Fetch("CorvaneServerList\nVersion|99.1|file:///etc/passwd|Evil\n" + kServerLine);
    EXPECT_EQ(prompts.questions.size(), 2u);
    EXPECT_TRUE(prompts.opened.empty()) << "only http and https addresses are opened";

    Fetch("CorvaneServerList\nVersion|99.2|https://x.test/get|Good\n" + kServerLine);
    EXPECT_EQ(prompts.opened, std::vector<std::string>{"https://x.test/get"});
}
