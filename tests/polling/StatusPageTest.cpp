#include "polling/StatusPage.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "text/MarkupDocument.h"

using namespace perivant;

namespace {

const std::string kGuidA = "6F9619FF-8B86-D011-B4-2D-00-C0-4F-C9-64-FF";
const std::string kGuidB = "0A1B2C3D-4E5F-6071-82-93-A4-B5-C6-D7-E8-F9";

struct Parsed {
    bool opened = false;
    bool wrongSession = false;
    ServerInfo info;
};

Parsed Parse(const std::string& body, const std::string& guid2002, const std::string& guid2004,
             int installedDx = 9, ServerInfo start = {}) {
    Parsed out;
    out.info = std::move(start);
    MarkupDocument doc;
    out.opened = StatusPage::Open(doc, body);
    if (out.opened) {
        StatusPage::ReadServerFields(doc, out.info, installedDx, guid2002, guid2004);
        out.wrongSession = StatusPage::ReportsWrongSession(out.info, guid2002, guid2004);
        StatusPage::ReadPlayersAndFlightPlans(doc, out.info);
    }
    return out;
}

std::string Player(const std::string& name, const std::string& type = "FS2004") {
    return "<Player><Type>" + type + "</Type><Name>" + name + "</Name></Player>";
}

std::string Plan(const std::string& pilot, const std::string& status) {
    return "<FlightPlan><StatusText>" + status + "</StatusText><PlayerName>" + pilot +
           "</PlayerName></FlightPlan>";
}

}  // namespace

TEST(StatusPage, ReadsEveryServerFieldWithDerivedFlags) {
    Parsed p = Parse(
        "<?xml version='1.0'?><Corvane>"
        "<ServerName>  Alpha&amp;#039;s Hub </ServerName><ServerURL>http://alpha.test/</ServerURL>"
        "<Version>3.1</Version><DirectXVersionRequired>9.0c</DirectXVersionRequired>"
        "<SessionName>\tEvening flight\n</SessionName><PasswordRequired>rEqUiReD</PasswordRequired>"
        "<CurrentPilots>4</CurrentPilots><MaxPilots>UNLIMITED</MaxPilots>"
        "<CurrentObservers>1</CurrentObservers><MaxObservers>0</MaxObservers>"
        "<SessionComments>line one\nline two</SessionComments>"
        "<SessionGUID2002>" +
            kGuidA + "</SessionGUID2002><SessionGUID2004>" + kGuidB +
            "</SessionGUID2004></Corvane>",
        kGuidA, kGuidB, 8);
    ASSERT_TRUE(p.opened);
    const ServerInfo& s = p.info;
    EXPECT_EQ(s.ServerName, "Alpha's Hub");
    EXPECT_EQ(s.ServerURL, "http://alpha.test/");
    EXPECT_EQ(s.SessionName, "Evening flight");
    EXPECT_TRUE(s.PasswordRequired);
    EXPECT_EQ(s.PasswordRequiredText, "rEqUiReD");
    EXPECT_TRUE(s.MaxPilotsUnlimited);
    EXPECT_FALSE(s.MaxObserversUnlimited);
    EXPECT_EQ(s.SessionComments, "line one\nline two");
    EXPECT_TRUE(s.DirectXTooOld) << "9.0c counts as 9, above the installed 8";
    EXPECT_TRUE(s.HostsFS2002);
    EXPECT_TRUE(s.HostsFS2004);
    EXPECT_EQ(s.SessionGUID, kGuidA);
    EXPECT_EQ(s.SessionGUID2004, kGuidB);
    EXPECT_FALSE(p.wrongSession);

    EXPECT_FALSE(
        Parse("<Corvane><DirectXVersionRequired>9</DirectXVersionRequired></Corvane>", "", "", 9)
            .info.DirectXTooOld);
    EXPECT_FALSE(
        Parse("<Corvane><DirectXVersionRequired></DirectXVersionRequired></Corvane>", "", "", 0)
            .info.DirectXTooOld);
    Parsed bare = Parse("<Corvane/>", "", "");
    EXPECT_TRUE(bare.opened);
    EXPECT_FALSE(bare.info.PasswordRequired);
    EXPECT_EQ(bare.info.PasswordRequiredText, "");
    EXPECT_FALSE(bare.info.HostsFS2002 || bare.info.HostsFS2004);
    EXPECT_FALSE(bare.wrongSession) << "nothing expected, nothing to fail";
}

TEST(StatusPage, PagesThatAreNotStatusPages) {
    EXPECT_FALSE(Parse("", "", "").opened);
    EXPECT_FALSE(Parse("<html><body>Not here</body></html>", "", "").opened);
    EXPECT_FALSE(Parse("<Corvane><ServerName>x</Corvane>", "", "").opened);
    EXPECT_FALSE(Parse("<corvane></corvane>", "", "").opened) << "the root name is exact";
}

