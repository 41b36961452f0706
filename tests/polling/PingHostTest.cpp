#include "polling/PingHost.h"

#include "polling/HttpClient.h"
#include "support/LoopbackHttpServer.h"
#include "support/NetworkNamespace.h"

#include <arpa/inet.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

using namespace perivant;
using perivant::testing::LoopbackHttpServer;

namespace {

// One echo request as it arrived at the loopback interface.
struct CapturedEcho {
    int ttl = 0;
    int tos = 0;
    bool dontFragment = false;
    std::vector<std::uint8_t> icmp;  // ICMP header and data
    std::vector<std::uint8_t> data() const { return {icmp.begin() + 8, icmp.end()}; }
};

// Watches the echo requests that reach this host, the way another host would see them.
class EchoRequestCapture {
public:
    EchoRequestCapture() : fd_(socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP)) {}
    ~EchoRequestCapture() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    bool Usable() const { return fd_ >= 0; }

    // The echo requests carrying one of this process's echo blocks that arrive in that time.
    std::vector<CapturedEcho> Collect(std::chrono::milliseconds duration) {
        std::vector<CapturedEcho> found;
        const auto end = std::chrono::steady_clock::now() + duration;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            pollfd waiting{fd_, POLLIN, 0};
            if (left.count() <= 0 || poll(&waiting, 1, static_cast<int>(left.count())) <= 0) {
                return found;
            }
            std::uint8_t packet[1500];
            const ssize_t n = recv(fd_, packet, sizeof packet, MSG_DONTWAIT);
            if (n < 20) {
                continue;
            }
            const size_t ipLength = static_cast<size_t>(packet[0] & 0x0F) * 4;
            CapturedEcho echo;
            echo.tos = packet[1];
            echo.dontFragment = (packet[6] & 0x40) != 0;
            echo.ttl = packet[8];
            echo.icmp.assign(packet + ipLength, packet + n);
            // Other test programs may ping at the same time: their blocks carry their own pid.
            const bool ours = echo.icmp.size() == 8 + kEchoBlockSize && echo.icmp[0] == 8 &&
                              echo.icmp[8] == 8 && echo.icmp.back() == 0x52 &&
                              (echo.icmp[12] | (echo.icmp[13] << 8)) == (getpid() & 0xFFFF);
            if (ours) {
                found.push_back(echo);
            }
        }
    }

private:
    int fd_;
};

std::uint16_t LittleEndian16(const std::vector<std::uint8_t>& bytes, size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

}  // namespace

TEST(InternetChecksum, FollowsRfc1071InLittleEndianWords) {
    const std::vector<std::uint8_t> zeros(44, 0);
    EXPECT_EQ(InternetChecksum(zeros.data(), zeros.size()), 0xFFFF);
    // RFC 1071's example sums to 0xDDF2 in network order; read little-endian it is byte-swapped.
    const std::uint8_t rfcExample[] = {0x00, 0x01, 0xF2, 0x03, 0xF4, 0xF5, 0xF6, 0xF7};
    EXPECT_EQ(InternetChecksum(rfcExample, sizeof rfcExample), 0x0D22);
    // An odd last byte is added as it is; carries fold back in.
    const std::uint8_t odd[] = {0x01, 0x02, 0x03};
    EXPECT_EQ(InternetChecksum(odd, sizeof odd), static_cast<std::uint16_t>(~0x0204));
    const std::uint8_t carries[] = {0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x00};
    EXPECT_EQ(InternetChecksum(carries, sizeof carries), static_cast<std::uint16_t>(~0x0002));
    EXPECT_EQ(InternetChecksum(nullptr, 0), 0xFFFF);
}

