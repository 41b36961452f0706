#include "polling/HttpClient.h"

#include "polling/CurlLibrary.h"

#include "support/LoopbackHttpServer.h"
#include "support/NetworkNamespace.h"
#include "support/NoProxies.h"
#include "support/TurkishLocale.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

using namespace perivant;
using namespace perivant::testing;
using ::testing::HasSubstr;
using ::testing::Not;
using Connection = LoopbackHttpServer::Connection;

namespace {

const std::string kMarker = "untouched";

std::string Reply(const std::string& status, const std::string& body,
                  const std::string& extraHeaders = "") {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body;
}

// The path of the request line of a request head.
std::string RequestPath(const std::string& request) {
    const size_t start = request.find(' ') + 1;
    return request.substr(start, request.find(' ', start) - start);
}

struct Fetch {
    int result = 0;
    std::string body = kMarker;
    std::string errorText = kMarker;
    double seconds = 0;
};

Fetch Get(HttpClient& client, int port, const std::string& path,
          const std::string& agent = "Perivant1.3") {
    Fetch fetch;
    const auto start = std::chrono::steady_clock::now();
    fetch.result = client.Get("127.0.0.1", port, "", "", path, agent, fetch.body, fetch.errorText);
    fetch.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return fetch;
}

}  // namespace

bool LibcurlMapped() {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.find("/libcurl") != std::string::npos) {
            return true;
        }
    }
    return false;
}

// The first test of the program, so that no fetch ran before it (ctest runs each on its own).
TEST(CurlLibrary, IsLoadedOnFirstUseNotAtStart) {
    EXPECT_FALSE(LibcurlMapped()) << "libcurl was loaded with the program";
    const CurlLibrary* api = CurlLibrary::Get();
    ASSERT_NE(api, nullptr);
    EXPECT_EQ(CurlLibrary::Get(), api);
    EXPECT_TRUE(LibcurlMapped());
}