TEST(StatusPage, SessionCheckByHostVersion) {
    // An old host reports one GUID; its FS2004 GUID is never read and stays as it was.
    std::string old = "<Corvane><Version>2.5</Version><SessionGUID>" + kGuidA +
                      "</SessionGUID><SessionGUID2004>" + kGuidB + "</SessionGUID2004></Corvane>";
    Parsed first = Parse(old, kGuidA, kGuidB);
    EXPECT_EQ(first.info.SessionGUID, kGuidA);
    EXPECT_EQ(first.info.SessionGUID2004, "");
    EXPECT_TRUE(first.wrongSession);

    ServerInfo listed;
    listed.SessionGUID2004 = kGuidB;
    Parsed requery = Parse(old, kGuidA, kGuidB, 9, listed);
    EXPECT_EQ(requery.info.SessionGUID2004, kGuidB);
    EXPECT_FALSE(requery.wrongSession);

    // Letter case of the hexadecimal digits does not matter; content does.
    std::string modern = "<Corvane><Version>3</Version><SessionGUID2002>" + kGuidA +
                         "</SessionGUID2002><SessionGUID>junk</SessionGUID></Corvane>";
    std::string lower = kGuidA;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    EXPECT_FALSE(Parse(modern, lower, "").wrongSession);
    EXPECT_TRUE(Parse(modern, kGuidB, "").wrongSession);
    EXPECT_FALSE(Parse(modern, kNullGuid, "").wrongSession) << "the null GUID expects nothing";
}

TEST(StatusPage, PlayersThenFlightPlansInDocumentOrder) {
    Parsed both = Parse("<Corvane><Players>" + Player("Ann") + Player("Nav", "FSNavigator") +
                            "</Players><FlightPlans>" + Plan("Ann", "Filed") + Plan("Bob", "Open") +
                            Plan("Cy", "Closed") + "</FlightPlans></Corvane>",
                        "", "");
    ASSERT_EQ(both.info.Players.size(), 2u);
    EXPECT_EQ(both.info.Players[0].Name, "Ann");
    EXPECT_EQ(both.info.Players[1].Type, "FSNavigator");
    ASSERT_EQ(both.info.FlightPlans.size(), 3u);
    EXPECT_EQ(both.info.FlightPlans[1].PlayerName, "Bob");
    EXPECT_EQ(both.info.FlightPlans[2].StatusText, "Closed");

    Parsed plansFirst =
        Parse("<Corvane><FlightPlans>" + Plan("Ann", "Filed") + "</FlightPlans><Players>" +
                  Player("Ann") + "</Players></Corvane>",
              "", "");
    EXPECT_EQ(plansFirst.info.Players.size(), 1u);
    EXPECT_TRUE(plansFirst.info.FlightPlans.empty()) << "plans are looked for after the players";

    Parsed noPlayers = Parse("<Corvane><ServerName>x</ServerName><FlightPlans>" +
                                 Plan("Ann", "Open") + "</FlightPlans></Corvane>",
                             "", "");
    EXPECT_EQ(noPlayers.info.FlightPlans.size(), 1u);

    Parsed empty = Parse("<Corvane><Players/><FlightPlans></FlightPlans></Corvane>", "", "");
    EXPECT_TRUE(empty.info.Players.empty());
    EXPECT_TRUE(empty.info.FlightPlans.empty());
}

TEST(StatusPage, HostilePagesCostNoMoreThanRealOnes) {
    // Tags are counted before parsing: the limit itself still loads, one more is refused.
    auto bareTags = [](size_t tags) {
        std::string page = "<Corvane>";
        for (size_t i = 2; i < tags; ++i) {
            page += "<a/>";
        }
        return page + "</Corvane>";
    };
    EXPECT_TRUE(Parse(bareTags(StatusPage::kMaxTags), "", "").opened);
    EXPECT_FALSE(Parse(bareTags(StatusPage::kMaxTags + 1), "", "").opened);

    // Past the list limit the players are skipped, and the flight plans are still found.
    std::string players;
    for (size_t i = 0; i < StatusPage::kMaxListEntries + 5; ++i) {
        players += Player("P" + std::to_string(i));
    }
    std::string plans;
    for (size_t i = 0; i < StatusPage::kMaxListEntries + 5; ++i) {
        plans += Plan("P" + std::to_string(i), "Open");
    }
    Parsed crowded = Parse("<Corvane><Players>" + players + "</Players><FlightPlans>" + plans +
                               "</FlightPlans></Corvane>",
                           "", "");
    ASSERT_EQ(crowded.info.Players.size(), StatusPage::kMaxListEntries);
    EXPECT_EQ(crowded.info.Players.back().Name,
              "P" + std::to_string(StatusPage::kMaxListEntries - 1));
    ASSERT_EQ(crowded.info.FlightPlans.size(), StatusPage::kMaxListEntries);
    EXPECT_EQ(crowded.info.FlightPlans.front().PlayerName, "P0");

    // Names of 100 KB, each with 100 distinct references (escaped once more for the markup):
    // decoding one rescans it 100 times.
    // The players share one scanning budget, so a page cannot multiply it by its fields: the
    // first names are decoded, the last ones keep their references.
    std::string name;
    for (int r = 1; r <= 100; ++r) {
        char reference[12];
        std::snprintf(reference, sizeof reference, "&amp;#%03d;", 100 + r);
        name += std::string(1000, 'x') + reference;
    }
    players.clear();
    for (int i = 0; i < 12; ++i) {
        players += Player(name);
    }
    Parsed spread = Parse("<Corvane><Players>" + players + "</Players></Corvane>", "", "");
    ASSERT_EQ(spread.info.Players.size(), 12u);
    EXPECT_EQ(spread.info.Players.front().Name.find("&#"), std::string::npos);
    EXPECT_EQ(spread.info.Players.front().Name.size(), 100u * 1001u);
    EXPECT_NE(spread.info.Players.back().Name.find("&#"), std::string::npos);
}