// The round trip is what the thread measured, less the reply's wait to be read, taken from the
// wall clock and kept within what was measured: setting that clock moves nothing more.
TEST(RoundTrip, IsTheMeasuredTimeLessTheReplysWaitToBeRead) {
    using std::chrono::milliseconds;
    const timespec read{1000, 500000000};
    const timespec arrived200Before{1000, 300000000};
    EXPECT_EQ(RoundTripMs(arrived200Before, read, milliseconds(300)), 100);
    EXPECT_EQ(RoundTripMs(read, read, milliseconds(300)), 300) << "read at once";
    EXPECT_EQ(RoundTripMs(timespec{999, 900000000}, read, milliseconds(5300)), 4700)
        << "a stopped process reads late: the wait crosses a second";
    // The clock set back before the read: the stamp lies after it; the round trip is the measure.
    EXPECT_EQ(RoundTripMs(timespec{1000, 900000000}, read, milliseconds(300)), 300);
    EXPECT_EQ(RoundTripMs(timespec{4600, 0}, read, milliseconds(300)), 300);
    // Set forward by an hour: the wait cannot exceed the measure.
    EXPECT_EQ(RoundTripMs(timespec{1000 - 3600, 0}, read, milliseconds(300)), 0);
    EXPECT_EQ(RoundTripMs(arrived200Before, read, std::chrono::microseconds(200999)), 0);
}

TEST(EchoBlock, HasTheFixedLayoutAndAChecksumOverTheWholeBlock) {
    const EchoBlock block = BuildEchoBlock(0x1234, 0xABCD, 0x11223344);
    const std::uint8_t expectedHead[12] = {8,    0,    block[2], block[3], 0x34, 0x12,
                                           0xCD, 0xAB, 0x44,     0x33,     0x22, 0x11};
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(block[i], expectedHead[i]) << "byte " << i;
    }
    for (size_t i = 12; i < kEchoBlockSize; ++i) {
        EXPECT_EQ(block[i], 0x52) << "byte " << i;
    }
    // The stored checksum is the one of the block with a zero checksum field...
    EchoBlock unsummed = block;
    unsummed[2] = unsummed[3] = 0;
    EXPECT_EQ(block[2] | (block[3] << 8), InternetChecksum(unsummed.data(), unsummed.size()));
    // ...so the finished block sums to all ones.
    EXPECT_EQ(InternetChecksum(block.data(), block.size()), 0);
    EXPECT_NE(BuildEchoBlock(0x1234, 0xABCE, 0x11223344), block);
}

TEST(PingHost, AddressesThatAreNotDottedIpv4GiveMinusOneAndSendNothing) {
    EchoRequestCapture capture;
    for (const std::string address :
         {"localhost", "www.perivant.example", "", "255.255.255.255", "127.0.0.1.2", "::1"}) {
        const std::uint16_t before = PingSequence.load();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(PingHost(address, 3000), -1) << address;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
        // The block, with its sequence number, was built before the address was looked at.
        EXPECT_EQ(PingSequence.load(), static_cast<std::uint16_t>(before + 1)) << address;
    }
    if (capture.Usable()) {
        EXPECT_TRUE(capture.Collect(std::chrono::milliseconds(200)).empty());
    }
}

TEST(PingHost, EchoToLoopbackCarriesTheBlockWithItsOptionsAndSequence) {
    if (!CanOpenIcmpSocket(IcmpSocketKind::Automatic)) {
        GTEST_SKIP() << "no ICMP socket permitted";
    }
    EchoRequestCapture capture;
    if (!capture.Usable()) {
        GTEST_SKIP() << "cannot watch the echo requests";
    }
    EXPECT_GE(PingHost("127.0.0.1", 2000), 0);
    // 65536 pings later the sequence number comes round again; the ones between send nothing.
    for (int i = 0; i < 65535; ++i) {
        PingHost("no.such.host", 2000);
    }
    EXPECT_GE(PingHost("127.0.0.1", 2000), 0);
    EXPECT_GE(PingHost("127.0.0.1", 2000), 0);

    const std::vector<CapturedEcho> echoes = capture.Collect(std::chrono::milliseconds(300));
    ASSERT_EQ(echoes.size(), 3u);
    for (const CapturedEcho& echo : echoes) {
        const std::vector<std::uint8_t> data = echo.data();
        EXPECT_EQ(echo.ttl, 255);
        EXPECT_EQ(echo.tos, 8);
        EXPECT_TRUE(echo.dontFragment);
        EXPECT_EQ(echo.icmp[1], 0);
        EXPECT_EQ(InternetChecksum(echo.icmp.data(), echo.icmp.size()), 0);
        EXPECT_EQ(data[1], 0);
        EXPECT_EQ(InternetChecksum(data.data(), data.size()), 0);
    }
    const std::uint16_t first = LittleEndian16(echoes[0].data(), 6);
    EXPECT_EQ(LittleEndian16(echoes[1].data(), 6), first);
    EXPECT_EQ(LittleEndian16(echoes[2].data(), 6), static_cast<std::uint16_t>(first + 1));
}

