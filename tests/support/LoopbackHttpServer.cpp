#include "support/LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <stdexcept>

namespace perivant::testing {

namespace {

constexpr size_t kMaxRequestHead = 64 * 1024;
constexpr auto kRequestHeadLimit = std::chrono::seconds(5);
// Bounds the number of connections one server takes, so a runaway client cannot grow it.
constexpr size_t kMaxConnections = 200;

int BindLoopback(int& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw std::runtime_error("socket failed");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        throw std::runtime_error("bind failed");
    }
    port = ntohs(address.sin_port);
    return fd;
}

}  // namespace

bool LoopbackHttpServer::Connection::Send(const std::string& text) {
    size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = send(fd_, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

bool LoopbackHttpServer::Connection::Pause(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    while (!stopping_) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return true;
        }
        // Short slices keep the server's stop prompt; a readable socket means the peer left.
        pollfd peer{fd_, POLLIN, 0};
        const int slice = static_cast<int>(std::min<long long>(left.count(), 50));
        if (poll(&peer, 1, slice) > 0) {
            char discarded[512];
            if (recv(fd_, discarded, sizeof discarded, MSG_DONTWAIT) <= 0) {
                return false;
            }
        }
    }
    return false;
}

LoopbackHttpServer::LoopbackHttpServer(Handler handler) : handler_(std::move(handler)) {
    listenFd_ = BindLoopback(port_);
    wakeFd_ = eventfd(0, EFD_CLOEXEC);
    if (listen(listenFd_, 64) != 0 || wakeFd_ < 0) {
        close(listenFd_);
        throw std::runtime_error("listen failed");
    }
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    stopping_ = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
    acceptor_.join();
    for (std::thread& connection : connections_) {
        connection.join();
    }
    close(listenFd_);
    close(wakeFd_);
}

std::vector<std::string> LoopbackHttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void LoopbackHttpServer::AcceptLoop() {
    while (!stopping_) {
        pollfd waiting[2] = {{listenFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        if (poll(waiting, 2, -1) < 0 || (waiting[1].revents & POLLIN) != 0) {
            continue;
        }
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        if (connections_.size() >= kMaxConnections) {
            close(fd);
            continue;
        }
        connections_.emplace_back([this, fd] { Serve(fd); });
    }
}

void LoopbackHttpServer::Serve(int fd) {
    std::string head;
    const auto end = std::chrono::steady_clock::now() + kRequestHeadLimit;
    while (!stopping_ && head.find("\r\n\r\n") == std::string::npos &&
           head.size() < kMaxRequestHead && std::chrono::steady_clock::now() < end) {
        pollfd peer{fd, POLLIN, 0};
        if (poll(&peer, 1, 50) <= 0) {
            continue;
        }
        char buffer[4096];
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        head.append(buffer, static_cast<size_t>(n));
    }
    if (head.find("\r\n\r\n") != std::string::npos) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(head);
        }
        Connection connection(fd, stopping_);
        handler_(connection, head);
    }
    close(fd);
}

RefusingPort::RefusingPort() {
    fd_ = BindLoopback(port_);
}

RefusingPort::~RefusingPort() {
    close(fd_);
}

}  // namespace perivant::testing
