#pragma once

#include <string>

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

// The real network: HttpClient with its default time-outs, and PingHost.
class RealServerNetwork : public ServerNetwork {
public:
    int FetchPage(const std::string& host, int port, const std::string& objectPath,
                  const std::string& agentName, std::string& body,
                  std::string& errorText) override;
    int Ping(const std::string& address, int timeoutMs) override;
};

}  // namespace perivant
