// The host's version: major, minor and patch, read from the version text the host gives:
// eight leading characters ("Version "), then major.minor.patch.
#pragma once

#include <cstdint>
#include <string_view>

namespace Tessaro {

struct HostVersion {
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t patch = 0;
};

// Takes the dot-separated numbers after the eight leading characters; a number that cannot
// be found stays 0.
HostVersion parseHostVersion(std::u16string_view text);

}  // namespace Tessaro
