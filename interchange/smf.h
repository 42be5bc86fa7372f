// The Standard MIDI File writer: the song's instrument tracks as a format 1 file. The
// first track carries the tempo, the time signature and the song's name; then one track
// per instrument track with its name, its notes with exact on and off times and its
// controller-like events as MIDI messages. Muted parts and tracks stay out.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "interchange/left_out.h"
#include "interchange/song.h"

namespace Interchange {

// Ticks per quarter note: 960, or the project's own resolution where 960 cannot place
// every position of the project exactly.
std::int32_t midiDivision(const Song& song);

// The file's bytes; adds what the format cannot hold to leftOut.
std::vector<std::uint8_t> midiFileBytes(const Song& song, LeftOutList& leftOut);

// Writes the file to target through a temporary file in target's folder, renamed into
// place when complete. Throws ExportError.
void writeMidiFile(const Song& song, const std::filesystem::path& target, LeftOutList& leftOut);

}  // namespace Interchange
