// How the server list copes with many servers: adds 1,000 and then 10,000 rows one by one to
// the real view on the offscreen platform, each row sorted in and the columns sized after it,
// as the main window does for every server that answers. Ten times the rows should cost about
// ten times the time; the program fails when it costs more than twenty.
//
// Two ways of feeding it: all rows in one go (one event-loop turn at the end), and one row per
// event-loop turn, as the servers' messages arrive in the running program.

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

// Seconds to add count rows one by one; eventLoopPerRow runs the event loop after each one.
double AddRows(int count, bool eventLoopPerRow) {
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

    auto start = std::chrono::steady_clock::now();
    for (const ServerPtr& server : servers) {
        view.AddServerRow(server);
        if (eventLoopPerRow) {
            QCoreApplication::processEvents();
        }
    }
    // Lay out and paint what was added.
    QCoreApplication::processEvents();
    view.repaint();
    auto end = std::chrono::steady_clock::now();

    if (view.ServerRowCount() != count) {
        std::fprintf(stderr, "expected %d rows, found %d\n", count, view.ServerRowCount());
    }
    return std::chrono::duration<double>(end - start).count();
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
        AddRows(300, eventLoopPerRow);  // warm up fonts, styles and caches
        double small = AddRows(1000, eventLoopPerRow);
        double large = AddRows(10000, eventLoopPerRow);
        double ratio = large / small;
        std::printf("%-28s 1,000 rows: %8.3f s   10,000 rows: %8.3f s   ratio %.1f (limit 20)\n",
                    eventLoopPerRow ? "one row per event-loop turn" : "rows in one go", small,
                    large, ratio);
        std::fflush(stdout);
        withinBound = withinBound && ratio <= 20.0;
    }
    return withinBound ? 0 : 1;
}
