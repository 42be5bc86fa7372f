#include "render/render.h"

#include <algorithm>
#include <atomic>
#include <barrier>
#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>
#include <numeric>
#include <thread>

#include "interchange/host_units.h"
#include "render/audio_track.h"
#include "render/fader.h"
#include "render/synth_group.h"
#include "render/timeline.h"

namespace Render {

namespace fs = std::filesystem;
using Interchange::Channel;
using Interchange::Device;
using Interchange::LeftOutList;
using Interchange::Song;
using Interchange::Track;

namespace {

// Frames rendered at a time: every buffer of the render is this long, whatever the song.
constexpr std::int32_t kBlock = 4096;
// The most the synthesizer's release goes on after the song's end.
constexpr double kMostRelease = 4.0;
// The synthesizers the instrument tracks are shared among, whatever the threads: a voice
// sums into its track's output in the order of the synthesizer's voices, so the same
// sharing gives the same bytes on one thread or on many.
constexpr std::size_t kSynthesizers = 4;
// What a note is reckoned to cost beyond its length (its release), in seconds.
constexpr double kReleaseCost = 0.5;

bool rendered(const Track& track) {
    return track.kind == Track::Kind::Instrument || track.kind == Track::Kind::Audio;
}

std::string decibels(double gain) {
    if (!(gain > 0)) return "-inf dB";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f dB", 20 * std::log10(gain));
    return text;
}

// A pan position (0 left to 1 right) to three digits.
std::string panText(double position) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", position);
    return text;
}

// What the mixer holds that the render does not run: inserts, sends, effect channels,
// the master's pan.
void listMixer(const Song& song, LeftOutList& leftOut) {
    const auto channelName = [&](std::int32_t mixerIndex) -> std::string {
        for (const Track& t : song.tracks)
            if (t.channel && t.channel->mixerIndex == mixerIndex) return t.name.utf8;
        return "no channel";
    };
    for (const Track& track : song.tracks) {
        if (!track.channel) continue;
        const Channel& c = *track.channel;
        if (track.kind == Track::Kind::Effect) leftOut.add("effect channels not run", track.name.utf8);
        for (const Device& d : c.devices)
            if (d.role != Device::Role::Instrument && d.enabled)
                leftOut.add("inserts not run", track.name.utf8, {}, d.plugin);
        for (const auto& s : c.sends)
            if (s.enabled && s.volume > 0)
                leftOut.add("sends not run", track.name.utf8, {},
                            "send " + std::to_string(s.slot + 1) + " to " + channelName(s.destination) +
                                " at " + decibels(s.volume));
        if (c.role == Channel::Role::Master && c.pan && std::fabs(*c.pan - 0.5) > 1e-9)
            leftOut.add("the master's pan", track.name.utf8, {}, panText(*c.pan));
    }
}

// What a track is reckoned to cost the synthesizer: the seconds its notes sound.
double costOf(const Track& track, double secondsPerQuarter) {
    double cost = 1;
    for (const auto& clip : track.clips)
        if (!clip.muted)
            for (const auto& note : clip.notes) cost += note.duration * secondsPerQuarter + kReleaseCost;
    return cost;
}

// Runs the same work on a crew of threads, one block at a time: the caller is one of them
// and returns when all are done with the block.
class Crew {
public:
    Crew(unsigned size, std::function<void()> work) : work_(std::move(work)), start_(size), done_(size) {
        for (unsigned i = 1; i < size; ++i) threads_.emplace_back([this] { loop(); });
    }
    ~Crew() {
        stop_ = true;
        if (!threads_.empty()) start_.arrive_and_wait();
        for (auto& t : threads_) t.join();
    }
    Crew(const Crew&) = delete;
    Crew& operator=(const Crew&) = delete;

    void runBlock() {
        if (threads_.empty()) return work_();
        start_.arrive_and_wait();
        work_();
        done_.arrive_and_wait();
    }

private:
    void loop() {
        for (;;) {
            start_.arrive_and_wait();
            if (stop_) return;
            work_();
            done_.arrive_and_wait();
        }
    }

