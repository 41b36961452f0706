// Start-up to first paint: how long Perivant takes from process start until its main window has
// been painted once, against a program that shows nothing but an empty main window of the same
// size. Goal: Perivant within 1.5 times the empty window.
//
// One source, two programs. `empty_window` (this file with PERIVANT_EMPTY_WINDOW_ONLY, Qt only)
// shows the empty window. `first_paint_bench` links the real application: with --child it starts
// Perivant exactly as its main() does; without arguments it is the driver, which starts each
// child in turn, the two kinds alternating, and times from just before the start of the process
// until the child reports on its standard output that its first paint is complete. Children
// run offscreen, with settings of their own in a temporary folder and RefreshAtStartup off, so
// nothing but start-up is measured and no request goes out.
//
// Usage: first_paint_bench [runs]   (default 15 of each)

#include <QApplication>
#include <QMainWindow>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#ifndef PERIVANT_EMPTY_WINDOW_ONLY
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "app/CMainFrame.h"
#include "app/CPerivantApp.h"

extern char** environ;
#endif

namespace {

// Reports once, on standard output, when the first paint of window has completed, and ends the
// process there: tearing down is not part of start-up.
class FirstPaintWatch : public QObject {
public:
    explicit FirstPaintWatch(QWidget* window) : m_window(window) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (!m_seen && event->type() == QEvent::Paint && object->isWidgetType() &&
            static_cast<QWidget*>(object)->window() == m_window) {
            m_seen = true;
            // The whole paint pass runs inside one event; this runs once it is done.
            QTimer::singleShot(0, [this] {
                std::printf("painted %dx%d\n", m_window->width(), m_window->height());
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return false;
    }

private:
    QWidget* m_window;
    bool m_seen = false;
};

}  // namespace

#ifdef PERIVANT_EMPTY_WINDOW_ONLY

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    // The size the driver measured for Perivant's window, so both paint the same area.
    const int width = argc > 2 ? std::atoi(argv[1]) : 800;
    const int height = argc > 2 ? std::atoi(argv[2]) : 600;
    window.resize(width, height);
    FirstPaintWatch watch(&window);
    window.show();
    return QApplication::exec();
}

#else

namespace {

using Clock = std::chrono::steady_clock;

// Perivant's own start, as in its main().
int RunPerivant(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Perivant"));
    QApplication::setApplicationName(QStringLiteral("Perivant"));
    perivant::CPerivantApp theApp;
    if (!theApp.InitInstance()) {
        return 1;
    }
    FirstPaintWatch watch(theApp.MainFrame());
    return QApplication::exec();
}

// Starts the program with args, waits at most 30 s for its report line, then ends it. Returns
// the seconds from just before the start to the report, or -1; size gets the window size text.
double TimeFirstPaint(const std::vector<std::string>& args, std::string& size) {
    int out[2];
    if (pipe(out) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    // The platform's start-up notes are of no interest here.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);

    const Clock::time_point start = Clock::now();
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    double seconds = -1;
    if (spawned == 0) {
        std::string line;
        char buffer[256];
        pollfd ready{out[0], POLLIN, 0};
        const Clock::time_point deadline = start + std::chrono::seconds(30);
        while (line.find('\n') == std::string::npos && Clock::now() < deadline) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (poll(&ready, 1, static_cast<int>(left.count()) + 1) <= 0) {
                continue;
            }
            const ssize_t n = read(out[0], buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            line.append(buffer, static_cast<size_t>(n));
        }
        if (line.rfind("painted ", 0) == 0) {
            seconds = std::chrono::duration<double>(Clock::now() - start).count();
            size = line.substr(8, line.find('\n') - 8);
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    close(out[0]);
    return seconds;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int Drive(const char* self, int runs) {
    char folder[] = "/tmp/perivant-first-paint-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        return 1;
    }
    const std::string config = std::string(folder) + "/Perivant";
    std::system(("mkdir -p '" + config + "'").c_str());
    std::ofstream(config + "/Perivant.conf") << "[Settings]\nRefreshAtStartup=0\nShowCloseMsg=0\n";
    setenv("XDG_CONFIG_HOME", folder, 1);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }

    // Perivant once first: its window size is the empty window's, and both warm the disk cache.
    std::string size;
    if (TimeFirstPaint({self, "--child"}, size) < 0) {
        std::fprintf(stderr, "Perivant never reported its first paint\n");
        return 1;
    }
    const std::string width = size.substr(0, size.find('x'));
    const std::string height = size.substr(size.find('x') + 1);
    TimeFirstPaint({PERIVANT_EMPTY_WINDOW_PATH, width, height}, size);

    std::vector<double> perivant;
    std::vector<double> empty;
    for (int i = 0; i < runs; ++i) {
        for (int kind = 0; kind < 2; ++kind) {
            // Alternate which goes first, so neither always follows the other.
            const bool ours = (kind == 0) == (i % 2 == 0);
            const double seconds =
                ours ? TimeFirstPaint({self, "--child"}, size)
                     : TimeFirstPaint({PERIVANT_EMPTY_WINDOW_PATH, width, height}, size);
            if (seconds < 0) {
                std::fprintf(stderr, "a child never reported its first paint\n");
                return 1;
            }
            (ours ? perivant : empty).push_back(seconds);
        }
    }
    std::system(("rm -rf '" + std::string(folder) + "'").c_str());

    const double ours = Median(perivant);
    const double theirs = Median(empty);
    const double ratio = ours / theirs;
    std::printf("Start-up to first paint (%sx%s window, medians of %d runs each):\n", width.c_str(),
                height.c_str(), runs);
    std::printf(
        "  Perivant %8.1f ms   empty QMainWindow %8.1f ms   ratio %.2f (goal at most 1.5)"
        "  %s\n",
        ours * 1e3, theirs * 1e3, ratio, ratio <= 1.5 ? "ok" : "MISSED");
    return ratio <= 1.5 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--child") {
        return RunPerivant(argc, argv);
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return 1;
    }
    self[length] = '\0';
    return Drive(self, runs);
}

#endif
