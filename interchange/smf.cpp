#include "interchange/smf.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <numeric>

#include "interchange/output_file.h"
#include "interchange/xml_writer.h"

namespace Interchange {

namespace {

constexpr std::int32_t kDivision = 960;
constexpr std::int32_t kMaxDivision = 0x7FFF;
// The largest time a variable-length quantity holds: every event at or before it has a
// delta time the format can carry.
constexpr std::int64_t kLastTick = 0x0FFFFFFF;
constexpr std::int32_t kMidiTop = 127;
constexpr std::int64_t kMaxTempo = 0xFFFFFF;  // microseconds per quarter note, 24 bits
constexpr std::size_t kMaxTracks = 0xFFFF;

// One event of a track. At one time, note-offs come first, then controller-like events,
// then note-ons, and last the offs of notes without length, so that no note is cut by
// another that starts where it ends and none is left hanging.
struct Message {
    std::int64_t tick;
    std::uint8_t order;
    std::uint32_t sequence;
    std::uint8_t size;
    std::uint8_t bytes[3];
};
enum Order : std::uint8_t { kOff = 0, kControl = 1, kOn = 2, kEmptyOff = 3 };

void putVarLength(std::vector<std::uint8_t>& out, std::uint64_t value) {
    std::uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value && n < 5);
    while (n > 1) out.push_back(static_cast<std::uint8_t>(groups[--n] | 0x80));
    out.push_back(groups[0]);
}

void putMeta(std::vector<std::uint8_t>& out, std::uint8_t type, const std::string& text) {
    out.push_back(0);  // delta time
    out.push_back(0xFF);
    out.push_back(type);
    putVarLength(out, text.size());
    out.insert(out.end(), text.begin(), text.end());
}

void putU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void putChunk(std::vector<std::uint8_t>& out, const char* id, const std::vector<std::uint8_t>& body) {
    out.insert(out.end(), id, id + 4);
    putU32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
}

bool powerOfTwo(std::int32_t n) { return n > 0 && (n & (n - 1)) == 0; }

class TrackBuilder {
public:
    TrackBuilder(std::int32_t division, LeftOutList& leftOut) : division_(division), leftOut_(leftOut) {}

    std::int64_t tick(double quarters) const { return std::llround(quarters * division_); }

    // The events of one instrument track.
    std::vector<std::uint8_t> track(const Track& track) {
        messages_.clear();
        const auto channel = static_cast<std::uint8_t>(track.midiChannel & 0x0F);
        if (track.gmProgram) add(0, kControl, {static_cast<std::uint8_t>(0xC0 | channel),
                                               static_cast<std::uint8_t>(*track.gmProgram)}, 2);
        for (std::size_t c = 0; c < track.clips.size(); ++c) {
            const Clip& clip = track.clips[c];
            if (clip.kind != Clip::Kind::Notes) continue;
            const std::string label = clip.name.utf8.empty() ? "clip " + std::to_string(c + 1) : clip.name.utf8;
            if (clip.muted) {
                leftOut_.add("muted part", track.name.utf8, label);
                continue;
            }
            notes(track, clip, label, channel);
            events(track, clip, label, channel);
            if (clip.quantize) leftOut_.add("quantize", track.name.utf8, label, *clip.quantize);
        }
        std::sort(messages_.begin(), messages_.end(), [](const Message& a, const Message& b) {
            if (a.tick != b.tick) return a.tick < b.tick;
            if (a.order != b.order) return a.order < b.order;
            return a.sequence < b.sequence;
        });
        std::vector<std::uint8_t> out;
        out.reserve(messages_.size() * 4 + 64);
        putMeta(out, 0x03, xmlSafe(track.name.utf8));
        if (track.channel)
            for (const Device& d : track.channel->devices)
                if (d.role == Device::Role::Instrument) putMeta(out, 0x04, d.plugin);
        std::int64_t at = 0;
        for (const Message& m : messages_) {
            putVarLength(out, static_cast<std::uint64_t>(m.tick - at));
            at = m.tick;
            out.insert(out.end(), m.bytes, m.bytes + m.size);
        }
        out.insert(out.end(), {0x00, 0xFF, 0x2F, 0x00});
        return out;
    }

private:
    void add(std::int64_t tick, Order order, std::initializer_list<std::uint8_t> bytes, std::uint8_t size) {
        Message m{tick, order, static_cast<std::uint32_t>(messages_.size()), size, {0, 0, 0}};
        std::copy(bytes.begin(), bytes.end(), m.bytes);
        messages_.push_back(m);
    }

