#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace perivant {

// Finds the version resource of a Windows executable or DLL (PE32 or PE32+): DOS header, PE
// signature, file and optional headers, the section table, then the resource directory down
// type 16 (version), its first name or id and its first language to the data entry, whose RVA
// the sections turn into a file offset. Every offset and count in the file is checked before
// use; the walk has a fixed depth of three, so a directory that points back at itself cannot
// make it loop. Files are read piece by piece, never whole.
class PeVersionReader {
public:
    // A version block cannot be longer than its 16-bit root length; bytes beyond are not read.
    static constexpr size_t kMaxVersionBlock = 0xFFFF;

    // The version block of an image held in memory.
    static bool ReadVersionBlock(std::span<const uint8_t> image, std::vector<uint8_t>& block);

    // The version block of a file. Only regular files are opened.
    static bool ReadVersionBlock(const std::string& path, std::vector<uint8_t>& block);

    // The file version a.b.c.d of a file as a*2^48 + b*2^32 + c*2^16 + d, from the fixed file
    // information of its version block. False when any of it cannot be read.
    static bool ReadFileVersion(const std::string& path, uint64_t& version);
};

}  // namespace perivant
