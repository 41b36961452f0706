#include "polling/PingHost.h"

#include <arpa/inet.h>
#include <linux/icmp.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

namespace perivant {

std::atomic<std::uint16_t> PingSequence{0};

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kIcmpHeaderSize = 8;
constexpr size_t kPacketSize = kIcmpHeaderSize + kEchoBlockSize;
constexpr std::uint8_t kEchoRequest = 8;
constexpr std::uint8_t kEchoReply = 0;

// The system's millisecond tick count: a monotonic clock, cut to 32 bits.
std::uint32_t TickCountMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                    static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

void StoreLittleEndian16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void StoreBigEndian16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value >> 8);
    at[1] = static_cast<std::uint8_t>(value & 0xFF);
}

std::uint16_t LoadBigEndian16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>((at[0] << 8) | at[1]);
}

int OpenSocket(IcmpSocketKind kind, bool& datagram) {
    if (kind != IcmpSocketKind::Raw) {
        const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (fd >= 0 || kind == IcmpSocketKind::Datagram) {
            datagram = true;
            return fd;
        }
    }
    datagram = false;
    return socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
}

// Time to live 255, type of service 8, do not fragment. A system that refuses one of them still
// gets the echo; the options are not worth losing the measurement for.
void SetEchoOptions(int fd, bool datagram) {
    const int ttl = 255;
    const int tos = 8;
    const int pmtu = IP_PMTUDISC_DO;
    setsockopt(fd, IPPROTO_IP, IP_TTL, &ttl, sizeof ttl);
    setsockopt(fd, IPPROTO_IP, IP_TOS, &tos, sizeof tos);
    setsockopt(fd, IPPROTO_IP, IP_MTU_DISCOVER, &pmtu, sizeof pmtu);
    if (!datagram) {
        // A raw socket sees every ICMP packet the host receives; keep only echo replies.
        icmp_filter filter{};
        filter.data = ~(1u << kEchoReply);
        setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
    }
    // Every reply carries the time the system received it.
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
}

// What one received packet means for this ping.
enum class ReplyMatch { Unrelated, OurReply };

// Other pings run at the same time in other threads (and a raw socket also sees other
// programs' replies), so a reply counts only when it carries our sequence number, our
// identifier where the socket keeps it, and our echo block unchanged.
ReplyMatch MatchReply(const std::uint8_t* packet, size_t length, bool datagram,
                      const std::uint8_t* sent) {
    if (!datagram) {
        if (length < 20) {
            return ReplyMatch::Unrelated;
        }
        const size_t headerLength = static_cast<size_t>(packet[0] & 0x0F) * 4;
        if (headerLength < 20 || headerLength > length) {
            return ReplyMatch::Unrelated;
        }
        packet += headerLength;
        length -= headerLength;
    }
    if (length < kPacketSize || packet[0] != kEchoReply || packet[1] != 0) {
        return ReplyMatch::Unrelated;
    }
    // A datagram socket's identifier is the kernel's; the kernel only hands it our replies.
    if (!datagram && LoadBigEndian16(packet + 4) != LoadBigEndian16(sent + 4)) {
        return ReplyMatch::Unrelated;
    }
    if (LoadBigEndian16(packet + 6) != LoadBigEndian16(sent + 6) ||
        std::memcmp(packet + kIcmpHeaderSize, sent + kIcmpHeaderSize, kEchoBlockSize) != 0) {
        return ReplyMatch::Unrelated;
    }
    return ReplyMatch::OurReply;
}

// The system's arrival stamp of a received packet; without one, the packet counts as read on
// arrival.
timespec ArrivalStamp(msghdr& message, const timespec& read) {
    timespec arrived = read;
    for (cmsghdr* control = CMSG_FIRSTHDR(&message); control != nullptr;
         control = CMSG_NXTHDR(&message, control)) {
        if (control->cmsg_level == SOL_SOCKET && control->cmsg_type == SCM_TIMESTAMPNS &&
            control->cmsg_len >= CMSG_LEN(sizeof(timespec))) {
            std::memcpy(&arrived, CMSG_DATA(control), sizeof arrived);
        }
    }
    return arrived;
}

// At most this many packets are read once the deadline has passed: enough for the replies that
// were waiting, while a flood of other ICMP packets cannot hold the thread.
constexpr int kReadsPastDeadline = 64;

