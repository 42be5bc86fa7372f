// What the host's edition and version allow the import to build.
#pragma once

#include <compare>
#include <cstdint>
#include <string_view>

#include "hostkit/host_version.h"

namespace Tessaro {

struct HostSession;

enum class HostFeature {
    EffectChannels,   // effect channels, mixer send routing and sends
    MasterBrickwall,  // the brickwall on the master channel's limiter
    ChannelLimiter,   // a brickwall becomes the channel limiter
    InsertChannelEq,  // a Tonalix EQ beyond the first slot may take the channel EQ
    InputPhaseOnRoot, // older hosts switch the input phase on the channel itself
};

// Orders two host versions as whole numbers: major first, then minor, then patch.
std::strong_ordering compareVersions(const HostVersion& a, const HostVersion& b);

// True when the host of that name (compared case-sensitively and in full) and version
// offers the feature.
bool hostAllows(std::u16string_view hostName, const HostVersion& version, HostFeature feature);
// The same for the host of the import.
bool hostAllows(const HostSession& host, HostFeature feature);

}  // namespace Tessaro
