#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace perivant::testing {

// One healthy or faulty host as the lab's manifest describes it.
struct LabHost {
    std::string address;
    int port = 0;
    std::string fault;
    std::vector<std::string> columns;  // all manifest columns, from address on
};

// Runs corvane-lab as a child process for one test and stops it again. The lab serves only
// loopback addresses and stops by itself after its time limit even if a test dies.
class LabProcess {
public:
    // Starts the lab with these options (plus a ready file, a manifest and a time limit) and
    // waits until it listens. Check Started() afterwards.
    explicit LabProcess(const std::vector<std::string>& options, int timeLimitSeconds = 300);
    ~LabProcess();
    LabProcess(const LabProcess&) = delete;
    LabProcess& operator=(const LabProcess&) = delete;

    bool Started() const { return !m_masterUrl.empty(); }
    const std::string& MasterUrl() const { return m_masterUrl; }
    const std::vector<LabHost>& Hosts() const { return m_hosts; }
    void Stop();

    // Where the lab binary is: the build tells the tests.
    static std::string Binary();

private:
    pid_t m_pid = -1;
    std::string m_dir;
    std::string m_masterUrl;
    std::vector<LabHost> m_hosts;
};

}  // namespace perivant::testing
