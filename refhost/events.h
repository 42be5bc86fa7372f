// Events on tracks: the event list of each instrument and audio track, MIDI parts with
// their own event lists and "quantMenu" parameter, notes, the four controller-like event
// kinds, and audio events that play a clip.
//
// Events are created by the project's object factory ("MIDI part", "note", "pitchbend",
// "aftertouch", "program change", "controller", "audio event"), put into a list with
// IEditContext::insertObject and then set through their facets, each setter naming the
// list that holds the event. The host checks that: a setter on an event that is in no list
// or in another list, an event of a kind the list does not hold, a list that was not
// prepared for its kind, are misuses.
//
// This file is the model (facets_events.* hold the interfaces, report_events.cpp the report
// part). Notes, controller-like events and audio events live in the host's pool of events
// (ReferenceHost::make) and hold their facets as members.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "interfaces/all.h"
#include "refhost/account.h"
#include "refhost/facets_events.h"
#include "refhost/node.h"
#include "refhost/report_writer.h"

namespace RefHost {

class AudioClipObject;
class EventList;

enum class EventKind : std::uint8_t { MidiPart, Note, PitchBend, Aftertouch, ProgramChange, Controller, AudioEvent };

// The factory's name of a kind ("MIDI part" ...), and the kind of a factory name.
const char* eventKindName(EventKind kind);
std::optional<EventKind> eventKindNamed(std::string_view name);
// True for the controller-like kinds (pitch bend, aftertouch, program change, controller).
bool isControlKind(EventKind kind);
// The data values a controller-like kind takes: pitch bends and controllers two, the others one.
int eventDataCount(EventKind kind);

// What every event has: its kind, the list that holds it, and the values every event takes.
struct EventState {
    explicit EventState(EventKind k) : kind(k) {}
    EventList* list = nullptr;  // set when the event is inserted
    std::optional<double> start;
    std::optional<double> length;
    EventKind kind;
    std::optional<bool> mute;
};

// What an audio event has beyond every event.
struct AudioEventState {
    std::optional<double> offset;  // seconds into the clip's file
    std::optional<double> volume;
    std::optional<double> fadeIn;
    std::optional<double> fadeOut;
    AudioClipObject* clip = nullptr;
};

// A note, a controller-like event or an audio event. A project may hold millions of notes,
// so an event keeps only what its kind uses.
class EventObject : public Object, public EventState {
public:
    EventObject(ReferenceHost& host, EventKind eventKind);
    std::string describe() const override;
    FacetBase* unusedMemberFacet(const Host::FUID& iid) override;
    // The member facet whose interface pointer is pointer, when it has been registered.
    FacetBase* registeredMemberFacetAt(const void* pointer);
    // Calls visit with each member facet that has been registered.
    void forEachRegisteredMember(const std::function<void(const FacetBase&)>& visit) const;

    // A note: pitch and velocity.
    std::optional<Host::int32>& pitch() { return data[0]; }
    std::optional<Host::int32>& velocity() { return data[1]; }
    const std::optional<Host::int32>& pitch() const { return data[0]; }
    const std::optional<Host::int32>& velocity() const { return data[1]; }
    // A controller-like event: data values 0 and 1; a note keeps pitch and velocity here.
    std::array<std::optional<Host::int32>, 2> data;
    // An audio event's own values; null for the other kinds.
    std::unique_ptr<AudioEventState> audio;

private:
    // The first facets handed out: IEvent, and the interface of the event's kind.
    EventFacet eventFacet_;
    std::variant<std::monostate, NoteFacet, ControlEventFacet, AudioEventFacet> kindFacet_;
};

// The host's notes, controller-like events and audio events: typed chunks of events that
// never move, so that the event behind a facet the plug-in passes is found through the
// chunk that holds it. Events are destroyed newest first.
class EventPool final : public MemberFacets {
public:
    // Chunks grow from the first size to the largest, doubling.
    static constexpr std::size_t kFirstChunkSize = 64;
    static constexpr std::size_t kChunkSize = 4096;

    EventPool() = default;
    ~EventPool();
    EventPool(const EventPool&) = delete;
    EventPool& operator=(const EventPool&) = delete;

    EventObject& make(ReferenceHost& host, EventKind kind);
    // The newest event and its destruction (there is one).
    EventObject& newest() const { return *slot(size_ - 1); }
    void destroyNewest();
    std::size_t size() const { return size_; }

    FacetBase* facetAt(const void* pointer) const override;
    void forEachRegistered(const std::function<void(const FacetBase&)>& visit) const override;

private:
    using Slot = std::optional<EventObject>;
    struct Chunk {
        std::unique_ptr<Slot[]> slots;
        std::size_t first;     // the number of the event in its first slot
        std::size_t capacity;  // slots
    };
    // The slot of the event of that number (made or about to be).
    Slot& slot(std::size_t index) const;

    std::vector<Chunk> chunks_;                      // in the order made
    std::map<std::uintptr_t, std::size_t> chunkAt_;  // a chunk's address: its place in chunks_
    std::size_t size_ = 0;                           // the events alive, in the first slots
};

// A MIDI part: an event in a track's list that holds an event list of its own. It is a
// parameter node too, with the list parameter "quantMenu" (the host's quantize menu).
class MidiPartNode : public Node, public EventState {
public:
    explicit MidiPartNode(ReferenceHost& host);
    std::string describe() const override;

    EventList& events;
};

// The events of a track or of a MIDI part, in the order inserted.
class EventList : public Object {
public:
    EventList(ReferenceHost& host, Object& ownedBy) : Object(host), owner(ownedBy) {}
    std::string describe() const override;

    // The kinds of events this list holds.
    bool holds(EventKind kind) const;
    // The IEventList::Kind a track list must be prepared for before events go in; 0 for a
    // part's list, which needs no preparation.
    Host::int32 requiredPreparation() const;

    Object& owner;  // a track node or a MIDI part
    std::vector<Host::int32> prepared;
    std::vector<Object*> events;
};

// The event state of an event object or a MIDI part; null for anything else.
EventState* eventState(Object& object);
const EventState* eventState(const Object& object);

// The names of the host's quantize menu, in menu order (the values 0 to 19).
std::span<const char16_t* const> quantizeMenuNames();

// --- What the other areas of the host call -----------------------------------------

// A new event of the factory's kind name; null when the name is no event kind.
Object* createEvent(ReferenceHost& host, std::string_view kind);
// The event list of an instrument or audio track (made when first asked), handed out with
// a new reference; kResultFalse and null for tracks without events.
Host::tresult handOutTrackEventList(Node& track, Host::IEventList** list);
// Puts object at the end of list. Returns an empty text, or why it is refused.
std::string insertEvent(EventList& list, Object& object);

// --- The report (report_events.cpp) ------------------------------------------------

// The events of a list, in the list's order: the "events" of a track whose event list was
// asked for, and of a MIDI part.
void writeEvents(ReportWriter& out, const ReferenceHost& host, const EventList& list);
// One line about a track's events ("2 MIDI parts, 14 notes, 3 events"); empty when it has
// none.
std::string eventSummary(const Node& track);

}  // namespace RefHost
