#include "app/ProcessLimits.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/close_range.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

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

void KeepDescriptorsFromChildren() {
    if (close_range(STDERR_FILENO + 1, ~0U, CLOSE_RANGE_CLOEXEC) == 0) {
        return;
    }
    // Kernels before 5.11: one at a time, as listed.
    DIR* listing = opendir("/proc/self/fd");
    if (listing == nullptr) {
        return;
    }
    while (const dirent* entry = readdir(listing)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (*end != '\0' || end == entry->d_name || fd <= STDERR_FILENO || fd == dirfd(listing)) {
            continue;
        }
        const int flags = fcntl(static_cast<int>(fd), F_GETFD);
        if (flags != -1) {
            fcntl(static_cast<int>(fd), F_SETFD, flags | FD_CLOEXEC);
        }
    }
    closedir(listing);
}

}  // namespace perivant
