// Instrument tracks played by one FluidSynth synthesizer: each track on a MIDI channel of
// its own whose voices go to an output of its own, so that one loaded soundfont serves many
// tracks and each track still comes out alone. The synthesizer runs no threads, no reverb
// and no chorus; what it plays depends on nothing but the tracks' messages, so the same
// song sounds the same in any grouping.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "interchange/left_out.h"
#include "interchange/song.h"
#include "render/sound_choice.h"
#include "render/timeline.h"

typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_hashtable_t fluid_settings_t;

namespace Render {

// Why a render could not be made; the text says what failed.
class RenderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The most tracks one synthesizer takes (its outputs).
inline constexpr std::size_t kTracksPerSynth = 128;

class SynthGroup {
public:
    struct Member {
        const Interchange::Track* track = nullptr;
        SoundChoice sound;
        float* left = nullptr;  // where its frames go, a block at a time
        float* right = nullptr;
        Interchange::LeftOutList* leftOut = nullptr;  // the track's own list
    };

    // Loads soundfont at sampleRate and sets each member's sound; throws RenderError.
    SynthGroup(const std::filesystem::path& soundfont, double sampleRate, std::vector<Member> members,
               const TimeScale& time);
    ~SynthGroup();
    SynthGroup(const SynthGroup&) = delete;
    SynthGroup& operator=(const SynthGroup&) = delete;

    // Writes each member's frames from `at` (the blocks follow one another from frame 0).
    void render(std::int64_t at, std::int32_t frames);
    // At the song's end: every held note and pedal let go, so that what sounds fades out.
    void release();
    bool sounding() const;

    // The preset each member plays at the start, as the soundfont names it.
    struct Played {
        std::int32_t bank = 0;
        std::int32_t program = 0;
        std::string preset;  // the soundfont's name of it; empty when none plays
    };
    const std::vector<Played>& played() const { return played_; }

private:
    void select(std::size_t lane, std::int32_t program, bool initial);
    void send(const MidiMessage& message);

    std::vector<Member> members_;
    std::vector<Played> played_;
    std::vector<MidiMessage> messages_;  // of every member, by frame
    std::size_t next_ = 0;
    std::vector<float*> outputs_;
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    int font_ = -1;
};

}  // namespace Render
