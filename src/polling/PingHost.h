#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include <time.h>

namespace perivant {

// Process-wide echo sequence counter, shared by all pings; it wraps from 65535 to 0.
extern std::atomic<std::uint16_t> PingSequence;

inline constexpr size_t kEchoBlockSize = 44;
using EchoBlock = std::array<std::uint8_t, kEchoBlockSize>;

// The data block of one echo request: an echo header (type 8, code 0, checksum, identifier,
// sequence; little-endian) followed by the 32-bit tick count and 32 filler bytes 0x52. The
// checksum covers the whole block.
EchoBlock BuildEchoBlock(std::uint16_t identifier, std::uint16_t sequence, std::uint32_t tickMs);

// RFC 1071 checksum over bytes read as little-endian 16-bit words; an odd last byte counts as
// a plain value. Stored little-endian, it makes the block's one's-complement sum all ones.
std::uint16_t InternetChecksum(const std::uint8_t* bytes, size_t length);

// Which ICMP socket a ping may use. Automatic takes the unprivileged datagram socket where the
// system permits it and a raw socket otherwise.
enum class IcmpSocketKind { Automatic, Datagram, Raw };

// True when a socket of that kind can be opened by this process.
bool CanOpenIcmpSocket(IcmpSocketKind kind);

// Milliseconds from the send to a reply's arrival: the time the pinging thread measured up to
// reading the reply, less how long the reply waited to be read (from the system's wall-clock
// arrival stamp to the wall-clock time of the read, kept within the measured time). The thread
// may read late, on a busy machine or in a process stopped a while; a wall clock set meanwhile
// moves only that short wait, not the round trip.
long RoundTripMs(const timespec& arrived, const timespec& read, std::chrono::nanoseconds measured);

// Sends one echo request carrying a fresh echo block to a dotted IPv4 address and returns the
// round-trip time in milliseconds of its reply, or -1 (no reply within timeoutMs, an address
// that is not a dotted IPv4 text, the broadcast address, or no ICMP socket permitted). Host
// names are never resolved. Waits at most timeoutMs.
int PingHost(const std::string& address, int timeoutMs);
int PingHostUsing(IcmpSocketKind kind, const std::string& address, int timeoutMs);

}  // namespace perivant