// An older libcurl ignores the options it does not know, among them those that keep a fetch to
// HTTP and its redirects to HTTP(S): such a library is refused, one recent enough is taken.
TEST(CurlLibrary, LibraryOlderThanTheFetchNeedsIsRefused) {
    void* standIn = dlopen(PERIVANT_STAND_IN_CURL, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(standIn, nullptr) << dlerror();
    auto* version = static_cast<unsigned*>(dlsym(standIn, "stand_in_version_num"));
    ASSERT_NE(version, nullptr);
    for (const unsigned number : {0x074A00U, 0x075100U, CurlLibrary::kOldestVersion - 1,
                                  CurlLibrary::kOldestVersion, 0x075801U, 0x080B00U}) {
        *version = number;
        const bool recent = number >= CurlLibrary::kOldestVersion;
        CurlLibrary api;
        EXPECT_EQ(CurlLibrary::LoadFrom(PERIVANT_STAND_IN_CURL, api), recent) << std::hex << number;
        // A refused library, closed again, leaves nothing behind to call.
        EXPECT_EQ(api.easyInit != nullptr && api.easySetopt != nullptr, recent);
    }
    dlclose(standIn);
}

TEST(HttpClientGet, OkPageArrivesWholeWithEveryCarriageReturnDropped) {
    const std::string longLine(5000, 'x');
    LoopbackHttpServer server([&](Connection& connection, const std::string& request) {
        const std::string path = RequestPath(request);
        if (path == "/lines") {
            connection.Send(Reply("200 OK", "first\r\nsec\rond\r\nthird\r\n"));
        } else if (path == "/long") {
            connection.Send(Reply("200 OK", longLine));
        } else if (path == "/chunked") {
            connection.Send(
                "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
                "4\r\nab\r\n\r\n3\r\ncd\n\r\n0\r\n\r\n");
        } else {
            connection.Send(Reply("200 OK", ""));
        }
    });
    HttpClient client;

    Fetch lines = Get(client, server.Port(), "/lines");
    EXPECT_EQ(lines.result, 200);
    EXPECT_EQ(lines.body, "first\nsecond\nthird\n");
    EXPECT_EQ(lines.errorText, kMarker);

    Fetch whole = Get(client, server.Port(), "/long");
    EXPECT_EQ(whole.result, 200);
    EXPECT_EQ(whole.body, longLine);

    Fetch chunked = Get(client, server.Port(), "/chunked");
    EXPECT_EQ(chunked.result, 200);
    EXPECT_EQ(chunked.body, "ab\ncd\n");

    // An empty page still empties what the caller had in the body.
    Fetch empty = Get(client, server.Port(), "/empty");
    EXPECT_EQ(empty.result, 200);
    EXPECT_EQ(empty.body, "");
}

TEST(HttpClientGet, RequestCarriesTheAgentNameAndASafelyEncodedPath) {
    LoopbackHttpServer server(
        [](Connection& connection, const std::string&) { connection.Send(Reply("200 OK", "ok")); });
    HttpClient client;
    EXPECT_EQ(Get(client, server.Port(), "/xml", "Perivant1.4b2").result, 200);
    EXPECT_EQ(Get(client, server.Port(), "/xml", "Perivant").result, 200);
    EXPECT_EQ(Get(client, server.Port(), "/xml", "").result, 200);
    EXPECT_EQ(Get(client, server.Port(), "/a b\r\nX-Injected: 1#frag?q=%41&r=%zz").result, 200);
    EXPECT_EQ(Get(client, server.Port(), "/xml", "Perivant\r\nX-Injected: 2").result, 200);
    EXPECT_EQ(Get(client, server.Port(), "xml").result, 200);

    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 6u);
    EXPECT_THAT(requests[0], ::testing::StartsWith("GET /xml HTTP/1.1\r\n"));
    EXPECT_THAT(requests[0], HasSubstr("\r\nUser-Agent: Perivant1.4b2\r\n"));
    EXPECT_THAT(requests[0], HasSubstr("\r\nHost: 127.0.0.1:"));
    EXPECT_THAT(requests[1], HasSubstr("\r\nUser-Agent: Perivant\r\n"));
    EXPECT_THAT(requests[2], HasSubstr("\r\nUser-Agent:"));
    EXPECT_THAT(requests[2], Not(HasSubstr("User-Agent: ")));
    EXPECT_EQ(RequestPath(requests[3]), "/a%20b%0D%0AX-Injected:%201%23frag?q=%41&r=%25zz");
    EXPECT_THAT(requests[4], HasSubstr("\r\nUser-Agent: PerivantX-Injected: 2\r\n"));
    for (const std::string& request : requests) {
        EXPECT_THAT(request, Not(HasSubstr("\nX-Injected")));
    }
    EXPECT_EQ(RequestPath(requests[5]), "/xml");
}

TEST(HttpClientGet, EveryRequestOfAThreadOpensAConnectionOfItsOwn) {
    // The server offers to keep the connection and holds it open, reading no second request:
    // a request sent on it again would wait for the hold to end.
    LoopbackHttpServer server([](Connection& connection, const std::string&) {
        connection.Send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
        connection.Pause(std::chrono::seconds(3));
    });
    HttpClient client;
    for (int i = 0; i < 3; ++i) {
        const Fetch fetch = Get(client, server.Port(), "/xml");
        EXPECT_EQ(fetch.result, 200);
        EXPECT_EQ(fetch.body, "ok");
        EXPECT_LT(fetch.seconds, 1.5);
    }
    EXPECT_EQ(server.Requests().size(), 3u);
}

// The descriptor flags of this process's connection to 127.0.0.1:port; -1 when there is none.
int FlagsOfConnectionTo(int port) {
    DIR* listing = opendir("/proc/self/fd");
    int flags = -1;
    while (listing != nullptr && flags == -1) {
        const dirent* entry = readdir(listing);
        if (entry == nullptr) {
            break;
        }
        const int fd = std::atoi(entry->d_name);
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        if (fd > 2 && getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0 &&
            peer.sin_family == AF_INET && ntohs(peer.sin_port) == port) {
            flags = fcntl(fd, F_GETFD);
        }
    }
    if (listing != nullptr) {
        closedir(listing);
    }
    return flags;
}

