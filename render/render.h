// The song as sound: a mix of the whole song and a stem per track, rendered from the same
// plain song the exports read (interchange/song.h). Instrument tracks are played by
// FluidSynth with the General MIDI sounds their presets name (sound_choice.*), audio tracks
// from the files their events play; each track as heard at its fader, the mix the sum of
// the tracks heard through the master's volume. Inserts, sends and effect channels are not
// run; the outcome lists them with everything else the render left out. docs/render.md
// tells it all.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "interchange/left_out.h"
#include "interchange/song.h"
#include "render/sound_choice.h"
#include "render/wave_writer.h"

namespace Render {

struct RenderRequest {
    std::filesystem::path soundfont;   // a soundfont file (checked by Soundfont)
    std::filesystem::path mix;         // the mix's file; empty: no mix
    std::filesystem::path stems;       // the folder of the stems (made when missing); empty: none
    bool instrumentStemsOnly = false;  // stems of the instrument tracks alone
    SampleFormat format = SampleFormat::Pcm24;
    // Threads that render tracks side by side (the output is the same for any number).
    unsigned threads = 1;
    // Told after each block: the seconds rendered and the seconds of the song (without the
    // release after its end).
    std::function<void(double rendered, double song)> progress;
};

// An instrument or audio track as the render played it.
struct RenderedTrack {
    std::size_t index = 0;  // in the song's tracks
    std::string name;
    bool instrument = false;
    bool heard = false;          // in the mix: not muted, and soloed where any track is
    std::filesystem::path stem;  // its stem, once written
    // An instrument track: what chose its sound, and the soundfont's preset it played.
    std::optional<SoundChoice> sound;
    std::string plugin;
    std::string preset;     // the preset the track's instrument shows, or empty
    std::string soundName;  // the soundfont's name of the sound played
};

struct RenderOutcome {
    bool written = false;  // every file asked for is in place
    std::string error;     // why not
    std::filesystem::path soundfont;
    std::filesystem::path mix;    // the mix asked for
    std::filesystem::path stems;  // the stems' folder asked for
    SampleFormat format = SampleFormat::Pcm24;
    double sampleRate = 0;
    std::int64_t frames = 0;  // of every file
    double songSeconds = 0;   // up to the song's end, without the release
    double peak = 0;          // the mix's largest magnitude (1 is full scale)
    std::vector<RenderedTrack> tracks;
    std::vector<Interchange::LeftOut> leftOut;
};

// Renders song as request asks. Nothing is left of a render that fails: its files are
// written under temporary names and renamed into place only when every one is complete.
RenderOutcome renderSong(const Interchange::Song& song, const RenderRequest& request);

// A stem's file name: the track's place among the song's tracks (from 1, at least two
// digits) and its name, made safe as a file name: "03 Synth.wav".
std::string stemFileName(std::size_t position, std::size_t count, const std::string& name);

// The stem of the track of index `index` in song, as the DAWproject file holds it beside
// the track: an audio track "NAME (rendered)" at the track's depth, muted, at unity gain
// and centred, with one clip over the whole render playing file.
Interchange::Track stemTrack(const Interchange::Song& song, std::size_t index,
                             const std::filesystem::path& file, std::int64_t frames);

}  // namespace Render
