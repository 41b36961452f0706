#include "FaultPlan.h"

#include <array>
#include <charconv>

#include "Rng.h"

namespace corvanelab {

namespace {

struct FaultEntry {
    Fault fault;
    const char* name;
};

constexpr std::array<FaultEntry, 19> kFaults{{
    {Fault::Ok, "ok"},
    {Fault::Refuse, "refuse"},
    {Fault::Silent, "silent"},
    {Fault::Slow, "slow"},
    {Fault::NotFound, "404"},
    {Fault::ServerError, "500"},
    {Fault::NotXml, "notxml"},
    {Fault::WrongGuid, "wrongguid"},
    {Fault::Truncate, "truncate"},
    {Fault::Trickle, "trickle"},
    {Fault::Endless, "endless"},
    {Fault::DeepNest, "deepnest"},
    {Fault::Siblings, "siblings"},
    {Fault::Binary, "binary"},
    {Fault::HighBytes, "highbytes"},
    {Fault::StatusOnly, "statusonly"},
    {Fault::RedirectLoop, "redirectloop"},
    {Fault::HeadersClose, "headersclose"},
    {Fault::Reset, "reset"},
}};

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool ParseSize(std::string_view text, std::size_t& value) {
    if (text.empty()) {
        return false;
    }
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

struct CountItem {
    Fault fault;
    std::size_t count;
    bool percent;
};

}  // namespace

const char* FaultName(Fault fault) {
    for (const auto& entry : kFaults) {
        if (entry.fault == fault) {
            return entry.name;
        }
    }
    return "?";
}

std::optional<Fault> FaultFromName(std::string_view name) {
    for (const auto& entry : kFaults) {
        if (name == entry.name) {
            return entry.fault;
        }
    }
    return std::nullopt;
}

std::string FaultNameList() {
    std::string list;
    for (const auto& entry : kFaults) {
        if (entry.fault == Fault::Ok) {
            continue;
        }
        if (!list.empty()) {
            list += ' ';
        }
        list += entry.name;
    }
    return list;
}

bool AssignFaults(std::string_view list, std::size_t hostCount, std::uint64_t seed,
                  std::vector<Fault>& faults, std::string& error) {
    faults.assign(hostCount, Fault::Ok);
    std::vector<bool> named(hostCount, false);
    std::vector<CountItem> counted;

    while (!list.empty()) {
        std::size_t comma = list.find(',');
        std::string_view item = Trim(list.substr(0, comma));
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
        if (item.empty()) {
            continue;
        }
        std::size_t equals = item.find('=');
        if (equals != std::string_view::npos) {
            // Explicit form: INDEX=NAME or FIRST-LAST=NAME.
            std::string_view where = Trim(item.substr(0, equals));
            std::string_view name = Trim(item.substr(equals + 1));
            auto fault = FaultFromName(name);
            if (!fault) {
                error = "unknown fault '" + std::string(name) + "'";
                return false;
            }
            std::size_t first = 0;
            std::size_t last = 0;
            std::size_t dash = where.find('-');
            bool ok = dash == std::string_view::npos
                          ? ParseSize(where, first) && ParseSize(where, last)
                          : ParseSize(where.substr(0, dash), first) &&
                                ParseSize(where.substr(dash + 1), last);
            if (!ok || last < first) {
                error = "bad host index in '" + std::string(item) + "'";
                return false;
            }
            if (last >= hostCount) {
                error = "host index " + std::to_string(last) + " in '" + std::string(item) +
                        "' is beyond the last host (" + std::to_string(hostCount) + " hosts)";
                return false;
            }
            for (std::size_t i = first; i <= last; ++i) {
                faults[i] = *fault;
                named[i] = true;
            }
            continue;
        }
        std::size_t colon = item.find(':');
        if (colon == std::string_view::npos) {
            error = "fault item '" + std::string(item) + "' needs NAME:COUNT or INDEX=NAME";
            return false;
        }
        std::string_view name = Trim(item.substr(0, colon));
        std::string_view amount = Trim(item.substr(colon + 1));
        auto fault = FaultFromName(name);
        if (!fault) {
            error = "unknown fault '" + std::string(name) + "'";
            return false;
        }
        bool percent = !amount.empty() && amount.back() == '%';
        if (percent) {
            amount.remove_suffix(1);
        }
        std::size_t count = 0;
        if (!ParseSize(amount, count) || (percent && count > 100)) {
            error = "bad count in '" + std::string(item) + "'";
            return false;
        }
        counted.push_back({*fault, count, percent});
    }

    std::vector<std::size_t> pool;
    for (std::size_t i = 0; i < hostCount; ++i) {
        if (!named[i]) {
            pool.push_back(i);
        }
    }
    Rng rng = Rng::ForStream(seed, 0xFA017);
    rng.Shuffle(pool);
    std::size_t next = 0;
    for (const auto& item : counted) {
        std::size_t count = item.percent ? (hostCount * item.count + 50) / 100 : item.count;
        if (count > pool.size() - next) {
            error = "not enough hosts for " + std::string(FaultName(item.fault)) + ":" +
                    std::to_string(count) + " (" + std::to_string(pool.size() - next) + " left)";
            return false;
        }
        for (std::size_t k = 0; k < count; ++k) {
            faults[pool[next++]] = item.fault;
        }
    }
    return true;
}

}  // namespace corvanelab
