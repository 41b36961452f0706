#include "HostModel.h"

#include <cctype>
#include <cstdio>
#include <string_view>

#include "Rng.h"

namespace corvanelab {

const std::array<const char*, 12> kPlayerFields{
    "Name",     "GameVersion", "Type",  "Aircraft", "ConnectTime", "NearAirport",
    "Altitude", "Heading",     "Speed", "Hop",      "DXVersion",   "Status"};
const std::array<const char*, 7> kFlightPlanFields{
    "PlayerName",     "Plan",           "StatusText",  "TimeFiledText",
    "TimeOpenedText", "TimeClosedText", "OpenTimeText"};

namespace {

constexpr std::array<const char*, 15> kRegions{
    "Nordic", "Alpine",  "Pacific",  "Atlantic", "Desert",  "Coastal",       "Highland", "Baltic",
    "Canyon", "Prairie", "Tropical", "Arctic",   "Midwest", "Mediterranean", "Sierra"};
constexpr std::array<const char*, 10> kKinds{
    "Wings",       "Flyers",       "Airways",      "Squadron",  "Aero Club",
    "Virtual Air", "Flight Group", "Soaring Club", "Air Cargo", "Heavy Iron"};
constexpr std::array<const char*, 12> kPersons{"Pete", "Anna", "Jens", "Maria", "Oskar", "Lucy",
                                               "Tom",  "Ines", "Karl", "Sofia", "Ravi",  "Mei"};
constexpr std::array<const char*, 6> kPlaces{"Hangar",  "Airfield", "Flight Deck",
                                             "Cockpit", "Tower",    "Strip"};
constexpr std::array<const char*, 5> kTags{"EU", "US", "VA", "IFR", "VFR"};
constexpr std::array<const char*, 10> kEvents{
    "Friday Night Flight", "Heavy Metal Tour", "Bush Flying", "Island Hopping",     "Night VFR",
    "Airline Ops",         "Fly-In",           "Glider Meet", "Formation Practice", "Cargo Run"};
constexpr std::array<const char*, 18> kAirports{"EGLL", "LFPG", "EDDF", "KSEA", "KPDX", "KJFK",
                                                "KBOS", "LOWI", "LSZH", "EHAM", "PANC", "PHNL",
                                                "YSSY", "NZAA", "CYVR", "ESSA", "ENGM", "LEMD"};
constexpr std::array<const char*, 9> kAircraft{
    "Boeing 737-400", "Cessna Skyhawk 172SP", "Beech Baron 58",
    "Airbus A321",    "Learjet 45",           "Mooney Bravo",
    "Piper J-3 Cub",  "Boeing 747-400",       "de Havilland Beaver DHC2"};
constexpr std::array<const char*, 4> kGameVersions{"FS2002", "FS2004", "FS2004 9.1", "FSX"};
constexpr std::array<const char*, 5> kStatuses{"Flying", "On ground", "Paused", "Slewing",
                                               "Taxiing"};
constexpr std::array<const char*, 3> kDxVersions{"8.1", "9.0b", "9.0c"};

std::string Format(const char* format, unsigned long long a, unsigned long long b = 0) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, a, b);
    return buffer;
}

std::string Clock(Rng& rng) {
    return Format("%02llu:%02lluz", rng.Below(24), rng.Below(60));
}

std::string Duration(Rng& rng) {
    return Format("%llu:%02llu", rng.Below(5), rng.Below(60));
}

