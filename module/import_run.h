// TessaroImporter: one import, as importProject runs it. It owns the run's host session
// (the host's interfaces and what the run learned of the host), the notes of what the run
// left out, and the song model the readers fill and the builders read; the reader keeps its
// own place in the file.
//
// The run: learn the host, open the file, read it into the model, hand over to the
// builders (the edit step, the send routing, the build driver), empty the model's lists,
// close the file, tell the user.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "hostkit/diagnostics.h"
#include "hostkit/host_session.h"
#include "interfaces/all.h"
#include "model/song_model.h"

namespace Tessaro {

// The one message of an import that fails once the host is known.
inline constexpr const char* kReadFailedMessage =
    "Cannot read Tessaro project file. Reason: unknown format.";

class TessaroImporter {
public:
    // path and target are borrowed from importProject; context is the filter's host
    // context (may be null).
    TessaroImporter(Host::IPath* path, Host::FUnknown* target, Host::IHostContext* context);
    TessaroImporter(const TessaroImporter&) = delete;
    TessaroImporter& operator=(const TessaroImporter&) = delete;

    // The import run: 0 success, 1 failure. Memory that runs out fails the run like a file
    // that cannot be read: the one failure message, the file closed, nothing held. Nothing
    // leaves it as an exception.
    std::int32_t run();
    // Reads the opened project file into a new song model and, when it could be read,
    // builds the project from it: 0 read and built, 1 the file could not be read (the
    // one failure message shown).
    std::int32_t readAndBuild(Host::IBStream* stream);

    HostSession host;
    ImportNotes notes;
    SongModel song;
    // The text of the reader error that ended the last read; the user sees only the one
    // failure message.
    std::string readError;
    // Why the run failed, when it did: the reader's failure with its place in the file, or
    // why the file was not read at all.
    std::optional<ImportFailure> failure;

    // What the filter keeps of the run for a host that asks: the failure and the notes.
    ImportDiagnostics diagnostics() const;

private:
    // Records why the run failed before the file was read; when there is no memory for the
    // reason, that is the reason.
    void failBecause(const char* reason);
    // Ends a run whose memory ran out: the failure, and the one failure message unless one
    // was shown.
    void failOutOfMemory();

    // What follows a read that succeeded: the edit step "Import Tessaro Project", the
    // send routing where the host allows effect channels, the build driver.
    void handOver();
};

}  // namespace Tessaro