    std::function<void()> work_;
    std::barrier<> start_;
    std::barrier<> done_;
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

class Renderer {
public:
    Renderer(const Song& song, const RenderRequest& request, RenderOutcome& outcome)
        : song_(song), request_(request), outcome_(outcome), time_(song.tempo, song.sampleRate) {}

    void run() {
        prepare();
        const std::int64_t end = songEnd(song_, time_);
        outcome_.songSeconds = static_cast<double>(end) / song_.sampleRate;
        open(end + std::llround(kMostRelease * song_.sampleRate));
        const std::int64_t frames = play(end);
        for (auto& writer : writers()) writer->finish();
        commit();
        outcome_.frames = frames;
        finishOutcome();
    }

private:
    struct Part {
        std::size_t index;  // in the song's tracks
        std::vector<float> left, right;
        std::unique_ptr<Fader> fader;
        std::unique_ptr<WaveWriter> stem;
        LeftOutList leftOut;
    };
    // What one thread renders at a time: a synthesizer's tracks, or an audio track.
    struct Unit {
        std::unique_ptr<SynthGroup> group;
        std::unique_ptr<AudioTrack> audio;
        std::vector<std::size_t> parts;
    };

    void prepare() {
        listMixer(song_, leftOut_);
        bool anySolo = false;
        for (const Track& t : song_.tracks)
            anySolo = anySolo || (rendered(t) && t.channel && t.channel->solo);
        for (std::size_t i = 0; i < song_.tracks.size(); ++i) {
            const Track& t = song_.tracks[i];
            if (!rendered(t)) continue;
            RenderedTrack r;
            r.index = i;
            r.name = t.name.utf8;
            r.instrument = t.kind == Track::Kind::Instrument;
            const bool mute = t.channel && t.channel->mute;
            const bool solo = t.channel && t.channel->solo;
            r.heard = !mute && (!anySolo || solo);
            if (r.instrument) {
                r.sound = chooseSound(t);
                if (const Device* d = instrumentOf(t)) r.plugin = d->plugin;
                r.preset = presetName(t);
            }
            outcome_.tracks.push_back(std::move(r));
            auto part = std::make_unique<Part>();
            part->index = i;
            part->left.resize(kBlock);
            part->right.resize(kBlock);
            part->fader = std::make_unique<Fader>(t, time_);
            parts_.push_back(std::move(part));
        }
        for (const Track& t : song_.tracks)
            if (t.channel && t.channel->role == Channel::Role::Master) {
                master_ = t.channel->volume.value_or(1);
                break;
            }
        makeGroups();
        for (std::size_t p = 0; p < parts_.size(); ++p) {
            if (outcome_.tracks[p].instrument) continue;
            Unit unit;
            unit.audio = std::make_unique<AudioTrack>(song_.tracks[parts_[p]->index], time_, song_.sampleRate,
                                                      parts_[p]->leftOut);
            unit.parts = {p};
            units_.push_back(std::move(unit));
        }
    }

