#include "env/WineSystemDirectory.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "text/CaseCompare.h"

namespace perivant {

namespace {

std::string HomeDirectory() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return home;
    }
    struct passwd entry;
    struct passwd* result = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &result) == 0 &&
        result != nullptr && result->pw_dir != nullptr) {
        return result->pw_dir;
    }
    return {};
}

std::string Join(const std::string& directory, const std::string& name) {
    if (!directory.empty() && directory.back() == '/') {
        return directory + name;
    }
    return directory + "/" + name;
}

}  // namespace

std::string WineSystemDirectory::FindEntry(const std::string& directory, const std::string& name) {
    std::string exact = Join(directory, name);
    struct stat status;
    if (::lstat(exact.c_str(), &status) == 0) {
        return exact;
    }
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) {
        return {};
    }
    std::string best;
    while (struct dirent* entry = ::readdir(dir)) {
        if (EqualsNoCase(entry->d_name, name) && (best.empty() || entry->d_name < best)) {
            best = entry->d_name;
        }
    }
    ::closedir(dir);
    return best.empty() ? std::string() : Join(directory, best);
}

std::string WineSystemDirectory::ForPrefix(const std::string& prefix) {
    std::string path = prefix;
    for (const char* part : {"drive_c", "windows", "system32"}) {
        std::string found = FindEntry(path, part);
        path = found.empty() ? Join(path, part) : found;
    }
    return path;
}

std::optional<std::string> WineSystemDirectory::Locate() {
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix != nullptr && *prefix != '\0') {
        return ForPrefix(prefix);
    }
    std::string home = HomeDirectory();
    if (home.empty()) {
        return std::nullopt;
    }
    return ForPrefix(Join(home, ".wine"));
}

}  // namespace perivant
