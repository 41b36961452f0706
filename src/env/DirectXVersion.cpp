#include "env/DirectXVersion.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <map>

#include "env/PeVersionReader.h"
#include "env/WineSystemDirectory.h"
#include "text/CaseCompare.h"
#include "text/IntegerValue.h"

namespace perivant {

namespace {

std::atomic<int> g_installedDirectXVersion{0};

constexpr uint64_t FileVersion(uint64_t a, uint64_t b, uint64_t c, uint64_t d) {
    return a << 48 | b << 32 | c << 16 | d;
}

enum class Rule {
    AtLeast,         // the file version reaches minimum
    AtLeastByMajor,  // 4.x reaches minimum, or 5.x reaches minimum5
    Readable,        // any readable version; ends the method
};

struct Step {
    const char* file;
    Rule rule;
    uint64_t minimum;
    uint64_t minimum5;
    DirectXVersion result;
};

// Each DirectX release left a file version behind; later steps overwrite earlier ones.
const Step kSteps[] = {
    {"ddraw.dll", Rule::AtLeast, FileVersion(4, 2, 0, 95), 0, {1, 0, ' '}},
    {"ddraw.dll", Rule::AtLeast, FileVersion(4, 3, 0, 1096), 0, {2, 0, ' '}},
    {"ddraw.dll", Rule::AtLeast, FileVersion(4, 4, 0, 68), 0, {3, 0, ' '}},
    {"d3drg8x.dll", Rule::AtLeast, FileVersion(4, 4, 0, 70), 0, {3, 0, 'a'}},
    {"ddraw.dll", Rule::AtLeast, FileVersion(4, 5, 0, 155), 0, {5, 0, ' '}},
    {"ddraw.dll", Rule::AtLeast, FileVersion(4, 6, 0, 318), 0, {6, 0, ' '}},
    {"ddraw.dll", Rule::AtLeast, FileVersion(4, 6, 0, 436), 0, {6, 1, ' '}},
    {"dplayx.dll", Rule::AtLeast, FileVersion(4, 6, 3, 518), 0, {6, 1, 'a'}},
    {"ddraw.dll", Rule::AtLeast, FileVersion(4, 7, 0, 700), 0, {7, 0, ' '}},
    {"dinput.dll", Rule::AtLeast, FileVersion(4, 7, 0, 716), 0, {7, 0, 'a'}},
    {"ddraw.dll",
     Rule::AtLeastByMajor,
     FileVersion(4, 8, 0, 400),
     FileVersion(5, 1, 2258, 400),
     {8, 0, ' '}},
    {"d3d8.dll",
     Rule::AtLeastByMajor,
     FileVersion(4, 8, 1, 881),
     FileVersion(5, 1, 2600, 881),
     {8, 1, ' '}},
    {"d3d8.dll",
     Rule::AtLeastByMajor,
     FileVersion(4, 8, 1, 901),
     FileVersion(5, 1, 2600, 901),
     {8, 1, 'a'}},
    {"mpg2splt.ax", Rule::AtLeast, FileVersion(6, 3, 1, 885), 0, {8, 1, 'b'}},
    {"dpnet.dll",
     Rule::AtLeastByMajor,
     FileVersion(4, 9, 0, 134),
     FileVersion(5, 2, 3677, 134),
     {8, 2, ' '}},
    {"d3d9.dll", Rule::Readable, 0, 0, {9, 0, ' '}},
};

bool Holds(const Step& step, uint64_t version) {
    uint64_t firstPart = version >> 48;
    switch (step.rule) {
        case Rule::AtLeast:
            return version >= step.minimum;
        case Rule::AtLeastByMajor:
            return (firstPart == 4 && version >= step.minimum) ||
                   (firstPart == 5 && version >= step.minimum5);
        case Rule::Readable:
            return true;
    }
    return false;
}

}  // namespace

std::string DirectXVersionText(const DirectXVersion& version) {
    // The text lives in a 10-byte buffer: at most 9 characters survive.
    char text[10];
    if (version.Letter == ' ' || version.Letter == '\0') {
        std::snprintf(text, sizeof text, "%d.%d", version.Major, version.Minor);
    } else {
        std::snprintf(text, sizeof text, "%d.%d%c", version.Major, version.Minor, version.Letter);
    }
    return text;
}

DirectXVersion DirectXVersionFromFiles(const std::optional<std::string>& systemDirectory) {
    DirectXVersion result;
    if (!systemDirectory) {
        return result;
    }
    // ddraw.dll is asked seven times; its answer does not change within one detection.
    std::map<std::string, std::optional<uint64_t>> versions;
    for (const Step& step : kSteps) {
        auto known = versions.find(step.file);
        if (known == versions.end()) {
            std::optional<uint64_t> version;
            std::string path = WineSystemDirectory::FindEntry(*systemDirectory, step.file);
            uint64_t value = 0;
            if (!path.empty() && PeVersionReader::ReadFileVersion(path, value)) {
                version = value;
            }
            known = versions.emplace(step.file, version).first;
        }
        if (!known->second || !Holds(step, *known->second)) {
            continue;
        }
        result = step.result;
        if (step.rule == Rule::Readable) {
            break;
        }
    }
    return result;
}

bool DetectDirectXVersion(std::string& versionText, DirectXDiagnostic& diagnostic,
                          const std::optional<std::string>& systemDirectory) {
    DirectXVersion version;
    uint32_t major = 0;
    uint32_t minor = 0;
    std::string letter;
    if (diagnostic.ReadVersion(major, minor, letter)) {
        version.Major = static_cast<int>(major);
        version.Minor = static_cast<int>(minor);
        // The component's letter text went into a 10-byte buffer; its first byte is the letter.
        version.Letter = letter.empty() ? '\0' : letter[0];
    } else {
        version = DirectXVersionFromFiles(systemDirectory);
    }
    version.Letter = LowerAscii(version.Letter);
    versionText = DirectXVersionText(version);
    return true;
}

bool DetectDirectXVersion(std::string& versionText) {
    UnavailableDirectXDiagnostic diagnostic;
    return DetectDirectXVersion(versionText, diagnostic, WineSystemDirectory::Locate());
}

int InstalledDirectXVersion() {
    return g_installedDirectXVersion.load(std::memory_order_acquire);
}

void SetInstalledDirectXVersion(int version) {
    g_installedDirectXVersion.store(version, std::memory_order_release);
}

int DetectInstalledDirectXVersion() {
    std::string text;
    if (DetectDirectXVersion(text)) {
        SetInstalledDirectXVersion(IntegerValue(text));
    }
    return InstalledDirectXVersion();
}

}  // namespace perivant
