#include "render/sound_choice.h"

#include <array>

namespace Render {

namespace {

using Interchange::Device;
using Interchange::Track;

constexpr std::int32_t kDrumChannel = 9;

struct KitRow {
    Kit kit;
    std::int32_t program;
    const char* name;
};
constexpr std::array<KitRow, 8> kKits{{
    {Kit::Standard, 0, "Standard"},
    {Kit::Room, 8, "Room"},
    {Kit::Power, 16, "Power"},
    {Kit::Electronic, 24, "Electronic"},
    {Kit::Analog, 25, "Analog"},
    {Kit::Jazz, 32, "Jazz"},
    {Kit::Brush, 40, "Brush"},
    {Kit::Orchestra, 48, "Orchestra"},
}};

// The words of a name that point to a kit, first match in row order.
struct KitWord {
    const char* words;
    Kit kit;
};
constexpr KitWord kKitWords[] = {
    {"jazz", Kit::Jazz},
    {"brush", Kit::Brush},
    {"brushes", Kit::Brush},
    {"orchestra", Kit::Orchestra},
    {"orchestral", Kit::Orchestra},
    {"concert", Kit::Orchestra},
    {"hip hop", Kit::Analog},
    {"hiphop", Kit::Analog},
    {"808", Kit::Analog},
    {"analog", Kit::Analog},
    {"trap", Kit::Analog},
    {"electro", Kit::Electronic},
    {"electronic", Kit::Electronic},
    {"tekno", Kit::Electronic},
    {"techno", Kit::Electronic},
    {"house", Kit::Electronic},
    {"8 bit", Kit::Electronic},
    {"dance", Kit::Electronic},
    {"rock", Kit::Power},
    {"power", Kit::Power},
    {"room", Kit::Room},
    {"r&b", Kit::Room},
    {"vintage", Kit::Room},
    {"ambient", Kit::Room},
    {"standard", Kit::Standard},
    {"pop", Kit::Standard},
    {"studio", Kit::Standard},
};

// The words of a name that point to a General MIDI program (0 based), first match in row
// order: the more particular words first.
struct ProgramWord {
    const char* words;
    std::int32_t program;
};
constexpr ProgramWord kProgramWords[] = {
    {"fretless", 35},                                 // Fretless Bass
    {"slap", 36},                                     // Slap Bass 1
    {"bass", 38},                                     // Synth Bass 1
    {"string", 50},   {"strings", 50},                // Synth Strings 1
    {"choir", 54},    {"voice", 54},   {"vox", 54},   // Synth Voice
    {"brass", 62},                                    // Synth Brass 1
    {"pad", 89},      {"pads", 89},                   // Pad 2 (warm)
    {"saw", 81},                                      // Lead 2 (sawtooth)
    {"lead", 80},     {"leads", 80},   {"solo", 80},  // Lead 1 (square)
    {"keys", 4},      {"ep", 4},                      // Electric Piano 1
    {"piano", 0},                                     // Acoustic Grand Piano
    {"organ", 16},                                    // Drawbar Organ
    {"bell", 14},     {"bells", 14},                  // Tubular Bells
    {"pluck", 45},                                    // Pizzicato Strings
};

// The name in lower case with every character but letters, digits and "&" as a space,
// between spaces: " r&b lead ". Bytes beyond ASCII stay as they are.
std::string words(std::string_view name) {
    std::string out = " ";
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        char w = c;
        if (u >= 'A' && u <= 'Z')
            w = static_cast<char>(u - 'A' + 'a');
        else if (!((u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || c == '&' || u >= 0x80))
            w = ' ';
        if (w == ' ' && out.back() == ' ') continue;
        out += w;
    }
    if (out.back() != ' ') out += ' ';
    return out;
}

bool says(const std::string& spaced, const char* phrase) {
    return spaced.find(" " + std::string(phrase) + " ") != std::string::npos;
}

// The value of the first row of a table whose words the name says.
template <class Row, std::size_t N, class Value>
bool firstSaid(std::string_view name, const Row (&rows)[N], Value Row::*value, Value& out) {
    const std::string spaced = words(name);
    for (const Row& row : rows)
        if (says(spaced, row.words)) {
            out = row.*value;
            return true;
        }
    return false;
}

}  // namespace

const Device* instrumentOf(const Track& track) {
    if (!track.channel) return nullptr;
    for (const Device& d : track.channel->devices)
        if (d.role == Device::Role::Instrument) return &d;
    return nullptr;
}

std::string presetName(const Track& track) {
    const Device* device = instrumentOf(track);
    return device && device->preset ? device->preset->utf8 : std::string();
}

std::int32_t kitProgram(Kit kit) { return kKits[static_cast<std::size_t>(kit)].program; }
const char* kitName(Kit kit) { return kKits[static_cast<std::size_t>(kit)].name; }

Kit kitOfGmNumber(std::int32_t number) {
    switch (number) {
        case 130:
            return Kit::Analog;  // Hip Hop
        case 131:
            return Kit::Jazz;  // Jazz Kit
        case 133:
            return Kit::Room;  // R&B Kit
        case 134:
            return Kit::Power;  // Rock Kit
        case 135:
            return Kit::Electronic;  // Tekno Kit
        default:
            return Kit::Standard;  // Stereo GM Kit, Percussion, any other
    }
}

bool kitByName(std::string_view name, Kit& kit) { return firstSaid(name, kKitWords, &KitWord::kit, kit); }

bool programByName(std::string_view name, std::int32_t& program) {
    return firstSaid(name, kProgramWords, &ProgramWord::program, program);
}

SoundChoice chooseSound(const Track& track) {
    SoundChoice choice;
    const std::string preset = presetName(track);
    if (track.gmKit || track.gmProgram) {
        choice.drums = track.gmKit.has_value();
        choice.bank = choice.drums ? kDrumBank : kMelodicBank;
        choice.program = choice.drums ? kitProgram(kitOfGmNumber(*track.gmKit)) : *track.gmProgram;
        choice.by = SoundChoice::By::Preset;
        choice.from = preset;
        return choice;
    }
    // The drum channel, or a kit by name on another plug-in ("Metallic Kit"), plays a kit
    // of the drum bank.
    const bool namedKit = !preset.empty() && says(words(preset), "kit");
    choice.drums = track.midiChannel == kDrumChannel || namedKit;
    const auto byName = [&](auto&& find, auto& value) {
        if (!preset.empty() && find(preset, value)) {
            choice.by = SoundChoice::By::Name;
            choice.from = preset;
        } else if (find(track.name.utf8, value)) {
            choice.by = SoundChoice::By::TrackName;
            choice.from = track.name.utf8;
        } else if (namedKit) {
            choice.by = SoundChoice::By::Name;
            choice.from = preset;
        }
    };
    if (choice.drums) {
        choice.bank = kDrumBank;
        Kit kit = Kit::Standard;
        byName([](std::string_view name, Kit& k) { return kitByName(name, k); }, kit);
        choice.program = kitProgram(kit);
    } else {
        choice.program = kFixedProgram;
        byName([](std::string_view name, std::int32_t& p) { return programByName(name, p); }, choice.program);
    }
    return choice;
}

}  // namespace Render
