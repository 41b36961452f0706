#include "env/WindowsVersionName.h"

namespace perivant {

namespace {

constexpr uint32_t kPlatformWin32s = 0;
constexpr uint32_t kPlatformWindows = 1;
constexpr uint32_t kPlatformNt = 2;
constexpr uint32_t kExtendedInfoSize = 156;
constexpr uint32_t kBasicInfoSize = 148;

int Named(std::string& name, const char* text, int code) {
    name = text;
    return code;
}

}  // namespace

int WindowsVersionName(const WindowsVersionRecord& record, std::string& name) {
    // The service-pack text is a C string: a shorter one has its terminator in second place.
    char second = record.CSDVersion.size() >= 2 ? record.CSDVersion[1] : '\0';
    uint32_t major = record.MajorVersion;
    uint32_t minor = record.MinorVersion;
    switch (record.PlatformId) {
        case kPlatformWin32s:
            return Named(name, "Win32S", 0);
        case kPlatformWindows:
            if (major == 4 && minor == 0) {
                return second == 'C' || second == 'B' ? Named(name, "Windows 95-OSR2", 2)
                                                      : Named(name, "Windows 95", 1);
            }
            if (major == 4 && minor == 10) {
                return second == 'A' ? Named(name, "Windows 98-SE", 4)
                                     : Named(name, "Windows 98", 3);
            }
            if (major == 4 && minor == 90) {
                return Named(name, "Windows ME", 5);
            }
            return -1;
        case kPlatformNt:
            if (major <= 4) {
                return Named(name, "Windows NT", 6);
            }
            if (major == 5 && minor == 0) {
                return Named(name, "Windows 2000", 7);
            }
            if (major == 5 && minor == 1) {
                return Named(name, "Windows XP", 8);
            }
            return -1;
        default:
            return -1;
    }
}

int GetWindowsVersionName(std::string& name, WindowsVersionSource& source) {
    WindowsVersionRecord record;
    if (!source.GetVersionEx(kExtendedInfoSize, record)) {
        record = WindowsVersionRecord();
        if (!source.GetVersionEx(kBasicInfoSize, record)) {
            return -1;
        }
    }
    return WindowsVersionName(record, name);
}

int GetWindowsVersionName(std::string& name) {
    UnavailableWindowsVersionSource source;
    return GetWindowsVersionName(name, source);
}

}  // namespace perivant
