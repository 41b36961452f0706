#include "support/LabProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace perivant::testing {

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> out;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, '\t')) {
        out.push_back(field);
    }
    return out;
}

}  // namespace

std::string LabProcess::Binary() {
    const char* fromEnv = std::getenv("PERIVANT_LAB");
    return fromEnv ? fromEnv : PERIVANT_LAB_PATH;
}

LabProcess::LabProcess(const std::vector<std::string>& options, int timeLimitSeconds) {
    char pattern[] = "/tmp/perivant-lab-XXXXXX";
    if (!mkdtemp(pattern)) {
        return;
    }
    m_dir = pattern;
    const std::string ready = m_dir + "/ready";
    const std::string manifest = m_dir + "/manifest";

    std::vector<std::string> args = {
        Binary(),     "--quiet", "--ready-file", ready,
        "--manifest", manifest,  "--time-limit", std::to_string(timeLimitSeconds)};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    m_pid = fork();
    if (m_pid == 0) {
        int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (m_pid < 0) {
        return;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!std::filesystem::exists(ready)) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid ||
            std::chrono::steady_clock::now() > deadline) {
            m_pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::ifstream readyIn(ready);
    std::getline(readyIn, m_masterUrl);
    std::ifstream manifestIn(manifest);
    std::string line;
    while (std::getline(manifestIn, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        LabHost host;
        host.columns = SplitTabs(line);
        if (host.columns.size() >= 3) {
            host.address = host.columns[0];
            host.port = std::atoi(host.columns[1].c_str());
            host.fault = host.columns[2];
            m_hosts.push_back(std::move(host));
        }
    }
}

void LabProcess::Stop() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
    }
}

LabProcess::~LabProcess() {
    Stop();
    if (!m_dir.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
}

}  // namespace perivant::testing
