#pragma once

#include <string>

namespace perivant {

// Puts a Windows-1252 text on the clipboard as plain text.
void CopyTextToClipboard(const std::string& text);

}  // namespace perivant