TEST(PingHost, EveryPermittedSocketKindGetsAReplyFromLoopback) {
    int kinds = 0;
    for (IcmpSocketKind kind : {IcmpSocketKind::Datagram, IcmpSocketKind::Raw}) {
        if (!CanOpenIcmpSocket(kind)) {
            // A kind the system refuses gives -1 at once.
            const auto start = std::chrono::steady_clock::now();
            EXPECT_EQ(PingHostUsing(kind, "127.0.0.1", 2000), -1);
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
            continue;
        }
        ++kinds;
        for (const std::string address : {"127.0.0.1", "127.0.0.2"}) {
            const int ms = PingHostUsing(kind, address, 2000);
            EXPECT_GE(ms, 0) << address << " kind " << static_cast<int>(kind);
            EXPECT_LT(ms, 1000);
        }
    }
    if (kinds == 0) {
        GTEST_SKIP() << "no ICMP socket permitted";
    }
}

TEST(PingHost, NoReplyEndsAfterTheTimeoutWithMinusOne) {
    // A network namespace of the test's own whose loopback answers no echo request.
    const int outcome = perivant::testing::RunInNewNetworkNamespace(true, [] {
        if (!perivant::testing::WriteSysctl("/proc/sys/net/ipv4/icmp_echo_ignore_all", "1") ||
            !CanOpenIcmpSocket(IcmpSocketKind::Automatic)) {
            return perivant::testing::kNoNamespace;
        }
        const auto start = std::chrono::steady_clock::now();
        const int ms = PingHost("127.0.0.1", 400);
        const auto waited = std::chrono::steady_clock::now() - start;
        return ms != -1                                   ? 1
               : waited < std::chrono::milliseconds(390)  ? 2
               : waited > std::chrono::milliseconds(1500) ? 3
                                                          : 0;
    });
    if (outcome == perivant::testing::kNoNamespace) {
        GTEST_SKIP() << "no network namespace with a silent loopback";
    }
    EXPECT_EQ(outcome, 0) << "1: a reply was reported, 2: gave up early, 3: waited too long";
}

// Waits up to 3 s for an echo request on a raw socket; the packet's length with its IP header,
// or -1 when none came.
ssize_t ReceiveEchoRequest(int responder, std::uint8_t (&packet)[1500]) {
    ssize_t length = -1;
    pollfd waiting{responder, POLLIN, 0};
    while (length < 0 && poll(&waiting, 1, 3000) > 0) {
        length = recv(responder, packet, sizeof packet, 0);
        const size_t ipLength = static_cast<size_t>(packet[0] & 0x0F) * 4;
        if (length < static_cast<ssize_t>(ipLength + 8) || packet[ipLength] != 8) {
            length = -1;
        }
    }
    return length;
}

