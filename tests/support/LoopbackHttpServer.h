#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace perivant::testing {

// A scripted HTTP server for tests on 127.0.0.1 at a free port. Every connection runs on a
// thread of its own: the server reads the request head (up to the blank line) and hands it,
// with the connection, to the test's handler, then closes the connection. The destructor stops
// the server, wakes handlers that wait, and joins every thread.
class LoopbackHttpServer {
public:
    class Connection;
    using Handler = std::function<void(Connection& connection, const std::string& request)>;

    explicit LoopbackHttpServer(Handler handler);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    int Port() const { return port_; }
    // Every request head received so far, in order of arrival.
    std::vector<std::string> Requests() const;

    class Connection {
    public:
        Connection(int fd, const std::atomic<bool>& stopping) : fd_(fd), stopping_(stopping) {}
        // Writes all of text; false when the peer is gone.
        bool Send(const std::string& text);
        // Waits up to the given time; false when the server stops or the peer closes first.
        bool Pause(std::chrono::milliseconds duration);

    private:
        int fd_;
        const std::atomic<bool>& stopping_;
    };

private:
    void AcceptLoop();
    void Serve(int fd);

    Handler handler_;
    int listenFd_ = -1;
    int port_ = 0;
    int wakeFd_ = -1;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

// A TCP port on 127.0.0.1 that refuses connections: bound, never listening, held while the
// object lives so that nothing else takes it.
class RefusingPort {
public:
    RefusingPort();
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;
    int Port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

}  // namespace perivant::testing
