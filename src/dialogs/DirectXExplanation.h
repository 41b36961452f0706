#pragma once

#include <string>

namespace perivant {

class WindowsVersionSource;

// Where users of an older DirectX can get a newer one.
inline constexpr const char* kDirectXDownloadAddress = "http://www.microsoft.com/directx/";

// The closing line of the DirectX explanations, from the Windows version code and name: a
// Windows that cannot run DirectX 9 (codes 0, 1, 2, 6) is named, one that can (3, 4, 5, 7, 8)
// gets the download address, any other code adds nothing.
std::string WindowsVersionAddition(int windowsCode, const std::string& windowsName);

// The text of the filter dialog's "Explain more" for the installed DirectX major version. The
// Windows version is asked of source only when the installed version is below 9.
std::string FilterDirectXExplanation(int installedDirectXVersion, WindowsVersionSource& source);

// The same for the running system.
std::string FilterDirectXExplanation(int installedDirectXVersion);

}  // namespace perivant
