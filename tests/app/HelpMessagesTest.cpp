#include "app/HelpMessages.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/AppSettings.h"
#include "app/MemoryProfileStore.h"
#include "app/WebCommands.h"
#include "polling/UserPrompts.h"
#include "text/Trace.h"

namespace perivant {
namespace {

// Answers every help message as the test decides and remembers what it was shown.
class ScriptedRunner : public HelpMessageRunner {
public:
    bool RunHelpMessage(const std::string& text, bool allowDontShow, bool& dontShowAgain) override {
        shown.push_back(text);
        allowed.push_back(allowDontShow);
        dontShowAgain = tick;
        return ok;
    }
    bool ok = true;
    bool tick = false;
    std::vector<std::string> shown;
    std::vector<bool> allowed;
};

class RecordingPrompts : public UserPrompts {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string&) override { return false; }
    void OpenWebAddress(const std::string& url) override { opened.push_back(url); }
    std::vector<std::string> messages;
    std::vector<std::string> opened;
};

int Flag(const MemoryProfileStore& store, std::string_view name) {
    return ReadSettingsInt(store, name, -7);
}

TEST(ShowHelpMessageOnce, TickAndOkSilencesUntilTheFlagIsCleared) {
    MemoryProfileStore store;
    ScriptedRunner runner;

    ShowHelpMessageOnce(store, kHideClipboardMsg, "copied", false, runner);
    ASSERT_EQ(runner.shown.size(), 1u);
    EXPECT_EQ(runner.shown[0], "copied");
    EXPECT_TRUE(runner.allowed[0]);
    // OK without the tick writes nothing.
    EXPECT_FALSE(store.Contains(kSettingsSection, kHideClipboardMsg));

    runner.tick = true;
    ShowHelpMessageOnce(store, kHideClipboardMsg, "copied", false, runner);
    EXPECT_EQ(Flag(store, kHideClipboardMsg), 1);
    EXPECT_FALSE(store.Contains(kSettingsSection, kHideDirectXMsg));

    ShowHelpMessageOnce(store, kHideClipboardMsg, "copied", false, runner);
    EXPECT_EQ(runner.shown.size(), 2u);

    // Any non-zero value silences it, not only 1.
    WriteSettingsInt(store, kHideClipboardMsg, -3);
    ShowHelpMessageOnce(store, kHideClipboardMsg, "copied", false, runner);
    EXPECT_EQ(runner.shown.size(), 2u);

    WriteSettingsInt(store, kHideClipboardMsg, 0);
    ShowHelpMessageOnce(store, kHideClipboardMsg, "copied", false, runner);
    EXPECT_EQ(runner.shown.size(), 3u);
}

// A store in which what another copy of the program wrote shows only after a reload, as with
// the settings file.
class StoreWithAnotherCopy : public MemoryProfileStore {
public:
    void Reload() override {
        for (const auto& [name, value] : written) {
            WriteSettingsInt(*this, name, value);
        }
        written.clear();
    }
    std::vector<std::pair<std::string, int>> written;
};

TEST(ShowHelpMessageOnce, FlagSetByAnotherCopyMeanwhileSilencesTheMessage) {
    StoreWithAnotherCopy store;
    ScriptedRunner runner;
    store.written = {{std::string(kHideClipboardMsg), 1}};
    ShowHelpMessageOnce(store, kHideClipboardMsg, "copied", false, runner);
    EXPECT_TRUE(runner.shown.empty());
    // Forced, it shows all the same.
    ShowHelpMessageOnce(store, kHideClipboardMsg, "copied", true, runner);
    EXPECT_EQ(runner.shown.size(), 1u);
}

TEST(ShowHelpMessageOnce, CancelWritesNothingAndForcedIgnoresTheFlag) {
    MemoryProfileStore store;
    ScriptedRunner runner;
    runner.ok = false;
    runner.tick = true;
    ShowHelpMessageOnce(store, kHideDirectXMsg, "dx", false, runner);
    EXPECT_EQ(runner.shown.size(), 1u);
    EXPECT_FALSE(store.Contains(kSettingsSection, kHideDirectXMsg));

    WriteSettingsInt(store, kHideDirectXMsg, 1);
    runner.ok = true;
    runner.tick = false;
    ShowHelpMessageOnce(store, kHideDirectXMsg, "dx", true, runner);
    ASSERT_EQ(runner.shown.size(), 2u);
    EXPECT_FALSE(runner.allowed[1]);
    EXPECT_EQ(Flag(store, kHideDirectXMsg), 1);
}

TEST(WebCommands, UrlsTracesAndOpening) {
    EXPECT_EQ(WebCommandURL(WebCommand::OnlineHelp), "http://www.perivant.example/perivant/?help");
    EXPECT_EQ(WebCommandURL(WebCommand::OnlineFAQ), "http://www.perivant.example/perivant/?faq");
    EXPECT_EQ(WebCommandURL(WebCommand::OnlineForums),
              "http://www.perivant.example/perivant/?forums");
    EXPECT_EQ(WebCommandURL(WebCommand::Homepage), "http://www.perivant.example/perivant/");
    EXPECT_EQ(static_cast<int>(WebCommand::OnlineForums), 32781);
    EXPECT_EQ(static_cast<int>(WebCommand::Homepage), 32779);

    std::vector<std::string> lines;
    SetTraceSink([&lines](int severity, const std::string& line) {
        EXPECT_EQ(severity, TraceInfo);
        lines.push_back(line);
    });
    RecordingPrompts prompts;
    const WebCommand all[] = {WebCommand::OnlineHelp, WebCommand::OnlineFAQ,
                              WebCommand::OnlineForums, WebCommand::Homepage};
    for (WebCommand command : all) {
        RunWebCommand(command, prompts);
    }
    SetTraceSink(nullptr);

    const char* expected[] = {
        "  Launching help URL: http://www.perivant.example/perivant/?help\n",
        "  Launching FAQ URL: http://www.perivant.example/perivant/?faq\n",
        "  Launching forums URL: http://www.perivant.example/perivant/?forums\n",
        "  Launching homepage URL: http://www.perivant.example/perivant/\n",
    };
    ASSERT_EQ(lines.size(), 4u);
    ASSERT_EQ(prompts.opened.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        // The line begins with the local time, "%y%m%d %H:%M:%S" (15 characters).
        ASSERT_GT(lines[i].size(), 15u);
        EXPECT_EQ(lines[i].substr(15), expected[i]);
        EXPECT_EQ(prompts.opened[i], WebCommandURL(all[i]));
    }
    EXPECT_TRUE(prompts.messages.empty());
}

TEST(WebCommands, ResetWritesBothFlagsAlwaysAndLeavesTheNoticesAlone) {
    MemoryProfileStore store;
    RecordingPrompts prompts;
    // Already 0 (absent): still written and still confirmed.
    ResetHelpMessages(store, prompts);
    EXPECT_EQ(Flag(store, kHideClipboardMsg), 0);
    EXPECT_EQ(Flag(store, kHideDirectXMsg), 0);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0], "All internal help messages will now be displayed again");

    WriteSettingsInt(store, kHideClipboardMsg, 1);
    WriteSettingsInt(store, kHideDirectXMsg, 1);
    WriteSettingsInt(store, kHideNewsMsg, 1);
    WriteSettingsString(store, kHideVersionMsg, "1.4");
    WriteSettingsInt(store, "ShowCloseMsg", 0);
    ResetHelpMessages(store, prompts);
    EXPECT_EQ(Flag(store, kHideClipboardMsg), 0);
    EXPECT_EQ(Flag(store, kHideDirectXMsg), 0);
    EXPECT_EQ(Flag(store, kHideNewsMsg), 1);
    EXPECT_EQ(ReadSettingsString(store, kHideVersionMsg, ""), "1.4");
    EXPECT_EQ(Flag(store, "ShowCloseMsg"), 0);
    EXPECT_EQ(prompts.messages.size(), 2u);
    EXPECT_TRUE(prompts.opened.empty());

    // After the reset the clipboard message comes back.
    ScriptedRunner runner;
    ShowHelpMessageOnce(store, kHideClipboardMsg, "again", false, runner);
    EXPECT_EQ(runner.shown.size(), 1u);
}

}  // namespace
}  // namespace perivant
