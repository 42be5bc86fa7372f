// Events: IEventList, IEvent, IMidiPart, INoteEvent, IControlEvent and IAudioEvent.
#include "refhost/facets_events.h"

#include "refhost/audio.h"
#include "refhost/events.h"
#include "refhost/facets.h"
#include "refhost/reference_host.h"

namespace RefHost {

// --- The facets events hold as members -------------------------------------------------

bool EventFacetBase::change(const char* operation, EventState& state, const void* list,
                            const void* edit) {
    auto* named = argument(operation, list, "event list", &Host::IEventList::iid, state.list);
    if (!named) return false;
    if (!state.list) {
        misuse(operation, "the event is in no event list yet");
        return false;
    }
    if (named != state.list) {
        misuse(operation, named->describe() + " does not hold the event");
        return false;
    }
    return !edit || editArgument(operation, edit);
}

EventState& EventFacet::state() { return *eventState(self()); }

Host::tresult EventFacet::setStart(Host::IEventList* list, double position,
                                   Host::IEditContext* edit) {
    const HostCall call(*this, "setStart");
    if (!call) return call.refusal();
    EventState& s = state();
    if (!change("setStart", s, list, edit)) return Host::kInvalidArgument;
    s.start = position;
    return Host::kResultOk;
}

Host::tresult EventFacet::setLength(Host::IEventList* list, double length,
                                    Host::IEditContext* edit) {
    const HostCall call(*this, "setLength");
    if (!call) return call.refusal();
    EventState& s = state();
    if (!change("setLength", s, list, edit)) return Host::kInvalidArgument;
    s.length = length;
    return Host::kResultOk;
}

Host::tresult EventFacet::setMute(Host::IEventList* list, Host::tbool mute,
                                  Host::IEditContext* edit) {
    const HostCall call(*this, "setMute");
    if (!call) return call.refusal();
    EventState& s = state();
    if (!change("setMute", s, list, edit)) return Host::kInvalidArgument;
    s.mute = mute != 0;
    return Host::kResultOk;
}

Host::tresult NoteFacet::setPitch(Host::IEventList* list, Host::int32 pitch,
                                  Host::IEditContext* edit) {
    const HostCall call(*this, "setPitch");
    if (!call) return call.refusal();
    if (!change("setPitch", self(), list, edit)) return Host::kInvalidArgument;
    self().pitch() = pitch;
    return Host::kResultOk;
}

Host::tresult NoteFacet::setVelocity(Host::IEventList* list, Host::int32 velocity,
                                     Host::IEditContext* edit) {
    const HostCall call(*this, "setVelocity");
    if (!call) return call.refusal();
    if (!change("setVelocity", self(), list, edit)) return Host::kInvalidArgument;
    if (velocity < 0 || velocity > 127) {
        misuse("setVelocity", "velocity " + std::to_string(velocity) + " outside 0 to 127");
        return Host::kInvalidArgument;
    }
    self().velocity() = velocity;
    return Host::kResultOk;
}

Host::tresult ControlEventFacet::setData(Host::IEventList* list, Host::int32 index,
                                         Host::int32 value, Host::IEditContext* edit) {
    const HostCall call(*this, "setData");
    if (!call) return call.refusal();
    if (!change("setData", self(), list, edit)) return Host::kInvalidArgument;
    if (index < 0 || index >= eventDataCount(self().kind)) {
        misuse("setData", "index " + std::to_string(index) + " on a " +
                              eventKindName(self().kind) + " event");
        return Host::kInvalidArgument;
    }
    self().data[static_cast<std::size_t>(index)] = value;
    return Host::kResultOk;
}

Host::tresult AudioEventFacet::setOffset(Host::IEventList* list, double seconds,
                                         Host::IEditContext* edit) {
    return set("setOffset", list, edit, self().audio->offset, seconds);
}

Host::tresult AudioEventFacet::setVolume(Host::IEventList* list, double volume,
                                         Host::IEditContext* edit) {
    return set("setVolume", list, edit, self().audio->volume, volume);
}

Host::tresult AudioEventFacet::setFadeIn(Host::IEventList* list, double length,
                                         Host::IEditContext* edit) {
    return set("setFadeIn", list, edit, self().audio->fadeIn, length);
}

Host::tresult AudioEventFacet::setFadeOut(Host::IEventList* list, double length,
                                          Host::IEditContext* edit) {
    return set("setFadeOut", list, edit, self().audio->fadeOut, length);
}

Host::tresult AudioEventFacet::setClip(Host::IAudioClip* clip) {
    const HostCall call(*this, "setClip");
    if (!call) return call.refusal();
    auto* object =
        dynamic_cast<AudioClipObject*>(argument("setClip", clip, "clip", &Host::IAudioClip::iid));
    if (!object) return Host::kInvalidArgument;
    if (!object->file) {
        misuse("setClip", "the clip has no file");
        return Host::kInvalidArgument;
    }
    self().audio->clip = object;
    return Host::kResultOk;
}

Host::tresult AudioEventFacet::set(const char* operation, Host::IEventList* list,
                                   Host::IEditContext* edit, std::optional<double>& field,
                                   double value) {
    const HostCall call(*this, operation);
    if (!call) return call.refusal();
    if (!change(operation, self(), list, edit)) return Host::kInvalidArgument;
    field = value;
    return Host::kResultOk;
}

namespace {

// --- The facets the account makes ------------------------------------------------------

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

class EventListFacet : public Facet<Host::IEventList, EventList> {
public:
    using Facet::Facet;

    Host::tresult prepare(Host::int32 kind) override {
        const HostCall call(*this, "prepare");
        if (!call) return call.refusal();
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
        const HostCall call(*this, "getCount");
        return call ? static_cast<Host::int32>(self().events.size()) : 0;
    }
};

class MidiPartFacet : public Facet<Host::IMidiPart, MidiPartNode> {
public:
    using Facet::Facet;

    Host::tresult setPartName(const Host::char16* name) override {
        std::u16string newName;
        const HostCall call(*this, "setPartName");
        if (!call) return call.refusal();
        if (!text("setPartName", name, "name", newName)) return Host::kInvalidArgument;
        self().name = std::move(newName);
        return Host::kResultOk;
    }

    Host::tresult getEventList(Host::IEventList** list) override {
        const HostCall call(*this, "getEventList");
        if (!call) return call.refusal();
        if (!outPointer("getEventList", list)) return Host::kInvalidArgument;
        return account().handOut(self().events, Host::IEventList::iid,
                                 reinterpret_cast<void**>(list));
    }
};

// IEvent comes first: an event asked for any interface answers with it. An event's own
// facets are members of the event (EventObject::unusedMemberFacet); these types say which
// objects answer which interface and make the facets of MIDI parts and event lists.
const FacetType kTypes[] = {
    facetType<EventFacet, Host::IEvent>("IEvent", isEvent),
    facetType<EventListFacet, Host::IEventList>("IEventList", isEventList),
    facetType<MidiPartFacet, Host::IMidiPart>("IMidiPart", isMidiPart),
    facetType<NoteFacet, Host::INoteEvent>("INoteEvent", isNote),
    facetType<ControlEventFacet, Host::IControlEvent>("IControlEvent", isControl),
    facetType<AudioEventFacet, Host::IAudioEvent>("IAudioEvent", isAudioEvent),
};

}  // namespace

std::span<const FacetType> eventFacetTypes() { return kTypes; }

}  // namespace RefHost
