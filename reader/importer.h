// TessaroImporter: the object of one import. It owns the three parts of a run: the host
// session (the host's interfaces and what the run learned of the host), the song model
// the readers fill and the builders read, and the reader's own place in the file.
#pragma once

#include <cstdint>
#include <string>

#include "hostkit/host_session.h"
#include "interfaces/all.h"
#include "model/song_model.h"

namespace Tessaro {

// Where the chunk loop stands in the file.
struct ReaderState {
    std::uint64_t filePosition = 0;
    std::uint64_t fileSize = 0;
    std::uint32_t chunkSize = 0;
    std::uint32_t chunkConsumed = 0;
};

class TessaroImporter {
public:
    // path and target are borrowed from importProject; context is the filter's host
    // context (may be null).
    TessaroImporter(Host::IPath* path, Host::FUnknown* target, Host::IHostContext* context);
    TessaroImporter(const TessaroImporter&) = delete;
    TessaroImporter& operator=(const TessaroImporter&) = delete;

    // The import run: 0 success, 1 failure.
    std::int32_t run();
    // Reads the opened project file and builds the project from it: 0 read and built, 1
    // the file could not be read.
    std::int32_t readAndBuild(Host::IBStream* stream);

    HostSession host;
    SongModel song;
    ReaderState reader;
    // The text of the reader error that ended the last read, for tests and debugging; the
    // user sees only the one failure message.
    std::string readError;
};

}  // namespace Tessaro
