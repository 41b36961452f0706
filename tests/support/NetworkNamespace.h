#pragma once

#include <functional>

namespace perivant::testing {

// ThreadSanitizer stops a forked child that starts threads, as the name resolver does.
#if defined(__SANITIZE_THREAD__)
inline constexpr bool kThreadSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
inline constexpr bool kThreadSanitizer = true;
#else
inline constexpr bool kThreadSanitizer = false;
#endif
#else
inline constexpr bool kThreadSanitizer = false;
#endif

// Exit status of a child that could not make its namespace (not root, say).
inline constexpr int kNoNamespace = 77;

// Runs body in a forked child inside a network namespace of its own, where only what the body
// sets up exists: nothing it sends can leave the machine. Returns the body's result (0 to 255),
// kNoNamespace when the namespace could not be made, or -1 when the child did not exit.
// withLoopback brings the namespace's loopback interface up first.
int RunInNewNetworkNamespace(bool withLoopback, const std::function<int()>& body);

// Writes a value to a file under /proc/sys; false when that fails.
bool WriteSysctl(const char* path, const char* value);

}  // namespace perivant::testing
