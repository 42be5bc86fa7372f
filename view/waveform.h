// The overview of an audio event's sound: the lowest and highest sample in each of a
// number of equal spans of the part of the file the event plays, read with libsndfile.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace View {

struct Waveform {
    // Per column, over all channels, from -1 to 1; a column behind the file's end holds 0
    // and 0.
    std::vector<float> minimum;
    std::vector<float> maximum;
};

// The overview of seconds of file from start (seconds into the file) in columns; none when
// the file cannot be read (or the program is built without audio files). A column's span
// of more than kFramesPerColumnRead frames is read from its start for that many frames
// only, so that an hour-long event costs what a short one costs.
inline constexpr std::int64_t kFramesPerColumnRead = 8192;
std::optional<Waveform> waveformOf(const std::filesystem::path& file, double start, double seconds,
                                   std::uint32_t columns);

}  // namespace View