// Turns the request into its echo reply and sends that back to the request's source, from the
// address the raw socket is bound to, if any. `change`, if given, alters the ICMP message before
// its checksum is set.
bool SendEchoReply(int responder, std::uint8_t* packet, ssize_t length,
                   const std::function<void(std::uint8_t*)>& change = nullptr) {
    std::uint8_t* icmp = packet + static_cast<size_t>(packet[0] & 0x0F) * 4;
    const size_t icmpLength = static_cast<size_t>(length) - static_cast<size_t>(icmp - packet);
    icmp[0] = 0;  // echo reply
    if (change) {
        change(icmp);
    }
    icmp[2] = icmp[3] = 0;
    const std::uint16_t checksum = InternetChecksum(icmp, icmpLength);
    icmp[2] = static_cast<std::uint8_t>(checksum & 0xFF);
    icmp[3] = static_cast<std::uint8_t>(checksum >> 8);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    std::memcpy(&to.sin_addr.s_addr, packet + 12, 4);
    return sendto(responder, icmp, icmpLength, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) ==
           static_cast<ssize_t>(icmpLength);
}

// Answers the first echo request on a raw socket after 100 ms, with the pinging process stopped
// from just before the reply until past its deadline (a busy machine, a suspended session). The
// reply arrived in time, so it counts, with the time it took, not the time the process was held.
// `spanMs` is the time from the request's arrival to the reply's sending, as this side saw it: a
// loaded machine may sleep well past the 100 ms.
int StopPingerAroundTheReply(int responder, pid_t pinger, long& spanMs) {
    std::uint8_t packet[1500];
    const ssize_t length = ReceiveEchoRequest(responder, packet);
    timeval arrived{};
    if (length < 0 || ioctl(responder, SIOCGSTAMP, &arrived) != 0) {
        return 10;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    kill(pinger, SIGSTOP);
    const bool sent = SendEchoReply(responder, packet, length);
    timeval replied{};
    gettimeofday(&replied, nullptr);
    spanMs = (replied.tv_sec - arrived.tv_sec) * 1000 + (replied.tv_usec - arrived.tv_usec) / 1000;
    std::this_thread::sleep_for(std::chrono::milliseconds(1300));
    kill(pinger, SIGCONT);
    return sent ? 0 : 11;
}

// What a ping from a process of its own gave while this one answered: `answered` is the
// answering function's result (0 when it did its part), `ms` the ping's result (-2 when none came
// back) and `waited` the time the ping took.
struct AnsweredPing {
    int answered = 0;
    int ms = -2;
    std::chrono::milliseconds waited{0};
};

template <typename Answer>
AnsweredPing PingWhileAnswering(IcmpSocketKind kind, const char* address, int timeoutMs,
                                Answer answer) {
    AnsweredPing outcome;
    int result[2];
    if (pipe(result) != 0) {
        outcome.answered = 12;
        return outcome;
    }
    const pid_t pinger = fork();
    if (pinger == 0) {
        const auto start = std::chrono::steady_clock::now();
        const int reply[2] = {
            PingHostUsing(kind, address, timeoutMs),
            static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - start)
                                 .count())};
        _exit(write(result[1], reply, sizeof reply) == sizeof reply ? 0 : 1);
    }
    outcome.answered = answer(pinger);
    int reply[2] = {-2, 0};
    pollfd waiting{result[0], POLLIN, 0};
    if (outcome.answered != 0 || poll(&waiting, 1, timeoutMs + 5000) <= 0 ||
        read(result[0], reply, sizeof reply) != sizeof reply) {
        kill(pinger, SIGKILL);
    }
    waitpid(pinger, nullptr, 0);
    close(result[0]);
    close(result[1]);
    outcome.ms = reply[0];
    outcome.waited = std::chrono::milliseconds(reply[1]);
    return outcome;
}

// The pinging process's outcome: 0 when the reply counted with the time it took, else what went
// wrong.
int PingHeldAroundTheReply(int responder, IcmpSocketKind kind) {
    long spanMs = 0;
    const AnsweredPing ping =
        PingWhileAnswering(kind, "127.0.0.1", 1000, [responder, &spanMs](pid_t pinger) {
            return StopPingerAroundTheReply(responder, pinger, spanMs);
        });
    return ping.answered != 0                        ? ping.answered
           : ping.ms == -1                           ? 1
           : (ping.ms < 90 || ping.ms > spanMs + 25) ? 2
                                                     : 0;
}

