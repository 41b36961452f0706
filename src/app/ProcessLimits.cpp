#include "app/ProcessLimits.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include <algorithm>

namespace perivant {

void ReturnLargeBlocksToTheSystem() {
    // Setting the threshold also turns off the C library's moving of it.
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
}

void RaiseOpenFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return;
    }
    const rlim_t wanted = std::min<rlim_t>(limit.rlim_max, 65536);
    if (limit.rlim_cur < wanted) {
        limit.rlim_cur = wanted;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

void OpenMissingStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            // The lowest free number is this one, as the ones below it are open by now.
            const int opened = open("/dev/null", O_RDWR);
            if (opened != fd && opened >= 0) {
                close(opened);
                return;
            }
        }
    }
}

void IgnoreClosedPipes() {
    std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace perivant
