#pragma once

#include <optional>
#include <string>

namespace perivant {

// Where a Linux user's Windows programs find their system files: the Windows system directory
// of the user's Wine prefix.
class WineSystemDirectory {
public:
    // $WINEPREFIX, else ~/.wine, then drive_c/windows/system32. Each of the three names is
    // taken in whatever case the prefix has it. Nothing when no prefix location is known.
    static std::optional<std::string> Locate();

    // The directory for a given prefix (exposed for tests).
    static std::string ForPrefix(const std::string& prefix);

    // The path of the entry in directory whose name equals name regardless of ASCII case: files
    // copied from Windows keep their case, Wine's own are lower-case. The exact name wins; of
    // several others the lowest in byte order, so the choice does not depend on the file system.
    // Empty when there is none.
    static std::string FindEntry(const std::string& directory, const std::string& name);
};

}  // namespace perivant
