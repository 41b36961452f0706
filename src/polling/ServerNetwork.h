#pragma once

#include <string>

#include "polling/HttpClient.h"

namespace perivant {

// How the polling engine reaches the network; tests replace it to feed pages directly.
class ServerNetwork {
public:
    virtual ~ServerNetwork() = default;
    // An HTTP GET as HttpClient::Get does it, with empty user name and password.
    virtual int FetchPage(const std::string& host, int port, const std::string& objectPath,
                          const std::string& agentName, std::string& body,
                          std::string& errorText) = 0;
    virtual int Ping(const std::string& address, int timeoutMs) = 0;
};

// The real network: HttpClient (by default with its 30-second time-outs), and PingHost.
class RealServerNetwork : public ServerNetwork {
public:
    RealServerNetwork() = default;
    // Every request uses a copy of this client: tests and tools set shorter limits.
    explicit RealServerNetwork(const HttpClient& client) : m_client(client) {}

    int FetchPage(const std::string& host, int port, const std::string& objectPath,
                  const std::string& agentName, std::string& body, std::string& errorText) override;
    int Ping(const std::string& address, int timeoutMs) override;

private:
    HttpClient m_client;
};

}  // namespace perivant