    bool inRange(std::int64_t tick, const Track& track, const std::string& label, const char* what) {
        if (tick >= 0 && tick <= kLastTick) return true;
        leftOut_.add(what, track.name.utf8, label);
        return false;
    }

    void notes(const Track& track, const Clip& clip, const std::string& label, std::uint8_t channel) {
        for (const Note& note : clip.notes) {
            if (note.key < 0 || note.key > kMidiTop) {
                leftOut_.add("notes with a key outside 0 to 127", track.name.utf8, label);
                continue;
            }
            if (note.velocity <= 0) {
                leftOut_.add("notes of velocity 0 (a note-off in MIDI)", track.name.utf8, label);
                continue;
            }
            const double start = clip.time + note.time;
            const std::int64_t on = tick(start);
            const std::int64_t off = tick(start + note.duration);
            if (!inRange(on, track, label, "notes beyond the file's time range") ||
                !inRange(off, track, label, "notes beyond the file's time range"))
                continue;
            const auto key = static_cast<std::uint8_t>(note.key);
            add(on, kOn, {static_cast<std::uint8_t>(0x90 | channel), key,
                          static_cast<std::uint8_t>(std::min(note.velocity, kMidiTop))}, 3);
            add(off, off == on ? kEmptyOff : kOff, {static_cast<std::uint8_t>(0x80 | channel), key, 0}, 3);
        }
    }

    void events(const Track& track, const Clip& clip, const std::string& label, std::uint8_t channel) {
        for (const ControlEvent& e : clip.events) {
            const std::int64_t at = tick(clip.time + e.time);
            if (!inRange(at, track, label, "controller-like events beyond the file's time range")) continue;
            const auto value7 = [&] {
                if (e.value > kMidiTop)
                    leftOut_.add("controller-like values above 127, written as 127", track.name.utf8, label);
                return static_cast<std::uint8_t>(std::clamp(e.value, 0, kMidiTop));
            };
            switch (e.kind) {
            case ControlKind::PitchBend:
                add(at, kControl, {static_cast<std::uint8_t>(0xE0 | channel), static_cast<std::uint8_t>(e.value & 0x7F),
                                   static_cast<std::uint8_t>((e.value >> 7) & 0x7F)}, 3);
                break;
            case ControlKind::Aftertouch:
                add(at, kControl, {static_cast<std::uint8_t>(0xD0 | channel), value7()}, 2);
                break;
            case ControlKind::ProgramChange:
                if (e.value < 0 || e.value > kMidiTop) {
                    leftOut_.add("program changes above 127", track.name.utf8, label);
                    break;
                }
                add(at, kControl, {static_cast<std::uint8_t>(0xC0 | channel), static_cast<std::uint8_t>(e.value)}, 2);
                break;
            case ControlKind::Controller:
                if (e.number < 0 || e.number > kMidiTop) {
                    leftOut_.add("controller events with a number above 127", track.name.utf8, label);
                    break;
                }
                add(at, kControl, {static_cast<std::uint8_t>(0xB0 | channel), static_cast<std::uint8_t>(e.number),
                                   value7()}, 3);
                break;
            }
        }
    }

