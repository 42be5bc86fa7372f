// Reads the reference host's document into the plain song of song.h. Everything is read
// through the host's public reading model (Document, Node and its parameters, the events
// and automation models, the instrument slots); nothing here changes the host.
#include "interchange/host_song.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

#include "base/text.h"
#include "hostkit/track_attributes.h"
#include "interchange/host_units.h"
#include "refhost/audio.h"
#include "refhost/automation.h"
#include "refhost/events.h"
#include "refhost/instruments.h"
#include "refhost/reference_host.h"

namespace Interchange {

namespace {

using RefHost::Node;
using RefHost::Parameter;

constexpr std::int32_t kPanTag = 4201;
constexpr std::int32_t kInsertOnTag = 4098;
constexpr std::int32_t kSendOnTag = 4096;
constexpr std::int32_t kSendLevelTag = 4097;
constexpr std::int32_t kDrumChannel = 9;
constexpr std::int32_t kMidiChannels = 16;

// A text of the document as UTF-8, with what XML cannot carry (control characters other
// than tab, line feed and carriage return, U+FFFE, U+FFFF, unpaired surrogates) replaced.
Text text(std::u16string_view in) {
    std::u16string clean(in);
    bool replaced = false;
    for (std::size_t i = 0; i < clean.size(); ++i) {
        const char16_t c = clean[i];
        bool bad = (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0xFFFE ||
                   c == 0xFFFF;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 < clean.size() && clean[i + 1] >= 0xDC00 && clean[i + 1] <= 0xDFFF) {
                ++i;
                continue;
            }
            bad = true;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            bad = true;
        }
        if (bad) {
            clean[i] = 0xFFFD;
            replaced = true;
        }
    }
    return {Tessaro::toUtf8(clean), replaced};
}

// The name of a list entry without its category: "Dynamics - Compressor" gives
// "Compressor"; the category is the part before.
std::pair<std::string, std::string> splitEntry(const std::u16string& entry) {
    const std::string name = Tessaro::toUtf8(entry);
    const auto at = name.find(" - ");
    if (at == std::string::npos) return {{}, name};
    return {name.substr(0, at), name.substr(at + 3)};
}

// Host positions are the file's ticks times the tick factor, 1 / the rate the import
// handed to the tempo object (the tempo in beats per second times the file's ticks per
// whole note): a position unit is four beats at 60 bpm, so quarter notes = position ×
// tempo / 15. Where the rate gives the file's resolution exactly, positions are read back
// as whole ticks of it, which takes away the single-precision noise of the tick factor.
class TimeBase {
public:
    explicit TimeBase(const RefHost::SongState& song) {
        if (song.tempo && std::isfinite(*song.tempo) && *song.tempo > 0) tempo_ = *song.tempo;
        if (!song.tempoRate || !std::isfinite(*song.tempoRate) || !(*song.tempoRate > 0)) return;
        const double whole = *song.tempoRate * 60 / tempo_;
        const double rounded = std::round(whole);
        if (rounded >= 1 && rounded <= 1e6 && std::fabs(whole - rounded) <= 1e-5 * rounded) {
            rate_ = *song.tempoRate;
            ticksPerWhole_ = static_cast<std::int32_t>(rounded);
        }
    }

    double tempo() const { return tempo_; }
    std::optional<std::int32_t> ticksPerWhole() const { return ticksPerWhole_; }