// Inside a network namespace of the test's own: makes loopback leave echo requests to the test,
// lets every group open datagram ICMP sockets, and returns a raw socket that sees the requests;
// -1 when any of that, or a socket of `kind`, is not possible here.
int SilentLoopbackResponder(IcmpSocketKind kind) {
    if (!perivant::testing::WriteSysctl("/proc/sys/net/ipv4/icmp_echo_ignore_all", "1") ||
        !perivant::testing::WriteSysctl("/proc/sys/net/ipv4/ping_group_range", "0 2147483647") ||
        !CanOpenIcmpSocket(kind)) {
        return -1;
    }
    return socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
}

TEST(PingHost, ReplyThatArrivedInTimeCountsWhenReadAfterTheDeadline) {
    for (IcmpSocketKind kind : {IcmpSocketKind::Raw, IcmpSocketKind::Datagram}) {
        const int outcome = perivant::testing::RunInNewNetworkNamespace(true, [kind] {
            const int responder = SilentLoopbackResponder(kind);
            if (responder < 0) {
                return perivant::testing::kNoNamespace;
            }
            return PingHeldAroundTheReply(responder, kind);
        });
        if (outcome == perivant::testing::kNoNamespace) {
            GTEST_SKIP() << "no network namespace with a silent loopback and ICMP sockets";
        }
        EXPECT_EQ(outcome, 0)
            << (kind == IcmpSocketKind::Raw ? "raw" : "datagram")
            << " socket; 1: the reply was not counted, 2: its time was not "
               "the time the reply took, 10: no echo request arrived, 11: the reply "
               "could not be sent";
    }
}

// A reply from another address than the one pinged (a forged reply, or a router's answer for
// the host) decides the ping at once: -1, without waiting out the time-out for a better one.
TEST(PingHost, ReplyFromAnotherAddressGivesMinusOneAtOnce) {
    for (IcmpSocketKind kind : {IcmpSocketKind::Raw, IcmpSocketKind::Datagram}) {
        const int outcome = perivant::testing::RunInNewNetworkNamespace(true, [kind] {
            // One raw socket sees the request; the reply leaves from one bound to 127.0.0.3.
            const int listener = SilentLoopbackResponder(kind);
            const int sender = socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
            sockaddr_in other{};
            other.sin_family = AF_INET;
            other.sin_addr.s_addr = inet_addr("127.0.0.3");
            if (listener < 0 || sender < 0 ||
                bind(sender, reinterpret_cast<sockaddr*>(&other), sizeof other) != 0) {
                return perivant::testing::kNoNamespace;
            }
            const AnsweredPing ping =
                PingWhileAnswering(kind, "127.0.0.2", 2500, [listener, sender](pid_t) {
                    std::uint8_t packet[1500];
                    const ssize_t length = ReceiveEchoRequest(listener, packet);
                    return length < 0 ? 10 : SendEchoReply(sender, packet, length) ? 0 : 11;
                });
            return ping.answered != 0                              ? ping.answered
                   : ping.ms != -1                                 ? 1
                   : ping.waited > std::chrono::milliseconds(1500) ? 2
                                                                   : 0;
        });
        if (outcome == perivant::testing::kNoNamespace) {
            GTEST_SKIP() << "no network namespace with a silent loopback and ICMP sockets";
        }
        EXPECT_EQ(outcome, 0) << (kind == IcmpSocketKind::Raw ? "raw" : "datagram")
                              << " socket; 1: the reply counted, 2: the time-out was waited out, "
                                 "10: no echo request arrived, 11: the reply could not be sent";
    }
}

