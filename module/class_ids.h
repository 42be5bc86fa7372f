// The module's own identifiers and names, as the host's plug-in loader sees them.
#pragma once

#include "interfaces/ftypes.h"

namespace Tessaro {

// The class identifier of the project filter "Tessaro Project".
inline constexpr Host::FUID kTessaroFilterClassId = Host::FUID::make(
    0x3D8C5A21, 0x6F47, 0x4E19, 0xB2, 0x5A, 0x91, 0x0C, 0x7E, 0x44, 0xD3, 0x68);

inline constexpr const char* kVendor = "Valdrun Media Technologies";
inline constexpr const char* kVendorUrl = "https://www.valdrun-media.example";
inline constexpr const char* kVendorEmail = "mailto:support@valdrun-media.example";
inline constexpr const char* kFilterCategory = "Project Filter";
inline constexpr const char* kFilterName = "Tessaro Project";
inline constexpr const char* kFilterVersion = "2.1.0.1";
inline constexpr const char* kInterfaceVersion = "4.0.0";

}  // namespace Tessaro
