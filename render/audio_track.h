// An audio track played from the files its events play (the converted copies the host
// plays), block by block: each event from its offset into the file, for its length, with
// its own volume and its fades. A file is open only while one of its events sounds.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "interchange/left_out.h"
#include "interchange/song.h"
#include "render/timeline.h"

namespace Render {

class AudioTrack {
public:
    // Events that cannot be played (no file, a file at another sample rate than the song's,
    // an unreadable file) are added to leftOut and stay silent.
    AudioTrack(const Interchange::Track& track, const TimeScale& time, double sampleRate,
               Interchange::LeftOutList& leftOut);
    ~AudioTrack();
    AudioTrack(const AudioTrack&) = delete;
    AudioTrack& operator=(const AudioTrack&) = delete;

    // Writes the frames from `at` into left and right (silence where no event sounds).
    void render(float* left, float* right, std::int64_t at, std::int32_t frames);

    struct Event {
        std::int64_t start = 0;   // the song's frame it starts at
        std::int64_t length = 0;  // frames
        std::int64_t offset = 0;  // the file's frame it starts from
        double gain = 1;
        std::int64_t fadeIn = 0;  // frames
        std::int64_t fadeOut = 0;
        std::filesystem::path file;
    };
    // The gain of an event's own volume and fades at its frame `k` (0 its first): the fades
    // are straight lines, up from 0 over fadeIn frames and down to 0 over the last fadeOut.
    static double eventGain(const Event& event, std::int64_t k);

private:
    struct Playing;
    std::vector<Event> events_;  // by start
    std::size_t next_ = 0;       // the first event not yet begun
    std::vector<std::unique_ptr<Playing>> playing_;
    std::vector<float> scratch_;
    std::string track_;
    Interchange::LeftOutList& leftOut_;
};

}  // namespace Render
