// The project's output channels: the mixer's channels that belong to no track and no
// effect channel. The song header and the output bus chunk set their volume and pan while
// the file is read.
#pragma once

#include <cstdint>

namespace Tessaro {

struct HostSession;

// Sets the "volume" of every output channel to the gain (the app's 0 to 100 scale) on the
// host's fader scale.
void setOutputVolume(const HostSession& host, std::uint16_t fileVersion, float gain);
// Sets the pan parameter of every "Panner" of every output channel to the pan (-1 to 1).
void setOutputPan(const HostSession& host, float pan);

}  // namespace Tessaro
