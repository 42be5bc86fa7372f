// "KEYB": the settings of the app's on-screen keyboard. The host has no counterpart; the
// chunk is read and checked so that a damaged one is still reported.
#include "reader/chunk_view.h"
#include "reader/chunks.h"

namespace Tessaro {

void readKeyboard(ChunkView& in, const HostSession&, ImportNotes&, SongModel&) {
    in.readSize(13, "KEYB chunk size too short");
    in.u8In(1, 2, "cannot read keyboard row count");
    // The keys of both rows are stored even when only one row is shown.
    in.u8("cannot read lower row left key");
    in.u8("cannot read lower row right key");
    in.u8("cannot read upper row left key");
    in.u8("cannot read upper row right key");
    in.u8In(0, 1, "cannot read key label mode");
    in.u8In(0, 1, "cannot read keyboard velocity mode");
    in.i8In(-48, 48, "cannot read keyboard transposition");
    in.u8In(0, 64, "cannot read keyboard auto quantization");
    in.f32("cannot read keyboard pitchbend range");
}

}  // namespace Tessaro
