#pragma once

#include <string>

#include "polling/ServerInfo.h"

namespace perivant {

// The client type that the HideFSNavigators setting hides from the player pane (exact case).
inline constexpr const char* kFSNavigatorType = "FSNavigator";

// Whether the player pane lists this player: every player unless hiding is on and the player's
// Type is exactly "FSNavigator".
bool IsPlayerListed(const PlayerInfo& player, bool hideFSNavigators);

// The state icons of the flight-plan pane.
enum class FlightPlanIcon { Filed = 0, Open = 1, Closed = 2 };

// "Filed" and "Open" (exact case) have their own icons; any other state shows as closed.
FlightPlanIcon FlightPlanStateIcon(const std::string& statusText);

// Session comments as the read-only edit receives them: every line feed preceded by a carriage
// return, also where one is there already.
std::string SessionCommentsEditText(const std::string& comments);

// An edit control's text as lines for a widget that breaks at line feeds: CR LF and CR CR LF each
// end one line, as the edit control shows them, and a carriage return on its own is not shown.
std::string EditTextAsLines(const std::string& editText);

// The address the Web Site button opens for a server's URL text: without the blanks, line ends
// and no-break spaces around it, inner blanks percent-encoded, and "http://" before a text that
// starts with "www.", as the desktop opens such a text. Whether it is a web address is checked
// apart.
std::string WebSiteAddress(const std::string& serverUrl);

// The address of a Corvane server's built-in page, http://address:port/, as its status page is
// reached; empty when none can be written.
std::string HostPageAddress(const std::string& address, int port);

}  // namespace perivant