// A program started while a request runs (the web browser) must not hold its connection on.
TEST(HttpClientGet, ConnectionIsClosedOnExec) {
    std::atomic<int> port{0};
    std::atomic<int> flags{-1};
    LoopbackHttpServer server([&](Connection& connection, const std::string&) {
        flags = FlagsOfConnectionTo(port);
        connection.Send(Reply("200 OK", "ok"));
    });
    port = server.Port();
    HttpClient client;
    EXPECT_EQ(Get(client, server.Port(), "/xml").result, 200);
    ASSERT_NE(flags.load(), -1) << "the client's connection was not found";
    EXPECT_TRUE(flags & FD_CLOEXEC);
}

TEST(HttpClientGet, OtherStatusesReturnTheStatusWithoutTouchingBodyOrErrorText) {
    LoopbackHttpServer server([](Connection& connection, const std::string& request) {
        const std::string path = RequestPath(request);
        if (path == "/missing") {
            connection.Send(Reply("404 Not Found", "<html>not here</html>"));
        } else if (path == "/broken") {
            connection.Send(Reply("500 Internal Server Error", "oops"));
        } else {
            // Announce a body they never send: the status alone must come back at once. A
            // redirect without a (non-blank) place to go is such a final status too.
            const std::string status = path == "/stall"     ? "503 Busy\r\n"
                                       : path == "/choices" ? "300 Multiple Choices\r\n"
                                                            : "302 Found\r\nLocation:  \r\n";
            connection.Send("HTTP/1.1 " + status +
                            "Content-Length: 100000\r\nConnection: close\r\n\r\n");
            connection.Pause(std::chrono::seconds(5));
        }
    });
    HttpClient client;
    client.ReceiveTimeoutSeconds = 3;
    for (const auto& [path, status] :
         std::vector<std::pair<std::string, int>>{{"/missing", 404},
                                                  {"/broken", 500},
                                                  {"/stall", 503},
                                                  {"/choices", 300},
                                                  {"/blank-location", 302}}) {
        Fetch fetch = Get(client, server.Port(), path);
        EXPECT_EQ(fetch.result, status) << path;
        EXPECT_EQ(fetch.body, kMarker) << path;
        EXPECT_EQ(fetch.errorText, kMarker) << path;
        EXPECT_LT(fetch.seconds, 2.0) << path;
    }
}

TEST(HttpClientGet, NetworkFailuresGiveTheirErrorNumberAndText) {
    HttpClient client;
    client.ConnectTimeoutSeconds = 2;
    client.ReceiveTimeoutSeconds = 1;

    RefusingPort refusing;
    Fetch refused = Get(client, refusing.Port(), "/xml");
    EXPECT_EQ(refused.result, 12029);
    EXPECT_EQ(refused.errorText, "A connection with the server could not be established");
    EXPECT_EQ(refused.body, kMarker);

    LoopbackHttpServer server([](Connection& connection, const std::string& request) {
        if (RequestPath(request) == "/silent") {
            connection.Pause(std::chrono::seconds(8));
        }
        // Any other path: the connection closes without a word.
    });
    Fetch silent = Get(client, server.Port(), "/silent");
    EXPECT_EQ(silent.result, 12002);
    EXPECT_EQ(silent.errorText, "The operation timed out");
    EXPECT_GE(silent.seconds, 0.9);
    EXPECT_LT(silent.seconds, 4.0);

    Fetch nothing = Get(client, server.Port(), "/hangup");
    EXPECT_EQ(nothing.result, 12152);
    EXPECT_EQ(nothing.errorText, "The server returned an invalid or unrecognized response");

    // Texts that cannot be a host or a port are refused before anything is sent.
    std::string body;
    std::string errorText;
    for (const std::string host : {"", "bad host", "evil.example@127.0.0.1", "127.0.0.1/x"}) {
        errorText.clear();
        EXPECT_EQ(client.Get(host, server.Port(), "", "", "/xml", "Perivant", body, errorText),
                  12005)
            << host;
        EXPECT_EQ(errorText, "The URL is invalid");
    }
    EXPECT_EQ(client.Get("127.0.0.1", 70000, "", "", "/xml", "Perivant", body, errorText), 12005);
    EXPECT_EQ(client.Get("127.0.0.1", -1, "", "", "/xml", "Perivant", body, errorText), 12005);
    EXPECT_EQ(server.Requests().size(), 2u);
}

