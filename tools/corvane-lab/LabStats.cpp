// Request counts, printed or written when the lab stops.
#include <algorithm>
#include <cstdio>
#include <map>

#include "HostModel.h"
#include "LabServer.h"

namespace corvanelab {

void LabServer::PrintStats(std::FILE* out) const {
    struct PerFault {
        std::uint64_t hosts = 0;
        std::uint64_t connections = 0;
        std::uint64_t requests = 0;
        std::uint64_t unasked = 0;
    };
    std::map<std::string, PerFault> byFault;
    std::uint64_t connections = 0;
    std::uint64_t requests = 0;
    std::uint64_t unasked = 0;
    std::uint64_t most = 0;
    for (const auto& site : m_hosts) {
        PerFault& entry = byFault[FaultName(site.fault)];
        ++entry.hosts;
        entry.connections += site.connections;
        entry.requests += site.requests;
        connections += site.connections;
        requests += site.requests;
        most = std::max(most, site.requests);
        if (site.requests == 0) {
            ++entry.unasked;
            ++unasked;
        }
    }
    std::fprintf(out, "corvane-lab: ran %.1f s\n",
                 static_cast<double>(NowMs() - m_startMs) / 1000.0);
    std::fprintf(out, "corvane-lab: master: %llu connections, %llu requests\n",
                 static_cast<unsigned long long>(m_master.connections),
                 static_cast<unsigned long long>(m_master.requests));
    std::fprintf(out,
                 "corvane-lab: hosts: %zu, %llu connections, %llu requests, %llu never asked, "
                 "at most %llu requests on one host\n",
                 m_hosts.size(), static_cast<unsigned long long>(connections),
                 static_cast<unsigned long long>(requests),
                 static_cast<unsigned long long>(unasked), static_cast<unsigned long long>(most));
    for (const auto& [name, entry] : byFault) {
        std::fprintf(out,
                     "corvane-lab:   %-12s %6llu hosts %8llu connections %8llu requests "
                     "%6llu never asked\n",
                     name.c_str(), static_cast<unsigned long long>(entry.hosts),
                     static_cast<unsigned long long>(entry.connections),
                     static_cast<unsigned long long>(entry.requests),
                     static_cast<unsigned long long>(entry.unasked));
    }
    if (m_acceptFailures > 0) {
        std::fprintf(out, "corvane-lab: %llu connections dropped for want of descriptors\n",
                     static_cast<unsigned long long>(m_acceptFailures));
    }
}

bool LabServer::WriteStatsFile(const std::string& path, std::string& error) const {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        error = "cannot write " + path;
        return false;
    }
    std::fprintf(file, "#address\tport\tfault\tconnections\trequests\n");
    std::fprintf(file, "%s\t%u\tmaster\t%llu\t%llu\n", m_master.address.c_str(),
                 static_cast<unsigned>(m_master.port),
                 static_cast<unsigned long long>(m_master.connections),
                 static_cast<unsigned long long>(m_master.requests));
    for (const auto& site : m_hosts) {
        std::fprintf(file, "%s\t%u\t%s\t%llu\t%llu\n", site.address.c_str(),
                     static_cast<unsigned>(site.port), FaultName(site.fault),
                     static_cast<unsigned long long>(site.connections),
                     static_cast<unsigned long long>(site.requests));
    }
    bool ok = std::fclose(file) == 0;
    if (!ok) {
        error = "cannot write " + path;
    }
    return ok;
}

}  // namespace corvanelab
