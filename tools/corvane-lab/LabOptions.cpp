#include "LabOptions.h"

#include <arpa/inet.h>

#include <charconv>
#include <cstdio>
#include <functional>
#include <map>
#include <string_view>

#include "FaultPlan.h"

namespace corvanelab {

namespace {

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
    if (text.empty()) {
        return false;
    }
    T parsed{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return false;
    }
    value = parsed;
    return true;
}

bool ParseRange(std::string_view text, CountRange& range) {
    std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) {
        std::size_t n = 0;
        if (!ParseNumber(text, n)) {
            return false;
        }
        range = {n, n};
        return true;
    }
    CountRange parsed;
    if (!ParseNumber(text.substr(0, dash), parsed.low) ||
        !ParseNumber(text.substr(dash + 1), parsed.high) || parsed.high < parsed.low) {
        return false;
    }
    range = parsed;
    return true;
}

bool IsLoopbackAddress(const std::string& text) {
    in_addr address{};
    if (inet_pton(AF_INET, text.c_str(), &address) != 1) {
        return false;
    }
    return (ntohl(address.s_addr) >> 24) == 127;
}

}  // namespace

std::string HelpText() {
    std::string text =
        "Usage: corvane-lab [OPTION]...\n"
        "Plays a Master Server on 127.0.0.1 and Corvane hosts on 127.0.0.2, 127.0.0.3, ...\n"
        "The first line on standard output is the Master Server URL.\n"
        "\n"
        "Hosts and pages:\n"
        "  --hosts N              number of hosts (default 10)\n"
        "  --seed S               seed of all generated content (default 1)\n"
        "  --host-port P          port of every host (default 23456; 0: own ephemeral port\n"
        "                         per host)\n"
        "  --first-address A      address of host 0 (default 127.0.0.2; must be 127.x.x.x)\n"
        "  --players N|LO-HI      players per healthy host (default 0-12)\n"
        "  --flightplans N|LO-HI  flight plans per healthy host (default 0-6)\n"
        "  --delay-ms L           every host answers /xml after L ms (default 0)\n"
        "\n"
        "Faults:\n"
        "  --faults LIST          comma-separated NAME:COUNT, NAME:PERCENT%, INDEX=NAME or\n"
        "                         FIRST-LAST=NAME (0-based host indices)\n"
        "  --slow-ms L            answer delay of slow hosts (default 35000)\n"
        "  --trickle-ms L         pause between the bytes of trickle hosts (default 25000)\n"
        "  --hostile-count N      elements of deepnest and siblings pages (default 1000000)\n"
        "  fault names: " +
        FaultNameList() +
        "\n"
        "\n"
        "Master Server:\n"
        "  --master-port P        port on 127.0.0.1 (default 0: ephemeral)\n"
        "  --news N:TEXT          add a News line (repeatable)\n"
        "  --version V|URL|TEXT   add a Version line (repeatable)\n"
        "  --error-msg TEXT       add an ErrorMsg line (repeatable)\n"
        "  --replace-master URL   add a ReplaceMaster line (repeatable)\n"
        "  --notices-last         put notice lines after the Server lines (default before)\n"
        "  --master-lines N       add N junk and comment lines among the Server lines\n"
        "  --master-long-lines    add lines of a megabyte before the Server lines\n"
        "  --master-only-comments the list holds the header and comments only\n"
        "  --master-crlf          end list lines with CR LF\n"
        "  --master-delay-ms L    answer the list after L ms (default 0)\n"
        "  --master-fault KIND    none, 404, 500, html, empty, silent, truncate (default none)\n"
        "\n"
        "Running:\n"
        "  --time-limit SECONDS   stop after this long (default 600)\n"
        "  --header-timeout-ms L  close a connection whose request head is not complete\n"
        "                         after L ms (default 30000)\n"
        "  --manifest FILE        write the expected values of every host (tab-separated)\n"
        "  --ready-file FILE      write the Master Server URL here once all sockets listen\n"
        "  --stats                print a request summary on standard error at exit\n"
        "  --stats-file FILE      write per-host request counts at exit (tab-separated)\n"
        "  --log                  one line per request on standard error\n"
        "  --quiet                no start-up notes on standard error\n"
        "  --help                 this text\n";
    return text;
}

