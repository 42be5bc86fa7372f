// One chunk read as the chunk loop reads it: the stream holds the chunk's bytes behind its
// id (and whatever the test puts after them), the chunk's reader gets the view of the
// chunk, then the loop's skip to the chunk's declared end follows. What comes back is what
// the host's stream saw: how far the reader read, and where the loop goes on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "hostkit/diagnostics.h"
#include "hostkit/host_session.h"
#include "model/song_model.h"
#include "reader/chunk_view.h"
#include "tests/support/test_streams.h"

namespace TessaroTest {

using ChunkReader = void (*)(Tessaro::ChunkView&, const Tessaro::HostSession&,
                             Tessaro::ImportNotes&, Tessaro::SongModel&);

struct ChunkRead {
    std::string error;       // the reader's error text; empty when it read the chunk
    std::uint32_t declared = 0;  // the chunk's size field, once read
    std::uint64_t read = 0;      // bytes the reader took from the stream, its size field included
    // Where the chunk loop reads the next chunk's id: behind the declared size, or behind
    // what the reader read where that is further. Only when the reader succeeded.
    std::uint64_t next = 0;
};

// Reads the chunk id behind stream's bytes with reader, for host and song, its notes into
// notes (or a sink of its own when none is given). The stream counts as the whole file.
ChunkRead readOneChunk(ChunkReader reader, std::string_view id, BufferStream& stream,
                       const Tessaro::HostSession& host, Tessaro::SongModel& song,
                       Tessaro::ImportNotes* notes = nullptr);

}  // namespace TessaroTest
