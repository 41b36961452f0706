#include <gtest/gtest.h>

#include <string>

#include "dialogs/DialogExchange.h"
#include "dialogs/DirectXExplanation.h"
#include "dialogs/OptionsExchange.h"
#include "env/WindowsVersionName.h"

namespace perivant {
namespace {

TEST(DialogExchangeTest, IntegerBoxesTakeSignedDecimalsOnly) {
    EXPECT_EQ(ParseDialogInteger("15"), 15);
    EXPECT_EQ(ParseDialogInteger(" \t-42\t "), -42);
    EXPECT_EQ(ParseDialogInteger("+7"), 7);
    EXPECT_EQ(ParseDialogInteger("0"), 0);
    EXPECT_EQ(ParseDialogInteger("-0"), 0);
    EXPECT_EQ(ParseDialogInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseDialogInteger("-2147483648"), -2147483647 - 1);
    for (const char* refused : {"", "  ", "abc", "12abc", "1 2", "-", "+", "0x10", "1.5",
                                "2147483648", "-2147483649", "99999999999999999999", "\n5"}) {
        EXPECT_EQ(ParseDialogInteger(refused), std::nullopt) << refused;
    }
    EXPECT_EQ(MaxCharsMessage(1000), "Please enter no more than 1000 characters.");
    EXPECT_EQ(IntegerRangeMessage(1, 99), "Please enter an integer between 1 and 99.");
}

TEST(DialogExchangeTest, OptionsAreCheckedInExchangeOrder) {
    OptionsValues values{"unchanged", 0, 15, 0};
    const OptionsValues before = values;
    OptionsControls controls{"", true, "99", true};

    // The URL is checked first and may be empty.
    controls.MasterURLText.assign(1001, 'u');
    controls.MaxThreadsText = "abc";
    EXPECT_EQ(ReadOptionsControls(controls, values),
              (DialogRefusal{1004, "Please enter no more than 1000 characters."}));
    EXPECT_EQ(values, before);
    controls.MasterURLText.assign(1000, 'u');
    EXPECT_EQ(ReadOptionsControls(controls, values),
              (DialogRefusal{1022, "Please enter an integer."}));
    for (const char* outside : {"0", "100", "-3"}) {
        controls.MaxThreadsText = outside;
        EXPECT_EQ(ReadOptionsControls(controls, values),
                  (DialogRefusal{1022, "Please enter an integer between 1 and 99."}));
    }
    EXPECT_EQ(values, before);

    controls.MasterURLText.clear();
    controls.MaxThreadsText = " 1 ";
    EXPECT_EQ(ReadOptionsControls(controls, values), std::nullopt);
    EXPECT_EQ(values, (OptionsValues{"", 1, 1, 1}));
    controls = {"http://127.0.0.1/list", false, "99", false};
    EXPECT_EQ(ReadOptionsControls(controls, values), std::nullopt);
    EXPECT_EQ(values, (OptionsValues{"http://127.0.0.1/list", 0, 99, 0}));
}

// Answers the version query with one fixed record and counts the questions.
class FixedWindowsVersion : public WindowsVersionSource {
public:
    explicit FixedWindowsVersion(WindowsVersionRecord record) : m_record(std::move(record)) {}
    bool GetVersionEx(uint32_t, WindowsVersionRecord& record) override {
        ++questions;
        record = m_record;
        return true;
    }
    int questions = 0;

private:
    WindowsVersionRecord m_record;
};

TEST(DialogExchangeTest, DirectXExplanationFollowsVersions) {
    const std::string intro =
        "DirectX 8 has a bug in it that occasionally causes everyone in the session to\n"
        "be disconnected. DirectX 9 fixes that problem, and Corvane servers can optionally\n"
        "require that all players have DirectX 9 to be able to join the game.\n\n";
    const std::string tooOld =
        "so if you try to join a server that\nrequires DirectX 9, you will immediately be "
        "rejected with the message, \"The host\nhas removed you from the session\".\n\nWhen a "
        "server requires a DirectX version greater than what you have, it's shown\nwith a red "
        "\"DX\" symbol next to it in the server list. You can filter out these\nservers by "
        "enabling the checkbox on this window.\n";

    FixedWindowsVersion xp({2, 5, 1, "Service Pack 2"});
    EXPECT_EQ(FilterDirectXExplanation(9, xp),
              intro +
                  "You have DirectX 9 installed on your machine so this is not a problem for "
                  "you.\nIf it was, you could filter out the servers that you weren't able to "
                  "connect to.");
    EXPECT_EQ(FilterDirectXExplanation(10, xp).find(tooOld), std::string::npos);
    EXPECT_EQ(xp.questions, 0);  // a recent DirectX needs no Windows version

    EXPECT_EQ(FilterDirectXExplanation(8, xp),
              intro + "You have DirectX 8 installed on your machine " + tooOld +
                  "\nYou can upgrade your version of DirectX at: " + kDirectXDownloadAddress);
    EXPECT_GT(xp.questions, 0);

    FixedWindowsVersion nt4({2, 4, 0, ""});
    EXPECT_EQ(FilterDirectXExplanation(0, nt4),
              intro + "You have DirectX 0 installed on your machine " + tooOld +
                  "\nUnfortunately, you have Windows NT, which is not supported by DirectX 9  "
                  ":-(");
    // Where no Windows version can be had, nothing follows the explanation.
    EXPECT_EQ(FilterDirectXExplanation(7),
              intro + "You have DirectX 7 installed on your machine " + tooOld);
    EXPECT_EQ(FilterDirectXExplanation(-1).substr(intro.size(), 38),
              "You have DirectX -1 installed on your ");

    for (int code : {0, 1, 2, 6}) {
        EXPECT_EQ(WindowsVersionAddition(code, "Win"),
                  "\nUnfortunately, you have Win, which is not supported by DirectX 9  :-(");
    }
    for (int code : {3, 4, 5, 7, 8}) {
        EXPECT_EQ(WindowsVersionAddition(code, "Win"),
                  std::string("\nYou can upgrade your version of DirectX at: ") +
                      "http://www.microsoft.com/directx/");
    }
    for (int code : {-1, 9, 100}) {
        EXPECT_EQ(WindowsVersionAddition(code, "Win"), "");
    }
}

}  // namespace
}  // namespace perivant
