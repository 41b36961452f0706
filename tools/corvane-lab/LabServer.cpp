#include "LabServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "HostModel.h"
#include "MasterList.h"

namespace corvanelab {

namespace {

constexpr std::uint64_t kListenerKey = 1ULL << 63;
constexpr std::uint64_t kSignalKey = 1ULL << 62;
constexpr std::uint64_t kMasterListenerIndex = 0xFFFFFFFFULL;
constexpr std::size_t kMaxHead = 16 * 1024;
constexpr std::uint32_t kDrainMs = 2000;
constexpr std::size_t kFlushBudget = 1024 * 1024;  // bytes per wake-up, so no client starves

// Host i lives on the i-th usable address from first on: last octets 0 and 255 are skipped.
std::vector<std::string> HostAddresses(const std::string& first, std::size_t count,
                                       std::string& error) {
    in_addr start{};
    inet_pton(AF_INET, first.c_str(), &start);
    std::uint32_t value = ntohl(start.s_addr);
    std::vector<std::string> addresses;
    addresses.reserve(count);
    while (addresses.size() < count) {
        if ((value >> 24) != 127) {
            error = "too many hosts: the addresses run out of 127.0.0.0/8";
            return {};
        }
        std::uint32_t last = value & 0xFF;
        if (last != 0 && last != 255) {
            in_addr address{htonl(value)};
            char text[INET_ADDRSTRLEN];
            inet_ntop(AF_INET, &address, text, sizeof text);
            addresses.emplace_back(text);
        }
        ++value;
    }
    return addresses;
}

}  // namespace

std::int64_t LabServer::NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

LabServer::LabServer(const LabOptions& options) : m_options(options) {}

LabServer::~LabServer() {
    for (auto& [id, c] : m_connections) {
        ::close(c.fd);
    }
    for (const auto& site : m_hosts) {
        if (site.fd >= 0) {
            ::close(site.fd);
        }
    }
    for (int fd : {m_master.fd, m_epoll, m_signals, m_spareFd}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

bool LabServer::RaiseDescriptorLimit(std::string& error) {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
        getrlimit(RLIMIT_NOFILE, &limit);
    }
    // A listening socket per host, a few of our own, and room for connections.
    rlim_t needed = m_options.hosts + 64;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < needed) {
        error = "descriptor limit " + std::to_string(limit.rlim_cur) + " is too low for " +
                std::to_string(m_options.hosts) + " hosts";
        return false;
    }
    return true;
}

bool LabServer::OpenListener(Site& site, bool listening, std::string& error) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    site.fd = fd;
    // A refusing host keeps its port bound without listening: connections are refused and no
    // other program can take the port meanwhile. Address reuse lets every socket bind beside
    // the TIME_WAIT connections an earlier run left on the same address and port.
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(site.port);
    inet_pton(AF_INET, site.address.c_str(), &address.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        error =
            "bind " + site.address + ":" + std::to_string(site.port) + ": " + std::strerror(errno);
        return false;
    }
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    site.port = ntohs(address.sin_port);
    if (!listening) {
        return true;
    }
    if (::listen(fd, SOMAXCONN) != 0) {
        error = "listen " + site.address + ": " + std::strerror(errno);
        return false;
    }
    std::uint64_t index = &site == &m_master ? kMasterListenerIndex
                                             : static_cast<std::uint64_t>(&site - m_hosts.data());
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = kListenerKey | index;
    if (::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event) != 0) {
        error = std::string("epoll_ctl: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool LabServer::Start(std::string& error) {
    if (!RaiseDescriptorLimit(error)) {
        return false;
    }
    std::vector<Fault> faults;
    if (!AssignFaults(m_options.faults, m_options.hosts, m_options.seed, faults, error)) {
        return false;
    }
    std::vector<std::string> addresses =
        HostAddresses(m_options.firstAddress, m_options.hosts, error);
    if (addresses.size() != m_options.hosts) {
        return false;
    }

    m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
    m_spareFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    m_signals = ::signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);
    if (m_epoll < 0 || m_signals < 0) {
        error = std::string("epoll/signalfd: ") + std::strerror(errno);
        return false;
    }
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = kSignalKey;
    ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_signals, &event);

    m_master.address = "127.0.0.1";
    m_master.port = m_options.masterPort;
    if (!OpenListener(m_master, true, error)) {
        return false;
    }
    m_hosts.resize(m_options.hosts);
    std::vector<ListedHost> listed;
    listed.reserve(m_hosts.size());
    for (std::size_t i = 0; i < m_hosts.size(); ++i) {
        Site& site = m_hosts[i];
        site.address = addresses[i];
        site.port = m_options.hostPort;
        site.fault = faults[i];
        if (!OpenListener(site, site.fault != Fault::Refuse, error)) {
            return false;
        }
        HostModel model = BuildHostModel(m_options, i, site.address, site.port, site.fault);
        listed.push_back({site.address, site.port, model.masterGuid2002, model.masterGuid2004});
        if (!m_options.manifestFile.empty()) {
            m_manifest += ManifestLine(model);
        }
    }
    m_masterBody = Share(BuildMasterList(m_options, listed));
    m_startMs = NowMs();
    m_endMs = m_startMs + static_cast<std::int64_t>(m_options.timeLimitSeconds) * 1000;
    return true;
}