    double quarters(double position) const {
        if (!std::isfinite(position)) return 0;
        if (!ticksPerWhole_) return position * tempo_ / 15;
        double ticks = position * rate_;
        const double nearest = std::round(ticks);
        // The tick factor and each product are single precision: 2^-23 of the value apart
        // at most.
        if (std::fabs(ticks - nearest) <= std::min(0.49, 3e-7 * std::fabs(ticks) + 1e-6))
            ticks = nearest;
        return ticks * 4 / *ticksPerWhole_;
    }
    double quarters(const std::optional<double>& position) const {
        return position ? quarters(*position) : 0;
    }

private:
    double tempo_ = 120;
    double rate_ = 0;
    std::optional<std::int32_t> ticksPerWhole_;
};

bool changed(const Node& node) {
    return std::any_of(node.parameters.begin(), node.parameters.end(),
                       [](const auto& p) { return p->changes > 0; });
}

std::vector<HostParameter> parametersOf(const Node& node) {
    std::vector<HostParameter> out;
    for (const auto& p : node.parameters) {
        HostParameter h{p->name, p->tag, p->value, p->max, std::nullopt, 0};
        if (p->isList) {
            h.entries = static_cast<std::int32_t>(p->entries.size());
            if (const auto* entry = p->chosenEntry()) h.entry = Tessaro::toUtf8(entry->name);
        }
        out.push_back(std::move(h));
    }
    return out;
}

double valueOr(const Parameter* p, double fallback) { return p ? p->value : fallback; }

const Node* pluginIn(const Node& slot) {
    return !slot.children.empty() && slot.children.front()->is("plugin") ? slot.children.front()
                                                                        : nullptr;
}

// "[GM 034] Electric Bass (Finger)" names General MIDI sound 34: program 33. Numbers above
// 128 are the drum kits.
std::optional<std::int32_t> gmNumber(std::string_view preset) {
    if (preset.size() < 8 || preset.substr(0, 4) != "[GM " || preset[7] != ']') return {};
    std::int32_t n = 0;
    for (char c : preset.substr(4, 3)) {
        if (c < '0' || c > '9') return {};
        n = n * 10 + (c - '0');
    }
    return n;
}

class Reader {
public:
    Reader(const RefHost::ReferenceHost& host, const TimeBase& time)
        : document_(host.document()),
          time_(time),
          scale_(document_.mixer.value == 4.0 ? FaderScale::Newer : FaderScale::Older) {}

    Track track(const Node& node, int depth) {
        Track t;
        t.kind = node.is("folder")       ? Track::Kind::Folder
                 : node.is("instrument") ? Track::Kind::Instrument
                 : node.is("effect")     ? Track::Kind::Effect
                                         : Track::Kind::Audio;
        t.name = text(node.name);
        t.depth = depth;
        if (node.colour) t.colour = *node.colour & 0xFFFFFFu;
        if (const auto found = node.attributes.find(Tessaro::TrackAttribute::kNumber);
            found != node.attributes.end())
            if (const auto* number = std::get_if<Host::int64>(&found->second))
                if (*number >= 0 && *number <= std::numeric_limits<std::int32_t>::max()) t.fileNumber = static_cast<std::int32_t>(*number);
        if (node.channel) t.channel = channel(*node.channel, t);
        if (node.eventList) clips(*node.eventList, t);
        if (node.automation) automation(*node.automation, t);
        return t;
    }

    Track output(const Node& channelNode) {
        Track t;
        t.kind = Track::Kind::Master;
        t.name = text(channelNode.shownName());
        t.channel = channel(channelNode, t);
        return t;
    }

private:
    Channel channel(const Node& node, Track& track) {
        Channel c;
        c.mixerIndex = document_.channelIndex(node);
        c.deviceType = node.deviceType;
        c.role = node.deviceType == "FxChannel" ? Channel::Role::Effect
                 : node.deviceType == "Output"  ? Channel::Role::Master
                                                : Channel::Role::Regular;
        if (const Parameter* volume = node.findParameter("volume")) {
            c.volume = faderGain(scale_, volume->value);
            c.volumeMax = faderGain(scale_, volume->max);
        }
        if (const Node* panner = node.findChild("Panner"))
            if (const Parameter* pan = panner->findParameterByTag(kPanTag))
                c.pan = panPosition(pan->value, pan->max);
        c.mute = valueOr(node.findParameter("mute"), 0) > 0.5;
        c.solo = valueOr(node.findParameter("solo"), 0) > 0.5;
        devices(node, track, c);
        sends(node, c);
        return c;
    }

