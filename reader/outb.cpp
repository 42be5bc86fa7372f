// "OUTB": one output bus of the app's mixer. The gain and pan of bus 1 become the volume
// and pan of the host's output channels; the other buses are read and checked only.
#include "hostkit/host_session.h"
#include "hostkit/output_channels.h"
#include "model/song_model.h"
#include "reader/chunk_view.h"
#include "reader/chunks.h"

namespace Tessaro {

namespace {
constexpr std::uint8_t kMainBus = 1;
}

void readOutputBus(ChunkView& in, const HostSession& host, ImportNotes& notes, SongModel& song) {
    in.readSize(10, "OUTB chunk size too short");
    const std::uint8_t channel = in.u8In(1, 64, "cannot read output bus channel");
    in.u8In(0, 1, "cannot read output bus mute");  // not applied
    const float gain = in.f32In(0, 100, "cannot read output bus gain");
    if (channel == kMainBus) setOutputVolume(host, notes, song.header.fileVersion, gain);
    const float pan = in.f32In(-1, 1, "cannot read output bus pan");
    if (channel == kMainBus) setOutputPan(host, notes, pan);
    if (song.header.fileVersion >= 9)
        in.u8("cannot read output bus automation mode");  // not applied
}

}  // namespace Tessaro
