// Events: IEventList, IEvent, IMidiPart, INoteEvent, IControlEvent and IAudioEvent, the
// event objects behind them and their part of the report.
#include "refhost/events.h"

#include <algorithm>
#include <map>

#include "base/text.h"
#include "refhost/audio.h"
#include "refhost/facets.h"
#include "refhost/reference_host.h"

namespace RefHost {

namespace {

struct KindName {
    EventKind kind;
    const char* name;
};

constexpr KindName kKindNames[] = {
    {EventKind::MidiPart, "MIDI part"},       {EventKind::Note, "note"},
    {EventKind::PitchBend, "pitchbend"},      {EventKind::Aftertouch, "aftertouch"},
    {EventKind::ProgramChange, "program change"}, {EventKind::Controller, "controller"},
    {EventKind::AudioEvent, "audio event"},
};

// The host's quantize menu of a MIDI part.
constexpr const char16_t* kQuantizeMenu[] = {
    u"1/1",          u"1/2",          u"1/4",          u"1/8",         u"1/16",
    u"1/32",         u"1/64",         u"1/128",        u"1/2 Triplet", u"1/4 Triplet",
    u"1/8 Triplet",  u"1/16 Triplet", u"1/32 Triplet", u"1/64 Triplet", u"1/2 Dotted",
    u"1/4 Dotted",   u"1/8 Dotted",   u"1/16 Dotted",  u"1/32 Dotted", u"1/64 Dotted",
};

bool isControlKind(EventKind kind) {
    return kind == EventKind::PitchBend || kind == EventKind::Aftertouch ||
           kind == EventKind::ProgramChange || kind == EventKind::Controller;
}

// Data values a controller-like kind takes: pitch bends and controllers two, the others one.
int dataCount(EventKind kind) {
    return kind == EventKind::PitchBend || kind == EventKind::Controller ? 2 : 1;
}

Parameter& quantizeParameter(ReferenceHost& host, Node& part) {
    ParamTemplate shape;
    shape.name = "quantMenu";
    shape.tag = 0;
    shape.max = static_cast<Host::int32>(std::size(kQuantizeMenu)) - 1;
    shape.value = 0;
    shape.list = "quantMenu";
    std::vector<ListEntry> entries;
    for (std::size_t i = 0; i < std::size(kQuantizeMenu); ++i)
        entries.push_back({kQuantizeMenu[i], static_cast<Host::int32>(i)});
    part.parameters.push_back(std::make_unique<Parameter>(host, part, shape, std::move(entries)));
    return *part.parameters.back();
}

// --- Facets ------------------------------------------------------------------------

template <class T>
T* as(Object& object) {
    return dynamic_cast<T*>(&object);
}

bool isEventList(Object& object) { return as<EventList>(object) != nullptr; }
bool isEvent(Object& object) { return eventState(object) != nullptr; }
bool isMidiPart(Object& object) { return as<MidiPartNode>(object) != nullptr; }
bool isNote(Object& object) {
    auto* e = as<EventObject>(object);
    return e && e->kind == EventKind::Note;
}
bool isControl(Object& object) {
    auto* e = as<EventObject>(object);
    return e && isControlKind(e->kind);
}
bool isAudioEvent(Object& object) {
    auto* e = as<EventObject>(object);
    return e && e->kind == EventKind::AudioEvent;
}

// The checks every event setter makes: the facet is alive, list is the list that holds
// the event, edit (when given) is the edit context.
template <class I, class O>
class EventFacetBase : public Facet<I, O> {
public:
    using Facet<I, O>::Facet;

protected:
    bool change(const char* operation, EventState& state, const void* list, const void* edit) {
        if (!this->usable(operation)) return false;
        auto* named = this->argument(operation, list, "event list", &Host::IEventList::iid);
        if (!named) return false;
        if (!state.list) {
            this->misuse(operation, "the event is in no event list yet");
            return false;
        }
        if (named != state.list) {
            this->misuse(operation, named->describe() + " does not hold the event");
            return false;
        }
        if (edit && !this->argument(operation, edit, "edit context", &Host::IEditContext::iid))
            return false;
        return true;
    }
};

class EventListFacet : public Facet<Host::IEventList, EventList> {
public:
    using Facet::Facet;

    Host::tresult prepare(Host::int32 kind) override {
        if (!usable("prepare")) return Host::kInvalidArgument;
        const Host::int32 wanted = self().requiredPreparation();
        if (kind != Host::IEventList::kMidi && kind != Host::IEventList::kAudio &&
            kind != Host::IEventList::kAutomation) {
            misuse("prepare", "unknown kind " + std::to_string(kind));
            return Host::kInvalidArgument;
        }
        if (wanted != 0 && kind != wanted) {
            misuse("prepare", "kind " + std::to_string(kind) + " on a list of kind " +
                                  std::to_string(wanted));
            return Host::kInvalidArgument;
        }
        self().prepared.push_back(kind);
        return Host::kResultOk;
    }