    // The instrument tracks shared among the synthesizers, each next track (by what it
    // costs, the dearest first) to the one with the least so far.
    void makeGroups() {
        std::vector<std::size_t> instruments;
        for (std::size_t p = 0; p < parts_.size(); ++p)
            if (outcome_.tracks[p].instrument) instruments.push_back(p);
        if (instruments.empty()) return;
        const std::size_t count =
            std::max<std::size_t>(std::min(kSynthesizers, instruments.size()),
                                  (instruments.size() + kTracksPerSynth - 1) / kTracksPerSynth);
        const double secondsPerQuarter = 60 / song_.tempo;
        std::vector<double> cost(parts_.size(), 0);
        for (const std::size_t p : instruments)
            cost[p] = costOf(song_.tracks[parts_[p]->index], secondsPerQuarter);
        std::vector<std::size_t> order = instruments;
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return cost[a] > cost[b]; });
        std::vector<std::vector<std::size_t>> shares(count);
        std::vector<double> load(count, 0);
        for (const std::size_t p : order) {
            std::size_t best = count;
            for (std::size_t g = 0; g < count; ++g)
                if (shares[g].size() < kTracksPerSynth && (best == count || load[g] < load[best])) best = g;
            shares[best].push_back(p);
            load[best] += cost[p];
        }
        // The synthesizers load the soundfont side by side, on as many threads as the render.
        std::vector<Unit> made(count);
        std::vector<std::string> errors(count);
        std::atomic<std::size_t> nextGroup{0};
        const auto make = [&](std::size_t g) {
            std::sort(shares[g].begin(), shares[g].end());
            std::vector<SynthGroup::Member> members;
            for (const std::size_t p : shares[g]) {
                Part& part = *parts_[p];
                members.push_back({&song_.tracks[part.index], *outcome_.tracks[p].sound, part.left.data(),
                                   part.right.data(), &part.leftOut});
            }
            try {
                made[g].group = std::make_unique<SynthGroup>(request_.soundfont, song_.sampleRate,
                                                             std::move(members), time_);
                made[g].parts = shares[g];
            } catch (const std::exception& e) {
                errors[g] = e.what();
            }
        };
        const auto loadAll = [&] {
            for (std::size_t g; (g = nextGroup++) < count;) make(g);
        };
        std::vector<std::thread> loaders;
        for (std::size_t t = 1; t < std::min<std::size_t>(std::max(1u, request_.threads), count); ++t)
            loaders.emplace_back(loadAll);
        loadAll();
        for (auto& t : loaders) t.join();
        for (const auto& e : errors)
            if (!e.empty()) throw RenderError(e);
        for (std::size_t g = 0; g < count; ++g) {
            for (std::size_t m = 0; m < made[g].parts.size(); ++m) {
                RenderedTrack& r = outcome_.tracks[made[g].parts[m]];
                const auto& played = made[g].group->played()[m];
                r.soundName = played.preset;
                if (r.sound->substituted()) {
                    std::string value = r.plugin.empty() ? std::string("no instrument") : r.plugin;
                    if (!r.preset.empty()) value += " \"" + r.preset + "\"";
                    value += ": bank " + std::to_string(played.bank) + " program " +
                             std::to_string(played.program);
                    if (!played.preset.empty()) value += " (" + played.preset + ")";
                    parts_[made[g].parts[m]]->leftOut.add("instruments played by a General MIDI substitute",
                                                          r.name, {}, value);
                }
            }
            units_.push_back(std::move(made[g]));
        }
    }

    void open(std::int64_t mostFrames) {
        if (!request_.stems.empty()) {
            std::error_code ec;
            fs::create_directories(request_.stems, ec);
            for (std::size_t p = 0; p < parts_.size(); ++p) {
                if (request_.instrumentStemsOnly && !outcome_.tracks[p].instrument) continue;
                const Track& t = song_.tracks[parts_[p]->index];
                parts_[p]->stem = std::make_unique<WaveWriter>(
                    request_.stems / stemFileName(parts_[p]->index + 1, song_.tracks.size(), t.name.utf8),
                    song_.sampleRate, request_.format, mostFrames);
            }
        }
        if (!request_.mix.empty())
            mix_ = std::make_unique<WaveWriter>(request_.mix, song_.sampleRate, request_.format, mostFrames);
        mixLeft_.resize(kBlock);
        mixRight_.resize(kBlock);
    }

    std::vector<WaveWriter*> writers() {
        std::vector<WaveWriter*> out;
        for (auto& p : parts_)
            if (p->stem) out.push_back(p->stem.get());
        if (mix_) out.push_back(mix_.get());
        return out;
    }

