#include "render/timeline.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>

namespace Render {

using Interchange::Clip;
using Interchange::ControlKind;
using Interchange::Track;

namespace {

constexpr std::int32_t kMidiTop = 127;

// Within the part: from its start up to (not including) its end.
bool inPart(double time, const Clip& clip) { return time >= 0 && time < clip.duration; }

}  // namespace

std::string clipLabel(const Clip& clip, std::size_t index) {
    return clip.name.utf8.empty() ? "clip " + std::to_string(index + 1) : clip.name.utf8;
}

TimeScale::TimeScale(double tempo, double sampleRate)
    : framesPerQuarter_(sampleRate * 60 / (tempo > 0 && std::isfinite(tempo) ? tempo : 120)) {}

std::int64_t TimeScale::frame(double quarters) const {
    if (!std::isfinite(quarters)) return 0;
    // Beyond a few days of audio no render goes; the bound keeps the conversion defined.
    constexpr double kFar = 1e15;
    return std::llround(std::clamp(quarters * framesPerQuarter_, -kFar, kFar));
}

bool MidiMessage::operator<(const MidiMessage& other) const {
    return std::tie(frame, kind, lane, sequence) <
           std::tie(other.frame, other.kind, other.lane, other.sequence);
}

std::vector<MidiMessage> trackMessages(const Track& track, const TimeScale& time, std::uint16_t lane,
                                       Interchange::LeftOutList& leftOut) {
    std::vector<MidiMessage> out;
    std::uint32_t sequence = 0;
    const std::string& name = track.name.utf8;
    const auto add = [&](std::int64_t frame, MidiMessage::Kind kind, MidiMessage::Type type,
                         std::int32_t first, std::int32_t second) {
        out.push_back({frame, kind, type, lane, static_cast<std::int16_t>(first),
                       static_cast<std::int16_t>(second), sequence++});
    };
    for (std::size_t c = 0; c < track.clips.size(); ++c) {
        const Clip& clip = track.clips[c];
        if (clip.kind != Clip::Kind::Notes || clip.muted) continue;
        const std::string label = clipLabel(clip, c);
        for (const auto& note : clip.notes) {
            if (note.key < 0 || note.key > kMidiTop) {
                leftOut.add("notes with a key outside 0 to 127", name, label);
                continue;
            }
            if (!inPart(note.time, clip)) {
                leftOut.add("notes outside their part", name, label);
                continue;
            }
            if (note.velocity <= 0) continue;  // a note that sounds nothing
            const std::int64_t on = time.frame(clip.time + note.time);
            const std::int64_t off = std::max(on, time.frame(clip.time + note.time + note.duration));
            const std::int32_t velocity = std::min(note.velocity, kMidiTop);
            add(on, MidiMessage::Kind::NoteOn, MidiMessage::Type::Note, note.key, velocity);
            add(off, off == on ? MidiMessage::Kind::EmptyNoteOff : MidiMessage::Kind::NoteOff,
                MidiMessage::Type::Note, note.key, 0);
        }
        for (const auto& e : clip.events) {
            if (!inPart(e.time, clip)) {
                leftOut.add("controller-like events outside their part", name, label);
                continue;
            }
            const std::int64_t at = time.frame(clip.time + e.time);
            const auto value7 = [&] {
                if (e.value > kMidiTop)
                    leftOut.add("controller-like values above 127, played as 127", name, label);
                return std::clamp(e.value, 0, kMidiTop);
            };
            switch (e.kind) {
                case ControlKind::PitchBend:
                    add(at, MidiMessage::Kind::Control, MidiMessage::Type::PitchBend,
                        std::clamp(e.value, 0, 16383), 0);
                    break;
                case ControlKind::Aftertouch:
                    add(at, MidiMessage::Kind::Control, MidiMessage::Type::Pressure, value7(), 0);
                    break;
                case ControlKind::ProgramChange:
                    if (e.value < 0 || e.value > kMidiTop) {
                        leftOut.add("program changes above 127", name, label);
                        break;
                    }
                    add(at, MidiMessage::Kind::Control, MidiMessage::Type::Program, e.value, 0);
                    break;
                case ControlKind::Controller:
                    if (e.number < 0 || e.number > kMidiTop) {
                        leftOut.add("controller events with a number above 127", name, label);
                        break;
                    }
                    add(at, MidiMessage::Kind::Control, MidiMessage::Type::Controller, e.number, value7());
                    break;
            }
        }
    }
    std::sort(out.begin(), out.end());
    out.shrink_to_fit();
    return out;
}

std::int64_t songEnd(const Interchange::Song& song, const TimeScale& time) {
    double end = song.length ? *song.length : 0;
    for (const Track& track : song.tracks) {
        if (track.kind != Track::Kind::Instrument && track.kind != Track::Kind::Audio) continue;
        for (const Clip& clip : track.clips)
            if (!clip.muted) end = std::max(end, clip.time + clip.duration);
    }
    return std::max<std::int64_t>(0, time.frame(end));
}

}  // namespace Render
