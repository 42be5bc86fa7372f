// Which General MIDI sound plays an instrument track: the program or drum kit its preset
// names, else a substitute chosen by name (docs/render.md holds the tables).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "interchange/song.h"

namespace Render {

inline constexpr std::int32_t kMelodicBank = 0;
inline constexpr std::int32_t kDrumBank = 128;

// The kits of the drum bank.
enum class Kit : std::uint8_t { Standard, Room, Power, Electronic, Analog, Jazz, Brush, Orchestra };
std::int32_t kitProgram(Kit kit);
const char* kitName(Kit kit);

// The nearest kit of the drum bank to a General MIDI kit number of the presets (129 and
// above): [GM 129] Stereo GM Kit is the standard kit, [GM 134] Rock Kit the power kit ...
Kit kitOfGmNumber(std::int32_t number);

struct SoundChoice {
    enum class By : std::uint8_t {
        Preset,     // the preset names a General MIDI program or kit
        Name,       // a word of the preset's name
        TrackName,  // a word of the track's name
        Fixed,      // nothing said more: the one fixed program or the standard kit
    };
    std::int32_t bank = kMelodicBank;
    std::int32_t program = 0;
    bool drums = false;  // the drum bank, on a drum channel
    By by = By::Fixed;
    // What the choice read: the preset's name, the track's name, or empty.
    std::string from;

    bool substituted() const { return by != By::Preset; }
};

// The instrument device of a track's channel, or null.
const Interchange::Device* instrumentOf(const Interchange::Track& track);
// The preset's name as the track's instrument shows it (the stored state it loaded, else
// the preset chosen in the plug-in); empty when it shows none.
std::string presetName(const Interchange::Track& track);

// The program every other substitute falls back to: Pad 3 (polysynth).
inline constexpr std::int32_t kFixedProgram = 90;

// The sound of an instrument track: its General MIDI program or kit; else, on the drum
// channel, the kit the preset's or the track's name comes nearest to (the standard kit
// when neither says); else the substitute the preset's or the track's name names ("pad",
// "lead", "bass" ...), or the fixed program.
SoundChoice chooseSound(const Interchange::Track& track);

// The substitute a name says, if any: a kit for drums, else a program.
bool kitByName(std::string_view name, Kit& kit);
bool programByName(std::string_view name, std::int32_t& program);

}  // namespace Render
