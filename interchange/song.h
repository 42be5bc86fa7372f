// The song as the interchange writers see it: a plain description of what the host's
// document holds after an import, with nothing of the host's own types in it. The adapter
// (host_song.*) fills it from the reference host; the DAWproject and Standard MIDI File
// writers read only this.
//
// Times are in quarter notes from the song's start (clip contents from the clip's start);
// volumes are linear gains, pans 0 (left) to 1 (right). Host parameters of devices stay on
// the host's own integer scales (0 to max); the writers turn the ones they know into real
// units (host_units.*).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace Interchange {

// A text from the document, as UTF-8. replaced: the original held characters XML cannot
// carry (control characters, unpaired UTF-16 surrogates), now U+FFFD.
struct Text {
    std::string utf8;
    bool replaced = false;
};

struct Note {
    double time = 0;      // quarter notes from the clip's start
    double duration = 0;  // quarter notes
    std::int32_t key = 0;
    std::int32_t velocity = 0;  // 0 to 127
};

// The host's controller-like event kinds and what they hold.
enum class ControlKind : std::uint8_t {
    PitchBend,      // value: 14 bits, 8192 the centre
    Aftertouch,     // value: the pressure
    ProgramChange,  // value: the program
    Controller,     // number: the controller, value: its value
};

struct ControlEvent {
    double time = 0;  // quarter notes from the clip's start
    ControlKind kind = ControlKind::Controller;
    std::int32_t number = 0;
    std::int32_t value = 0;
};

struct AudioFile {
    std::filesystem::path path;  // the file the event plays
    double sampleRate = 0;
    std::int32_t channels = 0;
    std::int64_t frames = 0;
};

struct Clip {
    enum class Kind : std::uint8_t { Notes, Audio };
    Kind kind = Kind::Notes;
    Text name;
    double time = 0;      // quarter notes
    double duration = 0;  // quarter notes
    bool muted = false;
    // A MIDI part: notes and controller-like events in the order the host holds them, and
    // the quantize value the import chose for it (its menu name), if any.
    std::vector<Note> notes;
    std::vector<ControlEvent> events;
    std::optional<std::string> quantize;
    // An audio event.
    double offset = 0;   // seconds into the file
    double fadeIn = 0;   // quarter notes
    double fadeOut = 0;  // quarter notes
    std::optional<double> gain;  // the event's own volume (linear), when set
    std::optional<AudioFile> file;
};

// A parameter of a host device on the host's scale: value from 0 to max; a list parameter
// has the chosen entry's name and the number of entries.
struct HostParameter {
    std::string name;
    std::int32_t tag = 0;
    double value = 0;
    std::int32_t max = 0;
    std::optional<std::string> entry;
    std::int32_t entries = 0;  // 0: no list
};

struct Device {
    enum class Role : std::uint8_t { Instrument, AudioEffect };
    enum class Place : std::uint8_t { InstrumentSlot, InputFilter, ChannelEq, Strip, Insert, ChannelLimiter };
    Role role = Role::AudioEffect;
    Place place = Place::Insert;
    // The plug-in's name as the host lists it without its category ("Compressor",
    // "Noise Gate", "Tonalix"), or the node's name for the channel's own devices ("EQ",
    // "Channel Limiter", "InputFilter").
    std::string plugin;
    Text name;             // what the device shows: its preset's name, else the plug-in's
    std::string classId;   // an instrument plug-in's class id text, else empty
    bool enabled = true;
    std::vector<HostParameter> parameters;
    // The plug-in state the import loaded into an instrument, and the preset's name.
    std::vector<std::uint8_t> state;
    std::optional<Text> stateName;
    // An instrument's preset as the host shows it: the state loaded, else the preset chosen
    // from the plug-in's list; none when neither.
    std::optional<Text> preset;
    // The slot's index in "Inserts" (an insert) or "Strips" (a strip module).
    std::int32_t slot = 0;
};

struct Send {
    std::int32_t slot = 0;        // the index in the channel's "Sends"
    bool enabled = false;
    double volume = 0;            // linear gain
    std::int32_t destination = -1;  // the mixer index of the channel fed; -1: none
};

struct Channel {
    enum class Role : std::uint8_t { Regular, Effect, Master };
    Role role = Role::Regular;
    std::int32_t mixerIndex = -1;  // its place among the mixer's channels
    std::string deviceType;        // "AudioChannel", "Synth", "FxChannel", "Output"
    std::optional<double> volume;  // linear gain
    double volumeMax = 1;          // the gain at the top of the fader
    std::optional<double> pan;     // 0 to 1
    bool mute = false;
    bool solo = false;
    std::vector<Device> devices;   // in signal order
    std::vector<Send> sends;
};

// The points of one automation track; values on the host's 0 to 1 scale of the kind.
struct AutomationLane {
    enum class Kind : std::uint8_t { Volume, Pan, SendLevel };
    Kind kind = Kind::Volume;
    struct Point {
        double time = 0;  // quarter notes
        double value = 0;
    };
    std::vector<Point> points;
};

struct Track {
    enum class Kind : std::uint8_t { Instrument, Audio, Effect, Folder, Master };
    Kind kind = Kind::Audio;
    Text name;
    std::int32_t depth = 0;  // 0 for a track of the project, 1 inside a folder ...
    std::optional<std::uint32_t> colour;  // 0xRRGGBB
    std::optional<Channel> channel;
    std::vector<Clip> clips;  // in the order the host holds them
    std::vector<AutomationLane> automation;
    // The MIDI channel (0 to 15) the track's notes go out on: 9 for a drum instrument.
    std::int32_t midiChannel = 0;
    // The General MIDI program (0 to 127) its instrument's preset names, if it names one.
    std::optional<std::int32_t> gmProgram;
    // The General MIDI drum kit its instrument's preset names ("[GM 134] Rock Kit": 134),
    // if it names one: the numbers above 128.
    std::optional<std::int32_t> gmKit;
    // The project file's number of the track, as the import stored it on the host's track
    // (the number the import's notes name); none for a track the file did not number.
    std::optional<std::int32_t> fileNumber;
};

struct Song {
    Text title;
    std::string hostName;
    std::string hostVersion;
    double tempo = 120;  // beats (quarter notes) per minute
    double sampleRate = 44100;  // the project's, frames per second
    std::int32_t numerator = 4;
    std::int32_t denominator = 4;
    // The project file's own resolution (ticks per whole note), when the host's tempo rate
    // tells it; times are then whole ticks of it.
    std::optional<std::int32_t> ticksPerWholeNote;
    std::optional<double> length;  // quarter notes
    struct Cycle {
        bool active = false;
        double left = 0;   // quarter notes
        double right = 0;  // quarter notes
    };
    std::optional<Cycle> cycle;
    std::int32_t signatures = 0;  // how many the host holds (only the first is exported)
    // Tracks depth first: each folder is followed by what it holds; the master and any
    // other outputs come last, at depth 0.
    std::vector<Track> tracks;
};

}  // namespace Interchange