std::string MakeGuid(Rng& rng) {
    std::uint64_t a = rng.Next();
    std::uint64_t b = rng.Next();
    char text[48];
    std::snprintf(text, sizeof text, "%08X-%04X-%04X", static_cast<unsigned>(a >> 32),
                  static_cast<unsigned>((a >> 16) & 0xFFFF), static_cast<unsigned>(a & 0xFFFF));
    std::string guid = text;
    for (int shift = 56; shift >= 0; shift -= 8) {
        std::snprintf(text, sizeof text, "-%02X", static_cast<unsigned>((b >> shift) & 0xFF));
        guid += text;
    }
    return guid;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// Mixed letter case: every other hex letter in lower case.
std::string Mixed(std::string text) {
    bool lower = false;
    for (char& c : text) {
        if (std::isalpha(static_cast<unsigned char>(c))) {
            if (lower) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            lower = !lower;
        }
    }
    return text;
}

FieldText PlainText(std::string_view text) {
    return FieldBuilder().Plain(text).Done();
}

// bare receives the name without the padding some hosts put around it.
FieldText MakeServerName(Rng& rng, FieldText& bare) {
    const char* region = rng.Pick(kRegions);
    const char* kind = rng.Pick(kKinds);
    FieldBuilder b;
    switch (rng.Below(11)) {
        case 0:
            b.Plain(rng.Pick(kPersons)).Escaped3(39).Plain("s ").Plain(rng.Pick(kPlaces));
            break;
        case 1:
            b.Plain(region).Plain(" Fly & Chat");
            break;
        case 2:
            b.Plain("<").Plain(rng.Pick(kTags)).Plain("> ").Plain(region).Plain(" ").Plain(kind);
            break;
        case 3:
            b.Plain(Format("%llu", rng.Below(36) * 10)).Degree().Plain(" ").Plain(kind);
            break;
        case 4:
            b.Plain("A").Numeric(233).Plain("ro Club ").Plain(region);
            break;
        case 5:
            b.Plain(region).Plain(" ").Plain(kind).Plain(" ").DoubleEscaped('&').Plain(" Friends");
            break;
        case 6:
            b.Plain(rng.Pick(kPersons)).Apos().Plain("s ").Plain(rng.Pick(kPlaces));
            break;
        case 7:
            b.Plain(region).Escaped3(32).Plain(kind);
            break;
        case 8:
            b.DoubleEscaped('"').Plain(region).DoubleEscaped('"').Plain(" ").Plain(kind);
            break;
        default:
            b.Plain(region).Plain(" ").Plain(kind);
    }
    if (rng.Percent(25)) {
        b.Plain(Format(" #%llu", rng.Between(2, 9)));
    }
    FieldText text = b.Done();
    bare = text;
    // Some hosts pad the name, some write it on a line of its own.
    switch (rng.Below(6)) {
        case 0:
            text = {"  " + text.xml + "   ", "  " + text.decoded + "   "};
            break;
        case 1:
            text = {"\n    " + text.xml + "\n  ", "\n    " + text.decoded + "\n  "};
            break;
        case 2:
            text = {"&amp;#032;" + text.xml + "\t", " " + text.decoded + "\t"};
            break;
        default:
            break;
    }
    return text;
}

FieldText MakeSessionName(Rng& rng) {
    const char* event = rng.Pick(kEvents);
    const char* from = rng.Pick(kAirports);
    const char* to = rng.Pick(kAirports);
    FieldBuilder b;
    switch (rng.Below(9)) {
        case 0:
            b.Plain(event).Plain(" ").DoubleEscaped('&').Plain(" Chat");
            break;
        case 1:
            b.Plain(from).Plain(" to ").Plain(to).Plain(" <IFR>");
            break;
        case 2:
            b.Plain("Heading 270").Degree(rng.Percent(50)).Plain(" ").Plain(event);
            break;
        case 3:
            b.Plain(rng.Pick(kPersons)).Escaped3(39).Plain("s ").Plain(event);
            break;
        case 4:
            b.Plain(event).Escaped3(32).Plain(from);
            break;
        case 5:
            b.Plain(event).Plain(" ").TripleEscapedLess().Plain("beta").DoubleEscaped('>');
            break;
        case 6:
            // A two-digit reference stops the decoding of the later three-digit one.
            b.Plain(event).Plain(" at ").Plain(rng.Pick(kPersons)).Escaped2(39).Plain("s and ");
            b.Plain(rng.Pick(kPersons)).Escaped3(39).Plain("s");
            break;
        case 7:
            b.Plain(event).Plain(" ").Escaped3(321).Plain(" ").Plain(from);
            break;
        default:
            b.Plain(event).Plain(" ").Plain(from).Plain("-").Plain(to);
    }
    FieldText text = b.Done();
    if (rng.Percent(20)) {
        text = {" " + text.xml + "  ", " " + text.decoded + "  "};
    }
    return text;
}

FieldText MakeComments(Rng& rng, const FieldText& serverName, bool& cdata) {
    cdata = rng.Percent(10);
    if (cdata) {
        std::string body = "Welcome!\nRules: be nice <really> & fly safe.\nTS: 127.0.0.1:8767";
        return {"<![CDATA[" + body + "]]>", body};
    }
    FieldBuilder b;
    b.Plain("Welcome to ").Raw(serverName.xml, serverName.decoded).Plain("!\n");
    b.Plain("Please be polite on the frequency.\n");
    if (rng.Percent(50)) {
        b.Plain("ATC on 122.8 ").DoubleEscaped('&').Plain(" voice on TeamSpeak.\n");
    }
    b.Plain("OAT 15").Degree().Plain("C, wind 270").Degree().Plain(" at 8 kts\n");
    if (rng.Percent(40)) {
        b.Plain("Don").Escaped3(39).Plain("t forget: no <slew> during the event & have fun");
    } else {
        b.Plain("Next event: ").Plain(rng.Pick(kEvents));
    }
    return b.Done();
}

PlayerModel MakePlayer(Rng& rng, std::size_t number, std::string& type) {
    PlayerModel p;
    unsigned roll = static_cast<unsigned>(rng.Below(100));
    type = number == 0 && roll < 30 ? "Host"
           : roll < 60              ? "Pilot"
           : roll < 75              ? "Observer"
           : roll < 90              ? "FSNavigator"
                                    : "Pilot";
    FieldBuilder name;
    std::string suffix = std::to_string(number + 1);
    switch (rng.Below(6)) {
        case 0:
            name.Plain("O").Escaped3(39).Plain("Brien").Plain(suffix);
            break;
        case 1:
            name.Plain("M").Numeric(252).Plain("ller").Plain(suffix);
            break;
        default:
            name.Plain(rng.Pick(kPersons)).Plain(suffix);
    }
    p.fields[0] = name.Done();
    p.fields[1] = PlainText(rng.Pick(kGameVersions));
    p.fields[2] = PlainText(type);
    bool observer = type == "Observer";
    p.fields[3] = PlainText(observer ? "" : rng.Pick(kAircraft));
    p.fields[4] = PlainText(Duration(rng));
    p.fields[5] = PlainText(observer ? "" : rng.Pick(kAirports));
    p.fields[6] = PlainText(Format("%llu ft", rng.Below(40) * 1000));
    p.fields[7] = FieldBuilder().Plain(Format("%03llu", rng.Below(360))).Degree().Done();
    p.fields[8] = PlainText(Format("%llu kts", rng.Below(480)));
    p.fields[9] = PlainText(Format("%llu", rng.Below(4)));
    p.fields[10] = PlainText(rng.Pick(kDxVersions));
    p.fields[11] = PlainText(observer ? "Observing" : rng.Pick(kStatuses));
    return p;
}

FlightPlanModel MakePlan(Rng& rng, const HostModel& host) {
    FlightPlanModel f;
    if (!host.players.empty() && rng.Percent(80)) {
        f.fields[0] = host.players[rng.Below(host.players.size())].fields[0];
    } else {
        f.fields[0] = PlainText(std::string(rng.Pick(kPersons)) + " (left)");
    }
    std::string from = rng.Pick(kAirports);
    std::string to = rng.Pick(kAirports);
    f.fields[1] =
        rng.Percent(50)
            ? PlainText(from + "-" + to)
            : PlainText(from + " DCT " + to + " FL" + Format("%03llu", rng.Between(5, 39) * 10));
    static constexpr std::array<const char*, 3> kStates{"Filed", "Open", "Closed"};
    std::string state = rng.Pick(kStates);
    f.fields[2] = PlainText(state);
    f.fields[3] = PlainText(Clock(rng));
    f.fields[4] = PlainText(state == "Filed" ? "" : Clock(rng));
    f.fields[5] = PlainText(state == "Closed" ? Clock(rng) : "");
    f.fields[6] = PlainText(state == "Filed" ? "" : Duration(rng));
    return f;
}

}  // namespace