    // Plays the song block by block up to its end, then the release; returns the frames.
    std::int64_t play(std::int64_t end) {
        const std::int64_t most = end + std::llround(kMostRelease * song_.sampleRate);
        const unsigned size = static_cast<unsigned>(
            std::clamp<std::size_t>(request_.threads, 1, std::max<std::size_t>(1, units_.size())));
        Crew crew(size, [this] { work(); });
        std::int64_t at = 0;
        bool released = false;
        for (;;) {
            if (at >= end) {
                if (!released) {
                    for (auto& u : units_)
                        if (u.group) u.group->release();
                    released = true;
                }
                const bool sounding = std::any_of(units_.begin(), units_.end(), [](const Unit& u) {
                    return u.group && u.group->sounding();
                });
                if (at >= most || !sounding) break;
            }
            frames_ = static_cast<std::int32_t>(std::min<std::int64_t>(kBlock, (at < end ? end : most) - at));
            at_ = at;
            next_ = 0;
            crew.runBlock();
            if (failed_) throw RenderError(failure_);
            mixBlock();
            at += frames_;
            if (request_.progress)
                request_.progress(static_cast<double>(at) / song_.sampleRate, outcome_.songSeconds);
        }
        return at;
    }

    // One thread's share of a block: the next unit not yet taken, until none is left.
    void work() {
        for (std::size_t u; (u = next_++) < units_.size();) {
            try {
                Unit& unit = units_[u];
                if (unit.group) {
                    unit.group->render(at_, frames_);
                } else {
                    Part& part = *parts_[unit.parts.front()];
                    unit.audio->render(part.left.data(), part.right.data(), at_, frames_);
                }
                for (const std::size_t p : unit.parts) {
                    Part& part = *parts_[p];
                    part.fader->apply(part.left.data(), part.right.data(), at_, frames_);
                    if (part.stem) part.stem->write(part.left.data(), part.right.data(), frames_);
                }
            } catch (const std::exception& e) {
                std::lock_guard lock(failureMutex_);
                if (!failed_) failure_ = e.what();
                failed_ = true;
            }
        }
    }

    // The tracks heard, summed in the song's order, through the master's volume.
    void mixBlock() {
        if (!mix_) return;
        std::fill_n(mixLeft_.begin(), frames_, 0.0f);
        std::fill_n(mixRight_.begin(), frames_, 0.0f);
        for (std::size_t p = 0; p < parts_.size(); ++p) {
            if (!outcome_.tracks[p].heard) continue;
            const Part& part = *parts_[p];
            for (std::int32_t i = 0; i < frames_; ++i) {
                mixLeft_[static_cast<std::size_t>(i)] += part.left[static_cast<std::size_t>(i)];
                mixRight_[static_cast<std::size_t>(i)] += part.right[static_cast<std::size_t>(i)];
            }
        }
        const auto master = static_cast<float>(master_);
        for (std::int32_t i = 0; i < frames_; ++i) {
            mixLeft_[static_cast<std::size_t>(i)] *= master;
            mixRight_[static_cast<std::size_t>(i)] *= master;
        }
        mix_->write(mixLeft_.data(), mixRight_.data(), frames_);
    }

    // Every file into place, or none: a file put in place before one that fails is taken
    // away again.
    void commit() {
        std::vector<fs::path> placed;
        try {
            for (WaveWriter* writer : writers()) {
                writer->commit();
                placed.push_back(writer->target());
            }
        } catch (...) {
            std::error_code ec;
            for (const auto& file : placed) fs::remove(file, ec);
            throw;
        }
    }

    void finishOutcome() {
        outcome_.written = true;
        LeftOutList all = leftOut_;
        for (std::size_t p = 0; p < parts_.size(); ++p) {
            Part& part = *parts_[p];
            for (const auto& l : part.leftOut.entries())
                for (std::size_t n = 0; n < l.count; ++n) all.add(l.what, l.track, l.clip, l.value);
            if (part.stem) {
                outcome_.tracks[p].stem = part.stem->target();
                if (request_.format == SampleFormat::Pcm24 && part.stem->overFullScale() > 0)
                    all.add("samples beyond full scale, held at full scale", outcome_.tracks[p].name, {},
                            std::to_string(part.stem->overFullScale()) + " in the stem");
            }
        }
        if (mix_) {
            outcome_.peak = mix_->peak();
            if (request_.format == SampleFormat::Pcm24 && mix_->overFullScale() > 0)
                all.add("samples beyond full scale, held at full scale", {}, {},
                        std::to_string(mix_->overFullScale()) + " in the mix");
        }
        outcome_.leftOut = all.entries();
    }

