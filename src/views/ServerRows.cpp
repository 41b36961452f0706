#include "views/ServerRows.h"

#include <cstdint>
#include <initializer_list>

#include "app/AppSettings.h"
#include "app/HelpMessages.h"
#include "dialogs/DirectXExplanation.h"
#include "env/VersionText.h"
#include "env/WindowsVersionName.h"
#include "polling/ServerInfo.h"
#include "text/IntegerValue.h"

namespace perivant {

namespace {

constexpr char kDirectXMessageFormat[] =
    "DirectX 8 has a bug in it that occasionally causes everyone in the session to\nbe "
    "disconnected. DirectX 9 fixes that problem, and Corvane servers can optionally\nrequire "
    "that all players have DirectX 9 to be able to join the game.\n\nThe server you selected "
    "requires DirectX version %s and you have version %d, so if\nyou try to join it, you will "
    "immediately be rejected with the message, \"The host\nhas removed you from the "
    "session\".\n\nWhen a server requires a DirectX version greater than what you have, it's "
    "shown\nwith a red \"DX\" symbol next to it in the server list. You can filter out these\n"
    "servers on the Filter window under the Servers menu.\n";

// Fills the %s and %d conversions of a fixed format in order. The arguments come from the
// network and may be of any length, so nothing is formatted into a fixed buffer.
std::string FillFormat(std::string_view format, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(format.size());
    auto arg = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() &&
            (format[i + 1] == 's' || format[i + 1] == 'd') && arg != args.end()) {
            out += *arg++;
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

unsigned char FoldCase(unsigned char c) {
    if (c >= 'A' && c <= 'Z') {
        return static_cast<unsigned char>(c + ('a' - 'A'));
    }
    // The Windows-1252 capitals: À-Þ but the multiplication sign, Š, Œ, Ž and Ÿ.
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) {
        return static_cast<unsigned char>(c + 0x20);
    }
    switch (c) {
        case 0x8A:
            return 0x9A;
        case 0x8C:
            return 0x9C;
        case 0x8E:
            return 0x9E;
        case 0x9F:
            return 0xFF;
        default:
            return c;
    }
}

int Sign(long long value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

bool HasIcon(const ServerInfo& server) {
    return server.PasswordRequired || server.DirectXTooOld;
}

// The Games order as ranks: FS2002 only, then a server hosting neither game, then FS2004/FSX
// only, then both. A server with neither flag sits between the two single-game kinds rather than
// being equal to both of them, which no consistent order can be.
int GamesRank(const ServerInfo& server) {
    if (server.HostsFS2002 && server.HostsFS2004) {
        return 3;
    }
    if (server.HostsFS2004) {
        return 2;
    }
    if (server.HostsFS2002) {
        return 0;
    }
    return 1;
}

// Version texts in CompareVersionText's order; texts that read as the same numbers are equal
// here, because CompareVersionText calls either one older than the other.
int CompareVersions(const std::string& a, const std::string& b) {
    if (CompareVersionText(a, b) > 0) {
        return 1;
    }
    if (CompareVersionText(b, a) > 0) {
        return -1;
    }
    return 0;
}

// The comparison of the sorted column alone, ascending.
int CompareColumn(const ServerInfo& a, const ServerInfo& b, int column) {
    switch (column) {
        case 0:
            return Sign(static_cast<int>(HasIcon(a)) - static_cast<int>(HasIcon(b)));
        case 1:
            return CompareTextNoCase(a.ServerName, b.ServerName);
        case 2:
            return CompareTextNoCase(a.SessionName, b.SessionName);
        case 3:
            return Sign(static_cast<long long>(IntegerValue(a.CurrentPilots)) -
                        IntegerValue(b.CurrentPilots));
        case 4:
            return Sign(GamesRank(a) - GamesRank(b));
        case 5:
            // Unsigned, so no reply (-1) is the longest time of all.
            return Sign(static_cast<long long>(static_cast<uint32_t>(a.PingMs)) -
                        static_cast<long long>(static_cast<uint32_t>(b.PingMs)));
        case 6:
            return CompareVersions(a.Version, b.Version);
        default:
            return 0;
    }
}

}  // namespace

ServerRowCells MakeServerRowCells(const ServerInfo& server) {
    ServerRowCells cells;
    cells[1] = server.ServerName.substr(0, kServerNameCellLength);
    cells[2] = server.SessionName.substr(0, kServerNameCellLength);
    cells[3] = server.CurrentPilots + "/" + server.MaxPilots;
    cells[4] = GamesText(server.HostsFS2002, server.HostsFS2004);
    cells[5] = PingCellText(server.PingMs);
    return cells;
}

std::string PingCellText(int pingMs) {
    if (pingMs == -1) {
        return {};
    }
    return std::to_string(static_cast<uint32_t>(pingMs)) + " ms";
}

ServerRowIcon ServerRowIconFor(const ServerInfo& server) {
    if (server.DirectXTooOld) {
        return ServerRowIcon::DirectX;
    }
    if (server.PasswordRequired) {
        return ServerRowIcon::Padlock;
    }
    return ServerRowIcon::Blank;
}

int CompareTextNoCase(std::string_view a, std::string_view b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        int ca = FoldCase(static_cast<unsigned char>(a[i]));
        int cb = FoldCase(static_cast<unsigned char>(b[i]));
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    return Sign(static_cast<long long>(a.size()) - static_cast<long long>(b.size()));
}

int CompareServers(const ServerInfo& a, const ServerInfo& b, int sortOrder) {
    int result = 0;
    if (sortOrder >= 0 && sortOrder <= 13) {
        result = CompareColumn(a, b, sortOrder / 2);
        if (sortOrder % 2 == 1) {
            result = -result;
        }
    }
    if (result != 0) {
        return result;
    }
    return CompareTextNoCase(a.ServerName, b.ServerName);
}

int SortOrderAfterColumnClick(int currentOrder, int column) {
    if (column >= 1 && column <= 6) {
        return currentOrder == 2 * column ? 2 * column + 1 : 2 * column;
    }
    return currentOrder == 0 ? 1 : 0;
}

int SortArrowColumn(int sortOrder, bool& descending) {
    descending = sortOrder % 2 != 0;
    if (sortOrder < 0 || sortOrder >= 2 * (kServerListColumnCount)) {
        return -1;
    }
    return sortOrder / 2;
}

std::string DirectXMessageText(const ServerInfo& server, int installedDirectXVersion,
                               int windowsCode, const std::string& windowsName) {
    std::string installed = std::to_string(installedDirectXVersion);
    std::string text =
        FillFormat(kDirectXMessageFormat, {server.DirectXVersionRequired, installed});
    text += WindowsVersionAddition(windowsCode, windowsName);
    return text;
}

void ShowDirectXMessage(const ServerInfo& server, bool forced, int installedDirectXVersion,
                        WindowsVersionSource& windows, ProfileStore& store,
                        HelpMessageRunner& runner) {
    store.Reload();
    if (!forced && ReadSettingsInt(store, kHideDirectXMsg, 0) != 0) {
        return;
    }
    std::string windowsName;
    int windowsCode = GetWindowsVersionName(windowsName, windows);
    std::string text =
        DirectXMessageText(server, installedDirectXVersion, windowsCode, windowsName);
    // The flag was checked above; forced messages skip it inside as well.
    ShowHelpMessageOnce(store, kHideDirectXMsg, text, forced, runner);
}

}  // namespace perivant
