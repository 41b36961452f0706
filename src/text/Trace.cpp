#include "text/Trace.h"

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
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
    }
}

void SetTraceSink(TraceSink sink) {
    std::lock_guard<std::mutex> lock(SinkMutex());
    Sink() = std::move(sink);
}

}  // namespace perivant
