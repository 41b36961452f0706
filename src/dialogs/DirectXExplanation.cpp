#include "dialogs/DirectXExplanation.h"

#include "env/WindowsVersionName.h"

namespace perivant {

namespace {

constexpr const char* kIntroduction =
    "DirectX 8 has a bug in it that occasionally causes everyone in the session to\n"
    "be disconnected. DirectX 9 fixes that problem, and Corvane servers can optionally\n"
    "require that all players have DirectX 9 to be able to join the game.\n"
    "\n"
    "You have DirectX ";

constexpr const char* kInstalled = " installed on your machine ";

constexpr const char* kTooOld =
    "so if you try to join a server that\n"
    "requires DirectX 9, you will immediately be rejected with the message, \"The host\n"
    "has removed you from the session\".\n"
    "\n"
    "When a server requires a DirectX version greater than what you have, it's shown\n"
    "with a red \"DX\" symbol next to it in the server list. You can filter out these\n"
    "servers by enabling the checkbox on this window.\n";

constexpr const char* kRecentEnough =
    "so this is not a problem for you.\n"
    "If it was, you could filter out the servers that you weren't able to connect to.";

// The Windows version is asked for only when the explanation needs it.
template <typename AskWindowsVersion>
std::string ComposeExplanation(int installedDirectXVersion, AskWindowsVersion askWindowsVersion) {
    std::string text = kIntroduction + std::to_string(installedDirectXVersion) + kInstalled;
    if (installedDirectXVersion < 9) {
        text += kTooOld;
        std::string windowsName;
        int windowsCode = askWindowsVersion(windowsName);
        text += WindowsVersionAddition(windowsCode, windowsName);
    } else {
        text += kRecentEnough;
    }
    return text;
}

}  // namespace

std::string WindowsVersionAddition(int windowsCode, const std::string& windowsName) {
    switch (windowsCode) {
        case 0:
        case 1:
        case 2:
        case 6:
            return "\nUnfortunately, you have " + windowsName +
                   ", which is not supported by DirectX 9  :-(";
        case 3:
        case 4:
        case 5:
        case 7:
        case 8:
            return std::string("\nYou can upgrade your version of DirectX at: ") +
                   kDirectXDownloadAddress;
        default:
            return std::string();
    }
}

std::string FilterDirectXExplanation(int installedDirectXVersion, WindowsVersionSource& source) {
    return ComposeExplanation(installedDirectXVersion, [&source](std::string& name) {
        return GetWindowsVersionName(name, source);
    });
}

std::string FilterDirectXExplanation(int installedDirectXVersion) {
    return ComposeExplanation(installedDirectXVersion,
                              [](std::string& name) { return GetWindowsVersionName(name); });
}

}  // namespace perivant
