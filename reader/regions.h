// The region chunk ("TREG"): the regions of one track. An audio track's regions become
// audio events that play the project's wave files (converted copies where a file's rate or
// sample size differs from the project's); an instrument track's become MIDI parts with
// their notes and controller-like events. The pieces that do not touch the stream are
// declared here so they can be checked on their own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Tessaro {

struct HostSession;
class ImportNotes;
struct SongModel;

// The fixed fields of a region header, shared by both kinds of region.
struct RegionHeader {
    std::uint32_t position = 0;  // ticks
    std::uint32_t length = 0;    // ticks
    float gain = 0;              // 0 to 100
    std::uint8_t mute = 0;
    std::uint32_t attack = 0;   // fade-in length, ticks
    std::uint32_t release = 0;  // fade-out length, ticks
    std::u16string name;
};

// Before version 10 an event value is stored on another scale; this is the value the
// host gets: ((value / 16383 - 0.5) × 2 + 0.5) × 16383 in single precision, truncated
// toward zero and kept as its low 16 bits (so 0 becomes 57345).
std::uint16_t rewriteOldEventValue(std::uint16_t value);

// The "%lf" text of a sample rate with the trailing zeros after the point removed, one
// digit kept behind it: 44100 gives "44100.0", 22050.5 gives "22050.5".
std::string sampleRateText(double rate);

// The path of the converted copy of the wave file at path: a name ending in ".wav" (in
// any letter case) loses it; then " (<rate>Hz <bits>bit).wav" follows.
std::u16string convertedFilePath(std::u16string_view path, double rate, std::int32_t bits);

// True when a file name from the project file names a file in a folder and nothing else:
// not empty, no '/' or '\\', no ':' (a drive or a stream), not only dots, no control
// characters. Any other name is treated as a file that cannot be found.
bool isPlainFileName(std::u16string_view name);

// Places one audio region of the current (audio) track: finds its wave file, converts it
// when its format differs from the project's (once per import: the song's converted
// copies), and creates the audio event with its clip. Notes what became of a wave file it
// could not use. Raises the "audioEvent.setMedium ..." reader errors, and its own when a
// copy cannot be made whole.
void placeAudioRegion(const HostSession& host, ImportNotes& notes, SongModel& song,
                      const RegionHeader& region, std::uint32_t inPoint,
                      const std::u16string& fileName);

}  // namespace Tessaro
