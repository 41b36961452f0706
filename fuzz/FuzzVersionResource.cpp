// The PE reader and the version-block reader on any bytes: the input is read as a DLL image
// (from memory and from a file, which must agree) and, on its own, as a version block.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "env/PeVersionReader.h"
#include "env/VersionInfoReader.h"
#include "env/VersionText.h"

using namespace perivant;

namespace {

int g_imageFd = -1;
std::string g_imagePath;

bool Inside(std::span<const uint8_t> part, std::span<const uint8_t> whole) {
    return part.empty() || (part.data() >= whole.data() &&
                            part.data() + part.size() <= whole.data() + whole.size());
}

// Every query the program makes of a version block, and a few it might.
void QueryBlock(std::span<const uint8_t> block) {
    const VersionInfoReader reader(block);
    FixedFileInfo fixed;
    if (reader.QueryFixedFileInfo(fixed)) {
        FUZZ_CHECK(fixed.Signature == VersionInfoReader::kFixedSignature);
    }
    for (const char* path : {"\\", "\\StringFileInfo", "\\VarFileInfo\\Translation",
                             "\\\\VarFileInfo\\\\Translation\\", "VS_VERSION_INFO", ""}) {
        std::span<const uint8_t> value;
        bool isText = false;
        if (reader.QueryValue(path, value, isText)) {
            FUZZ_CHECK(Inside(value, block));
        }
    }
    std::vector<uint32_t> translations;
    if (reader.QueryTranslations(translations)) {
        FUZZ_CHECK(!translations.empty() && translations.size() <= block.size() / 4);
        for (size_t i = 0; i < translations.size() && i < 4; ++i) {
            char table[64];
            std::snprintf(table, sizeof table, "\\StringFileInfo\\%04X%04X\\",
                          translations[i] & 0xFFFF, translations[i] >> 16);
            for (const char* name : {"FileVersion", "ProductVersion", "CompanyName"}) {
                std::string text;
                if (reader.QueryString(std::string(table) + name, text)) {
                    FUZZ_CHECK(text.size() <= block.size() / 2);
                }
            }
        }
    }
    const std::string version = GetVersionText(block);
    FUZZ_CHECK(version.size() <= 15);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A file in memory: the file reader opens it by name like any DLL, without disk writes.
    g_imageFd = ::memfd_create("perivant-fuzz-image", MFD_CLOEXEC);
    FUZZ_CHECK(g_imageFd >= 0);
    g_imagePath = "/proc/self/fd/" + std::to_string(g_imageFd);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> input(data, size);

    std::vector<uint8_t> block;
    const bool found = PeVersionReader::ReadVersionBlock(input, block);
    if (found) {
        FUZZ_CHECK(!block.empty() && block.size() <= PeVersionReader::kMaxVersionBlock);
        FUZZ_CHECK(block.size() <= size);
        QueryBlock(block);
    }

    // The same image as a file: read piece by piece, it must give the same block.
    FUZZ_CHECK(::ftruncate(g_imageFd, 0) == 0);
    FUZZ_CHECK(size == 0 || ::pwrite(g_imageFd, data, size, 0) == static_cast<ssize_t>(size));
    std::vector<uint8_t> fromFile;
    FUZZ_CHECK(PeVersionReader::ReadVersionBlock(g_imagePath, fromFile) == found);
    FUZZ_CHECK(fromFile == block);
    uint64_t version = 0;
    FixedFileInfo fixed;
    const bool hasVersion = found && VersionInfoReader(block).QueryFixedFileInfo(fixed);
    FUZZ_CHECK(PeVersionReader::ReadFileVersion(g_imagePath, version) == hasVersion);
    if (hasVersion) {
        FUZZ_CHECK(version == fixed.FileVersion());
    }

    QueryBlock(input);
    return 0;
}
