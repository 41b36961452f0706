#pragma once

#include <optional>
#include <string>

#include "env/DirectXDiagnostic.h"

namespace perivant {

// A detected DirectX version; the letter is a blank when there is none.
struct DirectXVersion {
    int Major = 0;
    int Minor = 0;
    char Letter = ' ';
};

// Detects the installed DirectX version and gives it as text: "9.0", "8.1b", or "0.0" when no
// DirectX is found (at most 9 characters). Asks the diagnostic component first, then the file
// versions of the DirectX files in the system directory. Always succeeds, because the file
// method always has an answer.
bool DetectDirectXVersion(std::string& versionText);

// The same with the component and the system directory given; no directory means that it could
// not be had.
bool DetectDirectXVersion(std::string& versionText, DirectXDiagnostic& diagnostic,
                          const std::optional<std::string>& systemDirectory);

// The file-version method alone: the last of the known DirectX file versions that the files in
// systemDirectory reach, or 0.0.
DirectXVersion DirectXVersionFromFiles(const std::optional<std::string>& systemDirectory);

// "9.0" or "9.0c".
std::string DirectXVersionText(const DirectXVersion& version);

// The installed DirectX major version, 0 until detection has run or when none was found. Set
// once on the GUI thread before any query starts; read by the workers afterwards.
int InstalledDirectXVersion();
void SetInstalledDirectXVersion(int version);

// Runs detection and, when it succeeds, sets InstalledDirectXVersion to the integer value of the
// text. Returns the value in force afterwards.
int DetectInstalledDirectXVersion();

}  // namespace perivant
