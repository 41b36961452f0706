// corvane-lab: a Master Server and any number of Corvane hosts on loopback addresses, for
// Perivant's integration tests, demo and benchmarks.
#include <signal.h>

#include <cstdio>
#include <string>

#include "LabOptions.h"
#include "LabServer.h"

namespace {

bool WriteFile(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && ok;
}

// Written under a temporary name and renamed, so that a waiting test never reads half a file.
bool WriteFileAtomically(const std::string& path, const std::string& text) {
    std::string temporary = path + ".tmp";
    return WriteFile(temporary, text) && std::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace corvanelab;
    ::signal(SIGPIPE, SIG_IGN);

    LabOptions options;
    std::string error;
    int parsed = ParseOptions(argc, argv, options, error);
    if (parsed == 1) {
        return 0;
    }
    if (parsed != 0) {
        std::fprintf(stderr, "corvane-lab: %s\n", error.c_str());
        return 2;
    }

    LabServer lab(options);
    if (!lab.Start(error)) {
        std::fprintf(stderr, "corvane-lab: %s\n", error.c_str());
        return 1;
    }
    if (!options.manifestFile.empty() &&
        !WriteFileAtomically(options.manifestFile, lab.Manifest())) {
        std::fprintf(stderr, "corvane-lab: cannot write %s\n", options.manifestFile.c_str());
        return 1;
    }
    std::string url = lab.MasterUrl();
    std::printf("%s\n", url.c_str());
    std::fflush(stdout);
    if (!options.readyFile.empty() && !WriteFileAtomically(options.readyFile, url + "\n")) {
        std::fprintf(stderr, "corvane-lab: cannot write %s\n", options.readyFile.c_str());
        return 1;
    }
    if (!options.quiet) {
        std::fprintf(stderr, "corvane-lab: %zu hosts from %s, time limit %u s\n", options.hosts,
                     options.firstAddress.c_str(), options.timeLimitSeconds);
    }

    lab.Run();

    if (options.stats) {
        lab.PrintStats(stderr);
    }
    if (!options.statsFile.empty() && !lab.WriteStatsFile(options.statsFile, error)) {
        std::fprintf(stderr, "corvane-lab: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