// A name server that never answers, with a resolver set to wait 30 s for it: the lookup must
// not hold the request past the connection limit. Everything happens in a network namespace of
// the test's own, with its own resolver file, so no query can leave the machine.
TEST(HttpClientGet, SilentNameServerGivesUpAtTheConnectionLimit) {
    if (kThreadSanitizer) {
        GTEST_SKIP() << "the resolver's threads in a forked child stop ThreadSanitizer";
    }
    const int outcome = RunInNewNetworkNamespace(true, [] {
        char resolver[] = "/tmp/perivant-resolv-XXXXXX";
        const int file = mkstemp(resolver);
        const std::string text = "nameserver 127.0.0.53\noptions timeout:30 attempts:1\n";
        const bool written =
            file >= 0 && write(file, text.data(), text.size()) == ssize_t(text.size());
        // The name server's socket takes the queries and never answers them.
        const int silent = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_port = htons(53);
        where.sin_addr.s_addr = htonl(0x7F000035);
        const bool ready = written && unshare(CLONE_NEWNS) == 0 &&
                           mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                           mount(resolver, "/etc/resolv.conf", nullptr, MS_BIND, nullptr) == 0 &&
                           bind(silent, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0;
        unlink(resolver);
        if (!ready) {
            return kNoNamespace;
        }
        HttpClient client;
        client.ConnectTimeoutSeconds = 2;
        std::string body = kMarker;
        std::string errorText;
        const auto start = std::chrono::steady_clock::now();
        const int result =
            client.Get("perivant-test.invalid", 80, "", "", "/xml", "Perivant", body, errorText);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return seconds > 6 ? 1 : result != 12002 ? 2 : 0;
    });
    if (outcome == kNoNamespace) {
        GTEST_SKIP() << "no permission to make a network and mount namespace";
    }
    EXPECT_EQ(outcome, 0) << "1: held past the limit, 2: other error number";
}

TEST(HttpClientGet, NameThatCannotBeResolvedGives12007) {
    if (kThreadSanitizer) {
        GTEST_SKIP() << "the resolver's threads in a forked child stop ThreadSanitizer";
    }
    // With no interface up the lookup fails at once, and no query can leave the machine.
    const int outcome = RunInNewNetworkNamespace(false, [] {
        HttpClient client;
        client.ConnectTimeoutSeconds = 5;
        std::string body = kMarker;
        std::string errorText;
        const int result =
            client.Get("perivant-test.invalid", 80, "", "", "/xml", "Perivant", body, errorText);
        return result != 12007                                                   ? 1
               : errorText != "The server name or address could not be resolved" ? 2
               : body != kMarker                                                 ? 3
                                                                                 : 0;
    });
    if (outcome == kNoNamespace) {
        GTEST_SKIP() << "no permission to make a network namespace";
    }
    EXPECT_EQ(outcome, 0) << "1: other error number, 2: other text, 3: body touched";
}

TEST(HttpClientGet, ReplyThatIsNotHttpGivesMinusOne) {
    LoopbackHttpServer server([](Connection& connection, const std::string& request) {
        if (RequestPath(request) == "/banner") {
            connection.Send("SSH-2.0-Banner\r\nwhatever follows\r\n");
        } else if (RequestPath(request) == "/moved") {
            connection.Send(Reply("302 Found", "", "Location: /banner\r\n"));
        } else if (RequestPath(request) == "/garbled") {
            connection.Send("HTTP/1.1 abc\r\n\r\nbody");
        } else {
            connection.Send("HTTP/1.1 200 OK\r\nContent-Length: many\r\n\r\nbody");
        }
    });
    HttpClient client;
    // After a redirect too: the reply at the new address is what failed, not the redirect.
    for (const std::string path : {"/banner", "/garbled", "/badheader", "/moved"}) {
        Fetch fetch = Get(client, server.Port(), path);
        EXPECT_EQ(fetch.result, -1) << path;
        EXPECT_EQ(fetch.body, kMarker) << path;
        EXPECT_EQ(fetch.errorText, "The server returned an invalid or unrecognized response");
    }
}

// Header names have no case, whatever the user's locale makes of an upper-case I.
TEST(HttpClientGet, RedirectIsFollowedInATurkishLocale) {
    // Loaded first: one of the libraries libcurl brings makes a locale as it loads, and the C
    // library does not give back its search path when LOCPATH is set.
    ASSERT_NE(perivant::CurlLibrary::Get(), nullptr);
    perivant::testing::TurkishLocale turkish;
    ASSERT_EQ(turkish.Problem(), "");
    LoopbackHttpServer server([](Connection& connection, const std::string& request) {
        if (RequestPath(request) == "/start") {
            connection.Send(Reply("302 Found", "moved", "LOCATION: /final\r\n"));
        } else {
            connection.Send(Reply("200 OK", "arrived\r\n"));
        }
    });
    HttpClient client;
    Fetch moved = Get(client, server.Port(), "/start");
    EXPECT_EQ(moved.result, 200);
    EXPECT_EQ(moved.body, "arrived\n");
}

TEST(HttpClientGet, RedirectsAreFollowedUpToTen) {
    LoopbackHttpServer server([](Connection& connection, const std::string& request) {
        const std::string path = RequestPath(request);
        if (path == "/start") {
            connection.Send(Reply("302 Found", "moved", "Location: /final\r\n"));
        } else if (path == "/final") {
            connection.Send(Reply("200 OK", "arrived\r\n"));
        } else if (path == "/elsewhere") {
            connection.Send(Reply("301 Moved", "", "Location: ftp://127.0.0.1/x\r\n"));
        } else {
            connection.Send(Reply("302 Found", "", "Location: /loop\r\n"));
        }
    });
    HttpClient client;
    Fetch moved = Get(client, server.Port(), "/start");
    EXPECT_EQ(moved.result, 200);
    EXPECT_EQ(moved.body, "arrived\n");
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_THAT(server.Requests()[1], HasSubstr("User-Agent: Perivant1.3\r\n"));

    Fetch loop = Get(client, server.Port(), "/loop");
    EXPECT_EQ(loop.result, 12156);
    EXPECT_EQ(loop.errorText, "The HTTP redirect request failed");
    EXPECT_EQ(server.Requests().size(), 2u + 11u);

    // Only web addresses are followed.
    Fetch elsewhere = Get(client, server.Port(), "/elsewhere");
    EXPECT_EQ(elsewhere.result, 12156);
    EXPECT_EQ(server.Requests().size(), 2u + 11u + 1u);
}

TEST(HttpClientGet, ProxyFromTheEnvironmentCarriesTheRequest) {
    LoopbackHttpServer proxy([](Connection& connection, const std::string&) {
        connection.Send(Reply("200 OK", "via proxy"));
    });
    const std::string proxyUrl = "http://127.0.0.1:" + std::to_string(proxy.Port());
    setenv("http_proxy", proxyUrl.c_str(), 1);
    HttpClient client;
    std::string body;
    std::string errorText;
    const int result = client.Get("127.0.0.2", 8080, "", "", "/xml", "Perivant", body, errorText);
    unsetenv("http_proxy");
    EXPECT_EQ(result, 200);
    EXPECT_EQ(body, "via proxy");
    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_THAT(proxy.Requests()[0], ::testing::StartsWith("GET http://127.0.0.2:8080/xml "));
}

TEST(HttpClientGet, HostileServersAreCutOffByTheBodyCapAndTheDeadline) {
    LoopbackHttpServer server([](Connection& connection, const std::string& request) {
        const std::string path = RequestPath(request);
        if (path == "/exact") {
            connection.Send(Reply("200 OK", std::string(1000, 'a')));
        } else if (path == "/huge") {
            // No length announced: the cap must hold on what actually arrives.
            connection.Send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
            for (int i = 0; i < 50 && connection.Send(std::string(1000, 'b')); ++i) {
            }
        } else {
            connection.Send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\nConnection: close\r\n\r\n");
            for (int i = 0; i < 20 && connection.Send("t"); ++i) {
                if (!connection.Pause(std::chrono::milliseconds(500))) {
                    break;
                }
            }
        }
    });
    HttpClient client;
    client.MaxBodyBytes = 1000;
    Fetch exact = Get(client, server.Port(), "/exact");
    EXPECT_EQ(exact.result, 200);
    EXPECT_EQ(exact.body.size(), 1000u);

    Fetch huge = Get(client, server.Port(), "/huge");
    EXPECT_EQ(huge.result, 12030);
    EXPECT_EQ(huge.errorText, "The connection with the server was terminated abnormally");
    EXPECT_LE(huge.body.size(), 1000u);

    client.RequestDeadlineSeconds = 2;
    Fetch trickle = Get(client, server.Port(), "/trickle");
    EXPECT_EQ(trickle.result, 12002);
    EXPECT_EQ(trickle.errorText, "The operation timed out");
    EXPECT_GE(trickle.seconds, 1.8);
    EXPECT_LT(trickle.seconds, 3.5);
    // What arrived before the cut stays in the body.
    EXPECT_THAT(trickle.body, ::testing::MatchesRegex("t+"));
}

TEST(HttpClientGet, PagesArrivingAtOnceShareOneBudget) {
    LoopbackHttpServer server([](Connection& connection, const std::string&) {
        connection.Send(Reply("200 OK", std::string(1000, 'a')));
    });
    RecordBudget budget(1500);
    HttpClient client;
    client.PagesInFlight = &budget;
    client.UnchargedPageBytes = 0;
    Fetch alone = Get(client, server.Port(), "/xml");
    EXPECT_EQ(alone.result, 200);
    EXPECT_EQ(budget.Held(), 0u) << "a finished transfer gives its bytes back";

    // Other transfers hold most of it: this page no longer fits beside them.
    ASSERT_TRUE(budget.TryCharge(1000));
    Fetch crowded = Get(client, server.Port(), "/xml");
    EXPECT_EQ(crowded.result, 12030);
    EXPECT_EQ(crowded.errorText, "The connection with the server was terminated abnormally");
    EXPECT_EQ(budget.Held(), 1000u);
    // The first bytes of every page are free: an ordinary page never fails for the others.
    client.UnchargedPageBytes = 600;
    EXPECT_EQ(Get(client, server.Port(), "/xml").result, 200);
    EXPECT_EQ(budget.Held(), 1000u);
    budget.Refund(1000);
    client.UnchargedPageBytes = 0;

    // A worker keeps its page's share until it is done with it.
    {
        PageChargeScope worker;
        EXPECT_EQ(Get(client, server.Port(), "/xml").result, 200);
        EXPECT_EQ(budget.Held(), 1000u);
        EXPECT_EQ(Get(client, server.Port(), "/xml").result, 12030) << "no room left beside it";
        // Once it has read the page, it gives the share back.
        worker.Release();
        EXPECT_EQ(budget.Held(), 0u);
        EXPECT_EQ(Get(client, server.Port(), "/xml").result, 200);
    }
    EXPECT_EQ(budget.Held(), 0u);
    EXPECT_EQ(Get(client, server.Port(), "/xml").result, 200);

    EXPECT_EQ(HttpClient().PagesInFlight, &HttpClient::SharedPagesInFlight());
    EXPECT_EQ(HttpClient::SharedPagesInFlight().Held(), 0u);
}