    std::int32_t division_;
    LeftOutList& leftOut_;
    std::vector<Message> messages_;
};

// The first track: the song's name, time signature and tempo; it ends at the song's end.
std::vector<std::uint8_t> conductor(const Song& song, std::int32_t division, LeftOutList& leftOut) {
    std::vector<std::uint8_t> out;
    putMeta(out, 0x03, xmlSafe(song.title.utf8));
    if (powerOfTwo(song.denominator) && song.numerator >= 1 && song.numerator <= 255) {
        const auto power = static_cast<std::uint8_t>(std::countr_zero(static_cast<unsigned>(song.denominator)));
        out.insert(out.end(), {0x00, 0xFF, 0x58, 0x04, static_cast<std::uint8_t>(song.numerator), power, 24, 8});
    } else {
        leftOut.add("time signature", {}, {},
                    std::to_string(song.numerator) + "/" + std::to_string(song.denominator));
    }
    std::int64_t micros = std::llround(60'000'000.0 / song.tempo);
    if (micros < 1 || micros > kMaxTempo) {
        leftOut.add("tempo, held at the nearest the file can carry", {}, {}, numberText(song.tempo) + " bpm");
        micros = std::clamp<std::int64_t>(micros, 1, kMaxTempo);
    }
    out.insert(out.end(), {0x00, 0xFF, 0x51, 0x03, static_cast<std::uint8_t>(micros >> 16),
                           static_cast<std::uint8_t>(micros >> 8), static_cast<std::uint8_t>(micros)});
    std::int64_t end = 0;
    if (song.length) end = std::clamp<std::int64_t>(std::llround(*song.length * division), 0, kLastTick);
    putVarLength(out, static_cast<std::uint64_t>(end));
    out.insert(out.end(), {0xFF, 0x2F, 0x00});
    if (song.signatures > 1)
        leftOut.add("time signatures after the first", {}, {}, std::to_string(song.signatures - 1));
    if (song.cycle)
        leftOut.add("cycle", {}, {},
                    std::string(song.cycle->active ? "on" : "off") + ", " + numberText(song.cycle->left) +
                        " to " + numberText(song.cycle->right) + " quarter notes");
    return out;
}

}  // namespace

std::int32_t midiDivision(const Song& song) {
    if (!song.ticksPerWholeNote || *song.ticksPerWholeNote <= 0) return kDivision;
    const std::int32_t whole = *song.ticksPerWholeNote;
    // A file tick is 4 × division / whole ticks of ours: whole must divide 4 × division.
    if ((4 * kDivision) % whole == 0) return kDivision;
    const std::int32_t own = whole / std::gcd(whole, 4);
    return own <= kMaxDivision ? own : kDivision;
}

std::vector<std::uint8_t> midiFileBytes(const Song& song, LeftOutList& leftOut) {
    const std::int32_t division = midiDivision(song);
    std::vector<std::vector<std::uint8_t>> tracks;
    tracks.push_back(conductor(song, division, leftOut));
    TrackBuilder builder(division, leftOut);
    for (const Track& track : song.tracks) {
        if (track.kind == Track::Kind::Audio && !track.clips.empty()) {
            leftOut.add("audio track", track.name.utf8, {}, std::to_string(track.clips.size()) + " clips");
            continue;
        }
        if (track.kind != Track::Kind::Instrument) continue;
        if (tracks.size() == kMaxTracks) {
            leftOut.add("tracks beyond the file's 65535", track.name.utf8);
            continue;
        }
        if (track.channel && track.channel->mute) {
            leftOut.add("muted track", track.name.utf8);
            continue;
        }
        tracks.push_back(builder.track(track));
    }
    std::vector<std::uint8_t> out;
    std::vector<std::uint8_t> header;
    header.insert(header.end(), {0x00, 0x01});  // format 1
    header.push_back(static_cast<std::uint8_t>(tracks.size() >> 8));
    header.push_back(static_cast<std::uint8_t>(tracks.size()));
    header.push_back(static_cast<std::uint8_t>(division >> 8));
    header.push_back(static_cast<std::uint8_t>(division));
    putChunk(out, "MThd", header);
    for (const auto& track : tracks) putChunk(out, "MTrk", track);
    return out;
}

void writeMidiFile(const Song& song, const std::filesystem::path& target, LeftOutList& leftOut) {
    OutputFile output(target);
    const std::vector<std::uint8_t> bytes = midiFileBytes(song, leftOut);
    if (std::fwrite(bytes.data(), 1, bytes.size(), output.stream()) != bytes.size())
        throw ExportError(fileError("cannot write", target, errno));
    output.commit();
}

}  // namespace Interchange
