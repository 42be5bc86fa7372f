// A rendered file: a stereo wave file at the song's sample rate, 24-bit PCM or 32-bit
// float, written through a temporary file in the target's folder and renamed into place
// only when the whole render is done. A writer that is not committed leaves nothing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "interchange/output_file.h"

typedef struct sf_private_tag SNDFILE;

namespace Render {

enum class SampleFormat : std::uint8_t { Pcm24, Float };

class WaveWriter {
public:
    // expectedFrames: the most the file will hold; beyond the 32-bit sizes of a wave file
    // it is written as RF64. Throws Interchange::ExportError ("cannot write OUT: ...").
    WaveWriter(std::filesystem::path target, double sampleRate, SampleFormat format,
               std::int64_t expectedFrames);
    ~WaveWriter();
    WaveWriter(const WaveWriter&) = delete;
    WaveWriter& operator=(const WaveWriter&) = delete;

    // Appends frames; throws Interchange::ExportError when they cannot all be written.
    void write(const float* left, const float* right, std::int32_t frames);
    // Completes the file (its header); throws as write does.
    void finish();
    // Renames the finished file into place; throws as write does.
    void commit();

    const std::filesystem::path& target() const { return output_.target(); }
    // The largest magnitude written, and how many samples lay beyond full scale (held at
    // full scale in 24-bit PCM, kept as they are in float).
    double peak() const { return peak_; }
    std::int64_t overFullScale() const { return over_; }

private:
    Interchange::OutputFile output_;
    SampleFormat format_;
    SNDFILE* file_ = nullptr;
    std::vector<float> floats_;
    std::vector<int> ints_;
    double peak_ = 0;
    std::int64_t over_ = 0;
};

}  // namespace Render
