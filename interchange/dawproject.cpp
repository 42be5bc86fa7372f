#include "interchange/dawproject.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <thread>

#include <zip.h>

#include "interchange/byte_queue.h"
#include "interchange/host_units.h"
#include "interchange/output_file.h"
#include "interchange/xml_writer.h"

namespace Interchange {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFormatVersion = "1.0";
// What a file valid against the format's current schema holds that a reader of its 1.0
// release, which validates against that release, neither accepts nor plays: a send's
// Enable and a clip's enable.
constexpr const char* kNotSeenBy10 = "not seen by a DAWproject 1.0 reader";
constexpr std::int32_t kMidiTop = 127;
constexpr double kPitchBendTop = 16383;

std::string colourText(std::uint32_t rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", rgb & 0xFFFFFFu);
    return text;
}

// --- Names inside the container ----------------------------------------------------

// A file name from the project, made safe as one name inside a folder of the container:
// no separators, no characters file systems refuse, not "." or "..", no leading dot.
std::string safeName(const std::string& name) {
    std::string out;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        const bool bad = u < 0x20 || u == 0x7F || std::strchr("/\\:*?\"<>|", c) != nullptr;
        out += bad ? '_' : c;
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '.')) out.pop_back();
    if (!out.empty() && out.front() == '.') out.front() = '_';
    return xmlSafe(out.empty() ? std::string("file") : out);
}

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Paths inside the container, each distinct (also where file systems ignore case).
class EntryNames {
public:
    std::string add(const std::string& folder, const std::string& name) {
        const std::string safe = safeName(name);
        const auto dot = safe.rfind('.');
        const std::string stem = dot == std::string::npos || dot == 0 ? safe : safe.substr(0, dot);
        const std::string extension = stem.size() == safe.size() ? "" : safe.substr(dot);
        for (int n = 1;; ++n) {
            const std::string candidate =
                folder + "/" + (n == 1 ? safe : stem + " (" + std::to_string(n) + ")" + extension);
            if (taken_.insert(lowered(candidate)).second) return candidate;
        }
    }

private:
    std::set<std::string> taken_;
};

// The files the container holds beside the two documents.
struct ContainerFiles {
    struct Entry {
        std::string name;
        const std::vector<std::uint8_t>* bytes = nullptr;  // an instrument's state
        fs::path file;                                      // an audio file
    };
    std::vector<Entry> entries;
    std::map<const Device*, std::string> states;
    std::map<std::string, std::string> audio;  // file path → entry name; empty: unreadable
};

bool readable(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return false;
    std::ifstream in(file, std::ios::binary);
    return in.good();
}

// The tracks the file holds, in order: the song's, each extra track right after the
// song's track it names.
std::vector<const Track*> trackOrder(const Song& song, const std::vector<ExtraTrack>& extra) {
    std::vector<const Track*> order;
    order.reserve(song.tracks.size() + extra.size());
    for (std::size_t i = 0; i < song.tracks.size(); ++i) {
        order.push_back(&song.tracks[i]);
        for (const ExtraTrack& e : extra)
            if (e.after == i) order.push_back(&e.track);
    }
    return order;
}

ContainerFiles planFiles(const std::vector<const Track*>& tracks, LeftOutList& leftOut) {
    ContainerFiles files;
    EntryNames names;
    for (const Track* each : tracks) {
        const Track& track = *each;
        if (track.channel)
            for (const Device& device : track.channel->devices)
                if (!device.state.empty()) {
                    const std::string name = names.add("plugins", track.name.utf8 + " - " + device.plugin + ".state");
                    files.states[&device] = name;
                    files.entries.push_back({name, &device.state, {}});
                }
        for (const Clip& clip : track.clips) {
            if (!clip.file) continue;
            const std::string key = clip.file->path.lexically_normal().string();
            if (files.audio.contains(key)) continue;
            if (!readable(clip.file->path)) {
                files.audio[key] = "";
                leftOut.add("audio file not readable, referenced outside the container",
                            track.name.utf8, clip.name.utf8, clip.file->path.string());
                continue;
            }
            const std::string name = names.add("audio", clip.file->path.filename().string());
            files.audio[key] = name;
            files.entries.push_back({name, nullptr, clip.file->path});
        }
    }
    return files;
}

// --- project.xml ----------------------------------------------------------------------

