#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace perivant {

// The program's version text, "1.6" for a release or "1.7b3" for a beta, from its own file
// version "1, 7, 3, 0". Reads the compiled-in version block on every call and keeps nothing.
// Empty when the block cannot be read or its file version does not have exactly four pieces.
std::string GetVersionText();

// The same for any version-information block.
std::string GetVersionText(std::span<const uint8_t> versionBlock);

// Orders two version texts: +1 when x is newer, 0 when the texts are the same bytes, -1 in every
// other case, also for different texts that read as the same numbers ("2.0" and "2.00"). A
// release is newer than all of its betas.
int CompareVersionText(std::string_view x, std::string_view y);

}  // namespace perivant
