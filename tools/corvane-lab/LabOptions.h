// Command-line options of corvane-lab.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace corvanelab {

// Inclusive range of counts, "N" or "LO-HI" on the command line.
struct CountRange {
    std::size_t low = 0;
    std::size_t high = 0;
};

// How the Master Server itself misbehaves (--master-fault).
enum class MasterFault { None, NotFound, ServerError, Html, Empty, Silent, Truncate };

struct LabOptions {
    std::size_t hosts = 10;
    std::uint64_t seed = 1;
    std::uint16_t masterPort = 0;    // 0: ephemeral
    std::uint16_t hostPort = 23456;  // 0: an ephemeral port of its own for every host
    std::string firstAddress = "127.0.0.2";
    std::uint32_t timeLimitSeconds = 600;
    std::uint32_t delayMs = 0;
    std::uint32_t slowMs = 35000;
    std::uint32_t trickleMs = 25000;
    std::uint32_t headerTimeoutMs = 30000;
    CountRange players{0, 12};
    CountRange flightPlans{0, 6};
    std::string faults;
    std::size_t hostileCount = 1000000;

    std::vector<std::string> newsLines;     // "NUMBER|TEXT", in order given
    std::vector<std::string> versionLines;  // "VERSION|URL|TEXT"
    std::vector<std::string> errorMessages;
    std::vector<std::string> replaceMasters;
    bool noticesLast = false;
    std::size_t masterLines = 0;
    bool masterLongLines = false;
    bool masterOnlyComments = false;
    bool masterCrlf = false;
    MasterFault masterFault = MasterFault::None;
    std::uint32_t masterDelayMs = 0;

    std::string manifestFile;
    std::string readyFile;
    std::string statsFile;
    bool stats = false;
    bool log = false;
    bool quiet = false;
};

// Parses argv. Returns 0 to go on, 1 when --help was printed, 2 on a bad option (the message
// is in error).
int ParseOptions(int argc, char** argv, LabOptions& options, std::string& error);

std::string HelpText();

}  // namespace corvanelab
