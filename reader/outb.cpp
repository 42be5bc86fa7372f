// "OUTB": one output bus of the app's mixer. The gain and pan of bus 1 become the volume
// and pan of the host's output channels; the other buses are read and checked only.
#include "hostkit/output_channels.h"
#include "reader/chunks.h"
#include "reader/file_reader.h"
#include "reader/importer.h"

namespace Tessaro {

namespace {
constexpr std::uint8_t kMainBus = 1;
}

void readOutputBus(TessaroImporter& importer, FileReader& in) {
    readChunkSize(importer, in, 10, "OUTB chunk size too short");
    const std::uint8_t channel = in.u8In(1, 64, "cannot read output bus channel");
    in.u8In(0, 1, "cannot read output bus mute");  // not applied
    const float gain = in.f32In(0, 100, "cannot read output bus gain");
    if (channel == kMainBus) setOutputVolume(importer.host, importer.song.header.fileVersion, gain);
    const float pan = in.f32In(-1, 1, "cannot read output bus pan");
    if (channel == kMainBus) setOutputPan(importer.host, pan);
    importer.reader.chunkConsumed = 10;
    if (importer.song.header.fileVersion >= 9) {
        in.u8("cannot read output bus automation mode");  // not applied
        importer.reader.chunkConsumed = 11;
    }
}

}  // namespace Tessaro
