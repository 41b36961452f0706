// Turns any text into a server record the way a status query does once its page has arrived:
// open the page, read the server's fields, check the session, read players and flight plans.
//
// Input: one byte of query parameters, then the page. Bits 0-3 of the first byte are the
// installed DirectX version; bits 4-5 and 6-7 pick the expected FS2002 and FS2004 session GUIDs.

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "polling/DecodeFieldText.h"
#include "polling/ServerInfo.h"
#include "polling/StatusPage.h"
#include "text/CaseCompare.h"
#include "text/IntegerValue.h"
#include "text/MarkupDocument.h"
#include "text/Trace.h"

using namespace perivant;

namespace {

// The seeds' sessions are written with this GUID; the lower-case form must match it too.
const char* const kExpectedGuids[4] = {
    "",
    kNullGuid,
    "6B29FC40-CA47-1067-B31D-00-DD-01-06-62-DA-00-01",
    "6b29fc40-ca47-1067-b31d-00-dd-01-06-62-da-00-01",
};

constexpr const char* kBlanks = " \t\r\n\v\f";

bool Trimmed(const std::string& text) {
    return text.empty() || (std::string_view(kBlanks).find(text.front()) == std::string::npos &&
                            std::string_view(kBlanks).find(text.back()) == std::string::npos);
}

// Every field a record takes from the page, read again in reverse order: each lookup rewinds, so
// the order of reading must not change what is read.
void CheckOrderIndependence(MarkupDocument& document, const ServerInfo& info) {
    const bool v3 = IntegerValue(info.Version) >= 3;
    if (v3) {
        FUZZ_CHECK(DecodeFieldText(document, "SessionGUID2004") == info.SessionGUID2004);
        FUZZ_CHECK(DecodeFieldText(document, "SessionGUID2002") == info.SessionGUID);
    } else {
        FUZZ_CHECK(DecodeFieldText(document, "SessionGUID") == info.SessionGUID);
    }
    FUZZ_CHECK(DecodeFieldText(document, "SessionComments") == info.SessionComments);
    FUZZ_CHECK(DecodeFieldText(document, "MaxObservers") == info.MaxObservers);
    FUZZ_CHECK(DecodeFieldText(document, "CurrentObservers") == info.CurrentObservers);
    FUZZ_CHECK(DecodeFieldText(document, "MaxPilots") == info.MaxPilots);
    FUZZ_CHECK(DecodeFieldText(document, "CurrentPilots") == info.CurrentPilots);
    FUZZ_CHECK(DecodeFieldText(document, "PasswordRequired") == info.PasswordRequiredText);
    FUZZ_CHECK(TrimBlanks(DecodeFieldText(document, "SessionName")) == info.SessionName);
    FUZZ_CHECK(DecodeFieldText(document, "DirectXVersionRequired") == info.DirectXVersionRequired);
    FUZZ_CHECK(DecodeFieldText(document, "Version") == info.Version);
    FUZZ_CHECK(DecodeFieldText(document, "ServerURL") == info.ServerURL);
    FUZZ_CHECK(TrimBlanks(DecodeFieldText(document, "ServerName")) == info.ServerName);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetTraceSink([](int, const std::string&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const int installedDirectX = data[0] & 0x0F;
    const std::string expected2002 = kExpectedGuids[(data[0] >> 4) & 3];
    const std::string expected2004 = kExpectedGuids[(data[0] >> 6) & 3];
    const std::string body(reinterpret_cast<const char*>(data) + 1, size - 1);

    MarkupDocument document;
    if (!StatusPage::Open(document, body)) {
        return 0;
    }
    // A re-query starts from the listed record: an old host keeps the FS2004 GUID it had.
    ServerInfo info;
    info.SessionGUID2004 = "kept";
    StatusPage::ReadServerFields(document, info, installedDirectX, expected2002, expected2004);

    FUZZ_CHECK(Trimmed(info.ServerName) && Trimmed(info.SessionName));
    FUZZ_CHECK(info.HostsFS2002 == HostsSession(expected2002));
    FUZZ_CHECK(info.HostsFS2004 == HostsSession(expected2004));
    if (IntegerValue(info.Version) < 3) {
        FUZZ_CHECK(info.SessionGUID2004 == "kept");
    }
    FUZZ_CHECK(info.DirectXTooOld ==
               (installedDirectX < IntegerValue(info.DirectXVersionRequired)));
    // Decoding never lengthens a text, so no field outgrows the page.
    for (const std::string* field : {&info.ServerName, &info.ServerURL, &info.SessionName,
                                     &info.SessionComments, &info.SessionGUID}) {
        FUZZ_CHECK(field->size() <= body.size());
    }
    // The server's own GUIDs always match themselves, in any capitals.
    FUZZ_CHECK(!StatusPage::ReportsWrongSession(info, info.SessionGUID, info.SessionGUID2004));
    if (!info.HostsFS2002 && !info.HostsFS2004) {
        FUZZ_CHECK(!StatusPage::ReportsWrongSession(info, expected2002, expected2004));
    }
    CheckOrderIndependence(document, info);

    if (StatusPage::ReportsWrongSession(info, expected2002, expected2004)) {
        return 0;  // the query drops the record here
    }
    StatusPage::ReadPlayersAndFlightPlans(document, info);
    // Every player and plan is an element of its own, and the reading ends back on the root.
    const size_t elements = static_cast<size_t>(document.NextFreeIndex() - 1);
    FUZZ_CHECK(info.Players.size() + info.FlightPlans.size() < elements);
    FUZZ_CHECK(!document.LeaveElement());
    document.RewindChildren();
    FUZZ_CHECK(DecodeFieldText(document, "ServerURL") == info.ServerURL);
    for (const PlayerInfo& player : info.Players) {
        FUZZ_CHECK(player.Name.size() + player.Type.size() <= body.size());
    }
    for (const FlightPlanInfo& plan : info.FlightPlans) {
        FUZZ_CHECK(plan.PlayerName.size() + plan.Plan.size() <= body.size());
    }
    return 0;
}
