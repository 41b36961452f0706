#include "dialogs/PassesFilter.h"

#include <cstdint>

#include "app/AppSettings.h"
#include "polling/ServerInfo.h"
#include "text/IntegerValue.h"

namespace perivant {

namespace {

char LowerCaseByte(char c) {
    auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7)) {
        return static_cast<char>(byte + 0x20);
    }
    switch (byte) {
        case 0x8A:  // S caron
        case 0x8C:  // OE ligature
        case 0x8E:  // Z caron
            return static_cast<char>(byte + 0x10);
        case 0x9F:  // Y diaeresis
            return static_cast<char>(0xFF);
        default:
            return c;
    }
}

// Both the settings record and the filter dialog's copy carry the criteria under the same names;
// the main frame asks with the record for every arriving server, so it is read in place.
template <typename Criteria>
bool Passes(const Criteria& filter, const ServerInfo& server) {
    if (!filter.FilterEnable) {
        return true;
    }
    // Full means equal only: a server reporting more pilots than its maximum is not full.
    if (filter.FilterFull && !server.MaxPilotsUnlimited &&
        IntegerValue(server.CurrentPilots) == IntegerValue(server.MaxPilots)) {
        return false;
    }
    if (filter.FilterPassword && server.PasswordRequired) {
        return false;
    }
    if (filter.FilterDirectX && server.DirectXTooOld) {
        return false;
    }
    // Unsigned on both sides: no reply (-1) is the largest ping there is.
    if (filter.FilterPing && static_cast<std::uint32_t>(server.PingMs) >
                                 static_cast<std::uint32_t>(filter.FilterPingNum)) {
        return false;
    }
    if (filter.FilterPlayers && IntegerValue(server.CurrentPilots) < filter.FilterPlayersNum) {
        return false;
    }
    if (filter.FilterFS2002 && server.HostsFS2002 && !server.HostsFS2004) {
        return false;
    }
    if (filter.FilterFS2004 && server.HostsFS2004 && !server.HostsFS2002) {
        return false;
    }
    if (filter.FilterText &&
        !ContainsNoCaseWindows1252(server.SessionComments, filter.FilterTextString)) {
        return false;
    }
    if (filter.FilterServerNames &&
        !ContainsNoCaseWindows1252(server.ServerName, filter.FilterServerNamesString)) {
        return false;
    }
    return true;
}

}  // namespace

bool PassesFilter(const FilterSettings& filter, const ServerInfo& server) {
    return Passes(filter, server);
}

bool PassesFilter(const AppSettings& settings, const ServerInfo& server) {
    return Passes(settings, server);
}

std::string LowerCaseWindows1252(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = LowerCaseByte(c);
    }
    return lower;
}

bool ContainsNoCaseWindows1252(std::string_view text, std::string_view pattern) {
    if (pattern.empty()) {
        return true;
    }
    return LowerCaseWindows1252(text).find(LowerCaseWindows1252(pattern)) != std::string::npos;
}

}  // namespace perivant
