#include "app/ProcessLimits.h"

#include <malloc.h>
#include <sys/resource.h>

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

}  // namespace perivant
