// The MIDI-heavy project of the benchmarks: 200 instrument tracks, each with parts of 500
// notes and 100 controller-like events (10 parts per track: 1,000,000 notes and 200,000
// events). bench_import_midi imports it; bench_view draws its page.
#pragma once

#include "tools/writer/writer.h"

namespace TessaroBench {

inline constexpr int kTracks = 200;
inline constexpr int kNotesPerPart = 500;
inline constexpr int kEventsPerPart = 100;

TessaroWriter::ProjectFile midiHeavyProject(int partsPerTrack);

}  // namespace TessaroBench
