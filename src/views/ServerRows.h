#pragma once

#include <array>
#include <string>
#include <string_view>

namespace perivant {

struct ServerInfo;
class ProfileStore;
class HelpMessageRunner;
class WindowsVersionSource;

// Everything the server list decides without a widget: the texts of a row, its icon, the row
// order for every ServerSortOrder, and the texts of its two help messages.

// Columns: the icon, Server, Session, Pilots, Games, Ping.
inline constexpr int kServerListColumnCount = 6;
inline constexpr int kServerNameCellLength = 30;  // names are cut to this many characters

enum class ServerRowIcon { Blank = 0, Padlock = 1, DirectX = 2 };

using ServerRowCells = std::array<std::string, kServerListColumnCount>;

// The cell texts; the icon column's text is empty.
ServerRowCells MakeServerRowCells(const ServerInfo& server);

// "%lu ms", or empty when there was no reply (-1).
std::string PingCellText(int pingMs);

// Red "DX" wins over the padlock: joining would fail before the password is asked for.
ServerRowIcon ServerRowIconFor(const ServerInfo& server);

// Negative when a sorts before b under sortOrder, positive when after, 0 when neither. Equal keys
// fall back to the server names, ascending whatever the direction. Orders outside 0..13 keep
// only the name order.
int CompareServers(const ServerInfo& a, const ServerInfo& b, int sortOrder);

// Case-insensitive comparison of Windows-1252 texts (negative, 0, positive).
int CompareTextNoCase(std::string_view a, std::string_view b);

// The order after a click on a column: the first click on a column sorts it ascending, each
// further click toggles the direction; the icon column toggles between 0 and 1.
int SortOrderAfterColumnClick(int currentOrder, int column);

// The column whose heading carries the arrow for sortOrder, or -1 for none (12, 13 and orders
// outside 0..13 have no column). descending tells which arrow.
int SortArrowColumn(int sortOrder, bool& descending);

// The DirectX message for a server, with the line that fits the running Windows version
// (windowsCode and windowsName as GetWindowsVersionName reports them; -1 adds nothing).
std::string DirectXMessageText(const ServerInfo& server, int installedDirectXVersion,
                               int windowsCode, const std::string& windowsName);

// Shows the DirectX message through runner unless it is not forced and HideDirectXMsg is set.
// A forced message greys the "Don't show" box. OK with the box ticked writes HideDirectXMsg.
void ShowDirectXMessage(const ServerInfo& server, bool forced, int installedDirectXVersion,
                        WindowsVersionSource& windows, ProfileStore& store,
                        HelpMessageRunner& runner);

}  // namespace perivant