    Host::int32 getCount() override {
        return usable("getCount") ? static_cast<Host::int32>(self().events.size()) : 0;
    }
};

class EventFacet : public EventFacetBase<Host::IEvent, Object> {
public:
    using EventFacetBase::EventFacetBase;

    Host::tresult setStart(Host::IEventList* list, double position,
                           Host::IEditContext* edit) override {
        EventState& s = state();
        if (!change("setStart", s, list, edit)) return Host::kInvalidArgument;
        s.start = position;
        return Host::kResultOk;
    }
    Host::tresult setLength(Host::IEventList* list, double length,
                            Host::IEditContext* edit) override {
        EventState& s = state();
        if (!change("setLength", s, list, edit)) return Host::kInvalidArgument;
        s.length = length;
        return Host::kResultOk;
    }
    Host::tresult setMute(Host::IEventList* list, Host::tbool mute,
                          Host::IEditContext* edit) override {
        EventState& s = state();
        if (!change("setMute", s, list, edit)) return Host::kInvalidArgument;
        s.mute = mute != 0;
        return Host::kResultOk;
    }

private:
    EventState& state() { return *eventState(self()); }
};

class MidiPartFacet : public Facet<Host::IMidiPart, MidiPartNode> {
public:
    using Facet::Facet;

    Host::tresult setPartName(const Host::char16* name) override {
        std::u16string newName;
        if (!usable("setPartName") || !text("setPartName", name, "name", newName))
            return Host::kInvalidArgument;
        self().name = std::move(newName);
        return Host::kResultOk;
    }

    Host::tresult getEventList(Host::IEventList** list) override {
        if (!usable("getEventList") || !outPointer("getEventList", list))
            return Host::kInvalidArgument;
        return account().handOut(self().events, Host::IEventList::iid,
                                 reinterpret_cast<void**>(list));
    }
};

class NoteFacet : public EventFacetBase<Host::INoteEvent, EventObject> {
public:
    using EventFacetBase::EventFacetBase;

    Host::tresult setPitch(Host::IEventList* list, Host::int32 pitch,
                           Host::IEditContext* edit) override {
        if (!change("setPitch", self(), list, edit)) return Host::kInvalidArgument;
        self().pitch() = pitch;
        return Host::kResultOk;
    }
    Host::tresult setVelocity(Host::IEventList* list, Host::int32 velocity,
                              Host::IEditContext* edit) override {
        if (!change("setVelocity", self(), list, edit)) return Host::kInvalidArgument;
        if (velocity < 0 || velocity > 127) {
            misuse("setVelocity", "velocity " + std::to_string(velocity) + " outside 0 to 127");
            return Host::kInvalidArgument;
        }
        self().velocity() = velocity;
        return Host::kResultOk;
    }
};

class ControlEventFacet : public EventFacetBase<Host::IControlEvent, EventObject> {
public:
    using EventFacetBase::EventFacetBase;

    Host::tresult setData(Host::IEventList* list, Host::int32 index, Host::int32 value,
                          Host::IEditContext* edit) override {
        if (!change("setData", self(), list, edit)) return Host::kInvalidArgument;
        if (index < 0 || index >= dataCount(self().kind)) {
            misuse("setData", "index " + std::to_string(index) + " on a " +
                                  eventKindName(self().kind) + " event");
            return Host::kInvalidArgument;
        }
        self().data[static_cast<std::size_t>(index)] = value;
        return Host::kResultOk;
    }
};

class AudioEventFacet : public EventFacetBase<Host::IAudioEvent, EventObject> {
public:
    using EventFacetBase::EventFacetBase;

    Host::tresult setOffset(Host::IEventList* list, double seconds,
                            Host::IEditContext* edit) override {
        return set("setOffset", list, edit, self().audio->offset, seconds);
    }
    Host::tresult setVolume(Host::IEventList* list, double volume,
                            Host::IEditContext* edit) override {
        return set("setVolume", list, edit, self().audio->volume, volume);
    }
    Host::tresult setFadeIn(Host::IEventList* list, double length,
                            Host::IEditContext* edit) override {
        return set("setFadeIn", list, edit, self().audio->fadeIn, length);
    }
    Host::tresult setFadeOut(Host::IEventList* list, double length,
                             Host::IEditContext* edit) override {
        return set("setFadeOut", list, edit, self().audio->fadeOut, length);
    }

