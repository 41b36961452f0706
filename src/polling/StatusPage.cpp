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
    info.ServerName = TrimBlanks(DecodeFieldText(document, "ServerName"));
    info.ServerURL = DecodeFieldText(document, "ServerURL");
    info.Version = DecodeFieldText(document, "Version");
    info.DirectXVersionRequired = DecodeFieldText(document, "DirectXVersionRequired");
    info.DirectXTooOld = installedDirectXVersion < IntegerValue(info.DirectXVersionRequired);
    info.SessionName = TrimBlanks(DecodeFieldText(document, "SessionName"));
    info.PasswordRequiredText = DecodeFieldText(document, "PasswordRequired");
    info.PasswordRequired = EqualsNoCase(info.PasswordRequiredText, "Required");
    info.CurrentPilots = DecodeFieldText(document, "CurrentPilots");
    info.MaxPilots = DecodeFieldText(document, "MaxPilots");
    info.MaxPilotsUnlimited = EqualsNoCase(info.MaxPilots, "unlimited");
    info.CurrentObservers = DecodeFieldText(document, "CurrentObservers");
    info.MaxObservers = DecodeFieldText(document, "MaxObservers");
    info.MaxObserversUnlimited = EqualsNoCase(info.MaxObservers, "unlimited");
    info.SessionComments = DecodeFieldText(document, "SessionComments");

    info.HostsFS2002 = HostsSession(expectedGUID2002);
    info.HostsFS2004 = HostsSession(expectedGUID2004);

    if (IntegerValue(info.Version) >= 3) {
        info.SessionGUID = DecodeFieldText(document, "SessionGUID2002");
        info.SessionGUID2004 = DecodeFieldText(document, "SessionGUID2004");
    } else {
        info.SessionGUID = DecodeFieldText(document, "SessionGUID");
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
    if (document.FindNextChild("Players") && document.EnterChild()) {
        while (info.Players.size() < kMaxListEntries && document.FindNextChild("Player")) {
            document.EnterChild();
            PlayerInfo& player = info.Players.emplace_back();
            player.Name = DecodeFieldText(document, "Name");
            player.GameVersion = DecodeFieldText(document, "GameVersion");
            player.Type = DecodeFieldText(document, "Type");
            player.Aircraft = DecodeFieldText(document, "Aircraft");
            player.ConnectTime = DecodeFieldText(document, "ConnectTime");
            player.NearAirport = DecodeFieldText(document, "NearAirport");
            player.Altitude = DecodeFieldText(document, "Altitude");
            player.Heading = DecodeFieldText(document, "Heading");
            player.Speed = DecodeFieldText(document, "Speed");
            player.Hop = DecodeFieldText(document, "Hop");
            player.DXVersion = DecodeFieldText(document, "DXVersion");
            player.Status = DecodeFieldText(document, "Status");
            document.LeaveElement();
        }
        document.LeaveElement();
    }
    if (document.FindNextChild("FlightPlans") && document.EnterChild()) {
        while (info.FlightPlans.size() < kMaxListEntries && document.FindNextChild("FlightPlan")) {
            document.EnterChild();
            FlightPlanInfo& plan = info.FlightPlans.emplace_back();
            plan.PlayerName = DecodeFieldText(document, "PlayerName");
            plan.Plan = DecodeFieldText(document, "Plan");
            plan.StatusText = DecodeFieldText(document, "StatusText");
            plan.TimeFiledText = DecodeFieldText(document, "TimeFiledText");
            plan.TimeOpenedText = DecodeFieldText(document, "TimeOpenedText");
            plan.TimeClosedText = DecodeFieldText(document, "TimeClosedText");
            plan.OpenTimeText = DecodeFieldText(document, "OpenTimeText");
            document.LeaveElement();
        }
        document.LeaveElement();
    }
}

}  // namespace perivant
