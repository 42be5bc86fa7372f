// The chunk loop: the magic, then each chunk handed to its reader, in file order. The
// loop keeps the file position by the format's count (the id, the size field and the
// declared size of each chunk, whatever its reader read), and ends when that position
// reaches the file's size.
#include "reader/project_file.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "hostkit/host_session.h"
#include "model/song_model.h"
#include "reader/chunk_view.h"
#include "reader/chunks.h"
#include "reader/file_reader.h"
#include "reader/reader_error.h"

namespace Tessaro {

namespace {

constexpr std::uint8_t kMagic[8] = {0x99, 0x63, 0x6D, 0x70, 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::uint64_t kIdSize = 4;
constexpr std::uint64_t kSizeFieldSize = 4;

using ChunkReader = void (*)(ChunkView&, const HostSession&, ImportNotes&, SongModel&);

struct ChunkKind {
    const char* id;
    ChunkReader read;
};

constexpr ChunkKind kChunkKinds[] = {
    {"HEAD", readSongHeader}, {"OUTB", readOutputBus},    {"KEYB", readKeyboard},
    {"EFFX", readEffect},     {"TINF", readTrackInfo},    {"TREG", readRegions},
    {"TPAD", readPads},       {"QPLP", readPluginPreset}, {"AUTO", readAutomation},
};

ChunkReader readerFor(const std::string& id) {
    for (const auto& kind : kChunkKinds)
        if (id == kind.id) return kind.read;
    return nullptr;
}

// The reader's own state: where the loop stands in the file, how many chunks went to their
// readers, and the chunk a reader is reading (for the failure's place).
struct ReaderState {
    std::uint64_t filePosition = 0;  // by the format's count, not by what was read
    std::uint64_t fileSize = 0;
    std::uint32_t chunkIndex = 0;
    std::string currentChunk;  // empty between chunks
};

void readChunks(FileReader& in, const HostSession& host, ImportNotes& notes, SongModel& song,
                ReaderState& state) {
    if (!in.seekToEnd()) fail("Could not seek file to end");
    if (!in.tellSize(&state.fileSize)) fail("Could not read file size");
    if (!in.seekToStart()) fail("Could not seek file back to start");

    std::uint8_t magic[sizeof kMagic];
    if (!in.readBytes(magic, sizeof magic)) fail("Could not read magic number.");
    if (std::memcmp(magic, kMagic, sizeof magic) != 0) failAt("Wrong magic number.", 0);
    state.filePosition = sizeof kMagic;

    bool first = true;
    while (state.filePosition < state.fileSize) {
        const std::uint64_t offset = in.position();
        state.filePosition += kIdSize;
        // The id is a text of up to four characters: a zero byte ends it early, and an id
        // that cannot be read is empty.
        char raw[kIdSize] = {};
        std::string id;
        if (in.readBytes(raw, sizeof raw)) id.assign(raw, strnlen(raw, sizeof raw));
        if (first && id != "HEAD") failAt("HEAD chunk not found.", offset);
        first = false;

        if (const ChunkReader read = readerFor(id)) {
            state.currentChunk = id;
            ChunkView chunk(in, id, state.chunkIndex, offset);
            read(chunk, host, notes, song);
            chunk.skipToEnd();
            state.currentChunk.clear();
            ++state.chunkIndex;
            state.filePosition += kSizeFieldSize + chunk.declaredSize();
        } else if (!id.empty() && id.size() != kIdSize) {
            failAt("cannot read chunk ID", offset);
        }
        // An unknown four-character id is passed over: its size field is read as the
        // next id.
    }
    if (song.tracksRead < song.header.declaredTrackCount) fail("too few tracks");
}

// Where the read failed: the chunk being read and the failing field's offset. A field that
// would begin behind the end of the file (a skip may pass it) is placed at the end, where
// the file's bytes ran out.
ImportFailure failureAt(std::string text, std::uint64_t offset, const FileReader& in,
                        const ReaderState& state) {
    ImportFailure failure;
    failure.text = std::move(text);
    failure.byteOffset = static_cast<std::int64_t>(std::min(offset, in.fileSize()));
    if (!state.currentChunk.empty()) {
        failure.chunkId = state.currentChunk;
        failure.chunkIndex = static_cast<std::int32_t>(
            std::min<std::uint32_t>(state.chunkIndex, std::numeric_limits<std::int32_t>::max()));
    }
    return failure;
}

}  // namespace

ReadOutcome readProjectFile(Host::IBStream* stream, const HostSession& host, ImportNotes& notes,
                            SongModel& song) {
    ReadOutcome outcome;
    FileReader in(stream);
    ReaderState state;
    try {
        readChunks(in, host, notes, song, state);
        outcome.read = true;
    } catch (const ReaderError& error) {
        outcome.error = error.what();
        outcome.failure =
            failureAt(outcome.error, error.fieldOffset().value_or(in.position()), in, state);
    } catch (const std::bad_alloc&) {
        outcome.error = "out of memory";
        outcome.failure = failureAt(outcome.error, in.position(), in, state);
    }
    return outcome;
}

}  // namespace Tessaro