// A reply counts only when it is an echo reply (code 0) to our request: our identifier (where
// the socket keeps it), our sequence and our 44-byte block unchanged. Anything else is not ours,
// and the ping waits on for its own reply until the time-out.
TEST(PingHost, RepliesThatAreNotOurEchoUnchangedGiveMinusOne) {
    struct Change {
        bool rawOnly;  // a datagram socket never sees replies with another identifier
        std::function<void(std::uint8_t*)> change;
    };
    // Row 1 is the reply unchanged; then code 1, another identifier, another sequence, and a
    // byte of the block changed.
    const Change changes[] = {
        {false, nullptr},
        {false, [](std::uint8_t* icmp) { icmp[1] = 1; }},
        {true, [](std::uint8_t* icmp) { icmp[4] ^= 0xFF; }},
        {false, [](std::uint8_t* icmp) { icmp[7] ^= 0x01; }},
        {false, [](std::uint8_t* icmp) { icmp[8 + 30] ^= 0xFF; }},
    };
    for (IcmpSocketKind kind : {IcmpSocketKind::Raw, IcmpSocketKind::Datagram}) {
        const int outcome = perivant::testing::RunInNewNetworkNamespace(true, [&] {
            const int responder = SilentLoopbackResponder(kind);
            if (responder < 0) {
                return perivant::testing::kNoNamespace;
            }
            int index = 0;
            for (const Change& change : changes) {
                ++index;
                if (change.rawOnly && kind != IcmpSocketKind::Raw) {
                    continue;
                }
                const AnsweredPing ping = PingWhileAnswering(kind, "127.0.0.1", 500, [&](pid_t) {
                    std::uint8_t packet[1500];
                    const ssize_t length = ReceiveEchoRequest(responder, packet);
                    return length >= 0 && SendEchoReply(responder, packet, length, change.change)
                               ? 0
                               : 10 * index;
                });
                // The unchanged reply counts (the responder works); every changed one does not.
                if (ping.answered != 0 || (change.change ? ping.ms != -1 : ping.ms < 0)) {
                    return ping.answered != 0 ? ping.answered : index;
                }
            }
            return 0;
        });
        if (outcome == perivant::testing::kNoNamespace) {
            GTEST_SKIP() << "no network namespace with a silent loopback and ICMP sockets";
        }
        EXPECT_EQ(outcome, 0) << (kind == IcmpSocketKind::Raw ? "raw" : "datagram")
                              << " socket; 1: the unchanged reply did not count, 2 to 5: the reply "
                                 "with the change of that row counted, 10 times the row: not "
                                 "answered";
    }
}

// Pings and page fetches from many workers at once: each gets its own reply and its own page.
TEST(NetPrimitives, ConcurrentPingsAndFetchesKeepTheirOwnReplies) {
    LoopbackHttpServer server(
        [](LoopbackHttpServer::Connection& connection, const std::string& request) {
            const size_t start = request.find(' ') + 1;
            const std::string path = request.substr(start, request.find(' ', start) - start);
            const std::string body = "page " + path + "\r\n";
            connection.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
                            "\r\nConnection: close\r\n\r\n" + body);
        });
    const bool canPing = CanOpenIcmpSocket(IcmpSocketKind::Automatic);
    constexpr int kThreads = 8;
    constexpr int kRounds = 3;
    std::vector<int> pingFailures(kThreads, 0);
    std::vector<int> fetchFailures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            HttpClient client;
            client.RequestDeadlineSeconds = 5;
            for (int round = 0; round < kRounds; ++round) {
                const std::string path = "/w" + std::to_string(t) + "r" + std::to_string(round);
                std::string body;
                std::string errorText;
                if (client.Get("127.0.0.1", server.Port(), "", "", path, "Perivant", body,
                               errorText) != 200 ||
                    body != "page " + path + "\n") {
                    ++fetchFailures[t];
                }
                if (canPing && PingHost("127.0.0.1", 2000) < 0) {
                    ++pingFailures[t];
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(fetchFailures[t], 0) << "thread " << t;
        EXPECT_EQ(pingFailures[t], 0) << "thread " << t;
    }
    EXPECT_EQ(server.Requests().size(), static_cast<size_t>(kThreads * kRounds));
}
