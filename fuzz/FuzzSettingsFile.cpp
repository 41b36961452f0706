// Loads the settings from a damaged settings file, as the program does at start-up: the input is
// the whole of $XDG_CONFIG_HOME/Perivant/Perivant.conf. Whatever the file holds, the loaded
// record keeps the rules of the settings (a 16-byte window rectangle or the default one, flags
// on only for exactly 1), and saving it and loading it again gives the same record.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <QSettings>
#include <QString>
#include <QVariant>

#include "FuzzCheck.h"
#include "app/AppSettings.h"
#include "app/MemoryProfileStore.h"
#include "app/QtProfileStore.h"
#include "text/Trace.h"

using namespace perivant;

namespace {

namespace fs = std::filesystem;

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;

fs::path g_home;
fs::path g_file;
// QSettings keeps every file it read in a process-wide cache and reads it again only when its
// size or modification time changed. Each file this target writes gets a time of its own, so
// every input is really parsed.
time_t g_nextTime = 1000000000;

void StampNewTime() {
    const timespec times[2] = {{g_nextTime, 0}, {g_nextTime, 0}};
    ++g_nextTime;
    FUZZ_CHECK(::utimensat(AT_FDCWD, g_file.c_str(), times, 0) == 0);
}

void WriteFile(const uint8_t* data, size_t size) {
    {
        std::ofstream out(g_file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        FUZZ_CHECK(out.good());
    }
    StampNewTime();
}

// The stored flags, each of which must hold a real bool after the load.
constexpr bool AppSettings::*kFlags[] = {
    &AppSettings::WindowMaximized,  &AppSettings::WindowMinimized,   &AppSettings::RefreshAtStartup,
    &AppSettings::HideFSNavigators, &AppSettings::FilterEnable,      &AppSettings::FilterFull,
    &AppSettings::FilterPassword,   &AppSettings::FilterDirectX,     &AppSettings::FilterPing,
    &AppSettings::FilterPlayers,    &AppSettings::FilterFS2002,      &AppSettings::FilterFS2004,
    &AppSettings::FilterText,       &AppSettings::FilterServerNames, &AppSettings::ShowCloseMsg,
};

constexpr int AppSettings::*kNumbers[] = {
    &AppSettings::ServerListViewWidth, &AppSettings::ServerListViewHeight,
    &AppSettings::PlayerViewWidth,     &AppSettings::PlayerViewHeight,
    &AppSettings::FlightPlanViewWidth, &AppSettings::FlightPlanViewHeight,
    &AppSettings::ServerInfoViewWidth, &AppSettings::ServerInfoViewHeight,
    &AppSettings::MaxThreads,          &AppSettings::ServerSortOrder,
    &AppSettings::FilterPingNum,       &AppSettings::FilterPlayersNum,
};

constexpr std::string AppSettings::*kTexts[] = {
    &AppSettings::MasterServerURL,
    &AppSettings::FilterTextString,
    &AppSettings::FilterServerNamesString,
};

void CheckRules(const AppSettings& settings, const ProfileStore& store) {
    for (bool AppSettings::*flag : kFlags) {
        unsigned char byte = 0;
        std::memcpy(&byte, &(settings.*flag), 1);
        FUZZ_CHECK(byte <= 1);
    }
    const ProfileStore::Bytes rect = store.ReadBytes(kSettingsSection, "WindowPosition", {});
    if (rect.size() == 16) {
        int32_t sides[4];
        for (size_t i = 0; i < 4; ++i) {
            sides[i] = static_cast<int32_t>(uint32_t{rect[4 * i]} | uint32_t{rect[4 * i + 1]} << 8 |
                                            uint32_t{rect[4 * i + 2]} << 16 |
                                            uint32_t{rect[4 * i + 3]} << 24);
        }
        FUZZ_CHECK(settings.WindowPosition == (WindowRect{sides[0], sides[1], sides[2], sides[3]}));
    } else {
        FUZZ_CHECK(settings.WindowPosition == DefaultWindowRect(kScreenWidth, kScreenHeight));
    }
    FUZZ_CHECK(settings.RefreshAtStartup ==
               (store.ReadInt(kSettingsSection, "RefreshAtStartup", 1) == 1));
    FUZZ_CHECK(settings.WindowMaximized ==
               (store.ReadInt(kSettingsSection, "WindowMaximized", 0) == 1));
    FUZZ_CHECK(settings.MaxThreads == store.ReadInt(kSettingsSection, "MaxThreads", 15));
    FUZZ_CHECK(settings.FilterTextString ==
               store.ReadString(kSettingsSection, "FilterTextString", "HOP"));
    // Not stored, so never loaded.
    FUZZ_CHECK(!settings.WindowReady && settings.InstalledDirectXVersion == 7 &&
               settings.AppealText == "appeal");
}

void CheckSame(const AppSettings& a, const AppSettings& b) {
    for (bool AppSettings::*flag : kFlags) {
        FUZZ_CHECK(a.*flag == b.*flag);
    }
    for (int AppSettings::*number : kNumbers) {
        FUZZ_CHECK(a.*number == b.*number);
    }
    for (std::string AppSettings::*text : kTexts) {
        FUZZ_CHECK(a.*text == b.*text);
    }
    FUZZ_CHECK(a.WindowPosition == b.WindowPosition);
}

// What the reader makes of a value written as text: strings, lists of them, and the few types
// of its plain "@" forms. Anything else came from a binary stream.
bool MadeFromText(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::UnknownType:
        case QMetaType::QString:
        case QMetaType::QStringList:
        case QMetaType::QByteArray:
        case QMetaType::QRect:
        case QMetaType::QSize:
        case QMetaType::QPoint:
            return true;
        case QMetaType::QVariantList:
            for (const QVariant& element : value.toList()) {
                if (!MadeFromText(element)) {
                    return false;
                }
            }
            return true;
        default:
            return false;
    }
}

// A file the store reads holds no value that the reader decodes from a binary stream: the scan
// before the first read missed none.
void CheckNothingStreamed() {
    QSettings reader(QString::fromStdString(g_file.string()), QSettings::NativeFormat);
    for (const QString& key : reader.allKeys()) {
        FUZZ_CHECK(MadeFromText(reader.value(key)));
    }
}

AppSettings FreshRecord() {
    AppSettings settings;
    settings.InstalledDirectXVersion = 7;
    settings.AppealText = "appeal";
    return settings;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetTraceSink([](int, const std::string&) {});
    // Before any QSettings exists: it fixes its paths when the first one is made.
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                          "/perivant-fuzz-settings-XXXXXX";
    FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
    g_home = pattern;
    ::setenv("XDG_CONFIG_HOME", g_home.c_str(), 1);
    g_file = g_home / "Perivant" / "Perivant.conf";
    fs::create_directories(g_file.parent_path());
    std::ofstream(g_file).flush();
    FUZZ_CHECK(QtProfileStore().FileName().toStdString() == g_file.string());
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(g_home, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path aside = g_file.string() + ".damaged";
    fs::remove(aside);
    WriteFile(data, size);
    AppSettings loaded = FreshRecord();
    {
        QtProfileStore store;
        LoadSettings(loaded, store, kScreenWidth, kScreenHeight);
        CheckRules(loaded, store);
        if (fs::exists(aside)) {
            // A file the store would not read gives every default.
            AppSettings defaults = FreshRecord();
            LoadSettings(defaults, MemoryProfileStore(), kScreenWidth, kScreenHeight);
            CheckSame(loaded, defaults);
        } else {
            CheckNothingStreamed();
        }
        SaveSettings(loaded, store);
    }
    // What was saved is parsed from the file again, not taken from the cache.
    StampNewTime();
    AppSettings reloaded = FreshRecord();
    {
        QtProfileStore store;
        LoadSettings(reloaded, store, kScreenWidth, kScreenHeight);
        CheckRules(reloaded, store);
    }
    CheckSame(loaded, reloaded);
    return 0;
}
