#include "render/wave_writer.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace Render {

namespace fs = std::filesystem;
using Interchange::ExportError;

namespace {

// The sizes of a plain wave file are 32 bits; some room is kept for its header.
constexpr std::uint64_t kPlainSizeLimit = 0xFFFFFFFFull - (1u << 20);
constexpr double kFull24 = 8388608.0;  // 2^23

// Why libsndfile could not go on: the system's reason where it has one.
std::string reason(SNDFILE* file, int error) {
    if (error != 0) return std::strerror(error);
    return sf_strerror(file);
}

}  // namespace

WaveWriter::WaveWriter(fs::path target, double sampleRate, SampleFormat format, std::int64_t expectedFrames)
    : output_(std::move(target)), format_(format) {
    const std::uint64_t bytes = static_cast<std::uint64_t>(std::max<std::int64_t>(expectedFrames, 0)) * 2 *
                                (format == SampleFormat::Float ? 4 : 3);
    SF_INFO info{};
    info.samplerate = static_cast<int>(std::lround(sampleRate));
    info.channels = 2;
    info.format = (bytes > kPlainSizeLimit ? SF_FORMAT_RF64 : SF_FORMAT_WAV) |
                  (format == SampleFormat::Float ? SF_FORMAT_FLOAT : SF_FORMAT_PCM_24);
    errno = 0;
    file_ = sf_open_fd(fileno(output_.stream()), SFM_WRITE, &info, SF_FALSE);
    if (!file_)
        throw ExportError("cannot write " + output_.target().string() + ": " + reason(nullptr, errno));
    // A float file's peak chunk would carry the time it was written: the same render must
    // give the same bytes.
    sf_command(file_, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
}

WaveWriter::~WaveWriter() {
    if (file_) sf_close(file_);
}

void WaveWriter::write(const float* left, const float* right, std::int32_t frames) {
    const auto n = static_cast<std::size_t>(frames);
    sf_count_t written = 0;
    errno = 0;
    if (format_ == SampleFormat::Float) {
        floats_.resize(2 * n);
        for (std::size_t i = 0; i < n; ++i) {
            floats_[2 * i] = left[i];
            floats_[2 * i + 1] = right[i];
        }
        for (const float x : floats_) {
            const double a = std::fabs(static_cast<double>(x));
            peak_ = std::max(peak_, a);
            over_ += a > 1.0;
        }
        written = sf_writef_float(file_, floats_.data(), frames);
    } else {
        ints_.resize(2 * n);
        // Rounded to 24 bits, held at full scale, in the top bits of an int (libsndfile's
        // integers for any sample size).
        const auto quantize = [this](float x) {
            const double a = std::fabs(static_cast<double>(x));
            peak_ = std::max(peak_, a);
            const double scaled = std::nearbyint(static_cast<double>(x) * kFull24);
            const double held = std::clamp(scaled, -kFull24, kFull24 - 1);
            over_ += held != scaled;
            return static_cast<int>(held) * 256;
        };
        for (std::size_t i = 0; i < n; ++i) {
            ints_[2 * i] = quantize(left[i]);
            ints_[2 * i + 1] = quantize(right[i]);
        }
        written = sf_writef_int(file_, ints_.data(), frames);
    }
    if (written != frames)
        throw ExportError("cannot write " + output_.target().string() + ": " + reason(file_, errno));
}

void WaveWriter::finish() {
    if (!file_) return;
    // Closing writes the header's sizes.
    errno = 0;
    const int closed = sf_close(file_);
    file_ = nullptr;
    if (closed != 0)
        throw ExportError("cannot write " + output_.target().string() + ": " +
                          (errno != 0 ? std::strerror(errno) : sf_error_number(closed)));
}

void WaveWriter::commit() { output_.commit(); }

}  // namespace Render