std::string LabServer::MasterUrl() const {
    return "http://127.0.0.1:" + std::to_string(m_master.port) + "/cgi-bin/corvane_master.cgi";
}

std::string LabServer::Manifest() const {
    return ManifestHeader() + m_manifest;
}

void LabServer::Run() {
    std::vector<epoll_event> events(256);
    while (true) {
        std::int64_t now = NowMs();
        if (now >= m_endMs) {
            break;
        }
        m_timers.RunDue(now, [this](std::uint64_t id, std::uint64_t token) {
            auto found = m_connections.find(id);
            if (found != m_connections.end() && found->second.timerToken == token) {
                found->second.timerToken = 0;
                OnTimer(id, found->second);
            }
        });
        int timeout = static_cast<int>(std::min<std::int64_t>(
            m_timers.WaitFor(now, 1000), std::min<std::int64_t>(m_endMs - now, 1000)));
        int count = ::epoll_wait(m_epoll, events.data(), static_cast<int>(events.size()), timeout);
        if (count < 0 && errno != EINTR) {
            std::perror("corvane-lab: epoll_wait");
            break;
        }
        for (int i = 0; i < count; ++i) {
            std::uint64_t key = events[i].data.u64;
            if (key == kSignalKey) {
                return;
            }
            if (key & kListenerKey) {
                std::uint64_t index = key & ~kListenerKey;
                Accept(index == kMasterListenerIndex ? kMasterSite
                                                     : static_cast<std::size_t>(index));
            } else {
                OnEvent(key, events[i].events);
            }
        }
    }
}

void LabServer::Accept(std::size_t siteIndex) {
    Site& site = siteIndex == kMasterSite ? m_master : m_hosts[siteIndex];
    for (int round = 0; round < 64; ++round) {
        int fd = ::accept4(site.fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) {
                continue;
            }
            if ((errno == EMFILE || errno == ENFILE) && m_spareFd >= 0) {
                // Out of descriptors: take the pending connection with the spare one and drop
                // it, or the listener would report it again at once for ever.
                ++m_acceptFailures;
                ::close(m_spareFd);
                int dropped = ::accept4(site.fd, nullptr, nullptr, SOCK_CLOEXEC);
                if (dropped >= 0) {
                    ::close(dropped);
                }
                m_spareFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
            }
            return;
        }
        std::uint64_t id = m_nextId++;
        Connection& c = m_connections[id];
        c.id = id;
        c.fd = fd;
        c.site = siteIndex;
        ++site.connections;
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.u64 = id;
        ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event);
        SetTimer(id, c, m_options.headerTimeoutMs);
    }
}