const char* roleName(Channel::Role role) {
    switch (role) {
    case Channel::Role::Effect: return "effect";
    case Channel::Role::Master: return "master";
    default: return "regular";
    }
}

const char* contentType(Track::Kind kind) {
    switch (kind) {
    case Track::Kind::Instrument: return "notes";
    case Track::Kind::Folder: return "tracks";
    default: return "audio";
    }
}

const char* quantityName(Quantity q) {
    switch (q) {
    case Quantity::Threshold: return "Threshold";
    case Quantity::Ratio: return "Ratio";
    case Quantity::Attack: return "Attack";
    case Quantity::Release: return "Release";
    case Quantity::Range: return "Range";
    case Quantity::InputGain: return "InputGain";
    case Quantity::OutputGain: return "OutputGain";
    case Quantity::AutoMakeup: return "AutoMakeup";
    }
    return "";
}

const char* quantityUnit(Quantity q) {
    switch (q) {
    case Quantity::Attack:
    case Quantity::Release: return "seconds";
    case Quantity::Ratio: return "linear";
    default: return "decibel";
    }
}

// The children of each generic dynamics device, in the order the schema lists them.
std::vector<Quantity> schemaOrder(GenericDevice device) {
    using Q = Quantity;
    switch (device) {
    case GenericDevice::Compressor:
        return {Q::Attack, Q::AutoMakeup, Q::InputGain, Q::OutputGain, Q::Ratio, Q::Release, Q::Threshold};
    case GenericDevice::NoiseGate: return {Q::Attack, Q::Range, Q::Ratio, Q::Release, Q::Threshold};
    case GenericDevice::Limiter: return {Q::Attack, Q::InputGain, Q::OutputGain, Q::Release, Q::Threshold};
    default: return {};
    }
}

const char* elementOf(GenericDevice device) {
    switch (device) {
    case GenericDevice::Compressor: return "Compressor";
    case GenericDevice::NoiseGate: return "NoiseGate";
    case GenericDevice::Limiter: return "Limiter";
    case GenericDevice::Equalizer: return "Equalizer";
    default: return "BuiltinDevice";
    }
}

const HostParameter* parameterTagged(const Device& device, std::int32_t tag) {
    for (const auto& p : device.parameters)
        if (p.tag == tag) return &p;
    return nullptr;
}

// The DAWproject band type of a host band type by band: shelves and cuts work from the
// low end in bands 1 and 2, from the high end in bands 3 and 4.
std::pair<const char*, int> bandType(const std::optional<std::string>& entry, int band) {
    const bool low = band <= 2;
    if (!entry || *entry == "Peak") return {"bell", 0};
    if (*entry == "Shelf") return {low ? "lowShelf" : "highShelf", 0};
    if (entry->rfind("Cut", 0) == 0) {
        const int order = *entry == "Cut 12" ? 2 : *entry == "Cut 24" ? 4 : 0;
        return {low ? "highPass" : "lowPass", order};
    }
    return {"bell", 0};
}

// A note element. A project may hold millions of notes, and a note is only numbers: its
// element is put together here and handed to the writer whole, which takes a third of the
// time of writing it attribute by attribute. (Everything else goes through the writer's
// own elements and attributes.)
class NoteText {
public:
    explicit NoteText(std::int32_t channel) {
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, channel).ptr;
        channel_.assign(digits, end);
    }

    std::string_view of(const Note& note) {
        char* at = buffer_;
        at = put(at, "<Note time=\"");
        at = number(at, note.time);
        at = put(at, "\" duration=\"");
        at = number(at, note.duration);
        at = put(at, "\" channel=\"");
        at = put(at, channel_);
        at = put(at, "\" key=\"");
        at = std::to_chars(at, at + 16, note.key).ptr;
        // Four digits read back to the same 7-bit velocity (a step is 1/127).
        at = put(at, "\" vel=\"");
        const double vel = std::clamp(note.velocity, 0, kMidiTop) / static_cast<double>(kMidiTop);
        at = std::to_chars(at, at + 32, vel, std::chars_format::general, 4).ptr;
        at = put(at, "\"/>");
        return {buffer_, static_cast<std::size_t>(at - buffer_)};
    }

private:
    static char* put(char* at, std::string_view text) {
        std::memcpy(at, text.data(), text.size());
        return at + text.size();
    }
    static char* number(char* at, double value) {
        if (!std::isfinite(value) || value == 0) value = 0;
        return std::to_chars(at, at + 32, value).ptr;
    }

    std::string channel_;
    char buffer_[256];
};

