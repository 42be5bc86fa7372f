// What the host's edition and version allow the import to build.
#pragma once

namespace Tessaro {

class TessaroImporter;

enum class HostFeature {
    EffectChannels,   // effect channels, mixer send routing and sends
    MasterEffects,    // inserts and the brickwall on the master channel
    ChannelLimiter,   // a brickwall becomes the channel limiter
    InsertChannelEq,  // a Tonalix EQ beyond the first slot may take the channel EQ
    InputPhaseOnRoot, // older hosts switch the input phase on the channel itself
};

bool hostAllows(const TessaroImporter& importer, HostFeature feature);

}  // namespace Tessaro
