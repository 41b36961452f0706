#pragma once

#include <cstdint>
#include <string>

namespace perivant {

// The DirectX diagnostic component, which reports the installed DirectX version directly.
// Detection asks it first and falls back to the versions of the DirectX system files.
class DirectXDiagnostic {
public:
    virtual ~DirectXDiagnostic() = default;

    // The properties "dwDirectXVersionMajor", "dwDirectXVersionMinor" and
    // "szDirectXVersionLetter" of the container "DxDiag_SystemInfo". False when the component
    // is missing or any of the three cannot be read with its expected type.
    virtual bool ReadVersion(uint32_t& major, uint32_t& minor, std::string& letter) = 0;
};

// Linux has no diagnostic component: asking it always fails, so detection goes to the files.
class UnavailableDirectXDiagnostic final : public DirectXDiagnostic {
public:
    bool ReadVersion(uint32_t&, uint32_t&, std::string&) override { return false; }
};

}  // namespace perivant
