// Which hosts misbehave, and how.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvanelab {

enum class Fault {
    Ok,            // healthy status page
    Refuse,        // nobody listens: connection refused
    Silent,        // accepts and reads, never answers
    Slow,          // answers after --slow-ms
    NotFound,      // 404
    ServerError,   // 500
    NotXml,        // 200 with an HTML page
    WrongGuid,     // reports another session GUID than the Master Server lists
    Truncate,      // Content-Length larger than the body sent, then close
    Trickle,       // one byte per --trickle-ms
    Endless,       // body without Content-Length that never ends
    DeepNest,      // a million nested elements
    Siblings,      // a million sibling Player elements
    Binary,        // garbage with NUL bytes
    HighBytes,     // bytes above 0x7F everywhere
    StatusOnly,    // status line, then close
    RedirectLoop,  // 302 to itself
    HeadersClose,  // headers, then close
    Reset,         // reads the request, then resets the connection
};

const char* FaultName(Fault fault);
std::optional<Fault> FaultFromName(std::string_view name);
// Every fault name except "ok", in declaration order, for --help.
std::string FaultNameList();

// Assigns a fault to each of hostCount hosts from a list such as
// "refuse:3,silent:10%,7=slow,20-29=404". "NAME:COUNT" and "NAME:PERCENT%" pick hosts by a
// shuffle seeded with seed among those no explicit "INDEX=NAME" or "FIRST-LAST=NAME" item
// names (0-based indices). Returns false with a message when the list is malformed or asks
// for more hosts than there are.
bool AssignFaults(std::string_view list, std::size_t hostCount, std::uint64_t seed,
                  std::vector<Fault>& faults, std::string& error);

}  // namespace corvanelab
