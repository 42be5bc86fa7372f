#include "tools/writer/tone_file.h"

#if TESSARO_WITH_AUDIO
#include <sndfile.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <numbers>

namespace TessaroWriter {

#if TESSARO_WITH_AUDIO

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
    const bool mapped = !tone.channelMap.empty();
    if (mapped && tone.channelMap.size() != static_cast<std::size_t>(tone.channels)) return false;
    info.format = (mapped ? SF_FORMAT_WAVEX : SF_FORMAT_WAV) | subtype;
    SNDFILE* file = sf_open(path.string().c_str(), SFM_WRITE, &info);
    if (!file) return false;
    std::vector<int> map = tone.channelMap;
    if (mapped && sf_command(file, SFC_SET_CHANNEL_MAP_INFO, map.data(),
                             static_cast<int>(map.size() * sizeof(int))) != SF_TRUE) {
        sf_close(file);
        return false;
    }

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

#else

// Without libsndfile (TESSARO_WITH_AUDIO 0, the Windows build): the same tones as plain
// PCM WAV, written here.
bool writeToneFile(const std::filesystem::path& path, const Tone& tone) {
    const int bits = tone.sampleSize;
    if ((bits != 8 && bits != 16 && bits != 24 && bits != 32) || tone.channels < 1 ||
        tone.frequencies.empty() || !(tone.sampleRate > 0))
        return false;
    const auto frames = static_cast<std::uint64_t>(std::llround(tone.seconds * tone.sampleRate));
    const std::uint32_t unit = static_cast<std::uint32_t>(bits / 8);
    const std::uint64_t dataSize = frames * static_cast<std::uint64_t>(tone.channels) * unit;
    if (dataSize > 0xFFFFFFFFu - 36) return false;

    std::vector<char> bytes;
    const auto put = [&bytes](std::uint64_t value, std::uint32_t count) {
        for (std::uint32_t i = 0; i < count; ++i)
            bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    const auto tag = [&bytes](const char* text) { bytes.insert(bytes.end(), text, text + 4); };
    const auto channels = static_cast<std::uint32_t>(tone.channels);
    const auto rate = static_cast<std::uint32_t>(tone.sampleRate);
    tag("RIFF");
    put(36 + dataSize, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2);  // integer PCM
    put(channels, 2);
    put(rate, 4);
    put(static_cast<std::uint64_t>(rate) * channels * unit, 4);
    put(channels * unit, 2);
    put(static_cast<std::uint32_t>(bits), 2);
    tag("data");
    put(dataSize, 4);

    const double full = std::ldexp(1.0, bits - 1) - 1;
    for (std::uint64_t f = 0; f < frames; ++f) {
        const double t = static_cast<double>(f) / tone.sampleRate;
        for (int c = 0; c < tone.channels; ++c) {
            const double hz = tone.frequencies[std::min<std::size_t>(
                static_cast<std::size_t>(c), tone.frequencies.size() - 1)];
            const double v =
                std::clamp(tone.level * std::sin(2 * std::numbers::pi * hz * t), -1.0, 1.0);
            const auto sample = static_cast<std::int64_t>(std::llround(v * full));
            // 8-bit WAV samples are unsigned, the wider ones two's complement.
            put(static_cast<std::uint64_t>(bits == 8 ? sample + 128 : sample), unit);
        }
    }
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

#endif

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
