// The song's time as frames at its sample rate, and what an instrument track plays as MIDI
// messages at their frames.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "interchange/left_out.h"
#include "interchange/song.h"

namespace Render {

// Quarter notes to frames at the song's one tempo and sample rate.
class TimeScale {
public:
    TimeScale(double tempo, double sampleRate);
    std::int64_t frame(double quarters) const;
    double framesPerQuarter() const { return framesPerQuarter_; }

private:
    double framesPerQuarter_;
};

// A clip as the lists of what was left out name it: its name, else "clip N" by its place.
std::string clipLabel(const Interchange::Clip& clip, std::size_t index);

// A MIDI message of a track at its frame. At one frame note-offs come first, then
// controller-like messages, then note-ons, then the offs of notes without length.
struct MidiMessage {
    enum class Kind : std::uint8_t { NoteOff, Control, NoteOn, EmptyNoteOff };
    enum class Type : std::uint8_t { Note, Controller, PitchBend, Pressure, Program };
    std::int64_t frame = 0;
    Kind kind = Kind::Control;
    Type type = Type::Note;
    std::uint16_t lane = 0;      // the track's place in its synthesizer
    std::int16_t first = 0;      // key, controller number, or the value of a one-value message
    std::int16_t second = 0;     // velocity or controller value
    std::uint32_t sequence = 0;  // the order the track lists them in

    bool operator<(const MidiMessage& other) const;
};

// What one instrument track plays, in frame order: the notes and controller-like events of
// its parts that are not muted, where they lie within their part. What cannot be played
// is added to leftOut: keys outside 0 to 127, controller numbers and programs above 127,
// values above 127 (played as 127), notes and events outside their part.
std::vector<MidiMessage> trackMessages(const Interchange::Track& track, const TimeScale& time,
                                       std::uint16_t lane, Interchange::LeftOutList& leftOut);

// Where the song's content ends, in frames: the song's length, or the end of its last part
// or audio event when that is later.
std::int64_t songEnd(const Interchange::Song& song, const TimeScale& time);

}  // namespace Render
