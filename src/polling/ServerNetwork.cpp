#include "polling/ServerNetwork.h"

#include "polling/PingHost.h"

namespace perivant {

int RealServerNetwork::FetchPage(const std::string& host, int port, const std::string& objectPath,
                                 const std::string& agentName, std::string& body,
                                 std::string& errorText) {
    HttpClient client = m_client;
    return client.Get(host, port, "", "", objectPath, agentName, body, errorText);
}

int RealServerNetwork::Ping(const std::string& address, int timeoutMs) {
    return PingHost(address, timeoutMs);
}

}  // namespace perivant