void LabServer::OnEvent(std::uint64_t id, std::uint32_t events) {
    auto found = m_connections.find(id);
    if (found == m_connections.end()) {
        return;
    }
    Connection& c = found->second;
    // An error, or a hang-up after the client's end of input was already seen: the
    // connection is gone (level-triggered, this would otherwise be reported again and again).
    if ((events & EPOLLERR) || ((events & EPOLLHUP) && c.readClosed)) {
        Close(id);
        return;
    }
    if (events & (EPOLLIN | EPOLLHUP)) {
        OnReadable(id, c);
        found = m_connections.find(id);
        if (found == m_connections.end()) {
            return;
        }
    }
    if ((events & EPOLLOUT) && c.state == State::Sending) {
        Flush(id, c);
    }
}

void LabServer::OnReadable(std::uint64_t id, Connection& c) {
    char buffer[8192];
    for (int round = 0; round < 16; ++round) {
        ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                Close(id);
            }
            return;
        }
        if (n == 0) {
            // The client has finished sending. Before its request is complete, while we hold
            // it on purpose, or once our answer is out, that ends the connection; while an
            // answer is due, the client may still be reading, so only stop watching input.
            if (c.state == State::Waiting || c.state == State::Sending) {
                c.readClosed = true;
                epoll_event event{};
                event.events = c.watchingWrite ? std::uint32_t{EPOLLOUT} : 0U;
                event.data.u64 = id;
                ::epoll_ctl(m_epoll, EPOLL_CTL_MOD, c.fd, &event);
            } else {
                Close(id);
            }
            return;
        }
        if (c.state != State::ReadingHead) {
            continue;  // anything after the request head is read and dropped
        }
        c.head.append(buffer, static_cast<std::size_t>(n));
        std::size_t end = c.head.find("\r\n\r\n");
        if (end == std::string::npos) {
            end = c.head.find("\n\n");
        }
        bool tooLong = end == std::string::npos ? c.head.size() > kMaxHead : end > kMaxHead;
        if (!tooLong && end != std::string::npos) {
            OnHead(id, c);
            return;
        }
        if (tooLong) {
            ++SiteOf(c).requests;
            Respond(c, 431, "text/html", ErrorPage(431));
            StartSending(id, c, 0);
            return;
        }
    }
}

void LabServer::OnHead(std::uint64_t id, Connection& c) {
    Site& site = SiteOf(c);
    ++site.requests;
    std::string line = c.head.substr(0, c.head.find('\n'));
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    std::size_t first = line.find(' ');
    std::size_t second = first == std::string::npos ? first : line.find(' ', first + 1);
    std::string method = line.substr(0, first);
    std::string target =
        first == std::string::npos ? "" : line.substr(first + 1, second - first - 1);
    c.head.clear();
    c.head.shrink_to_fit();
    if (m_options.log) {
        std::fprintf(stderr, "corvane-lab: %s:%u %s %s [%s]\n", site.address.c_str(),
                     static_cast<unsigned>(site.port), method.c_str(), target.c_str(),
                     c.site == kMasterSite ? "master" : FaultName(site.fault));
    }
    if (method.empty() || target.empty() || target[0] != '/') {
        Respond(c, 400, "text/html", ErrorPage(400));
        StartSending(id, c, 0);
        return;
    }
    c.headOnly = method == "HEAD";
    if (c.site == kMasterSite) {
        if (m_options.masterFault == MasterFault::Silent) {
            c.state = State::Silent;
            c.timerToken = 0;  // held until the client gives up
            return;
        }
        AnswerMaster(c);
        StartSending(id, c, m_options.masterDelayMs);
        return;
    }
    std::string path = target.substr(0, target.find('?'));
    switch (site.fault) {
        case Fault::Silent:
            c.state = State::Silent;
            c.timerToken = 0;  // held until the client gives up
            return;
        case Fault::Reset:
            Close(id, true);
            return;
        default:
            break;
    }
    AnswerHost(c, path);
    std::uint32_t delay = site.fault == Fault::Slow ? m_options.slowMs
                          : path == "/xml"          ? m_options.delayMs
                                                    : 0;
    StartSending(id, c, delay);
}

