// Events: the event objects, MIDI parts and event lists of tracks, and how events go into
// a list.
#include "refhost/events.h"

#include <algorithm>
#include <type_traits>

#include "base/text.h"
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

Parameter& quantizeParameter(ReferenceHost& host, Node& part) {
    ParamTemplate shape;
    shape.name = "quantMenu";
    shape.tag = 0;
    shape.max = static_cast<Host::int32>(std::size(kQuantizeMenu)) - 1;
    shape.value = 0;
    shape.list = "quantMenu";
    const auto& entries = host.sharedList("quantMenu", [] {
        std::vector<ListEntry> menu;
        for (std::size_t i = 0; i < std::size(kQuantizeMenu); ++i)
            menu.push_back({kQuantizeMenu[i], static_cast<Host::int32>(i)});
        return menu;
    });
    part.parameters.push_back(std::make_unique<Parameter>(host, part, shape, entries));
    return *part.parameters.back();
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

bool isControlKind(EventKind kind) {
    return kind == EventKind::PitchBend || kind == EventKind::Aftertouch ||
           kind == EventKind::ProgramChange || kind == EventKind::Controller;
}

int eventDataCount(EventKind kind) {
    return kind == EventKind::PitchBend || kind == EventKind::Controller ? 2 : 1;
}

EventObject::EventObject(ReferenceHost& host, EventKind eventKind)
    : Object(host), EventState(eventKind), eventFacet_(*this) {
    if (eventKind == EventKind::Note) kindFacet_.emplace<NoteFacet>(*this);
    else if (isControlKind(eventKind)) kindFacet_.emplace<ControlEventFacet>(*this);
    if (eventKind == EventKind::AudioEvent) {
        audio = std::make_unique<AudioEventState>();
        kindFacet_.emplace<AudioEventFacet>(*this);
    }
}

FacetBase* EventObject::unusedMemberFacet(const Host::FUID& iid) {
    FacetBase* member = nullptr;
    if (iid == Host::IEvent::iid) member = &eventFacet_;
    else if (iid == Host::INoteEvent::iid) member = std::get_if<NoteFacet>(&kindFacet_);
    else if (iid == Host::IControlEvent::iid) member = std::get_if<ControlEventFacet>(&kindFacet_);
    else if (iid == Host::IAudioEvent::iid) member = std::get_if<AudioEventFacet>(&kindFacet_);
    return member && !member->registered() ? member : nullptr;
}

FacetBase* EventObject::registeredMemberFacetAt(const void* pointer) {
    if (eventFacet_.registered() && eventFacet_.unknown() == pointer) return &eventFacet_;
    return std::visit(
        [pointer](auto& facet) -> FacetBase* {
            if constexpr (std::is_same_v<std::decay_t<decltype(facet)>, std::monostate>) {
                return nullptr;
            } else {
                return facet.registered() && facet.unknown() == pointer ? &facet : nullptr;
            }
        },
        kindFacet_);
}

void EventObject::forEachRegisteredMember(
    const std::function<void(const FacetBase&)>& visit) const {
    if (eventFacet_.registered()) visit(eventFacet_);
    std::visit(
        [&visit](const auto& facet) {
            if constexpr (!std::is_same_v<std::decay_t<decltype(facet)>, std::monostate>) {
                if (facet.registered()) visit(facet);
            }
        },
        kindFacet_);
}

// --- The pool of events --------------------------------------------------------------

EventPool::~EventPool() {
    while (size_ > 0) destroyNewest();
}

EventObject& EventPool::make(ReferenceHost& host, EventKind kind) {
    if (chunks_.empty() || size_ == chunks_.back().first + chunks_.back().capacity) {
        const std::size_t capacity =
            chunks_.empty() ? kFirstChunkSize : std::min(2 * chunks_.back().capacity, kChunkSize);
        const std::size_t first = chunks_.empty() ? 0 : chunks_.back().first + chunks_.back().capacity;
        Chunk chunk{std::make_unique<Slot[]>(capacity), first, capacity};
        const auto address = reinterpret_cast<std::uintptr_t>(chunk.slots.get());
        chunks_.push_back(std::move(chunk));
        try {
            chunkAt_.emplace(address, chunks_.size() - 1);
        } catch (...) {
            chunks_.pop_back();
            throw;
        }
    }
    Slot& made = slot(size_);
    made.emplace(host, kind);
    ++size_;
    return *made;
}

void EventPool::destroyNewest() {
    --size_;
    slot(size_).reset();
}

EventPool::Slot& EventPool::slot(std::size_t index) const {
    auto chunk = std::upper_bound(chunks_.begin(), chunks_.end(), index,
                                  [](std::size_t i, const Chunk& c) { return i < c.first; });
    --chunk;
    return chunk->slots[index - chunk->first];
}

FacetBase* EventPool::facetAt(const void* pointer) const {
    // Addresses as integers: a pointer from the plug-in may point anywhere.
    const auto address = reinterpret_cast<std::uintptr_t>(pointer);
    auto at = chunkAt_.upper_bound(address);
    if (at == chunkAt_.begin()) return nullptr;
    --at;
    const Chunk& chunk = chunks_[at->second];
    const std::size_t index = (address - at->first) / sizeof(Slot);
    if (index >= chunk.capacity || chunk.first + index >= size_) return nullptr;
    return chunk.slots[index]->registeredMemberFacetAt(pointer);
}

void EventPool::forEachRegistered(const std::function<void(const FacetBase&)>& visit) const {
    for (const Chunk& chunk : chunks_)
        for (std::size_t i = 0; i < chunk.capacity && chunk.first + i < size_; ++i)
            chunk.slots[i]->forEachRegisteredMember(visit);
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
    return const_cast<EventState*>(eventState(static_cast<const Object&>(object)));
}

const EventState* eventState(const Object& object) {
    if (const auto* e = dynamic_cast<const EventObject*>(&object)) return e;
    if (const auto* p = dynamic_cast<const MidiPartNode*>(&object)) return p;
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

}  // namespace RefHost