HostModel BuildHostModel(const LabOptions& options, std::size_t index, const std::string& address,
                         std::uint16_t port, Fault fault) {
    Rng rng = Rng::ForStream(options.seed, 0x40570000ULL + index);
    HostModel h;
    h.index = index;
    h.address = address;
    h.port = port;
    h.fault = fault;

    FieldText bareName;
    h.serverName = MakeServerName(rng, bareName);
    h.serverUrl =
        rng.Percent(60)
            ? (rng.Percent(50)
                   ? FieldBuilder()
                         .Plain("http://club" + std::to_string(index) +
                                ".perivant.example/?page=1&lang=en")
                         .Done()
                   : PlainText("http://club" + std::to_string(index) + ".perivant.example/"))
            : FieldText{};
    static constexpr std::array<const char*, 4> kLegacy{"2.0", "2.5", "2.5", "2.6"};
    static constexpr std::array<const char*, 5> kModern{"3.0", "3.1", "3.1", "3.2", "3.5"};
    h.legacy = rng.Percent(25);
    h.version = PlainText(h.legacy ? rng.Pick(kLegacy) : rng.Pick(kModern));
    static constexpr std::array<const char*, 6> kDx{"8", "9", "9", "9.0c", "", "9"};
    h.directXRequired = PlainText(h.legacy ? "8" : rng.Pick(kDx));
    h.sessionName = MakeSessionName(rng);
    static constexpr std::array<const char*, 4> kPassword{"Required", "Not required",
                                                          "Not required", "required"};
    h.password = PlainText(rng.Pick(kPassword));
    static constexpr std::array<const char*, 6> kMax{"8",         "16",        "32",
                                                     "unlimited", "Unlimited", "64"};
    h.maxPilots = PlainText(rng.Pick(kMax));
    h.maxObservers = PlainText(rng.Pick(kMax));

    // Games: old hosts only run FS2002 sessions; a few hosts have no session at all.
    bool hosts2002 = false;
    bool hosts2004 = false;
    unsigned games = static_cast<unsigned>(rng.Below(100));
    if (h.legacy) {
        hosts2002 = games >= 5;
    } else {
        hosts2002 = games < 45 || (games >= 75 && games < 95);
        hosts2004 = games < 75;
    }
    std::string guid2002 = MakeGuid(rng);
    std::string guid2004 = MakeGuid(rng);
    if (rng.Percent(10)) {
        guid2002 = Lower(guid2002);
        guid2004 = Lower(guid2004);
    }
    h.pageGuid2002 = hosts2002 ? guid2002 : kNullGuid;
    h.pageGuid2004 = hosts2004 ? guid2004 : kNullGuid;
    auto listed = [&rng](bool hosted, const std::string& guid) -> std::string {
        unsigned form = static_cast<unsigned>(rng.Below(100));
        if (!hosted) {
            return form < 50 ? "" : kNullGuid;
        }
        return form < 60 ? guid : form < 85 ? Lower(guid) : form < 95 ? Mixed(guid) : guid;
    };
    h.masterGuid2002 = listed(hosts2002, h.pageGuid2002);
    h.masterGuid2004 = listed(hosts2004, h.pageGuid2004);
    if (fault == Fault::WrongGuid) {
        // The page reports another session than the Master Server lists for a hosted game.
        std::string other = MakeGuid(rng);
        if (!hosts2002 && !hosts2004) {
            h.masterGuid2002 = guid2002;
            h.pageGuid2002 = other;
        } else if (hosts2002) {
            h.pageGuid2002 = other;
        } else {
            h.pageGuid2004 = other;
        }
    }

    std::size_t playerCount = rng.Between(options.players.low, options.players.high);
    std::size_t pilots = 0;
    std::size_t observers = 0;
    for (std::size_t i = 0; i < playerCount; ++i) {
        std::string type;
        h.players.push_back(MakePlayer(rng, i, type));
        if (type == "Observer") {
            ++observers;
        } else {
            ++pilots;
        }
        if (type == "FSNavigator") {
            ++h.fsNavigatorCount;
        }
    }
    h.currentPilots = PlainText(std::to_string(pilots));
    h.currentObservers = PlainText(std::to_string(observers));
    std::size_t planCount = rng.Between(options.flightPlans.low, options.flightPlans.high);
    for (std::size_t i = 0; i < planCount; ++i) {
        h.plans.push_back(MakePlan(rng, h));
    }
    h.comments = MakeComments(rng, bareName, h.commentsCdata);

    h.shuffleFields = rng.Percent(30);
    h.shufflePlayerFields = rng.Percent(20);
    h.omitEmptyLists = rng.Percent(50);
    h.extraElements = rng.Percent(30);
    h.crlf = rng.Percent(20);
    h.layoutSeed = rng.Next();
    return h;
}

