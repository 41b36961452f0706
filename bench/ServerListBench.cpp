// How the server list copes with many servers: adds 1,000, 10,000 and 100,000 rows one by one
// to the real view on the offscreen platform, each row sorted in and the columns sized after
// it, as the main window does for every server that answers. The time per row should hardly
// grow with the number of rows: the program fails when a row among 100,000 costs more than
// twice a row among 1,000.
//
// Two ways of feeding it: all rows in one go (one event-loop turn at the end), and one row per
// event-loop turn, as the servers' messages arrive in the running program. Each size is given
// at most two minutes; a size that runs out of time reports the rows it managed.

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <QApplication>
#include <QTest>

#include "app/AppSettings.h"
#include "app/MemoryProfileStore.h"
#include "views/CServerListView.h"

namespace {

using perivant::ServerInfo;
using perivant::ServerPtr;
using perivant::ServerRecord;

std::vector<ServerPtr> MakeServers(int count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> letter('a', 'z');
    std::uniform_int_distribution<int> length(4, 40);
    std::uniform_int_distribution<int> ping(-1, 900);
    std::uniform_int_distribution<int> pilots(0, 64);
    std::vector<ServerPtr> servers;
    servers.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        ServerInfo info;
        info.Address = "127.0." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 2);
        info.Port = 8080;
        int n = length(random);
        for (int k = 0; k < n; ++k) {
            info.ServerName += static_cast<char>(letter(random));
        }
        info.SessionName = "Session " + std::to_string(i);
        info.CurrentPilots = std::to_string(pilots(random));
        info.MaxPilots = "unlimited";
        info.HostsFS2002 = i % 3 != 0;
        info.HostsFS2004 = i % 2 == 0;
        info.PingMs = ping(random);
        info.PasswordRequired = i % 5 == 0;
        info.DirectXTooOld = i % 11 == 0;
        info.Version = "2.0b" + std::to_string(i % 12);
        servers.push_back(std::make_shared<ServerRecord>(std::move(info)));
    }
    return servers;
}

// Seconds per row to add count rows one by one; eventLoopPerRow runs the event loop after each
// one. Stops early at the deadline and says so.
double SecondsPerRow(int count, bool eventLoopPerRow) {
    perivant::AppSettings settings;
    settings.ServerSortOrder = 2;
    perivant::MemoryProfileStore store;
    perivant::CServerListView view(settings, store);
    view.resize(900, 500);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view)) {
        std::fprintf(stderr, "the view was never shown\n");
    }
    std::vector<ServerPtr> servers = MakeServers(count, 20260101u + static_cast<unsigned>(count));

    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + std::chrono::minutes(2);
    int added = 0;
    for (const ServerPtr& server : servers) {
        view.AddServerRow(server);
        ++added;
        if (eventLoopPerRow) {
            QCoreApplication::processEvents();
        }
        if (added % 256 == 0 && std::chrono::steady_clock::now() > deadline) {
            std::printf("  (%d rows: stopped after %d rows, out of time)\n", count, added);
            break;
        }
    }
    // Lay out and paint what was added.
    QCoreApplication::processEvents();
    view.repaint();
    const auto end = std::chrono::steady_clock::now();

    if (view.ServerRowCount() != added) {
        std::fprintf(stderr, "expected %d rows, found %d\n", added, view.ServerRowCount());
    }
    return std::chrono::duration<double>(end - start).count() / added;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);

    // --one-go skips the slower feeding, one row per event-loop turn, which mostly measures
    // painting.
    bool oneGoOnly = false;
    for (int i = 1; i < argc; ++i) {
        oneGoOnly = oneGoOnly || std::string(argv[i]) == "--one-go";
    }
    bool withinBound = true;
    for (bool eventLoopPerRow : {false, true}) {
        if (eventLoopPerRow && oneGoOnly) {
            break;
        }
        const char* mode = eventLoopPerRow ? "one row per event-loop turn" : "rows in one go";
        SecondsPerRow(300, eventLoopPerRow);  // warm up fonts, styles and caches
        const double small = SecondsPerRow(1000, eventLoopPerRow);
        const double medium = SecondsPerRow(10000, eventLoopPerRow);
        const double large = SecondsPerRow(100000, eventLoopPerRow);
        const double ratio = large / small;
        std::printf(
            "%-28s per row: 1,000 rows %8.1f us   10,000 rows %8.1f us   100,000 rows "
            "%8.1f us   ratio %.2f (limit 2)\n",
            mode, small * 1e6, medium * 1e6, large * 1e6, ratio);
        std::fflush(stdout);
        withinBound = withinBound && ratio <= 2.0;
    }
    return withinBound ? 0 : 1;
}
