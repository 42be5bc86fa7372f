#include "tests/support/chunk_read.h"

#include "reader/file_reader.h"
#include "reader/reader_error.h"

namespace TessaroTest {

ChunkRead readOneChunk(ChunkReader reader, std::string_view id, BufferStream& stream,
                       const Tessaro::HostSession& host, Tessaro::SongModel& song,
                       Tessaro::ImportNotes* notes) {
    ChunkRead out;
    Tessaro::ImportNotes ownNotes;
    Tessaro::FileReader in(&stream);
    std::uint64_t size = 0;
    if (!in.seekToEnd() || !in.tellSize(&size) || !in.seekToStart()) {
        out.error = "the test stream cannot be measured";
        return out;
    }
    Tessaro::ChunkView chunk(in, id, 0, 0);
    try {
        reader(chunk, host, notes ? *notes : ownNotes, song);
        out.read = in.position();
        chunk.skipToEnd();
        out.next = in.position();
    } catch (const Tessaro::ReaderError& e) {
        out.error = e.what();
        out.read = in.position();
    }
    out.declared = chunk.declaredSize();
    return out;
}

}  // namespace TessaroTest
