#include "text/Trace.h"

#include <gtest/gtest.h>

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