std::string clipLabel(const Clip& clip, std::size_t index) {
    return clip.name.utf8.empty() ? "clip " + std::to_string(index + 1) : clip.name.utf8;
}

// The ids of what others refer to.
struct TrackIds {
    std::string track, channel, volume, pan, mute;
    std::vector<std::string> sendVolumes;
};

class ProjectWriter {
public:
    ProjectWriter(const Song& song, const std::vector<const Track*>& tracks, const ContainerFiles& files,
                  LeftOutList& leftOut)
        : song_(song), tracks_(tracks), files_(files), leftOut_(leftOut) {
        for (const Track* each : tracks_) {
            const Track& track = *each;
            TrackIds ids;
            ids.track = id();
            if (track.channel) {
                ids.channel = id();
                ids.volume = id();
                ids.pan = id();
                ids.mute = id();
                for (std::size_t i = 0; i < track.channel->sends.size(); ++i) ids.sendVolumes.push_back(id());
                channelIds_[track.channel->mixerIndex] = ids.channel;
                if (track.channel->role == Channel::Role::Master && master_.empty()) master_ = ids.channel;
            }
            ids_.push_back(std::move(ids));
        }
    }

    void write(XmlWriter& xml, const Application& application) {
        nameReplaced(song_.title, {}, {});
        xml.start("Project");
        xml.attribute("version", kFormatVersion);
        xml.start("Application");
        xml.attribute("name", application.name);
        xml.attribute("version", application.version);
        xml.end();
        transport(xml);
        structure(xml);
        arrangement(xml);
        xml.end();
        xml.finish();
    }

private:
    std::string id() { return "id" + std::to_string(next_++); }

    void transport(XmlWriter& xml) {
        xml.start("Transport");
        xml.start("Tempo");
        xml.attribute("id", id());
        xml.attribute("name", "Tempo");
        xml.attribute("unit", "bpm");
        xml.attribute("value", song_.tempo);
        xml.end();
        xml.start("TimeSignature");
        xml.attribute("id", id());
        xml.attribute("numerator", song_.numerator);
        xml.attribute("denominator", song_.denominator);
        xml.end();
        xml.end();
        if (song_.signatures > 1)
            leftOut_.add("time signatures after the first", {}, {},
                         std::to_string(song_.signatures - 1));
        if (song_.cycle)
            leftOut_.add("cycle", {}, {},
                         std::string(song_.cycle->active ? "on" : "off") + ", " +
                             numberText(song_.cycle->left) + " to " + numberText(song_.cycle->right) +
                             " quarter notes");
        if (song_.length) leftOut_.add("song length", {}, {}, numberText(*song_.length) + " quarter notes");
    }

    void structure(XmlWriter& xml) {
        xml.start("Structure");
        int open = 0;
        for (std::size_t i = 0; i < tracks_.size(); ++i) {
            const Track& track = *tracks_[i];
            for (; open > track.depth; --open) xml.end();
            nameReplaced(track.name, track.name.utf8, {});
            xml.start("Track");
            xml.attribute("id", ids_[i].track);
            xml.attribute("name", track.name.utf8);
            if (track.colour) xml.attribute("color", colourText(*track.colour));
            xml.attribute("contentType", contentType(track.kind));
            xml.attribute("loaded", true);
            if (track.channel) channel(xml, track, ids_[i]);
            ++open;
            const bool holdsNext = i + 1 < tracks_.size() && tracks_[i + 1]->depth > track.depth;
            if (!holdsNext) {
                xml.end();
                --open;
            }
        }
        for (; open > 0; --open) xml.end();
        xml.end();
    }