std::string ManifestHeader() {
    return "#address\tport\tfault\tServerName\tSessionName\tVersion\tPlayerCount"
           "\tFlightPlanCount\tGUID2002\tGUID2004\tHostsFS2002\tHostsFS2004"
           "\tPasswordRequiredText\tCurrentPilots\tMaxPilots\tCurrentObservers\tMaxObservers"
           "\tDirectXVersionRequired\tServerURL\tFSNavigatorCount\n";
}

std::string ManifestLine(const HostModel& h) {
    auto hosts = [](const std::string& guid) {
        return guid.empty() || guid == kNullGuid ? "0" : "1";
    };
    bool ok = h.fault == Fault::Ok;
    std::string line = h.address + "\t" + std::to_string(h.port) + "\t" + FaultName(h.fault);
    auto add = [&line](const std::string& value) { line += "\t" + value; };
    add(ok ? TrimBlanks(h.serverName.decoded) : "");
    add(ok ? TrimBlanks(h.sessionName.decoded) : "");
    add(ok ? h.version.decoded : "");
    add(ok ? std::to_string(h.players.size()) : "");
    add(ok ? std::to_string(h.plans.size()) : "");
    add(h.masterGuid2002);
    add(h.masterGuid2004);
    add(hosts(h.masterGuid2002));
    add(hosts(h.masterGuid2004));
    add(ok ? h.password.decoded : "");
    add(ok ? h.currentPilots.decoded : "");
    add(ok ? h.maxPilots.decoded : "");
    add(ok ? h.currentObservers.decoded : "");
    add(ok ? h.maxObservers.decoded : "");
    add(ok ? h.directXRequired.decoded : "");
    add(ok ? h.serverUrl.decoded : "");
    add(ok ? std::to_string(h.fsNavigatorCount) : "");
    line += "\n";
    return line;
}

}  // namespace corvanelab