void LabServer::StartSending(std::uint64_t id, Connection& c, std::uint32_t delayMs) {
    if (delayMs > 0) {
        c.state = State::Waiting;
        SetTimer(id, c, delayMs);
        return;
    }
    c.state = State::Sending;
    c.timerToken = 0;
    Flush(id, c);
}

void LabServer::Flush(std::uint64_t id, Connection& c) {
    std::size_t budget = kFlushBudget;
    while (budget > 0) {
        if (c.out.empty() && c.endless) {
            c.out.push_back(EndlessChunk());
        }
        if (c.out.empty() || c.sent >= c.sendLimit) {
            FinishSending(id, c);
            return;
        }
        const std::string& segment = *c.out.front();
        std::size_t length =
            std::min<std::uint64_t>({segment.size() - c.outOffset, c.sendLimit - c.sent, budget});
        if (c.trickle) {
            length = 1;
        }
        ssize_t n = ::send(c.fd, segment.data() + c.outOffset, length, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                WatchWrite(c, true);
                return;
            }
            Close(id);  // the client went away
            return;
        }
        c.sent += static_cast<std::uint64_t>(n);
        budget -= std::min(budget, static_cast<std::size_t>(n));
        c.outOffset += static_cast<std::size_t>(n);
        if (c.outOffset >= segment.size()) {
            c.out.pop_front();
            c.outOffset = 0;
        }
        if (c.trickle && !(c.out.empty() || c.sent >= c.sendLimit)) {
            WatchWrite(c, false);
            c.state = State::Waiting;
            SetTimer(id, c, m_options.trickleMs);
            return;
        }
    }
    WatchWrite(c, true);  // more to send: come back on the next round of events
}

void LabServer::FinishSending(std::uint64_t id, Connection& c) {
    // Half-close and wait briefly for the client to close its side, so that the last bytes are
    // not lost to a reset caused by unread input.
    c.out.clear();
    WatchWrite(c, false);
    ::shutdown(c.fd, SHUT_WR);
    if (c.readClosed) {
        Close(id);
        return;
    }
    c.state = State::Draining;
    SetTimer(id, c, kDrainMs);
}

void LabServer::OnTimer(std::uint64_t id, Connection& c) {
    switch (c.state) {
        case State::Waiting:
            c.state = State::Sending;
            Flush(id, c);
            break;
        default:
            // Request head never completed, or the client never closed after our answer.
            Close(id);
    }
}

void LabServer::SetTimer(std::uint64_t id, Connection& c, std::uint32_t delayMs) {
    c.timerToken = m_nextToken++;
    m_timers.Schedule(NowMs() + delayMs, id, c.timerToken);
}

void LabServer::WatchWrite(Connection& c, bool on) {
    if (c.watchingWrite == on) {
        return;
    }
    c.watchingWrite = on;
    epoll_event event{};
    event.events =
        (c.readClosed ? 0U : std::uint32_t{EPOLLIN}) | (on ? std::uint32_t{EPOLLOUT} : 0U);
    event.data.u64 = c.id;
    ::epoll_ctl(m_epoll, EPOLL_CTL_MOD, c.fd, &event);
}

void LabServer::Close(std::uint64_t id, bool reset) {
    auto found = m_connections.find(id);
    if (found == m_connections.end()) {
        return;
    }
    if (reset) {
        linger hard{1, 0};
        ::setsockopt(found->second.fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    }
    ::close(found->second.fd);  // also leaves the epoll set
    m_connections.erase(found);
}

}  // namespace corvanelab
