// The project file: an 8-byte magic, then chunks back to back, each a four-character id,
// a 32-bit size and a body. Reading it fills the song model chunk by chunk, in file order.
#pragma once

#include <optional>
#include <string>

#include "hostkit/diagnostics.h"
#include "interfaces/ibstream.h"

namespace Tessaro {

struct HostSession;
struct SongModel;

struct ReadOutcome {
    bool read = false;
    // The reader error that ended the read (reader_error.h); the user sees only the one
    // failure message.
    std::string error;
    // The same with the chunk being read and the file offset of the field that failed, for
    // a host that asks why the import failed.
    std::optional<ImportFailure> failure;
};

// Reads the project file from the stream (borrowed for the call) into song, acting on the
// host through host where the format says a reader does and adding to notes what the host
// does not get as it stands. The one place where reader errors are caught.
ReadOutcome readProjectFile(Host::IBStream* stream, const HostSession& host, ImportNotes& notes,
                            SongModel& song);

}  // namespace Tessaro