    void channel(XmlWriter& xml, const Track& track, const TrackIds& ids) {
        const Channel& c = *track.channel;
        xml.start("Channel");
        xml.attribute("id", ids.channel);
        xml.attribute("role", roleName(c.role));
        if (c.role != Channel::Role::Master && !master_.empty()) xml.attribute("destination", master_);
        xml.attribute("solo", c.solo);
        if (!c.devices.empty()) {
            xml.start("Devices");
            for (const Device& d : c.devices) device(xml, track, d);
            xml.end();
        }
        xml.start("Mute");
        xml.attribute("id", ids.mute);
        xml.attribute("name", "Mute");
        xml.attribute("value", c.mute);
        xml.end();
        if (c.pan) realParameter(xml, "Pan", ids.pan, "Pan", "normalized", *c.pan, 0, 1);
        if (!c.sends.empty()) {
            xml.start("Sends");
            for (std::size_t i = 0; i < c.sends.size(); ++i)
                send(xml, track, c.sends[i], ids.sendVolumes[i]);
            xml.end();
        }
        if (c.volume) realParameter(xml, "Volume", ids.volume, "Volume", "linear", *c.volume, 0, c.volumeMax);
        xml.end();
    }

    // A send is on unless its Enable says otherwise, and a reader of the format's 1.0
    // release knows no Enable: it is written for a send that is off, and listed.
    void send(XmlWriter& xml, const Track& track, const Send& s, const std::string& volumeId) {
        const std::string name = "Send " + std::to_string(s.slot + 1);
        xml.start("Send");
        xml.attribute("id", id());
        if (const auto it = channelIds_.find(s.destination); it != channelIds_.end())
            xml.attribute("destination", it->second);
        if (!s.enabled) {
            xml.start("Enable");
            xml.attribute("value", false);
            xml.end();
            leftOut_.add(kNotSeenBy10, track.name.utf8, {}, name + " off");
        }
        realParameter(xml, "Volume", volumeId, name, "linear", s.volume, 0, track.channel->volumeMax);
        xml.end();
    }

    static void realParameter(XmlWriter& xml, const char* element, const std::string& id,
                              const std::string& name, const char* unit, double value, double min,
                              double max) {
        xml.start(element);
        if (!id.empty()) xml.attribute("id", id);
        if (!name.empty()) xml.attribute("name", name);
        xml.attribute("unit", unit);
        xml.attribute("value", value);
        xml.attribute("min", min);
        xml.attribute("max", max);
        xml.end();
    }

    void device(XmlWriter& xml, const Track& track, const Device& d) {
        const bool instrument = d.role == Device::Role::Instrument;
        const DeviceReading* reading = instrument ? nullptr : deviceReading(d.plugin);
        const GenericDevice generic = reading ? reading->device : GenericDevice::None;
        nameReplaced(d.name, track.name.utf8, {});
        xml.start(elementOf(generic));
        xml.attribute("id", id());
        xml.attribute("name", d.name.utf8);
        xml.attribute("deviceName", d.plugin);
        xml.attribute("deviceRole", instrument ? "instrument" : "audioFX");
        if (!d.classId.empty()) xml.attribute("deviceID", d.classId);
        xml.attribute("loaded", true);
        if (!d.parameters.empty()) {
            xml.start("Parameters");
            for (const HostParameter& p : d.parameters) hostParameter(xml, p);
            xml.end();
        }
        xml.start("Enabled");
        xml.attribute("id", id());
        xml.attribute("name", "On");
        xml.attribute("value", d.enabled);
        xml.end();
        if (const auto it = files_.states.find(&d); it != files_.states.end()) {
            xml.start("State");
            xml.attribute("path", it->second);
            xml.end();
        }
        if (generic == GenericDevice::Equalizer) equalizer(xml, d);
        else if (reading) dynamics(xml, d, *reading);
        xml.end();
    }

    static void hostParameter(XmlWriter& xml, const HostParameter& p) {
        if (p.entries > 0) {
            xml.start("EnumParameter");
            xml.attribute("name", p.name);
            xml.attribute("parameterID", p.tag);
            xml.attribute("count", p.entries);
            xml.attribute("value", static_cast<std::int64_t>(std::llround(p.value)));
            xml.end();
            return;
        }
        xml.start("RealParameter");
        xml.attribute("name", p.name);
        xml.attribute("parameterID", p.tag);
        xml.attribute("unit", "linear");
        xml.attribute("value", p.value);
        xml.attribute("min", 0.0);
        xml.attribute("max", static_cast<double>(p.max));
        xml.end();
    }

