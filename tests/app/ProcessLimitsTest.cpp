#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>
#include <string>

#include "app/ProcessLimits.h"

namespace perivant {
namespace {

bool IsDevNull(int fd) {
    struct stat open {};
    struct stat null {};
    return fstat(fd, &open) == 0 && stat("/dev/null", &null) == 0 && S_ISCHR(open.st_mode) &&
           open.st_rdev == null.st_rdev;
}

// Runs the start-up step in a child started without the given standard streams; the exit status
// says what went wrong (0: nothing).
int StartWithout(std::initializer_list<int> closed) {
    const pid_t child = fork();
    if (child == 0) {
        for (int fd : closed) {
            close(fd);
        }
        OpenMissingStandardStreams();
        for (int fd : closed) {
            if (!IsDevNull(fd)) {
                _exit(10 + fd);
            }
        }
        // What the program opens next must not take a standard stream's number.
        const int socketFd = socket(AF_INET, SOCK_STREAM, 0);
        _exit(socketFd > STDERR_FILENO ? 0 : 20);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ProcessLimitsTest, MissingStandardStreamsBecomeTheNullDevice) {
    EXPECT_EQ(StartWithout({STDERR_FILENO}), 0);
    EXPECT_EQ(StartWithout({STDIN_FILENO, STDERR_FILENO}), 0);
    EXPECT_EQ(StartWithout({STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}), 0);
    EXPECT_EQ(StartWithout({STDOUT_FILENO}), 0);
}

TEST(ProcessLimitsTest, OpenStandardStreamsAreLeftAlone) {
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    if (child == 0) {
        // Standard error is a pipe here, as when the trace is captured.
        dup2(pipeFds[1], STDERR_FILENO);
        OpenMissingStandardStreams();
        _exit(IsDevNull(STDERR_FILENO) || write(STDERR_FILENO, "kept", 4) != 4 ? 1 : 0);
    }
    close(pipeFds[1]);
    char buffer[8] = {};
    const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(std::string(buffer, got > 0 ? static_cast<size_t>(got) : 0), "kept");
}

TEST(ProcessLimitsTest, WriteToAClosedPipeFailsWithoutEndingTheProgram) {
    const pid_t child = fork();
    if (child == 0) {
        IgnoreClosedPipes();
        int fds[2];
        if (pipe(fds) != 0) {
            _exit(2);
        }
        close(fds[0]);
        _exit(write(fds[1], "x", 1) == -1 && errno == EPIPE ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << (WIFSIGNALED(status) ? "ended by signal " + std::to_string(WTERMSIG(status)) : "");
}

// What the program holds when it starts the web browser: a socket pair as libcurl makes it, at a
// low and a high number. The started program (a shell) must see standard error and neither.
TEST(ProcessLimitsTest, StartedProgramsInheritNothingAboveStandardError) {
    const pid_t child = fork();
    if (child == 0) {
        int pair[2];
        if (socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0 || dup2(pair[1], 900) != 900) {
            _exit(2);
        }
        KeepDescriptorsFromChildren();
        const std::string check = "test -e /proc/self/fd/2 && ! test -e /proc/self/fd/" +
                                  std::to_string(pair[0]) + " && ! test -e /proc/self/fd/900";
        execl("/bin/sh", "sh", "-c", check.c_str(), static_cast<char*>(nullptr));
        _exit(3);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "exit status " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1);
}

}  // namespace
}  // namespace perivant
