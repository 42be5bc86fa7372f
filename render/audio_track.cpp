#include "render/audio_track.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>

namespace Render {

namespace fs = std::filesystem;
using Interchange::Clip;

namespace {

std::string rateText(double rate) {
    return std::to_string(static_cast<long long>(std::llround(rate))) + " Hz";
}

}  // namespace

// An event that has begun: its file open at the frame it reads next.
struct AudioTrack::Playing {
    const Event* event = nullptr;
    SNDFILE* file = nullptr;
    std::int64_t fileFrames = 0;
    std::size_t channels = 1;
    ~Playing() {
        if (file) sf_close(file);
    }
};

AudioTrack::AudioTrack(const Interchange::Track& track, const TimeScale& time, double sampleRate,
                       Interchange::LeftOutList& leftOut)
    : track_(track.name.utf8), leftOut_(leftOut) {
    for (std::size_t c = 0; c < track.clips.size(); ++c) {
        const Clip& clip = track.clips[c];
        if (clip.kind != Clip::Kind::Audio || clip.muted) continue;
        const std::string label = clipLabel(clip, c);
        if (!clip.file) {
            leftOut.add("audio event without a file", track_, label);
            continue;
        }
        if (std::llround(clip.file->sampleRate) != std::llround(sampleRate)) {
            leftOut.add("audio file at another sample rate than the song's", track_, label,
                        clip.file->path.string() + ", " + rateText(clip.file->sampleRate));
            continue;
        }
        if (clip.file->channels > 2)
            leftOut.add("audio channels beyond the first two", track_, label,
                        std::to_string(clip.file->channels) + " channels");
        Event e;
        e.start = time.frame(clip.time);
        e.length = std::max<std::int64_t>(0, time.frame(clip.time + clip.duration) - e.start);
        e.offset = std::max<std::int64_t>(0, std::llround(clip.offset * sampleRate));
        e.gain = clip.gain.value_or(1);
        e.fadeIn = std::clamp<std::int64_t>(std::llround(clip.fadeIn * time.framesPerQuarter()), 0, e.length);
        e.fadeOut =
            std::clamp<std::int64_t>(std::llround(clip.fadeOut * time.framesPerQuarter()), 0, e.length);
        e.file = clip.file->path;
        if (e.length > 0) events_.push_back(std::move(e));
    }
    std::stable_sort(events_.begin(), events_.end(),
                     [](const Event& a, const Event& b) { return a.start < b.start; });
}

AudioTrack::~AudioTrack() = default;

double AudioTrack::eventGain(const Event& event, std::int64_t k) {
    double g = event.gain;
    if (k < event.fadeIn) g *= static_cast<double>(k) / static_cast<double>(event.fadeIn);
    const std::int64_t left = event.length - k;
    if (left <= event.fadeOut) g *= static_cast<double>(left - 1) / static_cast<double>(event.fadeOut);
    return g;
}

void AudioTrack::render(float* left, float* right, std::int64_t at, std::int32_t frames) {
    std::fill(left, left + frames, 0.0f);
    std::fill(right, right + frames, 0.0f);
    const std::int64_t end = at + frames;
    // Events that begin before this block ends are opened, at the frame the block needs.
    for (; next_ < events_.size() && events_[next_].start < end; ++next_) {
        const Event& e = events_[next_];
        if (e.start + e.length <= at) continue;
        auto playing = std::make_unique<Playing>();
        playing->event = &e;
        SF_INFO info{};
        playing->file = sf_open(e.file.c_str(), SFM_READ, &info);
        if (!playing->file || info.channels < 1) {
            leftOut_.add("audio file not readable", track_, e.file.filename().string(), e.file.string());
            continue;
        }
        playing->fileFrames = info.frames;
        playing->channels = static_cast<std::size_t>(info.channels);
        const std::int64_t from = e.offset + std::max<std::int64_t>(0, at - e.start);
        if (from < info.frames && sf_seek(playing->file, from, SEEK_SET) < 0) {
            leftOut_.add("audio file not readable", track_, e.file.filename().string(), e.file.string());
            continue;
        }
        playing_.push_back(std::move(playing));
    }
    for (auto& p : playing_) {
        const Event& e = *p->event;
        const std::int64_t first = std::max(at, e.start);
        const std::int64_t last = std::min(end, e.start + e.length);
        const std::int64_t fileAt = e.offset + (first - e.start);
        // Beyond the file's end the event is silent.
        const std::int64_t count = std::clamp<std::int64_t>(p->fileFrames - fileAt, 0, last - first);
        const std::size_t channels = p->channels;
        scratch_.resize(static_cast<std::size_t>(frames) * channels);
        const sf_count_t read = count > 0 ? sf_readf_float(p->file, scratch_.data(), count) : 0;
        for (sf_count_t i = 0; i < read; ++i) {
            const std::int64_t k = first - e.start + i;
            const double g = eventGain(e, k);
            const float* frame = scratch_.data() + static_cast<std::size_t>(i) * channels;
            const auto out = static_cast<std::size_t>(first - at + i);
            left[out] += static_cast<float>(frame[0] * g);
            right[out] += static_cast<float>((channels > 1 ? frame[1] : frame[0]) * g);
        }
    }
    // Events that end within this block close their files.
    std::erase_if(playing_, [end](const std::unique_ptr<Playing>& p) {
        return p->event->start + p->event->length <= end;
    });
}

}  // namespace Render
