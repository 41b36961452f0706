#pragma once

#include <string>

namespace perivant {

// Opens an http:// or https:// address in the user's web browser; anything else is ignored.
// The address is read tolerantly: one with a byte that a URL may not carry as it stands ("|",
// "^", "\", a lone "%") opens percent-encoded instead of being refused without a word.
void OpenInBrowser(const std::string& url);

}  // namespace perivant
