#include "text/Trace.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace perivant {

namespace {

constexpr size_t kTraceBufferSize = 1000;

std::mutex& SinkMutex() {
    static std::mutex mutex;
    return mutex;
}

TraceSink& Sink() {
    static TraceSink sink;
    return sink;
}

std::string FormatMessage(const char* format, va_list args) {
    char buffer[kTraceBufferSize];
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (n < 0) {
        return std::string();
    }
    return std::string(buffer);
}

std::string TimeStamp() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    size_t len = std::strftime(stamp, sizeof stamp, "%y%m%d %H:%M:%S", &local);
    return std::string(stamp, len);
}

// Standard error may be a pipe that nobody reads, or no longer reads: a write that waits for room
// there would hold the trace lock, and with it every thread that traces, the GUI thread
// included, for as long as the pipe stays full. A line it cannot take at once is dropped. A pipe
// that shows room takes a whole line (at most kTraceBufferSize and a time stamp) in one piece.
void WriteToStandardError(const std::string& line) {
    pollfd output{STDERR_FILENO, POLLOUT, 0};
    int ready = 0;
    do {
        ready = poll(&output, 1, 0);
    } while (ready < 0 && errno == EINTR);
    if (ready != 1 || (output.revents & POLLOUT) == 0) {
        return;
    }
    size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = write(STDERR_FILENO, line.data() + written, line.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        written += static_cast<size_t>(n);
    }
}

}  // namespace

std::string FormatTraceMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string message = FormatMessage(format, args);
    va_end(args);
    return message;
}

void Trace(int severity, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string line = TimeStamp() + "  " + FormatMessage(format, args);
    va_end(args);

    std::lock_guard<std::mutex> lock(SinkMutex());
    if (Sink()) {
        Sink()(severity, line);
    } else {
        WriteToStandardError(line);
    }
}

void SetTraceSink(TraceSink sink) {
    std::lock_guard<std::mutex> lock(SinkMutex());
    Sink() = std::move(sink);
}

}  // namespace perivant