    Host::tresult setClip(Host::IAudioClip* clip) override {
        if (!usable("setClip")) return Host::kInvalidArgument;
        auto* object = dynamic_cast<AudioClipObject*>(
            argument("setClip", clip, "clip", &Host::IAudioClip::iid));
        if (!object) return Host::kInvalidArgument;
        if (!object->file) {
            misuse("setClip", "the clip has no file");
            return Host::kInvalidArgument;
        }
        self().audio->clip = object;
        return Host::kResultOk;
    }

private:
    Host::tresult set(const char* operation, Host::IEventList* list, Host::IEditContext* edit,
                      std::optional<double>& field, double value) {
        if (!change(operation, self(), list, edit)) return Host::kInvalidArgument;
        field = value;
        return Host::kResultOk;
    }
};

// IEvent comes first: an event asked for any interface answers with it.
const FacetType kTypes[] = {
    facetType<EventFacet, Host::IEvent>("IEvent", isEvent),
    facetType<EventListFacet, Host::IEventList>("IEventList", isEventList),
    facetType<MidiPartFacet, Host::IMidiPart>("IMidiPart", isMidiPart),
    facetType<NoteFacet, Host::INoteEvent>("INoteEvent", isNote),
    facetType<ControlEventFacet, Host::IControlEvent>("IControlEvent", isControl),
    facetType<AudioEventFacet, Host::IAudioEvent>("IAudioEvent", isAudioEvent),
};

// --- Report ------------------------------------------------------------------------

template <class T>
Report optional(const std::optional<T>& value) {
    return value ? Report(*value) : Report(nullptr);
}

void addCommon(Report& j, const EventState& e) {
    j["kind"] = eventKindName(e.kind);
    j["start"] = optional(e.start);
    j["length"] = optional(e.length);
}

Report eventJson(const ReferenceHost& host, const Object& object);

Report partJson(const ReferenceHost& host, const MidiPartNode& part) {
    Report j;
    addCommon(j, part);
    j["mute"] = optional(part.mute);
    j["name"] = Tessaro::toUtf8(part.name);
    const Parameter* quantize = part.findParameter("quantMenu");
    Report q;
    q["value"] = quantize->value;
    q["entry"] = quantize->chosenEntry() ? Report(Tessaro::toUtf8(quantize->chosenEntry()->name))
                                         : Report(nullptr);
    q["changes"] = quantize->changes;
    j["quantize"] = std::move(q);
    j["events"] = Report::array();
    for (const Object* e : part.events.events) j["events"].push_back(eventJson(host, *e));
    return j;
}

Report eventJson(const ReferenceHost& host, const Object& object) {
    if (const auto* part = dynamic_cast<const MidiPartNode*>(&object)) return partJson(host, *part);
    const auto& e = static_cast<const EventObject&>(object);
    Report j;
    addCommon(j, e);
    switch (e.kind) {
    case EventKind::Note:
        j["pitch"] = optional(e.pitch());
        j["velocity"] = optional(e.velocity());
        break;
    case EventKind::AudioEvent: {
        const AudioEventState& audio = *e.audio;
        j["mute"] = optional(e.mute);
        j["offset"] = optional(audio.offset);
        j["volume"] = optional(audio.volume);
        j["fadeIn"] = optional(audio.fadeIn);
        j["fadeOut"] = optional(audio.fadeOut);
        j["clip"] = audio.clip ? audioFileJson(host, *audio.clip->file) : Report(nullptr);
        break;
    }
    default: {
        j.erase("length");  // controller-like events have none
        Report data = Report::array();
        for (int i = 0; i < dataCount(e.kind); ++i)
            data.push_back(optional(e.data[static_cast<std::size_t>(i)]));
        j["data"] = std::move(data);
        break;
    }
    }
    return j;
}

}  // namespace

// --- Kinds and objects ---------------------------------------------------------------

const char* eventKindName(EventKind kind) {
    for (const auto& k : kKindNames)
        if (k.kind == kind) return k.name;
    return "event";
}

std::optional<EventKind> eventKindNamed(std::string_view name) {
    for (const auto& k : kKindNames)
        if (name == k.name) return k.kind;
    return std::nullopt;
}

EventObject::EventObject(ReferenceHost& host, EventKind eventKind)
    : Object(host), EventState(eventKind) {
    if (eventKind == EventKind::AudioEvent) audio = std::make_unique<AudioEventState>();
}

std::string EventObject::describe() const {
    std::string text = std::string(eventKindName(kind)) + " event";
    if (list) text += " in " + list->describe();
    return text;
}

MidiPartNode::MidiPartNode(ReferenceHost& host)
    : Node(host, {"event", "part", "param"}, u"MIDI part"),
      EventState(EventKind::MidiPart),
      events(host.make<EventList>(*this)) {
    quantizeParameter(host, *this);
}

std::string MidiPartNode::describe() const {
    return "MIDI part \"" + Tessaro::toUtf8(name) + "\"";
}

std::string EventList::describe() const { return "event list of " + owner.describe(); }

bool EventList::holds(EventKind kind) const {
    if (dynamic_cast<const MidiPartNode*>(&owner)) return kind != EventKind::MidiPart &&
                                                          kind != EventKind::AudioEvent;
    const auto* track = dynamic_cast<const Node*>(&owner);
    if (track && track->is("instrument")) return kind == EventKind::MidiPart;
    if (track && track->is("audio")) return kind == EventKind::AudioEvent;
    return false;
}

Host::int32 EventList::requiredPreparation() const {
    const auto* track = dynamic_cast<const Node*>(&owner);
    if (!track || dynamic_cast<const MidiPartNode*>(&owner)) return 0;
    if (track->is("instrument")) return Host::IEventList::kMidi;
    if (track->is("audio")) return Host::IEventList::kAudio;
    return 0;
}

EventState* eventState(Object& object) {
    if (auto* e = dynamic_cast<EventObject*>(&object)) return e;
    if (auto* p = dynamic_cast<MidiPartNode*>(&object)) return p;
    return nullptr;
}

std::span<const char16_t* const> quantizeMenuNames() { return kQuantizeMenu; }

Object* createEvent(ReferenceHost& host, std::string_view kind) {
    const auto k = eventKindNamed(kind);
    if (!k) return nullptr;
    if (*k == EventKind::MidiPart) return &host.make<MidiPartNode>();
    return &host.make<EventObject>(*k);
}

Host::tresult handOutTrackEventList(Node& track, Host::IEventList** list) {
    *list = nullptr;
    if (!track.is("instrument") && !track.is("audio")) return Host::kResultFalse;
    if (!track.eventList) track.eventList = &track.host().make<EventList>(track);
    return track.host().account().handOut(*track.eventList, Host::IEventList::iid,
                                          reinterpret_cast<void**>(list));
}

std::string insertEvent(EventList& list, Object& object) {
    EventState* state = eventState(object);
    if (!state) return object.describe() + " is not an event";
    if (state->list) return "the event is in " + state->list->describe() + " already";
    if (!list.holds(state->kind))
        return std::string("a ") + eventKindName(state->kind) + " event cannot go into " +
               list.describe();
    const Host::int32 wanted = list.requiredPreparation();
    if (wanted != 0 && std::find(list.prepared.begin(), list.prepared.end(), wanted) ==
                           list.prepared.end())
        return list.describe() + " was not prepared for its events";
    state->list = &list;
    list.events.push_back(&object);
    return {};
}

// --- Report ------------------------------------------------------------------------

void addEventReport(const ReferenceHost& host, Report& report) {
    const auto tracks = host.document().tracks();
    Report& reported = report["tracks"];
    for (std::size_t i = 0; i < tracks.size() && i < reported.size(); ++i) {
        const EventList* list = tracks[i].node->eventList;
        if (!list) continue;
        Report events = Report::array();
        for (const Object* e : list->events) events.push_back(eventJson(host, *e));
        reported[i]["events"] = std::move(events);
    }
    Report missing = Report::array();
    for (const auto& file : host.records().filesMissing) missing.push_back(shownFilePath(host, file));
    report["missingFiles"] = std::move(missing);
}

std::string eventSummary(const Report& track) {
    if (!track.contains("events")) return {};
    std::map<std::string, std::size_t> counts;
    for (const auto& e : track["events"]) {
        const std::string kind = e["kind"].get<std::string>();
        ++counts[kind];
        if (kind == "MIDI part")
            for (const auto& inner : e["events"])
                ++counts[inner["kind"].get<std::string>() == "note" ? "note" : "event"];
    }
    std::string text;
    const auto add = [&](const char* key, const char* one, const char* many) {
        const auto it = counts.find(key);
        if (it == counts.end()) return;
        if (!text.empty()) text += ", ";
        text += std::to_string(it->second) + " " + (it->second == 1 ? one : many);
    };
    add("MIDI part", "MIDI part", "MIDI parts");
    add("note", "note", "notes");
    add("event", "event", "events");
    add("audio event", "audio event", "audio events");
    return text;
}

std::span<const FacetType> eventFacetTypes() { return kTypes; }

}  // namespace RefHost
