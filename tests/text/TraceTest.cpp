#include "text/Trace.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <regex>
#include <string>
#include <vector>

using namespace perivant;

namespace {

struct CapturedTrace {
    std::vector<std::pair<int, std::string>> lines;
    CapturedTrace() {
        SetTraceSink(
            [this](int severity, const std::string& line) { lines.emplace_back(severity, line); });
    }
    ~CapturedTrace() { SetTraceSink(nullptr); }
};

}  // namespace

TEST(Trace, LineIsTimeStampTwoBlanksAndMessage) {
    CapturedTrace trace;
    Trace(TraceWarning, "Error %d getting server data from %s:%d. %s\n", 404, "127.0.0.2", 23456,
          "");
    ASSERT_EQ(trace.lines.size(), 1u);
    EXPECT_EQ(trace.lines[0].first, TraceWarning);
    EXPECT_TRUE(std::regex_match(
        trace.lines[0].second,
        std::regex(
            R"(\d{6} \d{2}:\d{2}:\d{2}  Error 404 getting server data from 127\.0\.0\.2:23456\. \n)")))
        << trace.lines[0].second;
}

TEST(Trace, LongMessagesKeepTheirFirst999Characters) {
    std::string longText(5000, 'x');
    std::string message = FormatTraceMessage("%s", longText.c_str());
    EXPECT_EQ(message.size(), 999u);
    EXPECT_EQ(FormatTraceMessage("%s", std::string(999, 'y').c_str()).size(), 999u);
    EXPECT_EQ(FormatTraceMessage("%s", std::string(998, 'y').c_str()).size(), 998u);
}

// Runs body in a child whose standard error is the write end of a pipe, and returns what the pipe
// holds once the child has ended (read only then), or "killed" when the child did not end within
// ten seconds.
template <class Body>
std::string TraceIntoUnreadPipe(Body body) {
    int fds[2];
    if (pipe(fds) != 0) {
        return "no pipe";
    }
    const pid_t child = fork();
    if (child == 0) {
        alarm(10);
        dup2(fds[1], STDERR_FILENO);
        close(fds[0]);
        body();
        _exit(0);
    }
    close(fds[1]);
    int status = 0;
    waitpid(child, &status, 0);
    std::string text;
    char buffer[4096];
    fcntl(fds[0], F_SETFL, O_NONBLOCK);
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? text : "killed";
}

// Nobody reads the trace here: once the pipe is full, lines are dropped instead of holding the
// trace lock (and with it every thread that traces) until somebody reads.
TEST(Trace, FullStandardErrorPipeDropsLinesInsteadOfWaiting) {
    const std::string text = TraceIntoUnreadPipe([] {
        for (int i = 0; i < 5000; ++i) {
            Trace(TraceInfo, "line %d of a trace nobody reads %s\n", i,
                  std::string(80, '.').c_str());
        }
    });
    ASSERT_NE(text, "killed");
    // What went in is whole lines, from the first on.
    EXPECT_GT(text.size(), 4096u);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_NE(text.find("  line 0 of a trace"), std::string::npos);
    EXPECT_EQ(text.find("line 4999 of"), std::string::npos);
}

TEST(Trace, LinesReachStandardErrorWithoutASink) {
    const std::string text = TraceIntoUnreadPipe([] { Trace(TraceWarning, "one %s\n", "line"); });
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(\d{6} \d{2}:\d{2}:\d{2}  one line\n)")))
        << text;
}