    static void equalizer(XmlWriter& xml, const Device& d) {
        const auto reading = eqReading(d.plugin);
        if (!reading) return;
        const ControlRange gain{-reading->gainSpan, reading->gainSpan, Curve::Linear};
        const ControlRange q{reading->qLo, reading->qHi, Curve::Linear};
        for (int band = 1; band <= 4; ++band) {
            const std::int32_t base = reading->base + 10 * band;
            const HostParameter* frequency = parameterTagged(d, base + 3);
            if (!frequency) continue;
            const HostParameter* type = parameterTagged(d, base + 1);
            const auto [typeName, order] = bandType(type ? type->entry : std::nullopt, band);
            xml.start("Band");
            xml.attribute("type", typeName);
            if (order) xml.attribute("order", order);
            realParameter(xml, "Freq", {}, {}, "hertz", kEqFrequency.at(frequency->value, frequency->max),
                          kEqFrequency.lo, kEqFrequency.hi);
            if (const HostParameter* g = parameterTagged(d, base + 2))
                realParameter(xml, "Gain", {}, {}, "decibel", gain.at(g->value, g->max), gain.lo, gain.hi);
            if (const HostParameter* qp = parameterTagged(d, base + 4))
                realParameter(xml, "Q", {}, {}, "linear", q.at(qp->value, qp->max), q.lo, q.hi);
            if (const HostParameter* on = parameterTagged(d, base)) {
                xml.start("Enabled");
                xml.attribute("value", on->value > 0.5);
                xml.end();
            }
            xml.end();
        }
        if (reading->outputTag)
            if (const HostParameter* output = parameterTagged(d, reading->outputTag))
                realParameter(xml, "OutputGain", {}, {}, "decibel", gain.at(output->value, output->max),
                              gain.lo, gain.hi);
    }

    static void dynamics(XmlWriter& xml, const Device& d, const DeviceReading& reading) {
        for (const Quantity quantity : schemaOrder(reading.device)) {
            for (const DynamicsControl& control : reading.controls) {
                if (control.quantity != quantity) continue;
                const HostParameter* p = parameterTagged(d, control.tag);
                if (!p) continue;
                if (quantity == Quantity::AutoMakeup) {
                    xml.start(quantityName(quantity));
                    xml.attribute("value", p->value > 0.5);
                    xml.end();
                } else {
                    realParameter(xml, quantityName(quantity), {}, {}, quantityUnit(quantity),
                                  control.range.at(p->value, p->max), control.range.lo, control.range.hi);
                }
            }
        }
    }

    void arrangement(XmlWriter& xml) {
        xml.start("Arrangement");
        xml.attribute("id", id());
        xml.start("Lanes");
        xml.attribute("id", id());
        xml.attribute("timeUnit", "beats");
        for (std::size_t i = 0; i < tracks_.size(); ++i) {
            const Track& track = *tracks_[i];
            if (track.kind == Track::Kind::Folder) continue;
            xml.start("Lanes");
            xml.attribute("id", id());
            xml.attribute("track", ids_[i].track);
            if (!track.clips.empty()) {
                xml.start("Clips");
                xml.attribute("id", id());
                for (std::size_t c = 0; c < track.clips.size(); ++c) clip(xml, track, track.clips[c], c);
                xml.end();
            }
            for (const AutomationLane& lane : track.automation) automation(xml, track, ids_[i], lane);
            xml.end();
        }
        xml.end();
        xml.end();
    }

    void clip(XmlWriter& xml, const Track& track, const Clip& clip, std::size_t index) {
        const std::string label = clipLabel(clip, index);
        nameReplaced(clip.name, track.name.utf8, label);
        xml.start("Clip");
        if (!clip.name.utf8.empty()) xml.attribute("name", clip.name.utf8);
        xml.attribute("time", clip.time);
        xml.attribute("duration", clip.duration);
        if (clip.muted) {
            // As with a send, the 1.0 release has no clip's enable: it plays the clip.
            xml.attribute("enable", false);
            leftOut_.add(kNotSeenBy10, track.name.utf8, label, "muted");
        }
        if (clip.kind == Clip::Kind::Notes) {
            xml.attribute("contentTimeUnit", "beats");
            xml.attribute("playStart", 0.0);
            if (clip.quantize) leftOut_.add("quantize", track.name.utf8, label, *clip.quantize);
            notesClip(xml, track, clip, label);
        } else {
            xml.attribute("contentTimeUnit", "seconds");
            xml.attribute("playStart", clip.offset);
            xml.attribute("fadeTimeUnit", "beats");
            xml.attribute("fadeInTime", clip.fadeIn);
            xml.attribute("fadeOutTime", clip.fadeOut);
            if (clip.gain && *clip.gain != 1)
                leftOut_.add("region gain", track.name.utf8, label, numberText(*clip.gain));
            audioClip(xml, track, clip, label);
        }
        xml.end();
    }

