// The generated content of one Corvane host: what its status page says, what the Master Server
// lists for it, and what Perivant must read from it. Built from (seed, host index) alone, so it
// can be rebuilt for every request instead of being kept in memory.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FaultPlan.h"
#include "FieldBuilder.h"
#include "LabOptions.h"

namespace corvanelab {

// Child element names of Player and FlightPlan, in the order the program reads them.
extern const std::array<const char*, 12> kPlayerFields;
extern const std::array<const char*, 7> kFlightPlanFields;

struct PlayerModel {
    std::array<FieldText, 12> fields;  // kPlayerFields order
};

struct FlightPlanModel {
    std::array<FieldText, 7> fields;  // kFlightPlanFields order
};

inline constexpr const char* kNullGuid = "00000000-0000-0000-00-00-00-00-00-00-00-00";

struct HostModel {
    std::size_t index = 0;
    std::string address;
    std::uint16_t port = 0;
    Fault fault = Fault::Ok;

    FieldText serverName, serverUrl, version, directXRequired, sessionName, password;
    FieldText currentPilots, maxPilots, currentObservers, maxObservers, comments;
    bool legacy = false;         // Version below 3: one SessionGUID element
    std::string pageGuid2002;    // SessionGUID2002, or SessionGUID when legacy
    std::string pageGuid2004;    // SessionGUID2004 (not written when legacy)
    std::string masterGuid2002;  // as the Master Server lists it
    std::string masterGuid2004;
    std::vector<PlayerModel> players;
    std::vector<FlightPlanModel> plans;
    std::size_t fsNavigatorCount = 0;

    // Page layout variations.
    bool shuffleFields = false;
    bool shufflePlayerFields = false;
    bool omitEmptyLists = false;
    bool extraElements = false;
    bool commentsCdata = false;
    bool crlf = false;
    std::uint64_t layoutSeed = 0;
};

HostModel BuildHostModel(const LabOptions& options, std::size_t index, const std::string& address,
                         std::uint16_t port, Fault fault);

// The "/xml" page of a host (healthy, or wrongguid which differs only in its GUIDs).
std::string RenderStatusPage(const HostModel& host);

// The built-in page at "/".
std::string RenderHomePage(const HostModel& host);

// The manifest: one commented header line, then one line per host.
std::string ManifestHeader();
std::string ManifestLine(const HostModel& host);

}  // namespace corvanelab