// Sends the packet and waits for its reply until the deadline; the round-trip time or -1. A reply
// that arrived in time counts even when this thread reads it after the deadline.
int Exchange(int fd, bool datagram, const std::uint8_t* packet, const sockaddr_in& target,
             int timeoutMs) {
    const Clock::time_point sent = Clock::now();
    if (sendto(fd, packet, kPacketSize, 0, reinterpret_cast<const sockaddr*>(&target),
               sizeof target) != static_cast<ssize_t>(kPacketSize)) {
        return -1;
    }
    const Clock::time_point deadline = sent + std::chrono::milliseconds(timeoutMs);
    std::uint8_t reply[1024];
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec)) + 64];
    int readsPastDeadline = 0;
    for (;;) {
        const Clock::time_point now = Clock::now();
        const bool late = now >= deadline;
        if (late && ++readsPastDeadline > kReadsPastDeadline) {
            return -1;
        }
        const auto wait =
            late ? 0 : std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
        pollfd waiting{fd, POLLIN, 0};
        const int ready = poll(&waiting, 1, static_cast<int>(wait));
        if (ready < 0 && errno != EINTR) {
            return -1;
        }
        if (ready <= 0) {
            if (late && ready == 0) {
                return -1;
            }
            continue;
        }
        sockaddr_in source{};
        iovec data{reply, sizeof reply};
        msghdr message{};
        message.msg_name = &source;
        message.msg_namelen = sizeof source;
        message.msg_iov = &data;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t received = recvmsg(fd, &message, MSG_DONTWAIT);
        if (received < 0) {
            // A datagram socket reports an unreachable target as an error on the socket.
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (MatchReply(reply, static_cast<size_t>(received), datagram, packet) !=
            ReplyMatch::OurReply) {
            continue;
        }
        if (source.sin_addr.s_addr != target.sin_addr.s_addr) {
            return -1;
        }
        const Clock::duration measured = Clock::now() - sent;
        timespec read{};
        clock_gettime(CLOCK_REALTIME, &read);
        const long ms = RoundTripMs(ArrivalStamp(message, read), read, measured);
        return ms < timeoutMs ? static_cast<int>(ms) : -1;
    }
}

}  // namespace

long RoundTripMs(const timespec& arrived, const timespec& read, std::chrono::nanoseconds measured) {
    const long long measuredNs = measured.count();
    long long waitedNs = (static_cast<long long>(read.tv_sec) - arrived.tv_sec) * 1000000000LL +
                         (read.tv_nsec - arrived.tv_nsec);
    waitedNs = std::clamp(waitedNs, 0LL, measuredNs);
    return static_cast<long>((measuredNs - waitedNs) / 1000000);
}

std::uint16_t InternetChecksum(const std::uint8_t* bytes, size_t length) {
    // Wider than the 32 bits the words need, so that no length can overflow the sum.
    std::uint64_t sum = 0;
    size_t i = 0;
    for (; i + 1 < length; i += 2) {
        sum +=
            static_cast<std::uint32_t>(bytes[i]) | (static_cast<std::uint32_t>(bytes[i + 1]) << 8);
    }
    if (length % 2 != 0) {
        sum += bytes[length - 1];
    }
    while ((sum >> 16) != 0) {
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return static_cast<std::uint16_t>(~sum & 0xFFFF);
}

EchoBlock BuildEchoBlock(std::uint16_t identifier, std::uint16_t sequence, std::uint32_t tickMs) {
    EchoBlock block{};
    block[0] = kEchoRequest;
    block[1] = 0;
    StoreLittleEndian16(&block[4], identifier);
    for (size_t i = 12; i < kEchoBlockSize; ++i) {
        block[i] = 0x52;
    }
    StoreLittleEndian16(&block[8], static_cast<std::uint16_t>(tickMs & 0xFFFF));
    StoreLittleEndian16(&block[10], static_cast<std::uint16_t>(tickMs >> 16));
    StoreLittleEndian16(&block[6], sequence);
    StoreLittleEndian16(&block[2], InternetChecksum(block.data(), block.size()));
    return block;
}

bool CanOpenIcmpSocket(IcmpSocketKind kind) {
    bool datagram = false;
    const int fd = OpenSocket(kind, datagram);
    if (fd < 0) {
        return false;
    }
    close(fd);
    return true;
}

int PingHost(const std::string& address, int timeoutMs) {
    return PingHostUsing(IcmpSocketKind::Automatic, address, timeoutMs);
}

int PingHostUsing(IcmpSocketKind kind, const std::string& address, int timeoutMs) {
    // The block is built, and the sequence advanced, before the address is looked at.
    const auto identifier = static_cast<std::uint16_t>(getpid() & 0xFFFF);
    const std::uint16_t sequence = PingSequence.fetch_add(1);
    const EchoBlock block = BuildEchoBlock(identifier, sequence, TickCountMs());

    // Only a dotted address is accepted: no name is ever resolved. The all-ones value is
    // refused as the broadcast address.
    in_addr address4{};
    if (inet_aton(address.c_str(), &address4) == 0 || address4.s_addr == INADDR_NONE) {
        return -1;
    }
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr = address4;

    bool datagram = false;
    const int fd = OpenSocket(kind, datagram);
    if (fd < 0) {
        return -1;
    }
    SetEchoOptions(fd, datagram);

    // The system's own echo header goes in front of the block. A datagram socket rewrites the
    // identifier and the checksum; a raw socket sends them as they are.
    std::uint8_t packet[kPacketSize] = {};
    packet[0] = kEchoRequest;
    packet[1] = 0;
    StoreBigEndian16(&packet[4], identifier);
    StoreBigEndian16(&packet[6], sequence);
    std::memcpy(packet + kIcmpHeaderSize, block.data(), kEchoBlockSize);
    StoreLittleEndian16(&packet[2], InternetChecksum(packet, kPacketSize));

    const int result = Exchange(fd, datagram, packet, target, timeoutMs < 0 ? 0 : timeoutMs);
    close(fd);
    return result;
}

}  // namespace perivant
