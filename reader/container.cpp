// The project file container: an 8-byte magic, then chunks back to back, each a
// four-character id, a 32-bit size and a body. The loop hands each known chunk to its
// reader and is the one place where reader errors are caught.
#include <cstring>
#include <new>
#include <string>

#include "builder/build_driver.h"
#include "builder/sends.h"
#include "hostkit/edition.h"
#include "reader/chunks.h"
#include "reader/file_reader.h"
#include "reader/importer.h"
#include "reader/reader_error.h"

namespace Tessaro {

namespace {

constexpr std::uint8_t kMagic[8] = {0x99, 0x63, 0x6D, 0x70, 0x0D, 0x0A, 0x1A, 0x0A};

using ChunkReader = void (*)(TessaroImporter&, FileReader&);

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

}  // namespace

void readChunkSize(TessaroImporter& importer, FileReader& in, std::uint32_t minimum,
                   const char* message) {
    importer.reader.chunkSize = in.u32(message);
    importer.reader.filePosition += 4;
    if (importer.reader.chunkSize < minimum) fail(message);
}

std::int32_t TessaroImporter::readAndBuild(Host::IBStream* stream) {
    // Preparation: the project, the edit context and the project's tree root; a new model.
    host.takeProject();
    if (host.edit) host.edit->beginEdit(0);
    song = SongModel{};
    reader = ReaderState{};
    readError.clear();

    FileReader in(stream);
    bool failed = false;
    try {
        if (!in.seekToEnd()) fail("Could not seek file to end");
        if (!in.tellSize(&reader.fileSize)) fail("Could not read file size");
        if (!in.seekToStart()) fail("Could not seek file back to start");

        std::uint8_t magic[8];
        if (!in.readBytes(magic, sizeof magic)) fail("Could not read magic number.");
        if (std::memcmp(magic, kMagic, sizeof magic) != 0) fail("Wrong magic number.");
        reader.filePosition = 8;

        bool first = true;
        while (reader.filePosition < reader.fileSize) {
            reader.chunkSize = 0;
            reader.chunkConsumed = 0;
            reader.filePosition += 4;
            // The id is a text of up to four characters: a zero byte ends it early, and an
            // id that cannot be read is empty.
            char raw[4] = {};
            std::string id;
            if (in.readBytes(raw, sizeof raw)) id.assign(raw, strnlen(raw, sizeof raw));
            if (first && id != "HEAD") fail("HEAD chunk not found.");
            first = false;

            if (const ChunkReader read = readerFor(id)) {
                read(*this, in);
                if (reader.chunkConsumed < reader.chunkSize &&
                    !in.skip(reader.chunkSize - reader.chunkConsumed))
                    fail("Could not skip to the end of chunk " + id);
                reader.filePosition += reader.chunkSize;
            } else if (!id.empty() && id.size() != 4) {
                fail("cannot read chunk ID");
            }
            // An unknown four-character id is passed over: its size field is read as the
            // next id.
        }
        if (song.tracksRead < song.header.declaredTrackCount) fail("too few tracks");
    } catch (const ReaderError& error) {
        failed = true;
        readError = error.what();
    } catch (const std::bad_alloc&) {
        failed = true;
        readError = "out of memory";
    }
    if (failed) {
        // The one failure message; what the readers made in the host stays.
        host.showMessage("Cannot read Tessaro project file. Reason: unknown format.");
        host.edit.reset();
        return 1;
    }

    // Hand-over to the builder.
    if (host.edit) host.edit->finishStep(host.project.get(), u"Import Tessaro Project");
    if (hostAllows(host, HostFeature::EffectChannels)) routeSends(host);
    buildProject(host, song);
    host.edit.reset();
    return 0;
}

}  // namespace Tessaro
