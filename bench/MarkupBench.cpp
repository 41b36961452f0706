// Load speed of the status-page reader against a general DOM parser on the same pages. After the
// usual table it prints, for each page, the reader's time per load against the parser's as a
// ratio (goal: at most 1, the reader at least as fast), and exits with 1 when a ratio is above 1.
#include "text/MarkupDocument.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

// Small deterministic generator, so every run parses the same bytes.
class Sequence {
public:
    uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }
    template <size_t N>
    const char* Pick(const char* const (&items)[N]) {
        return items[Below(static_cast<int>(N))];
    }

private:
    uint32_t state = 20240601u;
};

void Field(std::string& out, const char* indent, const char* name, const std::string& value) {
    out += indent;
    out += '<';
    out += name;
    out += '>';
    out += value;
    out += "</";
    out += name;
    out += ">\n";
}

std::string Guid(Sequence& seq) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string guid;
    for (int group : {8, 4, 4, 2, 2, 2, 2, 2, 2, 2, 2}) {
        if (!guid.empty()) {
            guid += '-';
        }
        for (int i = 0; i < group; ++i) {
            guid += kHex[seq.Below(16)];
        }
    }
    return guid;
}

std::string StatusPage(int players, int flightPlans) {
    static const char* const kAircraft[] = {
        "Boeing 737-800", "Cessna Skyhawk 172SP", "Beechcraft Baron 58", "Learjet 45",
        "Mooney Bravo",   "Airbus A321 &amp; Co", "Douglas DC-3",        "Extra 300S"};
    static const char* const kAirports[] = {"KSEA", "EGLL", "LFPG", "EDDF", "KJFK",
                                            "RJTT", "YSSY", "CYYZ", "KSFO", "EHAM"};
    static const char* const kTypes[] = {"Pilot", "Observer"};
    static const char* const kStatus[] = {"Flying", "Parked", "Taxiing", "Slewing"};
    static const char* const kPlanStatus[] = {"Filed", "Open", "Closed"};

    Sequence seq;
    std::string page;
    page.reserve(static_cast<size_t>(players) * 560 + static_cast<size_t>(flightPlans) * 420 +
                 2048);
    page += "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<Corvane>\n";
    const char* in = "  ";
    Field(page, in, "ServerName", "  Northern Lights Virtual &amp; Friends  ");
    Field(page, in, "ServerURL", "http://www.northern-lights.example/");
    Field(page, in, "Version", "3.2.1");
    Field(page, in, "DirectXVersionRequired", "9");
    Field(page, in, "SessionName", "Weekend group flight");
    Field(page, in, "PasswordRequired", "");
    Field(page, in, "CurrentPilots", std::to_string(players));
    Field(page, in, "MaxPilots", "unlimited");
    Field(page, in, "CurrentObservers", "3");
    Field(page, in, "MaxObservers", "50");
    Field(page, in, "SessionComments",
          "Welcome to the caf&#233; flight!\r\n"
          "Rules: no slewing &amp; no crashing on runways &lt;please&gt;.\r\n"
          "Weather is real-world, &quot;live&quot; updated every 15 minutes.\r\n"
          "Voice: teamspeak on port 8767 &#x2014; ATC from 18:00 UTC.\r\n"
          "Have fun &#38; fly safe&#33;");
    Field(page, in, "SessionGUID2002", "00000000-0000-0000-00-00-00-00-00-00-00-00");
    Field(page, in, "SessionGUID2004", Guid(seq));

    const char* in3 = "      ";
    page += "  <Players>\n";
    for (int i = 0; i < players; ++i) {
        page += "    <Player>\n";
        Field(page, in3, "Name", "Pilot" + std::to_string(1000 + i));
        Field(page, in3, "GameVersion", seq.Below(3) == 0 ? "FS2002" : "FS2004");
        Field(page, in3, "Type", seq.Pick(kTypes));
        Field(page, in3, "Aircraft", seq.Pick(kAircraft));
        Field(page, in3, "ConnectTime",
              std::to_string(seq.Below(24)) + ":" + std::to_string(10 + seq.Below(50)) + ":" +
                  std::to_string(10 + seq.Below(50)));
        Field(page, in3, "NearAirport", seq.Pick(kAirports));
        Field(page, in3, "Altitude", std::to_string(seq.Below(41000)));
        Field(page, in3, "Heading", std::to_string(seq.Below(360)));
        Field(page, in3, "Speed", std::to_string(seq.Below(480)));
        Field(page, in3, "Hop", std::to_string(seq.Below(4)));
        Field(page, in3, "DXVersion", "9.0c");
        Field(page, in3, "Status", seq.Pick(kStatus));
        page += "    </Player>\n";
    }
    page += "  </Players>\n  <FlightPlans>\n";
    for (int i = 0; i < flightPlans; ++i) {
        page += "    <FlightPlan>\n";
        Field(page, in3, "PlayerName", "Pilot" + std::to_string(1000 + seq.Below(players + 1)));
        Field(page, in3, "Plan",
              std::string(seq.Pick(kAirports)) + " DCT VOR1 J" + std::to_string(seq.Below(99)) +
                  " VOR2 DCT " + seq.Pick(kAirports) + " FL" +
                  std::to_string(100 + seq.Below(300)));
        Field(page, in3, "StatusText", seq.Pick(kPlanStatus));
        Field(page, in3, "TimeFiledText", "2024-06-01 18:" + std::to_string(10 + seq.Below(50)));
        Field(page, in3, "TimeOpenedText", "2024-06-01 19:" + std::to_string(10 + seq.Below(50)));
        Field(page, in3, "TimeClosedText", "");
        Field(page, in3, "OpenTimeText", std::to_string(seq.Below(300)) + " min");
        page += "    </FlightPlan>\n";
    }
    page += "  </FlightPlans>\n</Corvane>\n";
    return page;
}

