// Exporting the host's song after an import: the one call a command makes per project. It
// reads the song from the reference host once and writes each output asked for, each
// through a temporary file in its folder renamed into place, so an interrupted or failed
// export never leaves half a file at the target.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "interchange/dawproject.h"
#include "interchange/left_out.h"
#include "interchange/song.h"
#include "refhost/report.h"

namespace RefHost {
class ReferenceHost;
}

namespace Interchange {

struct ExportRequest {
    std::filesystem::path dawproject;  // empty: no DAWproject file
    std::filesystem::path midi;        // empty: no Standard MIDI File
    Application application;           // the writer, as project.xml names it
    // Tracks the DAWproject file holds beside the song's (the rendered stems).
    std::vector<ExtraTrack> extraTracks = {};
};

struct OutputOutcome {
    std::string format;  // "dawproject" or "midi"
    std::filesystem::path path;
    bool written = false;
    std::string error;  // why it was not written
    std::vector<LeftOut> leftOut;
};

struct ExportOutcome {
    std::vector<OutputOutcome> outputs;  // in the order: DAWproject, MIDI file

    bool ok() const;
    // The report's "export" section: by format, the path, whether it was written, the error
    // and what was left out (docs/report.md).
    RefHost::Report report() const;
};

// What was left out, as the report lists it: one {"what", "track", "clip", "value", "count"}
// per entry, null where a text is empty.
RefHost::Report leftOutReport(const std::vector<LeftOut>& leftOut);

// Writes the outputs request names from song, read from the host after a successful
// import of projectFile. An output that cannot be written has its error; the others are
// written all the same. An output that names the project file itself is refused.
ExportOutcome exportSong(const Song& song, const std::filesystem::path& projectFile,
                         const ExportRequest& request);
// The same, reading the song from host first.
ExportOutcome exportSong(const RefHost::ReferenceHost& host, const std::filesystem::path& projectFile,
                         const ExportRequest& request);
// Every output request names failed, because the song could not be read (why).
ExportOutcome songNotRead(const ExportRequest& request, const std::string& why);

}  // namespace Interchange
