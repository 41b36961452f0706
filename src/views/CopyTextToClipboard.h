#pragma once

#include <string>

namespace perivant {

// Puts a Windows-1252 text on the clipboard as plain text. True when the clipboard then holds
// it; a clipboard that is busy or missing gives false after a bounded number of tries.
bool CopyTextToClipboard(const std::string& text);

}  // namespace perivant
