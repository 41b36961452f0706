#include "support/NetworkNamespace.h"

#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

namespace perivant::testing {

namespace {

bool BringLoopbackUp() {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) {
        return false;
    }
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
    up = up && ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    close(fd);
    return up;
}

}  // namespace

int RunInNewNetworkNamespace(bool withLoopback, const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid < 0) {
        return -1;
    }
    if (pid == 0) {
        if (unshare(CLONE_NEWNET) != 0 || (withLoopback && !BringLoopbackUp())) {
            _exit(kNoNamespace);
        }
        _exit(body() & 0xFF);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

bool WriteSysctl(const char* path, const char* value) {
    const int fd = open(path, O_WRONLY);
    if (fd < 0) {
        return false;
    }
    const size_t length = std::strlen(value);
    const bool written = write(fd, value, length) == static_cast<ssize_t>(length);
    close(fd);
    return written;
}

}  // namespace perivant::testing
