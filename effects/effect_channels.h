// Effect channels: one host effect channel per effect-bus record of the file.
#pragma once

namespace Tessaro {

struct HostSession;
struct SongModel;

// Creates one effect channel in the project and names it "Bus " and the song's effect
// bus counter; the counter advances once the channel has taken its mode. Does nothing
// when the host cannot make the object.
void createEffectChannel(const HostSession& host, SongModel& song);

}  // namespace Tessaro