int ParseOptions(int argc, char** argv, LabOptions& o, std::string& error) {
    using Handler = std::function<bool(std::string_view)>;
    auto flag = [](bool& target) { return [&target](std::string_view) { return target = true; }; };
    auto number = [](auto& target) {
        return [&target](std::string_view v) { return ParseNumber(v, target); };
    };
    auto text = [](std::string& target) {
        return [&target](std::string_view v) {
            target = std::string(v);
            return true;
        };
    };
    auto append = [](std::vector<std::string>& target) {
        return [&target](std::string_view v) {
            target.emplace_back(v);
            return true;
        };
    };
    struct OptionRule {
        bool takesValue;
        Handler handle;
    };
    const std::map<std::string, OptionRule, std::less<>> rules{
        {"--hosts", {true, number(o.hosts)}},
        {"--seed", {true, number(o.seed)}},
        {"--master-port", {true, number(o.masterPort)}},
        {"--host-port", {true, number(o.hostPort)}},
        {"--first-address", {true, text(o.firstAddress)}},
        {"--time-limit", {true, number(o.timeLimitSeconds)}},
        {"--delay-ms", {true, number(o.delayMs)}},
        {"--slow-ms", {true, number(o.slowMs)}},
        {"--trickle-ms", {true, number(o.trickleMs)}},
        {"--header-timeout-ms", {true, number(o.headerTimeoutMs)}},
        {"--players", {true, [&o](std::string_view v) { return ParseRange(v, o.players); }}},
        {"--flightplans",
         {true, [&o](std::string_view v) { return ParseRange(v, o.flightPlans); }}},
        {"--faults", {true, text(o.faults)}},
        {"--hostile-count", {true, number(o.hostileCount)}},
        {"--news",
         {true,
          [&o](std::string_view v) {
              std::size_t colon = v.find(':');
              if (colon == std::string_view::npos) {
                  return false;
              }
              o.newsLines.push_back(std::string(v.substr(0, colon)) + "|" +
                                    std::string(v.substr(colon + 1)));
              return true;
          }}},
        {"--version", {true, append(o.versionLines)}},
        {"--error-msg", {true, append(o.errorMessages)}},
        {"--replace-master", {true, append(o.replaceMasters)}},
        {"--notices-last", {false, flag(o.noticesLast)}},
        {"--master-lines", {true, number(o.masterLines)}},
        {"--master-long-lines", {false, flag(o.masterLongLines)}},
        {"--master-only-comments", {false, flag(o.masterOnlyComments)}},
        {"--master-crlf", {false, flag(o.masterCrlf)}},
        {"--master-delay-ms", {true, number(o.masterDelayMs)}},
        {"--master-fault",
         {true,
          [&o](std::string_view v) {
              static const std::map<std::string, MasterFault, std::less<>> kinds{
                  {"none", MasterFault::None},        {"404", MasterFault::NotFound},
                  {"500", MasterFault::ServerError},  {"html", MasterFault::Html},
                  {"empty", MasterFault::Empty},      {"silent", MasterFault::Silent},
                  {"truncate", MasterFault::Truncate}};
              auto found = kinds.find(v);
              if (found == kinds.end()) {
                  return false;
              }
              o.masterFault = found->second;
              return true;
          }}},
        {"--manifest", {true, text(o.manifestFile)}},
        {"--ready-file", {true, text(o.readyFile)}},
        {"--stats-file", {true, text(o.statsFile)}},
        {"--stats", {false, flag(o.stats)}},
        {"--log", {false, flag(o.log)}},
        {"--quiet", {false, flag(o.quiet)}},
    };

    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(HelpText().c_str(), stdout);
            return 1;
        }
        std::string_view name = arg;
        std::string_view value;
        bool inlineValue = false;
        if (std::size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            inlineValue = true;
        }
        auto found = rules.find(name);
        if (found == rules.end()) {
            error = "unknown option '" + std::string(arg) + "' (see --help)";
            return 2;
        }
        const OptionRule& rule = found->second;
        if (rule.takesValue && !inlineValue) {
            if (i + 1 >= argc) {
                error = "option " + std::string(name) + " needs a value";
                return 2;
            }
            value = argv[++i];
        } else if (!rule.takesValue && inlineValue) {
            error = "option " + std::string(name) + " takes no value";
            return 2;
        }
        if (!rule.handle(value)) {
            error = "bad value '" + std::string(value) + "' for " + std::string(name);
            return 2;
        }
    }

    if (!IsLoopbackAddress(o.firstAddress) || o.firstAddress == "127.0.0.1") {
        error = "--first-address must be a loopback address 127.x.x.x other than 127.0.0.1";
        return 2;
    }
    if (o.timeLimitSeconds == 0) {
        error = "--time-limit must be at least 1 second";
        return 2;
    }
    return 0;
}

}  // namespace corvanelab