    void devices(const Node& node, Track& track, Channel& c) {
        instrument(node, track, c);
        if (const Node* filter = node.findChild("InputFilter"); filter && changed(*filter)) {
            c.devices.push_back(device(*filter, Device::Place::InputFilter, "InputFilter"));
        } else if (const Parameter* phase = node.findParameter("inputPhase");
                   phase && phase->changes > 0) {
            Device d;
            d.place = Device::Place::InputFilter;
            d.plugin = "InputFilter";
            d.name = {d.plugin, false};
            d.parameters.push_back({phase->name, phase->tag, phase->value, phase->max, {}, 0});
            c.devices.push_back(std::move(d));
        }
        if (const Node* eq = node.findChild("EQ"); eq && changed(*eq)) {
            Device d = device(*eq, Device::Place::ChannelEq, "EQ");
            if (const auto reading = eqReading("EQ"))
                d.enabled = valueOr(eq->findParameterByTag(reading->onTag), 1) > 0.5;
            c.devices.push_back(std::move(d));
        }
        if (const Node* strips = node.findChild("Strips")) {
            for (std::size_t i = 0; i < strips->children.size(); ++i) {
                const Node& slot = *strips->children[i];
                const Node* module = pluginIn(slot);
                if (!module || (!changed(slot) && !changed(*module))) continue;
                Device d = device(*module, Device::Place::Strip, chosenPlugin(slot, "moduleType"));
                d.slot = static_cast<std::int32_t>(i);
                d.enabled = valueOr(slot.findParameter("bypass"), 0) < 0.5;
                if (const auto reading = eqReading(d.plugin); reading && reading->onTag)
                    d.enabled = d.enabled &&
                                valueOr(module->findParameterByTag(reading->onTag), 1) > 0.5;
                c.devices.push_back(std::move(d));
            }
        }
        if (const Node* inserts = node.findChild("Inserts")) {
            for (std::size_t i = 0; i < inserts->children.size(); ++i) {
                const Node& slot = *inserts->children[i];
                const Node* plugin = pluginIn(slot);
                if (!plugin) continue;
                Device d = device(*plugin, Device::Place::Insert, chosenPlugin(slot, "effectType"));
                d.slot = static_cast<std::int32_t>(i);
                d.enabled = valueOr(slot.findParameterByTag(kInsertOnTag), 1) > 0.5;
                c.devices.push_back(std::move(d));
            }
        }
        if (node.subNode) {
            const Node* limiter = node.subNode->findChild("Channel Limiter");
            const Node* slot = limiter ? nullptr : node.subNode->findChild("Channel Limiter Slot");
            if (const Node* found = limiter ? limiter : slot; found && changed(*found)) {
                Device d = device(*found, Device::Place::ChannelLimiter, "Channel Limiter");
                // The slot's switch is a bypass: 1 takes the limiter out.
                if (slot) d.enabled = valueOr(slot->findParameter("bypass"), 0) < 0.5;
                c.devices.push_back(std::move(d));
            }
        }
    }

    static std::string chosenPlugin(const Node& slot, const char* chooser) {
        const Parameter* p = slot.findParameter(chooser);
        const auto* entry = p ? p->chosenEntry() : nullptr;
        return entry ? splitEntry(entry->name).second : std::string();
    }

    static Device device(const Node& node, Device::Place place, std::string plugin) {
        Device d;
        d.place = place;
        d.plugin = plugin.empty() ? Tessaro::toUtf8(node.name) : std::move(plugin);
        d.name = {d.plugin, false};
        d.parameters = parametersOf(node);
        return d;
    }

