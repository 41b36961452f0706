#pragma once

#include <cstddef>
#include <string>

#include "polling/ServerInfo.h"

namespace perivant {

class MarkupDocument;

// Reading a Corvane status page into a record, in the order the status query needs: the server
// fields and session GUIDs first (so the session can be checked before the ping), then the
// players and flight plans.
class StatusPage {
public:
    // A page with more tags ("<") than this is refused before it is parsed. The reader's element
    // table costs some 28 bytes an element, so a body of bare tags up to the client's cap would
    // cost twenty times its size on every worker; real pages hold a few thousand tags.
    static constexpr size_t kMaxTags = 100000;
    // Players and flight plans read from one page at most. A record keeps some 400 bytes for
    // each, for as long as it is listed, however few bytes the page spent on it.
    static constexpr size_t kMaxListEntries = 1000;

    // Loads the page and makes its Corvane root current. False for a page that is not one.
    static bool Open(MarkupDocument& document, const std::string& body);

    // Reads the server's own fields, sets the derived flags and, from the expected GUIDs, which
    // games it hosts; then reads the session GUIDs by host version. SessionGUID2004 keeps its
    // earlier value on hosts older than version 3.
    static void ReadServerFields(MarkupDocument& document, ServerInfo& info,
                                 int installedDirectXVersion, const std::string& expectedGUID2002,
                                 const std::string& expectedGUID2004);

    // True when the server reports another session than the one expected.
    static bool ReportsWrongSession(const ServerInfo& info, const std::string& expectedGUID2002,
                                    const std::string& expectedGUID2004);

    // Appends the players, then the flight plans (looked for after the players element), at most
    // kMaxListEntries of each.
    static void ReadPlayersAndFlightPlans(MarkupDocument& document, ServerInfo& info);
};

}  // namespace perivant
