#pragma once

#include <cstdint>
#include <span>

namespace perivant {

// The program's own version-information block. It stands in for the version resource of the
// program file: the build generates it from the project version (tools/mkversioninfo) and
// compiles it in, so the program carries it wherever its file goes.
std::span<const uint8_t> OwnVersionInfo();

}  // namespace perivant