    void instrument(const Node& node, Track& track, Channel& c) {
        const Node* slot = RefHost::instrumentSlotOf(node);
        const RefHost::InstrumentInstance* instance = slot ? RefHost::instrumentInstanceOf(*slot) : nullptr;
        if (!instance) return;
        Device d;
        d.role = Device::Role::Instrument;
        d.place = Device::Place::InstrumentSlot;
        d.plugin = Tessaro::toUtf8(instance->name);
        d.name = text(instance->name);
        d.classId = RefHost::classIdText(instance->classId);
        d.parameters = parametersOf(*instance);
        bool drums = false;
        if (const Parameter* type = slot->findParameter(RefHost::kInstrumentTypeParam))
            if (const auto* entry = type->chosenEntry()) drums = splitEntry(entry->name).first == "Drums";
        if (const Parameter* preset = instance->findParameter(RefHost::kInstrumentPresetParam)) {
            if (const auto* entry = preset->chosenEntry()) {
                d.name = text(entry->name);
                d.preset = d.name;
                if (const auto gm = gmNumber(d.name.utf8); gm && *gm >= 1) {
                    if (*gm <= 128) {
                        track.gmProgram = *gm - 1;
                    } else {
                        track.gmKit = *gm;
                        drums = true;
                    }
                }
            }
        }
        if (const RefHost::PresetLoad* load = instance->loadedState()) {
            d.state = load->state;
            d.stateName = text(Tessaro::toUtf16(load->name));
            d.name = *d.stateName;
            d.preset = d.name;
        }
        if (drums) track.midiChannel = kDrumChannel;
        c.devices.push_back(std::move(d));
    }

    void sends(const Node& node, Channel& c) {
        const Node* sendsNode = node.findChild("Sends");
        if (!sendsNode) return;
        for (std::size_t i = 0; i < sendsNode->children.size(); ++i) {
            const Node& slot = *sendsNode->children[i];
            if (!slot.destination && !changed(slot)) continue;
            Send s;
            s.slot = static_cast<std::int32_t>(i);
            s.enabled = valueOr(slot.findParameterByTag(kSendOnTag), 0) > 0.5;
            s.volume = faderGain(scale_, valueOr(slot.findParameterByTag(kSendLevelTag), 0));
            s.destination = slot.destination ? document_.channelIndex(*slot.destination) : -1;
            c.sends.push_back(s);
        }
    }

    void clips(const RefHost::EventList& list, Track& track) {
        for (const RefHost::Object* object : list.events) {
            if (const auto* part = dynamic_cast<const RefHost::MidiPartNode*>(object)) {
                track.clips.push_back(midiClip(*part));
            } else if (const auto* event = dynamic_cast<const RefHost::EventObject*>(object);
                       event && event->kind == RefHost::EventKind::AudioEvent) {
                track.clips.push_back(audioClip(*event));
            }
        }
    }

    Clip midiClip(const RefHost::MidiPartNode& part) {
        Clip clip;
        clip.kind = Clip::Kind::Notes;
        clip.name = text(part.name);
        clip.time = time_.quarters(part.start);
        clip.duration = time_.quarters(part.length);
        clip.muted = part.mute.value_or(false);
        if (const Parameter* quantize = part.findParameter("quantMenu"); quantize && quantize->changes > 0)
            if (const auto* entry = quantize->chosenEntry()) clip.quantize = Tessaro::toUtf8(entry->name);
        clip.notes.reserve(part.events.events.size());
        for (const RefHost::Object* object : part.events.events) {
            const auto* event = dynamic_cast<const RefHost::EventObject*>(object);
            if (!event) continue;
            const double at = time_.quarters(event->start);
            const auto data = [&](int i) { return event->data[i].value_or(0); };
            switch (event->kind) {
            case RefHost::EventKind::Note:
                clip.notes.push_back({at, time_.quarters(event->length), data(0), data(1)});
                break;
            case RefHost::EventKind::PitchBend:
                clip.events.push_back(
                    {at, ControlKind::PitchBend, 0, (data(1) & 0x7F) << 7 | (data(0) & 0x7F)});
                break;
            case RefHost::EventKind::Aftertouch:
                clip.events.push_back({at, ControlKind::Aftertouch, 0, data(0)});
                break;
            case RefHost::EventKind::ProgramChange:
                clip.events.push_back({at, ControlKind::ProgramChange, 0, data(0)});
                break;
            case RefHost::EventKind::Controller:
                clip.events.push_back({at, ControlKind::Controller, data(0), data(1)});
                break;
            default:
                break;
            }
        }
        clip.notes.shrink_to_fit();
        return clip;
    }

