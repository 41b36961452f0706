#include "views/ClipboardHelpText.h"

namespace perivant {

std::string ClipboardHelpText(const std::string& address) {
    return "The server's IP address (" + address +
           ") has been copied to the clipboard.\n"
           "You can now paste it into Flight Simulator and connect to the server.\n"
           "\n"
           "DETAILED INSTRUCTIONS:\n"
           "\n"
           "Start FS2002, FS2004, or CorvaneClient (for FSX), click \"Multiplayer\", then \"Open "
           "multiplayer session\". Enter a player name, click in the \"IP address\" box and type "
           "Ctrl-V to paste in the IP. Click \"Search\", then after a couple of seconds, you "
           "should see the \"Session\" listed. If there's more than one session listed, select "
           "the one you want to join. Be sure to read the \"Session comments\" before joining. "
           "Click \"Join\" (or \"Connect\", in CorvaneClient) when you're ready to connect to the "
           "game.\n"
           "\n"
           "If you're already in the plane using FS2002 or FS2004, start the above instructions "
           "by clicking the \"Flights\" menu and selecting \"Multiplayer\" and then \"Connect\". "
           "(Press the Alt key if you don't see the Flights menu)";
}

}  // namespace perivant
