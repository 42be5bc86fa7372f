// The project's output channels: the mixer's channels that belong to no track and no
// effect channel. The song header and the output bus chunk set their volume and pan while
// the file is read.
#pragma once

#include <cstdint>

namespace Tessaro {

struct HostSession;
class ImportNotes;

// Sets the "volume" of every output channel to the gain (the app's 0 to 100 scale) on the
// host's fader scale. A gain that is not a number is noted.
void setOutputVolume(const HostSession& host, ImportNotes& notes, std::uint16_t fileVersion,
                     float gain);
// Sets the pan parameter of every "Panner" of every output channel to the pan (-1 to 1). A
// pan that is not a number is noted.
void setOutputPan(const HostSession& host, ImportNotes& notes, float pan);

}  // namespace Tessaro