    Clip audioClip(const RefHost::EventObject& event) {
        Clip clip;
        clip.kind = Clip::Kind::Audio;
        clip.time = time_.quarters(event.start);
        clip.duration = time_.quarters(event.length);
        clip.muted = event.mute.value_or(false);
        const RefHost::AudioEventState& audio = *event.audio;
        clip.offset = audio.offset.value_or(0);
        clip.fadeIn = time_.quarters(audio.fadeIn);
        clip.fadeOut = time_.quarters(audio.fadeOut);
        clip.gain = audio.volume;
        if (audio.clip && audio.clip->file) {
            const RefHost::AudioFileInfo& info = *audio.clip->file;
            clip.file = AudioFile{info.path, info.sampleRate, info.channels, info.frames};
            clip.name = text(info.path.stem().u16string());
        }
        return clip;
    }

    void automation(const RefHost::TrackAutomation& automation, Track& track) {
        for (const RefHost::AutomationLane* lane : automation.lanes) {
            AutomationLane out;
            switch (lane->kind) {
            case Host::IAutomationTrack::kVolume: out.kind = AutomationLane::Kind::Volume; break;
            case Host::IAutomationTrack::kPan: out.kind = AutomationLane::Kind::Pan; break;
            case Host::IAutomationTrack::kSendLevel: out.kind = AutomationLane::Kind::SendLevel; break;
            default: continue;
            }
            for (const RefHost::AutomationEvent* point : lane->events)
                if (point->position && point->value)
                    out.points.push_back({time_.quarters(*point->position), *point->value});
            track.automation.push_back(std::move(out));
        }
    }

    const RefHost::Document& document_;
    const TimeBase& time_;
    FaderScale scale_;
};

// Each instrument track not on the drum channel gets the next free MIDI channel, 0 to 15
// without the drums' 9, from the first again after the fifteenth.
void assignMidiChannels(std::vector<Track>& tracks) {
    std::int32_t next = 0;
    for (Track& t : tracks) {
        if (t.kind != Track::Kind::Instrument || t.midiChannel == kDrumChannel) continue;
        t.midiChannel = next;
        next = (next + 1) % kMidiChannels;
        if (next == kDrumChannel) ++next;
    }
}

}  // namespace

Song readSong(const RefHost::ReferenceHost& host, const std::filesystem::path& projectFile) {
    const RefHost::Document& document = host.document();
    const RefHost::SongState& state = document.song;
    const TimeBase time(state);

    Song song;
    std::filesystem::path title = projectFile.filename();
    if (title.extension() == ".tsp") title.replace_extension();
    song.title = text(title.u16string());
    song.hostName = host.profile().name;
    song.hostVersion = host.profile().version;
    song.tempo = time.tempo();
    song.sampleRate = state.sampleRate;
    song.ticksPerWholeNote = time.ticksPerWhole();
    if (!state.signatures.empty()) {
        song.numerator = state.signatures.front().numerator;
        song.denominator = state.signatures.front().denominator;
    }
    song.signatures = static_cast<std::int32_t>(state.signatures.size());
    if (state.length) song.length = time.quarters(*state.length);
    if (state.cycleActive || state.cycleLeft || state.cycleRight)
        song.cycle = Song::Cycle{state.cycleActive.value_or(false), time.quarters(state.cycleLeft),
                                 time.quarters(state.cycleRight)};

    Reader reader(host, time);
    for (const auto& [node, depth] : document.tracks()) song.tracks.push_back(reader.track(*node, depth));
    for (const Node* channel : document.channels.children)
        if (!channel->trackChannel) song.tracks.push_back(reader.output(*channel));
    assignMidiChannels(song.tracks);
    return song;
}

}  // namespace Interchange