    void audioClip(XmlWriter& xml, const Track& track, const Clip& clip, const std::string& label) {
        if (!clip.file) {
            leftOut_.add("audio event without a file", track.name.utf8, label);
            return;
        }
        const AudioFile& file = *clip.file;
        xml.start("Audio");
        xml.attribute("id", id());
        xml.attribute("timeUnit", "seconds");
        xml.attribute("duration", file.sampleRate > 0 ? static_cast<double>(file.frames) / file.sampleRate : 0.0);
        xml.attribute("channels", file.channels);
        xml.attribute("sampleRate", static_cast<std::int64_t>(std::llround(file.sampleRate)));
        xml.start("File");
        const auto it = files_.audio.find(file.path.lexically_normal().string());
        if (it != files_.audio.end() && !it->second.empty()) {
            xml.attribute("path", it->second);
        } else {
            xml.attribute("path", file.path.string());
            xml.attribute("external", true);
        }
        xml.end();
        xml.end();
    }

    void notesClip(XmlWriter& xml, const Track& track, const Clip& clip, const std::string& label) {
        const bool lanes = !clip.events.empty();
        if (lanes) {
            xml.start("Lanes");
            xml.attribute("id", id());
        }
        xml.start("Notes");
        xml.attribute("id", id());
        NoteText text(track.midiChannel);
        for (const Note& note : clip.notes) {
            if (note.key < 0 || note.key > kMidiTop) {
                leftOut_.add("notes with a key outside 0 to 127", track.name.utf8, label);
                continue;
            }
            xml.raw(text.of(note));
        }
        xml.end();
        if (lanes) {
            expressions(xml, track, clip, label);
            xml.end();
        }
    }

