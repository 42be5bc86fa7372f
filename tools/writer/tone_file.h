// Wave files of plain tones, for the demo's audio track, tests and benchmarks.
#pragma once

#include <filesystem>
#include <vector>

namespace TessaroWriter {

struct Tone {
    double sampleRate = 44100;
    int sampleSize = 16;  // bits: 8, 16, 24 or 32 (integer PCM)
    int channels = 2;
    double seconds = 2;
    // One sine per channel (the last one repeats for further channels), each at level
    // (peak, 0 to 1).
    std::vector<double> frequencies = {440.0};
    double level = 0.5;
    // The positions of the channels (libsndfile's SF_CHANNEL_MAP_*, one per channel): when
    // given, the file is an extensible wave file whose header names them.
    std::vector<int> channelMap;
};

// Writes a WAV file of the tone; false when it cannot.
bool writeToneFile(const std::filesystem::path& path, const Tone& tone);

// The tone of the demo's "vocals.wav": six seconds of 48000 Hz 24-bit stereo (220 Hz and
// 330 Hz), so that its import into the demo's 44100 Hz 16-bit project makes a converted
// copy.
Tone demoVocalsTone();

// Writes the demo's wave files into the project folder; false when one cannot be written.
bool writeDemoWaveFiles(const std::filesystem::path& projectFolder);

}  // namespace TessaroWriter
