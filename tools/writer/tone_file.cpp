#include "tools/writer/tone_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace TessaroWriter {

namespace {

int pcmFormat(int bits) {
    switch (bits) {
    case 8: return SF_FORMAT_PCM_U8;
    case 16: return SF_FORMAT_PCM_16;
    case 24: return SF_FORMAT_PCM_24;
    case 32: return SF_FORMAT_PCM_32;
    default: return 0;
    }
}

}  // namespace

bool writeToneFile(const std::filesystem::path& path, const Tone& tone) {
    const int subtype = pcmFormat(tone.sampleSize);
    if (subtype == 0 || tone.channels < 1 || tone.frequencies.empty() || !(tone.sampleRate > 0))
        return false;
    SF_INFO info{};
    info.samplerate = static_cast<int>(tone.sampleRate);
    info.channels = tone.channels;
    info.format = SF_FORMAT_WAV | subtype;
    SNDFILE* file = sf_open(path.string().c_str(), SFM_WRITE, &info);
    if (!file) return false;

    const auto frames = static_cast<sf_count_t>(std::llround(tone.seconds * tone.sampleRate));
    constexpr sf_count_t kBlock = 4096;
    std::vector<double> block(static_cast<std::size_t>(kBlock * tone.channels));
    bool ok = true;
    for (sf_count_t at = 0; ok && at < frames; at += kBlock) {
        const sf_count_t n = std::min(kBlock, frames - at);
        for (sf_count_t f = 0; f < n; ++f) {
            const double t = static_cast<double>(at + f) / tone.sampleRate;
            for (int c = 0; c < tone.channels; ++c) {
                const double hz = tone.frequencies[std::min<std::size_t>(
                    static_cast<std::size_t>(c), tone.frequencies.size() - 1)];
                block[static_cast<std::size_t>(f * tone.channels + c)] =
                    tone.level * std::sin(2 * std::numbers::pi * hz * t);
            }
        }
        ok = sf_writef_double(file, block.data(), n) == n;
    }
    return sf_close(file) == 0 && ok;
}

Tone demoVocalsTone() {
    Tone tone;
    tone.sampleRate = 48000;
    tone.sampleSize = 24;
    tone.channels = 2;
    tone.seconds = 6;
    tone.frequencies = {220.0, 330.0};
    tone.level = 0.5;
    return tone;
}

bool writeDemoWaveFiles(const std::filesystem::path& projectFolder) {
    std::error_code error;
    std::filesystem::create_directories(projectFolder, error);
    return writeToneFile(projectFolder / "vocals.wav", demoVocalsTone());
}

}  // namespace TessaroWriter
