// What the render tests share: the small soundfont they render with, rendered files read
// back (libsndfile, as floats), the names in a folder, and projects of instrument tracks
// made with the project-file writer.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/writer/project_file.h"

namespace TessaroTest {

// Debian's timgm6mb-soundfont, which the test command installs.
std::filesystem::path smallSoundfont();

// A wave file read back: interleaved samples as floats (full scale 1).
struct Wave {
    int sampleRate = 0;
    int channels = 0;
    int format = 0;  // libsndfile's SF_FORMAT_*
    std::vector<float> samples;
    std::size_t frames() const { return channels ? samples.size() / static_cast<std::size_t>(channels) : 0; }
    float at(std::size_t frame, int channel) const {
        return samples[frame * static_cast<std::size_t>(channels) + static_cast<std::size_t>(channel)];
    }
};
// Throws std::runtime_error when file cannot be read.
Wave readWave(const std::filesystem::path& file);

// A track of an instrument project: the app's instrument id and one part's notes (ticks of
// 480 per whole note, absolute), the part from 0 to `length` ticks.
struct InstrumentPart {
    std::u16string name = u"Track";
    std::uint32_t instrumentId = 1;
    std::vector<TessaroWriter::Note> notes;
    std::vector<TessaroWriter::Event> events;  // positions within the part
    std::uint32_t length = 4 * 480;
    float volume = 1.0f;
    float pan = 0.0f;
    std::uint8_t mute = 0;
    std::uint8_t solo = 0;
};
// A 120 bpm 4/4 project of those tracks at sampleRate whose song is `bars` bars long.
TessaroWriter::ProjectFile instrumentProject(const std::vector<InstrumentPart>& tracks, std::uint32_t bars,
                                             std::uint32_t sampleRate = 44100);

}  // namespace TessaroTest
