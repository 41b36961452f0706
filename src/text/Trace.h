#pragma once

#include <functional>
#include <string>

namespace perivant {

// Severities of the diagnostic trace. They do not change the line.
enum TraceSeverity { TraceInfo = 1, TraceWarning = 2, TraceThreadFailure = 3 };

// Writes one diagnostic line: the local time as "%y%m%d %H:%M:%S", two blanks, then the message
// formatted printf-style into a 1000-byte buffer (a longer one keeps its first 999 characters).
// The message carries its own line feed. Lines go to standard error unless a sink is installed.
void Trace(int severity, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Receives every finished line with its severity; tests install one to read what was traced.
// Installing an empty function restores standard error. Safe to call from any thread.
using TraceSink = std::function<void(int severity, const std::string& line)>;
void SetTraceSink(TraceSink sink);

// The message part alone, formatted as Trace formats it (exposed for tests of the 999 cut).
std::string FormatTraceMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace perivant