    // The controller-like events as points, one Points per MIDI expression (and per
    // controller number), each in time order.
    void expressions(XmlWriter& xml, const Track& track, const Clip& clip, const std::string& label) {
        auto targetOf = [](const ControlEvent& e) {
            return static_cast<std::int64_t>(e.kind) * 1000 + (e.kind == ControlKind::Controller ? e.number : 0);
        };
        std::vector<std::size_t> order;
        order.reserve(clip.events.size());
        for (std::size_t i = 0; i < clip.events.size(); ++i) {
            const ControlEvent& e = clip.events[i];
            if (e.kind == ControlKind::Controller && (e.number < 0 || e.number > kMidiTop)) {
                leftOut_.add("controller events with a number above 127", track.name.utf8, label);
                continue;
            }
            if (e.kind == ControlKind::ProgramChange && (e.value < 0 || e.value > kMidiTop)) {
                leftOut_.add("program changes above 127", track.name.utf8, label);
                continue;
            }
            if ((e.kind == ControlKind::Controller || e.kind == ControlKind::Aftertouch) && e.value > kMidiTop)
                leftOut_.add("controller-like values above 127, written as 127", track.name.utf8, label);
            order.push_back(i);
        }
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            const auto ta = targetOf(clip.events[a]), tb = targetOf(clip.events[b]);
            return ta != tb ? ta < tb : clip.events[a].time < clip.events[b].time;
        });
        for (std::size_t at = 0; at < order.size();) {
            const ControlEvent& first = clip.events[order[at]];
            xml.start("Points");
            xml.attribute("id", id());
            if (first.kind != ControlKind::ProgramChange) xml.attribute("unit", "normalized");
            xml.start("Target");
            switch (first.kind) {
            case ControlKind::PitchBend: xml.attribute("expression", "pitchBend"); break;
            case ControlKind::Aftertouch: xml.attribute("expression", "channelPressure"); break;
            case ControlKind::ProgramChange: xml.attribute("expression", "programChange"); break;
            case ControlKind::Controller: xml.attribute("expression", "channelController"); break;
            }
            xml.attribute("channel", track.midiChannel);
            if (first.kind == ControlKind::Controller) xml.attribute("controller", first.number);
            xml.end();
            const auto target = targetOf(first);
            for (; at < order.size() && targetOf(clip.events[order[at]]) == target; ++at) {
                const ControlEvent& e = clip.events[order[at]];
                if (e.kind == ControlKind::ProgramChange) {
                    xml.start("IntegerPoint");
                    xml.attribute("time", e.time);
                    xml.attribute("value", e.value);
                } else {
                    const double value = e.kind == ControlKind::PitchBend
                                             ? e.value / kPitchBendTop
                                             : std::clamp(e.value, 0, kMidiTop) / static_cast<double>(kMidiTop);
                    xml.start("RealPoint");
                    xml.attribute("time", e.time);
                    xml.attribute("value", value);
                }
                xml.end();
            }
            xml.end();
        }
    }

    void automation(XmlWriter& xml, const Track& track, const TrackIds& ids, const AutomationLane& lane) {
        // A lane aims at a parameter the channel writes; one whose parameter the channel
        // lacks is listed instead, so that no reference is left without its element.
        const Channel* c = track.channel ? &*track.channel : nullptr;
        std::string target;
        const char* unit = "linear";
        const char* missing = "send level automation without a send";
        switch (lane.kind) {
        case AutomationLane::Kind::Volume:
            if (c && c->volume) target = ids.volume;
            missing = "volume automation without a volume";
            break;
        case AutomationLane::Kind::Pan:
            if (c && c->pan) target = ids.pan;
            unit = "normalized";
            missing = "pan automation without a pan";
            break;
        case AutomationLane::Kind::SendLevel:
            // The host's send level automation names no send: it goes to the first one.
            if (!ids.sendVolumes.empty()) target = ids.sendVolumes.front();
            break;
        }
        if (target.empty()) {
            leftOut_.add(missing, track.name.utf8, {}, std::to_string(lane.points.size()) + " points");
            return;
        }
        xml.start("Points");
        xml.attribute("id", id());
        xml.attribute("unit", unit);
        xml.start("Target");
        xml.attribute("parameter", target);
        xml.end();
        for (const AutomationLane::Point& point : lane.points) {
            const double value = lane.kind == AutomationLane::Kind::Volume
                                     ? volumeAutomationGain(point.value)
                                     : point.value;
            xml.start("RealPoint");
            xml.attribute("time", point.time);
            xml.attribute("value", value);
            xml.attribute("interpolation", "linear");
            xml.end();
        }
        xml.end();
    }

    void nameReplaced(const Text& name, const std::string& track, const std::string& clip) {
        if (name.replaced)
            leftOut_.add("characters XML cannot carry, written as U+FFFD", track, clip, name.utf8);
    }

    const Song& song_;
    const std::vector<const Track*>& tracks_;
    const ContainerFiles& files_;
    LeftOutList& leftOut_;
    std::vector<TrackIds> ids_;
    std::map<std::int32_t, std::string> channelIds_;
    std::string master_;
    int next_ = 0;
};

std::string metadataXml(const Song& song) {
    XmlWriter xml;
    xml.start("MetaData");
    xml.start("Title");
    xml.text(song.title.utf8);
    xml.end();
    xml.end();
    xml.finish();
    return xml.text();
}

// --- The container ---------------------------------------------------------------------

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};

std::string zipMessage(zip_t* archive) { return zip_error_strerror(zip_get_error(archive)); }

void add(zip_t* archive, const std::string& name, zip_source_t* source, std::int32_t method,
         const fs::path& target) {
    if (!source) throw ExportError("cannot write " + target.string() + ": " + zipMessage(archive));
    const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        throw ExportError("cannot write " + target.string() + ": " + zipMessage(archive));
    }
    // The fastest deflate: project.xml repeats itself so much that it shrinks about tenfold
    // even so, and a million notes compress in a fraction of the time the default takes.
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), method,
                             method == ZIP_CM_DEFLATE ? 1 : 0);
}

// project.xml as a libzip source: when libzip opens it (while it closes the container), a
// thread starts writing the document into a queue that libzip reads as it compresses.
class ProjectStream {
public:
    ProjectStream(std::function<void(XmlWriter&)> write, fs::path target)
        : write_(std::move(write)), target_(std::move(target)) {
        zip_error_init(&error_);
    }
    ~ProjectStream() {
        queue_.cancel();
        if (thread_.joinable()) thread_.join();
        zip_error_fini(&error_);
    }

    zip_source_t* source(zip_t* archive) { return zip_source_function(archive, callback, this); }

