#include "app/QtProfileStore.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <QLockFile>
#include <QSettings>

#include "app/AppSettings.h"
#include "app/HelpMessages.h"
#include "app/SettingsFileScan.h"

namespace perivant {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSection = "Settings";

// Every test process gets a configuration home of its own, set before the first QSettings is
// built (QSettings fixes its paths then), so no test touches the user's real settings and
// parallel test processes never share a file.
class ConfigHome : public ::testing::Environment {
public:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "perivant-settings-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    }
    void TearDown() override { fs::remove_all(dir_); }

    static fs::path File() { return dir_ / "Perivant" / "Perivant.conf"; }

private:
    static inline fs::path dir_;
};

[[maybe_unused]] auto* const kConfigHome = ::testing::AddGlobalTestEnvironment(new ConfigHome);

std::string FileText() {
    std::ifstream in(ConfigHome::File(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFileText(const std::string& text) {
    fs::create_directories(ConfigHome::File().parent_path());
    std::ofstream(ConfigHome::File(), std::ios::binary | std::ios::trunc) << text;
}

// QSettings keeps what it wrote in a process-wide cache and re-reads the file only when its size
// or time changes. A trailing blank line forces the parse from text, as at the next program start.
// The time is one no earlier write in this program gave the file: an earlier test's text of the
// same size, written in the same millisecond, looked unchanged to that cache.
void MakeStoreRereadFile() {
    std::ofstream(ConfigHome::File(), std::ios::binary | std::ios::app) << "\n";
    static int bumps = 0;
    fs::last_write_time(ConfigHome::File(),
                        fs::file_time_type::clock::now() + std::chrono::seconds(++bumps));
}

// Loads the settings, saves them with MaxThreads 9 and marks one flag, and checks that both read
// back while nothing reaches the file.
void SaveIntoMemoryOnly(QtProfileStore& store, int flag) {
    AppSettings s;
    LoadSettings(s, store, 1280, 1024);
    s.MaxThreads = 9;
    SaveSettings(s, store);
    WriteSettingsInt(store, "HideNewsMsg", flag);
    EXPECT_EQ(ReadSettingsInt(store, "MaxThreads", 0), 9);
    EXPECT_EQ(ReadSettingsInt(store, "HideNewsMsg", 0), flag);
    EXPECT_FALSE(store.Flush());
}

TEST(QtProfileStore, SettingsRoundTripThroughTheUserFile) {
    fs::remove(ConfigHome::File());
    AppSettings saved;
    {
        QtProfileStore store;
        LoadSettings(saved, store, 1280, 1024);
        EXPECT_EQ(saved.MaxThreads, 15);
        EXPECT_EQ(saved.WindowPosition, (WindowRect{128, 162, 1152, 862}));
    }
    saved.WindowMaximized = true;
    saved.WindowPosition = {-8, -8, 1288, 1032};
    saved.ServerListViewHeight = 316;
    saved.MasterServerURL = "http://127.0.0.2:8080/cgi-bin/list?a=1, b=2";
    saved.MaxThreads = 200;
    saved.RefreshAtStartup = false;
    saved.FilterTextString = "Caf\xE9 \x80\xB0 @at; \"q\" \\";
    saved.FilterServerNamesString = "@ByteArray(x)";
    {
        QtProfileStore store;
        SaveSettings(saved, store);
        EXPECT_EQ(store.FileName().toStdString(), ConfigHome::File().string());

        // Written when the save returns, not only when the store goes.
        ASSERT_TRUE(fs::exists(ConfigHome::File()));
        std::string text = FileText();
        EXPECT_NE(text.find("[Settings]\n"), std::string::npos) << text;
        EXPECT_NE(text.find("MaxThreads=200\n"), std::string::npos) << text;
        EXPECT_NE(text.find("RefreshAtStartup=0\n"), std::string::npos) << text;
        EXPECT_NE(text.find("ShowCloseMsg=1\n"), std::string::npos) << text;
        EXPECT_NE(text.find("WindowPosition=@ByteArray("), std::string::npos) << text;
    }

    MakeStoreRereadFile();
    QtProfileStore store;
    AppSettings back;
    LoadSettings(back, store, 1024, 768);
    EXPECT_TRUE(back.WindowMaximized);
    EXPECT_EQ(back.WindowPosition, saved.WindowPosition);
    EXPECT_EQ(back.ServerListViewHeight, 316);
    EXPECT_EQ(back.MasterServerURL, saved.MasterServerURL);
    EXPECT_EQ(back.MaxThreads, 200);
    EXPECT_FALSE(back.RefreshAtStartup);
    EXPECT_TRUE(back.ShowCloseMsg);
    EXPECT_EQ(back.FilterPingNum, 500);
    EXPECT_EQ(back.FilterTextString, saved.FilterTextString);
    EXPECT_EQ(back.FilterServerNamesString, saved.FilterServerNamesString);

    // The file holds Unicode text: the euro sign is U+20AC, not the control 0x80.
    QSettings raw(QSettings::NativeFormat, QSettings::UserScope, "Perivant", "Perivant");
    EXPECT_EQ(raw.value("Settings/MaxThreads").typeId(), QMetaType::QString) << "parsed from text";
    EXPECT_EQ(raw.value("Settings/FilterTextString").toString(),
              QString::fromStdU16String(u"Caf\u00E9 \u20AC\u00B0 @at; \"q\" \\"));
}

TEST(QtProfileStore, HandEditedValuesLoadSane) {
    WriteFileText(
        "[Settings]\n"
        "MaxThreads=abc\n"
        "this line is not a setting\n"
        "FilterPingNum=99999999999\n"
        "FilterPlayersNum=-99999999999999999999999\n"
        "ServerSortOrder=\" 7 \"\n"
        "ServerListViewWidth=12px\n"
        "PlayerViewWidth=\n"
        "RefreshAtStartup=2\n"
        "ShowCloseMsg=true\n"
        "FilterEnable=1\n"
        "WindowPosition=@ByteArray(short)\n"
        "MasterServerURL=@ByteArray(http://x/)\n"
        "FilterTextString=a, b\n"
        "FilterServerNamesString=\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD\n");
    QtProfileStore store;
    AppSettings s;
    LoadSettings(s, store, 1280, 1024);
    EXPECT_EQ(s.MaxThreads, 15);
    EXPECT_EQ(s.FilterPingNum, 2147483647);
    EXPECT_EQ(s.FilterPlayersNum, -2147483647 - 1);
    EXPECT_EQ(s.ServerSortOrder, 7);
    EXPECT_EQ(s.ServerListViewWidth, 0);
    EXPECT_EQ(s.PlayerViewWidth, 0);
    EXPECT_FALSE(s.RefreshAtStartup);
    EXPECT_TRUE(s.ShowCloseMsg) << "not a number: the default";
    EXPECT_TRUE(s.FilterEnable);
    EXPECT_EQ(s.WindowPosition, (WindowRect{128, 162, 1152, 862}));
    EXPECT_EQ(s.MasterServerURL, kDefaultMasterServerURL);
    EXPECT_EQ(s.FilterTextString, "a, b");
    EXPECT_EQ(s.FilterServerNamesString, "\xE9\x80?");

    // Values of one kind read as another give the reader's default.
    EXPECT_EQ(store.ReadBytes(kSection, "MaxThreads", {9}), ProfileStore::Bytes{9});
    EXPECT_EQ(store.ReadString(kSection, "WindowPosition", "dflt"), "dflt");
    EXPECT_EQ(store.ReadString(kSection, "Absent", "dflt"), "dflt");
    EXPECT_FALSE(store.Contains(kSection, "Absent"));
    EXPECT_TRUE(store.Contains(kSection, "MaxThreads"));
}

// Values that QSettings would decode with its binary stream reader could make it allocate
// gigabytes (the first file below asks for 811 million list entries) or recurse until the stack
// overflows (lists nested a hundred thousand deep): such a file is set aside before anything
// reads it, and the settings start from their defaults.
TEST(QtProfileStore, FilesWithStreamedValuesAreSetAside) {
    const fs::path aside = ConfigHome::File().string() + ".damaged";
    const std::string streamed[] = {
        "[Settings]\nMaxThreads=7\nFilterFS2002=@Variant(\\0\\0\\0\\N10__cxxabiv1x1\\x1)\n",
        "[Other]\nX=\"@Var\\151ant(\\0\\0\\0\\x31)\"\n[Settings]\nMaxThreads=7\n",
        "[Settings]\nMaxThreads=7\nL=a, \"@DateTime(\\0)\"\n",
        "[Settings]\nMaxThreads=7\nC=@Var\\\r\niant(x)\n",
        "\xEF\xBB\xBF[Settings]\nMaxThreads=7\nO=\\100Variant\\50x)\n",
        // A line break inside quotes does not end the line for the reader either.
        "[Settings]\nMaxThreads=7\nN=\"a\nb\", @Variant(\\0\\0\\0\\x31)\n",
    };
    for (const std::string& text : streamed) {
        fs::remove(aside);
        WriteFileText(text);
        AppSettings s;
        {
            QtProfileStore store;
            LoadSettings(s, store, 1280, 1024);
            EXPECT_EQ(s.MaxThreads, 15) << text;
            EXPECT_FALSE(fs::exists(ConfigHome::File())) << text;
            std::ifstream in(aside, std::ios::binary);
            std::ostringstream kept;
            kept << in.rdbuf();
            EXPECT_EQ(kept.str(), text);
            s.MaxThreads = 9;
            SaveSettings(s, store);
        }
        MakeStoreRereadFile();
        QtProfileStore store;
        EXPECT_EQ(ReadSettingsInt(store, "MaxThreads", 0), 9) << text;
    }

    // What only looks like one stays: a text the program stored, a quoted list, a comment, a
    // group name and a key.
    const std::string harmless[] = {
        "[Settings]\nMaxThreads=7\nFilterTextString=@@Variant(\\0\\0\\0\\x31)\n",
        "[Settings]\nMaxThreads=7\nQ=\"a, @Variant(x)\"\n; "
        "@Variant(x)\n[@Variant(x)]\n@Variant(x)=1\n",
    };
    for (const std::string& text : harmless) {
        fs::remove(aside);
        WriteFileText(text);
        QtProfileStore store;
        EXPECT_EQ(ReadSettingsInt(store, "MaxThreads", 0), 7) << text;
        EXPECT_TRUE(fs::exists(ConfigHome::File())) << text;
        EXPECT_FALSE(fs::exists(aside)) << text;
    }
    fs::remove(aside);
    {
        QtProfileStore store;
        WriteSettingsString(store, "FilterTextString", "@Variant(\x01)");
    }
    MakeStoreRereadFile();
    QtProfileStore store;
    EXPECT_EQ(ReadSettingsString(store, "FilterTextString", ""), "@Variant(\x01)");
    EXPECT_FALSE(fs::exists(aside));
}

// Every save waits for a lock file beside the settings; a folder or a dangling link in its place
// can never be taken and hung the program at its first save. The file is still read, and what
// the program writes lives in memory on top of it.
TEST(QtProfileStore, SettingsWhoseLockCannotBeTakenAreReadButNotSaved) {
    const fs::path lock = ConfigHome::File().string() + ".lock";
    for (bool folder : {true, false}) {
        SCOPED_TRACE(folder ? "folder" : "dangling link");
        const std::string text = "[Settings]\nMaxThreads=7\nMasterServerURL=http://127.0.0.9/l\n";
        WriteFileText(text);
        MakeStoreRereadFile();
        const std::string onDisk = FileText();
        fs::remove_all(lock);
        if (folder) {
            fs::create_directories(lock / "keep");
        } else {
            fs::create_symlink(ConfigHome::File().parent_path() / "gone" / "x", lock);
        }
        {
            QtProfileStore store;
            EXPECT_EQ(ReadSettingsInt(store, "MaxThreads", 0), 7);
            SaveIntoMemoryOnly(store, 1);
            EXPECT_EQ(ReadSettingsString(store, "MasterServerURL", ""), "http://127.0.0.9/l");
        }
        EXPECT_EQ(FileText(), onDisk);
        EXPECT_TRUE(folder ? fs::is_directory(lock) : fs::is_symlink(lock));
        fs::remove_all(lock);
    }
}

// A lock that a save can never take (here: held by another lock object that never lets go, as a
// stale lock in a read-only folder or a process that keeps it would be) hung the program at its
// first save. After a short wait the writes stay in memory instead; the file is left as it was.
TEST(QtProfileStore, SaveThatCannotTakeTheLockKeepsItsWritesInMemory) {
    const std::string text = "[Settings]\nMaxThreads=7\n";
    WriteFileText(text);
    MakeStoreRereadFile();
    const std::string onDisk = FileText();
    QtProfileStore store;
    QLockFile held(QString::fromStdString(ConfigHome::File().string() + ".lock"));
    ASSERT_TRUE(held.tryLock(0));
    EXPECT_EQ(ReadSettingsInt(store, "MaxThreads", 0), 7);
    SaveIntoMemoryOnly(store, 3);
    held.unlock();
    EXPECT_EQ(FileText(), onDisk);
}

// Another copy that saves again and again holds the lock a millisecond at a time: a save must
// find it free in between rather than give up saving for the rest of the run.
TEST(QtProfileStore, SavesGetThroughAnotherCopysBriefLocks) {
    WriteFileText("[Settings]\nMaxThreads=7\n");
    MakeStoreRereadFile();
    QtProfileStore store;
    std::atomic<bool> stop{false};
    std::thread other([&] {
        QLockFile lock(QString::fromStdString(ConfigHome::File().string() + ".lock"));
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!stop.load() && std::chrono::steady_clock::now() < end) {
            if (lock.tryLock(0)) {
                std::this_thread::sleep_for(std::chrono::microseconds(1500));
                lock.unlock();
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    });
    // Each save also waits in the settings object's own lock, which backs off up to some hundred
    // milliseconds: a few saves are enough.
    for (int i = 1; i <= 20; ++i) {
        WriteSettingsInt(store, "HideNewsMsg", i);
    }
    stop = true;
    other.join();
    EXPECT_TRUE(store.Flush());
    EXPECT_NE(FileText().find("HideNewsMsg=20"), std::string::npos);
}

// A file changed while the program runs is not reread once it holds a value the settings reader
// would decode with its binary stream (deep enough, that crashes it): what was read stays, and
// nothing more is written.
TEST(QtProfileStore, FileDamagedWhileRunningIsNotReread) {
    WriteFileText("[Settings]\nMaxThreads=7\n");
    MakeStoreRereadFile();
    const std::string damaged =
        "[Settings]\nMaxThreads=8\nX=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n";
    {
        QtProfileStore store;
        EXPECT_EQ(ReadSettingsInt(store, "MaxThreads", 0), 7);
        WriteFileText(damaged);
        store.Reload();
        EXPECT_EQ(ReadSettingsInt(store, "MaxThreads", 0), 7);
        WriteSettingsInt(store, "HideNewsMsg", 2);
        EXPECT_EQ(ReadSettingsInt(store, "HideNewsMsg", 0), 2);
        EXPECT_FALSE(store.Flush());
    }
    EXPECT_EQ(FileText(), damaged);
    // The tests after this one in the same program start without a damaged file.
    fs::remove(ConfigHome::File());
}

// A save that cannot write the whole file (a nearly full disk; here a limit on file size) must
// leave the old file as it was: the settings object renamed an empty or cut file over it.
TEST(QtProfileStore, SaveThatCannotBeWrittenWholeKeepsTheOldFile) {
    const std::string old = "[Settings]\nMasterServerURL=http://127.0.0.1/" +
                            std::string(300, 'k') + "\nMaxThreads=7\n";
    const fs::path elsewhere = ConfigHome::File().parent_path() / "elsewhere.conf";
    // Room for the lock file, not for the settings; none at all within a block of the text. The
    // settings file may also be a link to a file elsewhere, which keeps its text and its link.
    for (const bool linked : {false, true}) {
        for (const rlim_t limit : {rlim_t{100}, rlim_t{200}}) {
            fs::remove(ConfigHome::File());
            if (linked) {
                fs::create_symlink(elsewhere, ConfigHome::File());
            }
            WriteFileText(old);
            MakeStoreRereadFile();
            const std::string before = FileText();
            const pid_t child = fork();
            if (child == 0) {
                signal(SIGXFSZ, SIG_IGN);
                rlimit size{limit, limit};
                setrlimit(RLIMIT_FSIZE, &size);
                QtProfileStore store;
                WriteSettingsInt(store, "HideNewsMsg", 5);
                // The value stays for this run, and the failed save is not reported as done.
                const bool kept = ReadSettingsInt(store, "HideNewsMsg", 0) == 5 &&
                                  ReadSettingsInt(store, "MaxThreads", 0) == 7;
                _exit(!kept ? 1 : store.Flush() ? 2 : 0);
            }
            int status = 0;
            waitpid(child, &status, 0);
            const std::string where = "limit " + std::to_string(limit) + (linked ? ", linked" : "");
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << where;
            EXPECT_EQ(FileText(), before) << where;
            EXPECT_EQ(fs::is_symlink(ConfigHome::File()), linked) << where;
            for (const fs::path& file : {ConfigHome::File(), elsewhere}) {
                EXPECT_FALSE(fs::exists(file.string() + ".previous")) << where;
            }
        }
    }
    fs::remove(ConfigHome::File());
    fs::remove(elsewhere);
}

// Where the old file cannot get a second name (here a folder holds that name, as a file system
// without hard links refuses it), a save cut short is cut back to its last whole line: values
// go missing, but none is read back cut.
TEST(QtProfileStore, SaveCutShortWithoutASecondNameEndsAtAWholeLine) {
    const std::string old = "[Settings]\nMasterServerURL=http://127.0.0.1/" +
                            std::string(300, 'k') + "\nMaxThreads=7\n";
    const fs::path previous = ConfigHome::File().string() + ".previous";
    WriteFileText(old);
    MakeStoreRereadFile();
    fs::create_directories(previous);
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit size{200, 200};
        setrlimit(RLIMIT_FSIZE, &size);
        QtProfileStore store;
        WriteSettingsInt(store, "HideNewsMsg", 5);
        _exit(store.Flush() ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string text = FileText();
    EXPECT_EQ(text, "[Settings]\nHideNewsMsg=5\n");
    fs::remove(previous);
}

// The first save of a first run makes the settings folder, lock and all.
TEST(QtProfileStore, FirstSaveMakesTheFolder) {
    fs::remove_all(ConfigHome::File().parent_path());
    {
        QtProfileStore store;
        WriteSettingsInt(store, "HideNewsMsg", 4);
        EXPECT_TRUE(store.Flush());
    }
    EXPECT_NE(FileText().find("HideNewsMsg=4"), std::string::npos);
}

// Permissions bind only an ordinary user (root passes every check), so each case runs in a child
// that has become the user "nobody". A file the user cannot read must not be replaced by a save
// of defaults (another account's settings, lost), and a folder the user cannot write keeps the
// file as it is; either way the program's writes stay readable for the run.
TEST(QtProfileStore, SettingsTheUserMayNotReadOrWriteAreLeftAsTheyAre) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root, to become another user";
    }
    constexpr uid_t kNobody = 65534;
    const fs::path folder = ConfigHome::File().parent_path();
    // The user must reach the test's folder, or neither case tests anything.
    for (fs::path above = folder.parent_path().parent_path(); above != above.parent_path();
         above = above.parent_path()) {
        if ((fs::status(above).permissions() & fs::perms::others_exec) == fs::perms::none) {
            GTEST_SKIP() << above << " is closed to other users";
        }
    }
    const std::string text = "[Settings]\nMaxThreads=7\nMasterServerURL=http://127.0.0.9/l\n";
    struct Case {
        const char* what;
        bool folderIsTheUsers;  // else root's, read-only to the user
        fs::perms filePerms;
        int maxThreadsRead;
    };
    for (const Case& c : {Case{"unreadable file in the user's folder", true,
                               fs::perms::owner_read | fs::perms::owner_write, 15},
                          Case{"readable file in a read-only folder", false,
                               fs::perms::owner_read | fs::perms::owner_write |
                                   fs::perms::group_read | fs::perms::others_read,
                               7}}) {
        SCOPED_TRACE(c.what);
        fs::remove_all(folder);
        WriteFileText(text);
        fs::permissions(ConfigHome::File(), c.filePerms);
        // Whatever the umask: the user may enter the folders and list them, but write the
        // settings folder only when it is the user's own.
        const fs::perms entered = fs::perms::owner_all | fs::perms::group_read |
                                  fs::perms::group_exec | fs::perms::others_read |
                                  fs::perms::others_exec;
        fs::permissions(folder, entered);
        fs::permissions(folder.parent_path(), entered);
        ASSERT_EQ(::chown(folder.c_str(), c.folderIsTheUsers ? kNobody : 0,
                          c.folderIsTheUsers ? kNobody : 0),
                  0);
        const pid_t child = fork();
        if (child == 0) {
            if (setgid(kNobody) != 0 || setuid(kNobody) != 0) {
                _exit(3);
            }
            struct stat seen {};
            if (::stat(ConfigHome::File().c_str(), &seen) != 0) {
                _exit(5);
            }
            QtProfileStore store;
            const bool read = ReadSettingsInt(store, "MaxThreads", 15) == c.maxThreadsRead;
            // Failures in the child reach the parent only through the exit status.
            const testing::TestResult& result =
                *testing::UnitTest::GetInstance()->current_test_info()->result();
            const int failuresBefore = result.total_part_count();
            SaveIntoMemoryOnly(store, 2);
            _exit(!read ? 1 : result.total_part_count() != failuresBefore ? 2 : 0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "child status " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1);
        EXPECT_EQ(FileText(), text);
        struct stat file {};
        ASSERT_EQ(::stat(ConfigHome::File().c_str(), &file), 0);
        EXPECT_EQ(file.st_uid, 0U);
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1)
            << "nothing beside the file";
    }
    fs::remove_all(folder);
}

// Help-message flags are read at the moment of use: another copy of the program may have ticked
// or reset one since this one started.
TEST(QtProfileStore, HelpFlagsSeeWhatAnotherCopyWrote) {
    struct CountingRunner : HelpMessageRunner {
        bool RunHelpMessage(const std::string&, bool, bool&) override {
            ++runs;
            return true;
        }
        int runs = 0;
    } runner;
    WriteFileText("[Settings]\nMaxThreads=7\n");
    MakeStoreRereadFile();
    QtProfileStore store;
    EXPECT_EQ(ReadSettingsInt(store, "HideClipboardMsg", 0), 0);

    WriteFileText("[Settings]\nMaxThreads=7\nHideClipboardMsg=1\n");
    ShowHelpMessageOnce(store, kHideClipboardMsg, "text", false, runner);
    EXPECT_EQ(runner.runs, 0) << "ticked by the other copy";

    WriteFileText("[Settings]\nMaxThreads=7\nHideClipboardMsg=00\n");
    ShowHelpMessageOnce(store, kHideClipboardMsg, "text", false, runner);
    EXPECT_EQ(runner.runs, 1) << "reset by the other copy";
    EXPECT_EQ(ReadSettingsInt(store, "MaxThreads", 0), 7);
}

// A damaged file that cannot be set aside (a folder already has the name) is neither read nor
// written, and nothing else takes its place: the settings live in memory for this run.
TEST(QtProfileStore, DamagedFileThatCannotBeSetAsideStaysUntouched) {
    const fs::path aside = ConfigHome::File().string() + ".damaged";
    fs::remove_all(aside);
    fs::create_directories(aside / "keep");
    const std::string damaged =
        "[Settings]\nMaxThreads=7\nX=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n";
    WriteFileText(damaged);
    struct stat before {};
    ASSERT_EQ(::stat("/dev/null", &before), 0);
    {
        QtProfileStore store;
        EXPECT_EQ(ReadSettingsInt(store, "MaxThreads", 15), 15);
        EXPECT_EQ(store.FileName().toStdString(), ConfigHome::File().string());
        SaveIntoMemoryOnly(store, 1);
    }
    EXPECT_EQ(FileText(), damaged);
    EXPECT_TRUE(fs::is_directory(aside / "keep"));
    struct stat after {};
    ASSERT_EQ(::stat("/dev/null", &after), 0);
    EXPECT_TRUE(S_ISCHR(after.st_mode));
    EXPECT_EQ(after.st_ino, before.st_ino);
    fs::remove_all(aside);
    fs::remove(ConfigHome::File());
}

// Something other than a file in the file's place (here a link to a pipe; a link to /dev/null
// as root is the same case) is neither read, which may never end, nor replaced by a save.
TEST(QtProfileStore, OnlyARegularFileIsReadOrWritten) {
    const fs::path pipe = ConfigHome::File().parent_path() / "pipe";
    fs::create_directories(pipe.parent_path());
    fs::remove(ConfigHome::File());
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    fs::create_symlink(pipe, ConfigHome::File());
    {
        QtProfileStore store;
        EXPECT_EQ(ReadSettingsInt(store, "MaxThreads", 15), 15);
        WriteSettingsInt(store, "MaxThreads", 9);
        EXPECT_EQ(ReadSettingsInt(store, "MaxThreads", 0), 9);
        EXPECT_FALSE(store.Flush());
    }
    EXPECT_TRUE(fs::is_symlink(ConfigHome::File()));
    EXPECT_TRUE(fs::is_fifo(pipe));
    fs::remove(ConfigHome::File());
    fs::remove(pipe);
}

// Only the program's own file is read: not the organisation file beside its folder, nor a
// system-wide one, whatever they hold.
TEST(QtProfileStore, NoOtherFileStandsIn) {
    const fs::path beside = ConfigHome::File().parent_path().parent_path() / "Perivant.conf";
    std::ofstream(beside, std::ios::binary | std::ios::trunc)
        << "[Settings]\nMaxThreads=42\nFilterTextString=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n";
    WriteFileText("[Settings]\nServerSortOrder=3\n");
    {
        QtProfileStore store;
        EXPECT_EQ(ReadSettingsInt(store, "MaxThreads", 15), 15);
        EXPECT_EQ(ReadSettingsString(store, "FilterTextString", "HOP"), "HOP");
        EXPECT_EQ(ReadSettingsInt(store, "ServerSortOrder", 2), 3);
    }
    fs::remove(beside);
    fs::remove(ConfigHome::File());
}

// The scan must find every value that the settings reader decodes from a stream: a miss lets a
// damaged value through. On well-formed UTF-8, as the program writes, it must find no other: a
// false alarm sets the user's settings aside. Text that is not ASCII goes through the reader's
// UTF-8 decoder in runs between escapes, quotes and commas.
TEST(QtProfileStore, ScanFindsWhatTheReaderDecodes) {
    const std::string number = "@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)";
    const std::string wellFormed[] = {
        "\xC3\xA9" + number,                  // a letter, then the marker: text
        "\xE2\x82\xAC, \"x\"" + number,       // the same in a list
        "\xEF\xBB\xBF" + number,              // a byte order mark first: dropped, a marker
        "\"\xEF\xBB\xBF\"" + number,          // quoted, the same
        "\xEF\xBB\xBF\xEF\xBB\xBF" + number,  // a second mark is a character
        "a,\xEF\xBB\xBF" + number,            // and so is a later one
        "\xC3\xA9," + number,                 // a whole letter stays in the first element
        "\xF0\x9F\x98\x80," + number,         // four bytes, the same
        "\xC3\xA9\\x40Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)",  // and before an escape
        "\\x41\xEF\xBB\xBF" + number,                        // escapes do not start the decoder
        number,
    };
    // Sequences cut by a run's end, or invalid: the reader holds them, checks them loosely, and
    // may drop a following byte.
    // The marker and its stream written as escapes, then a plain run that ends the element.
    const std::string escaped =
        "\\x40\\x56\\x61\\x72\\x69\\x61\\x6e\\x74\\x28\\0\\0\\0\\x2\\0\\0\\0\\x5))";
    const std::string illFormed[] = {
        "\xEF\\x40\xBB\xBFVariant(\\0\\0\\0\\x2\\0\\0\\0\\x5)",
        "\xF0\x9F\x98," + number,
        "\xC3\\x40Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)",
        "\xC3" + escaped,
        "\xED\xBF" + escaped,
        "\xE0\x80" + escaped,
        "\xF0\x8F\xBF" + escaped,
        "\xF4\x90" + escaped,
        "\xF0,\xF0\x9F," + number,
        "\xE0\x80" + number,
        "\xC0" + number,
        "\xED\xA0\x80" + number,
    };
    fs::create_directories(ConfigHome::File().parent_path());
    int count = 0;
    const auto check = [&count](const std::string& value, bool exact) {
        // A file of its own each: the reader caches files by name, size and time.
        const fs::path file =
            ConfigHome::File().parent_path() / ("scan" + std::to_string(++count) + ".ini");
        const std::string text = "[Settings]\nX=" + value + "\n";
        std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
        QSettings reader(QString::fromStdString(file.string()), QSettings::IniFormat);
        const int type = reader.value("Settings/X").typeId();
        const bool decoded = type != QMetaType::QString && type != QMetaType::QStringList;
        const bool found = SettingsFileHoldsStreamedValue(text);
        EXPECT_TRUE(found || !decoded) << "missed: " << text;
        if (exact) {
            EXPECT_EQ(found, decoded) << text;
        }
        return decoded;
    };
    int decodedCount = 0;
    for (const std::string& value : wellFormed) {
        decodedCount += check(value, true) ? 1 : 0;
    }
    for (const std::string& value : illFormed) {
        decodedCount += check(value, false) ? 1 : 0;
    }
    // The table holds real streams on both sides, or it proves nothing.
    EXPECT_GE(decodedCount, 12);

    // The program's own text of an accented letter and a marker survives the next start.
    const fs::path aside = ConfigHome::File().string() + ".damaged";
    fs::remove(aside);
    {
        QtProfileStore store;
        WriteSettingsString(store, "FilterTextString", "\xE9@Variant(x)");
        WriteSettingsString(store, "MasterServerURL", "\x80@DateTime(x)");
    }
    MakeStoreRereadFile();
    QtProfileStore store;
    EXPECT_EQ(ReadSettingsString(store, "FilterTextString", ""), "\xE9@Variant(x)");
    EXPECT_EQ(ReadSettingsString(store, "MasterServerURL", ""), "\x80@DateTime(x)");
    EXPECT_FALSE(fs::exists(aside));
}

TEST(QtProfileStore, DirectWritesReachTheFileAtOnce) {
    QtProfileStore store;
    WriteSettingsInt(store, kHideNewsMsg, 3);
    WriteSettingsString(store, kHideVersionMsg, "1.4b2");
    store.WriteInt(kSection, kHideDirectXMsg, 1);
    // Still open: the file must already hold all three, as a crash now must not lose them.
    std::string text = FileText();
    EXPECT_NE(text.find("HideNewsMsg=3\n"), std::string::npos) << text;
    EXPECT_NE(text.find("HideVersionMsg=1.4b2\n"), std::string::npos) << text;
    EXPECT_NE(text.find("HideDirectXMsg=1\n"), std::string::npos) << text;

    EXPECT_EQ(ReadSettingsInt(store, kHideNewsMsg, 0), 3);
    EXPECT_EQ(ReadSettingsInt(store, kHideClipboardMsg, 0), 0);
    EXPECT_EQ(ReadSettingsString(store, kHideVersionMsg, kHideVersionMsgDefault), "1.4b2");

    // A value may change its kind; the latest write wins.
    store.WriteString(kSection, "HideNewsMsg", "x");
    EXPECT_EQ(store.ReadInt(kSection, "HideNewsMsg", -1), -1);
    store.WriteInt(kSection, "HideNewsMsg", 4);
    EXPECT_EQ(store.ReadInt(kSection, "HideNewsMsg", -1), 4);
    EXPECT_TRUE(store.Flush());
}

}  // namespace
}  // namespace perivant
