#include "polling/StatusPage.h"

#include <algorithm>

#include "polling/DecodeFieldText.h"
#include "text/CaseCompare.h"
#include "text/IntegerValue.h"
#include "text/MarkupDocument.h"

namespace perivant {

bool StatusPage::Open(MarkupDocument& document, const std::string& body) {
    if (static_cast<size_t>(std::count(body.begin(), body.end(), '<')) > kMaxTags) {
        return false;
    }
    return document.Load(std::string_view(body)) && document.FindNext("Corvane");
}

void StatusPage::ReadServerFields(MarkupDocument& document, ServerInfo& info,
                                  int installedDirectXVersion, const std::string& expectedGUID2002,
                                  const std::string& expectedGUID2004) {
    // All fields of the page share one scanning budget for their references.
    size_t scanBudget = kReferenceScanBudget;
    auto field = [&](const char* name) { return DecodeFieldText(document, name, scanBudget); };
    info.ServerName = TrimBlanks(field("ServerName"));
    info.ServerURL = field("ServerURL");
    info.Version = field("Version");
    info.DirectXVersionRequired = field("DirectXVersionRequired");
    info.DirectXTooOld = installedDirectXVersion < IntegerValue(info.DirectXVersionRequired);
    info.SessionName = TrimBlanks(field("SessionName"));
    info.PasswordRequiredText = field("PasswordRequired");
    info.PasswordRequired = EqualsNoCase(info.PasswordRequiredText, "Required");
    info.CurrentPilots = field("CurrentPilots");
    info.MaxPilots = field("MaxPilots");
    info.MaxPilotsUnlimited = EqualsNoCase(info.MaxPilots, "unlimited");
    info.CurrentObservers = field("CurrentObservers");
    info.MaxObservers = field("MaxObservers");
    info.MaxObserversUnlimited = EqualsNoCase(info.MaxObservers, "unlimited");
    info.SessionComments = field("SessionComments");

    info.HostsFS2002 = HostsSession(expectedGUID2002);
    info.HostsFS2004 = HostsSession(expectedGUID2004);

    if (IntegerValue(info.Version) >= 3) {
        info.SessionGUID = field("SessionGUID2002");
        info.SessionGUID2004 = field("SessionGUID2004");
    } else {
        info.SessionGUID = field("SessionGUID");
    }
}

bool StatusPage::ReportsWrongSession(const ServerInfo& info, const std::string& expectedGUID2002,
                                     const std::string& expectedGUID2004) {
    if (info.HostsFS2002 && !EqualsNoCase(info.SessionGUID, expectedGUID2002)) {
        return true;
    }
    return info.HostsFS2004 && !EqualsNoCase(info.SessionGUID2004, expectedGUID2004);
}

void StatusPage::ReadPlayersAndFlightPlans(MarkupDocument& document, ServerInfo& info) {
    // However many players and plans a page spreads its references over, they share one budget.
    size_t scanBudget = kReferenceScanBudget;
    auto field = [&](const char* name) { return DecodeFieldText(document, name, scanBudget); };
    if (document.FindNextChild("Players") && document.EnterChild()) {
        while (info.Players.size() < kMaxListEntries && document.FindNextChild("Player")) {
            document.EnterChild();
            PlayerInfo& player = info.Players.emplace_back();
            player.Name = field("Name");
            player.GameVersion = field("GameVersion");
            player.Type = field("Type");
            player.Aircraft = field("Aircraft");
            player.ConnectTime = field("ConnectTime");
            player.NearAirport = field("NearAirport");
            player.Altitude = field("Altitude");
            player.Heading = field("Heading");
            player.Speed = field("Speed");
            player.Hop = field("Hop");
            player.DXVersion = field("DXVersion");
            player.Status = field("Status");
            document.LeaveElement();
        }
        document.LeaveElement();
    }
    if (document.FindNextChild("FlightPlans") && document.EnterChild()) {
        while (info.FlightPlans.size() < kMaxListEntries && document.FindNextChild("FlightPlan")) {
            document.EnterChild();
            FlightPlanInfo& plan = info.FlightPlans.emplace_back();
            plan.PlayerName = field("PlayerName");
            plan.Plan = field("Plan");
            plan.StatusText = field("StatusText");
            plan.TimeFiledText = field("TimeFiledText");
            plan.TimeOpenedText = field("TimeOpenedText");
            plan.TimeClosedText = field("TimeClosedText");
            plan.OpenTimeText = field("OpenTimeText");
            document.LeaveElement();
        }
        document.LeaveElement();
    }
}

}  // namespace perivant
