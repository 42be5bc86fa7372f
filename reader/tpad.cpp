// "TPAD": a track's performance pads (chord buttons, drum pads, chord pads), each a list
// of MIDI keys. The host has nothing like them: the chunk is read for its structure and
// nothing of it is kept.
#include <cstdint>

#include "hostkit/diagnostics.h"
#include "reader/chunk_view.h"
#include "reader/chunks.h"

namespace Tessaro {

namespace {

// Track number (u16) and the three counts (u8 each).
constexpr std::uint32_t kPadHeaderSize = 2 + 1 + 1 + 1;

// Reads `count` lists of keys, each a key count and its keys.
void readKeyLists(ChunkView& in, std::uint8_t count, const char* countMessage,
                  const char* keyMessage) {
    for (unsigned list = 0; list < count; ++list) {
        const std::uint8_t keys = in.u8(countMessage);
        for (unsigned key = 0; key < keys; ++key) in.u8(keyMessage);
    }
}

}  // namespace

void readPads(ChunkView& in, const HostSession&, ImportNotes& notes, SongModel&) {
    in.readSize(kPadHeaderSize, "TPAD chunk size too short");

    const std::uint16_t track = in.u16("Cannot read track number in TPAD chunk.");
    const std::uint8_t chordButtons = in.u8("cannot read chord button count.");
    readKeyLists(in, chordButtons, "cannot read chord button key count",
                 "cannot read chord button key");

    const std::uint8_t drumPads = in.u8("cannot read drum pad count of track");
    for (unsigned pad = 0; pad < drumPads; ++pad) in.u8("cannot read drum pad keys of track");

    const std::uint8_t chordPads = in.u8("cannot read chord pad count of track");
    readKeyLists(in, chordPads, "cannot read chord key count of track",
                 "cannot read chord pad key of track");

    if (chordButtons != 0 || drumPads != 0 || chordPads != 0)
        notes.add(Host::kNotePadsNotBuilt, track,
                  "pads (chord buttons, drum pads, chord pads): not built; the host has no pads");
}

}  // namespace Tessaro
