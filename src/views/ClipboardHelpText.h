#pragma once

#include <string>

namespace perivant {

// The help message shown once after a server's IP address went to the clipboard, from the
// server list (double click) and from the info pane's copy button alike.
std::string ClipboardHelpText(const std::string& address);

// The message box text when the clipboard could not take the address.
inline constexpr const char* kClipboardErrorText =
    "Error copying server's IP address to clipboard.";

}  // namespace perivant
