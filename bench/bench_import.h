// What the import benchmarks share: the MIDI-heavy project and the import alone, timed in a
// process of its own (RefHost::runImport from its call to its return), optionally followed
// by the export of both files.
#pragma once

#include <filesystem>

#include "tools/writer/writer.h"

namespace TessaroBench {

// The MIDI-heavy project's shape: instrument tracks, each with partsPerTrack MIDI parts of
// kNotesPerPart notes and kEventsPerPart controller-like events.
inline constexpr int kMidiTracks = 200;
inline constexpr int kNotesPerPart = 500;
inline constexpr int kEventsPerPart = 100;

TessaroWriter::ProjectFile midiHeavyProject(int partsPerTrack);

// The child's side of an import run: loads the built module and imports file into a fresh
// reference host with the default profile; with exporting, then exports both files beside
// the project. Prints key=value lines (seconds, cpu, result, notes, events, held, misuses;
// export_seconds, export_cpu, dawproject_bytes, midi_bytes) and returns 0 when the import
// succeeded, the account is clean and the export (if any) was written.
int importChild(const std::filesystem::path& file, bool exporting);

}  // namespace TessaroBench
