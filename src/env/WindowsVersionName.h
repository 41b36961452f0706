#pragma once

#include <cstdint>
#include <string>

namespace perivant {

// The parts of the operating system's version information that name a Windows version.
struct WindowsVersionRecord {
    uint32_t PlatformId = 0;  // 0 Win32s, 1 Windows 9x, 2 Windows NT
    uint32_t MajorVersion = 0;
    uint32_t MinorVersion = 0;
    std::string CSDVersion;  // service-pack text, such as " C" or "Service Pack 2"
};

// The operating system's version query.
class WindowsVersionSource {
public:
    virtual ~WindowsVersionSource() = default;
    // Fills record from a version structure of structureSize bytes (156 extended, 148 basic).
    virtual bool GetVersionEx(uint32_t structureSize, WindowsVersionRecord& record) = 0;
};

// Linux has no Windows version to ask for: every query fails.
class UnavailableWindowsVersionSource final : public WindowsVersionSource {
public:
    bool GetVersionEx(uint32_t, WindowsVersionRecord&) override { return false; }
};

// Names the version in record and gives its code: 0 Win32s, 1 Windows 95, 2 Windows 95-OSR2,
// 3 Windows 98, 4 Windows 98-SE, 5 Windows ME, 6 Windows NT (4 and earlier), 7 Windows 2000,
// 8 Windows XP; -1 for anything else, leaving name unchanged. Codes 0, 1, 2 and 6 cannot run
// DirectX 9.
int WindowsVersionName(const WindowsVersionRecord& record, std::string& name);

// Asks source for the extended version information, then for the basic one, and names the
// result; -1 when both fail.
int GetWindowsVersionName(std::string& name, WindowsVersionSource& source);

// The running system's Windows version: always -1 on Linux.
int GetWindowsVersionName(std::string& name);

}  // namespace perivant
