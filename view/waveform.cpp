#include "view/waveform.h"

#include <algorithm>
#include <cmath>

#if TESSARO_WITH_AUDIO
#include <sndfile.h>
#endif

namespace View {

#if TESSARO_WITH_AUDIO

namespace {

struct SoundFile {
    SNDFILE* file = nullptr;
    SF_INFO info{};
    explicit SoundFile(const std::filesystem::path& path) { file = sf_open(path.c_str(), SFM_READ, &info); }
    ~SoundFile() {
        if (file) sf_close(file);
    }
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;
};

}  // namespace

std::optional<Waveform> waveformOf(const std::filesystem::path& path, double start, double seconds,
                                   std::uint32_t columns) {
    if (columns == 0 || !std::isfinite(start) || !std::isfinite(seconds) || seconds <= 0) return {};
    SoundFile sound(path);
    if (!sound.file || sound.info.channels <= 0 || sound.info.samplerate <= 0) return {};
    const double rate = sound.info.samplerate;
    const auto first = static_cast<std::int64_t>(std::max(0.0, std::floor(start * rate)));
    const double span = seconds * rate / columns;  // frames per column
    const auto channels = static_cast<std::size_t>(sound.info.channels);

    Waveform wave;
    wave.minimum.assign(columns, 0.0f);
    wave.maximum.assign(columns, 0.0f);
    std::vector<float> block(4096 * channels);
    for (std::uint32_t c = 0; c < columns; ++c) {
        const auto from = first + static_cast<std::int64_t>(std::floor(c * span));
        const auto to = first + static_cast<std::int64_t>(std::floor((c + 1) * span));
        std::int64_t left = std::min(std::max<std::int64_t>(to - from, 1), kFramesPerColumnRead);
        if (from >= sound.info.frames) break;
        if (sf_seek(sound.file, from, SEEK_SET) < 0) break;
        float low = 0, high = 0;
        bool any = false;
        while (left > 0) {
            const sf_count_t want = std::min<std::int64_t>(left, 4096);
            const sf_count_t got = sf_readf_float(sound.file, block.data(), want);
            if (got <= 0) break;
            const auto samples = static_cast<std::size_t>(got) * channels;
            const auto [lo, hi] = std::minmax_element(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(samples));
            low = any ? std::min(low, *lo) : *lo;
            high = any ? std::max(high, *hi) : *hi;
            any = true;
            left -= got;
        }
        wave.minimum[c] = std::clamp(low, -1.0f, 1.0f);
        wave.maximum[c] = std::clamp(high, -1.0f, 1.0f);
    }
    return wave;
}

#else

std::optional<Waveform> waveformOf(const std::filesystem::path&, double, double, std::uint32_t) {
    return std::nullopt;
}

#endif

}  // namespace View