const std::string& TypicalPage() {
    static const std::string page = StatusPage(200, 100);
    return page;
}

// About 10 MB of the same shape: the typical page scaled up.
const std::string& LargePage() {
    static const std::string page = [] {
        const int scale = static_cast<int>(10'000'000 / TypicalPage().size()) + 1;
        return StatusPage(200 * scale, 100 * scale);
    }();
    return page;
}

// A fresh document a load is how a status query uses the reader; a reused one shows the parse
// without the allocator's share.
void MarkupLoad(benchmark::State& state, const std::string& (*page)(), bool reuse) {
    const std::string& text = page();
    perivant::MarkupDocument reused;
    for (auto _ : state) {
        perivant::MarkupDocument fresh;
        perivant::MarkupDocument& doc = reuse ? reused : fresh;
        if (!doc.Load(text)) {
            state.SkipWithError(doc.ErrorText().c_str());
            break;
        }
        benchmark::DoNotOptimize(doc.NextFreeIndex());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
    state.SetLabel(std::to_string(text.size()) + " bytes");
}

void PugiLoad(benchmark::State& state, const std::string& (*page)(), bool reuse) {
    const std::string& text = page();
    pugi::xml_document reused;
    for (auto _ : state) {
        pugi::xml_document fresh;
        pugi::xml_document& doc = reuse ? reused : fresh;
        const pugi::xml_parse_result result = doc.load_buffer(text.data(), text.size());
        if (!result) {
            state.SkipWithError(result.description());
            break;
        }
        benchmark::DoNotOptimize(doc.first_child());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
    state.SetLabel(std::to_string(text.size()) + " bytes");
}

BENCHMARK_CAPTURE(MarkupLoad, StatusPage, &TypicalPage, false);
BENCHMARK_CAPTURE(PugiLoad, StatusPage, &TypicalPage, false);
BENCHMARK_CAPTURE(MarkupLoad, 10MB, &LargePage, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PugiLoad, 10MB, &LargePage, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MarkupLoad, StatusPageReused, &TypicalPage, true);
BENCHMARK_CAPTURE(PugiLoad, StatusPageReused, &TypicalPage, true);
BENCHMARK_CAPTURE(MarkupLoad, 10MBReused, &LargePage, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PugiLoad, 10MBReused, &LargePage, true)->Unit(benchmark::kMillisecond);

// The console table as usual, and the mean time per load of every benchmark, by page.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) {
                continue;
            }
            // "MarkupLoad/10MB" -> reader "MarkupLoad", page "10MB"
            const std::string name = run.benchmark_name();
            const size_t slash = name.find('/');
            if (slash == std::string::npos) {
                continue;
            }
            Sum& sum = m_sums[name.substr(slash + 1)][name.substr(0, slash)];
            sum.seconds += run.real_accumulated_time;
            sum.iterations += static_cast<double>(run.iterations);
        }
    }

    // Prints one line per page that both readers loaded; false when the reader was slower.
    bool PrintRatios() const {
        bool allWithin = true;
        std::printf("\nMarkupDocument against pugixml, time per load (ratio: goal at most 1):\n");
        for (const auto& [page, readers] : m_sums) {
            auto markup = readers.find("MarkupLoad");
            auto pugi = readers.find("PugiLoad");
            if (markup == readers.end() || pugi == readers.end()) {
                continue;
            }
            const double ours = markup->second.PerLoad();
            const double theirs = pugi->second.PerLoad();
            const double ratio = ours / theirs;
            std::printf("  %-18s MarkupDocument %10.3f ms   pugixml %10.3f ms   ratio %.2f  %s\n",
                        page.c_str(), ours * 1e3, theirs * 1e3, ratio,
                        ratio <= 1.0 ? "ok" : "SLOWER");
            allWithin = allWithin && ratio <= 1.0;
        }
        return allWithin;
    }

private:
    struct Sum {
        double seconds = 0;
        double iterations = 0;
        double PerLoad() const { return seconds / iterations; }
    };
    std::map<std::string, std::map<std::string, Sum>> m_sums;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.PrintRatios() ? 0 : 1;
}