    // Why the document could not be written, once libzip is done; empty when it was.
    std::string failure() {
        if (thread_.joinable()) thread_.join();
        return failure_;
    }

private:
    static zip_int64_t callback(void* self, void* data, zip_uint64_t length, zip_source_cmd_t command) {
        return static_cast<ProjectStream*>(self)->handle(data, length, command);
    }

    zip_int64_t handle(void* data, zip_uint64_t length, zip_source_cmd_t command) {
        switch (command) {
        case ZIP_SOURCE_OPEN:
            // The document is written once: libzip reads it straight through.
            // GCOVR_EXCL_START: libzip opens a source once for the one pass of zip_close.
            if (thread_.joinable()) {
                zip_error_set(&error_, ZIP_ER_OPNOTSUPP, 0);
                return -1;
            }
            // GCOVR_EXCL_STOP
            thread_ = std::thread([this] { run(); });
            return 0;
        case ZIP_SOURCE_READ:
            return static_cast<zip_int64_t>(queue_.read(data, static_cast<std::size_t>(length)));
        case ZIP_SOURCE_CLOSE:
            queue_.cancel();
            return 0;
        case ZIP_SOURCE_STAT:
            zip_stat_init(static_cast<zip_stat_t*>(data));
            return sizeof(zip_stat_t);
        // GCOVR_EXCL_START: libzip asks for the error only after a command failed, and the
        // commands it sends (those SUPPORTS lists, the second open aside) do not fail.
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&error_, data, length);
        // GCOVR_EXCL_STOP
        case ZIP_SOURCE_FREE:
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return ZIP_SOURCE_SUPPORTS_READABLE;
        // GCOVR_EXCL_START: libzip sends only the commands SUPPORTS lists.
        default:
            zip_error_set(&error_, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        // GCOVR_EXCL_STOP
        }
    }

    void run() {
        try {
            XmlWriter xml(queue_);
            write_(xml);
        } catch (const std::exception& e) {
            failure_ = "cannot write " + target_.string() + ": " + e.what();
        }
        queue_.finish();
    }

    std::function<void(XmlWriter&)> write_;
    fs::path target_;
    ByteQueue queue_;
    std::thread thread_;
    std::string failure_;
    zip_error_t error_;
};

}  // namespace

void writeDawproject(const Song& song, const fs::path& target, const Application& application,
                     LeftOutList& leftOut, const std::vector<ExtraTrack>& extra) {
    OutputFile output(target);
    const std::vector<const Track*> tracks = trackOrder(song, extra);
    const ContainerFiles files = planFiles(tracks, leftOut);
    XmlWriter::prepare();  // on this thread, before the writer thread starts
    const std::string metadata = metadataXml(song);
    ProjectStream project([&](XmlWriter& xml) { ProjectWriter(song, tracks, files, leftOut).write(xml, application); },
                          target);

    output.closeStream();
    int error = 0;
    std::unique_ptr<zip_t, ZipCloser> archive(
        zip_open(output.temporary().c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error));
    if (!archive) {
        zip_error_t e;
        zip_error_init_with_code(&e, error);
        const std::string message = zip_error_strerror(&e);
        zip_error_fini(&e);
        throw ExportError("cannot write " + target.string() + ": " + message);
    }
    add(archive.get(), "project.xml", project.source(archive.get()), ZIP_CM_DEFLATE, target);
    add(archive.get(), "metadata.xml",
        zip_source_buffer(archive.get(), metadata.data(), metadata.size(), 0), ZIP_CM_DEFLATE, target);
    for (const auto& entry : files.entries) {
        if (entry.bytes)
            add(archive.get(), entry.name,
                zip_source_buffer(archive.get(), entry.bytes->data(), entry.bytes->size(), 0),
                ZIP_CM_DEFLATE, target);
        else
            add(archive.get(), entry.name, zip_source_file(archive.get(), entry.file.c_str(), 0, -1),
                ZIP_CM_STORE, target);
    }
    // A container that cannot be written stops the document's writer (its reader is gone);
    // a document that cannot be written ends early, and the container would be short.
    if (zip_close(archive.get()) != 0) {
        const std::string message = zipMessage(archive.get());
        project.failure();
        throw ExportError("cannot write " + target.string() + ": " + message);
    }
    archive.release();
    if (const std::string failure = project.failure(); !failure.empty()) throw ExportError(failure);
    output.commit();
}

}  // namespace Interchange