    const Song& song_;
    const RenderRequest& request_;
    RenderOutcome& outcome_;
    TimeScale time_;
    LeftOutList leftOut_;
    std::vector<std::unique_ptr<Part>> parts_;  // as outcome_.tracks
    std::vector<Unit> units_;
    std::unique_ptr<WaveWriter> mix_;
    std::vector<float> mixLeft_, mixRight_;
    double master_ = 1;

    // The block being rendered.
    std::int64_t at_ = 0;
    std::int32_t frames_ = 0;
    std::atomic<std::size_t> next_{0};
    std::mutex failureMutex_;
    std::atomic<bool> failed_{false};
    std::string failure_;
};

// Characters a file name may not hold on the common file systems.
bool refused(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
}

}  // namespace

std::string stemFileName(std::size_t position, std::size_t count, const std::string& name) {
    std::string safe;
    for (const char c : name) safe += refused(c) ? '_' : c;
    // At most 200 bytes, cut between characters.
    constexpr std::size_t kMostBytes = 200;
    if (safe.size() > kMostBytes) {
        std::size_t cut = kMostBytes;
        while (cut > 0 && (static_cast<unsigned char>(safe[cut]) & 0xC0) == 0x80) --cut;
        safe.resize(cut);
    }
    while (!safe.empty() && (safe.back() == ' ' || safe.back() == '.')) safe.pop_back();
    if (safe.empty()) safe = "Track";
    const std::size_t digits = std::max<std::size_t>(2, std::to_string(count).size());
    std::string number = std::to_string(position);
    number.insert(0, digits - std::min(digits, number.size()), '0');
    return number + " " + safe + ".wav";
}

Track stemTrack(const Song& song, std::size_t index, const fs::path& file, std::int64_t frames) {
    const Track& of = song.tracks.at(index);
    Track t;
    t.kind = Track::Kind::Audio;
    t.name = {of.name.utf8 + " (rendered)", of.name.replaced};
    t.depth = of.depth;
    t.colour = of.colour;
    Channel c;
    // A mixer index no channel of the host has, so that no send finds it.
    c.mixerIndex = -2 - static_cast<std::int32_t>(index);
    c.deviceType = "AudioChannel";
    c.volume = 1;
    c.volumeMax = of.channel ? of.channel->volumeMax : 1;
    c.pan = 0.5;
    c.mute = true;
    t.channel = std::move(c);
    const TimeScale time(song.tempo, song.sampleRate);
    Interchange::Clip clip;
    clip.kind = Interchange::Clip::Kind::Audio;
    clip.name = t.name;
    clip.duration = static_cast<double>(frames) / time.framesPerQuarter();
    clip.file = Interchange::AudioFile{file, song.sampleRate, 2, frames};
    t.clips.push_back(std::move(clip));
    return t;
}

RenderOutcome renderSong(const Song& song, const RenderRequest& request) {
    RenderOutcome outcome;
    outcome.soundfont = request.soundfont;
    outcome.mix = request.mix;
    outcome.stems = request.stems;
    outcome.format = request.format;
    outcome.sampleRate = song.sampleRate;
    try {
        if (!(song.sampleRate >= 1 && song.sampleRate <= 1e6))
            throw RenderError("cannot render at a sample rate of " + std::to_string(song.sampleRate) + " Hz");
        Renderer(song, request, outcome).run();
    } catch (const std::bad_alloc&) {
        outcome.error = "cannot render: out of memory";
    } catch (const std::exception& e) {
        outcome.error = e.what();
    }
    if (!outcome.error.empty()) {
        outcome.written = false;
        outcome.frames = 0;
        for (auto& t : outcome.tracks) t.stem.clear();
    }
    return outcome;
}

}  // namespace Render
