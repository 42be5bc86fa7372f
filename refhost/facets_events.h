// The facets of events that an event holds as members (events.h): IEvent, and INoteEvent,
// IControlEvent or IAudioEvent by its kind. A project can hold millions of events; these
// facets cost no allocation of their own. (The event lists and MIDI parts, fewer, have
// their facets made by the account: facets_events.cpp.)
#pragma once

#include <optional>

#include "interfaces/all.h"
#include "refhost/facet.h"

namespace RefHost {

class EventObject;
struct EventState;

// The checks every event setter makes.
class EventFacetBase : public FacetBase {
public:
    using FacetBase::FacetBase;

protected:
    // True when the facet is alive, list is the list that holds the event and edit (when
    // given) is the edit context; records the misuse otherwise.
    bool change(const char* operation, EventState& state, const void* list, const void* edit);
};

// IEvent of an event or a MIDI part.
class EventFacet final : public Facet<Host::IEvent, Object, EventFacetBase> {
public:
    using Facet::Facet;

    Host::tresult setStart(Host::IEventList* list, double position,
                           Host::IEditContext* edit) override;
    Host::tresult setLength(Host::IEventList* list, double length,
                            Host::IEditContext* edit) override;
    Host::tresult setMute(Host::IEventList* list, Host::tbool mute,
                          Host::IEditContext* edit) override;

private:
    EventState& state();
};

class NoteFacet final : public Facet<Host::INoteEvent, EventObject, EventFacetBase> {
public:
    using Facet::Facet;

    Host::tresult setPitch(Host::IEventList* list, Host::int32 pitch,
                           Host::IEditContext* edit) override;
    Host::tresult setVelocity(Host::IEventList* list, Host::int32 velocity,
                              Host::IEditContext* edit) override;
};

class ControlEventFacet final : public Facet<Host::IControlEvent, EventObject, EventFacetBase> {
public:
    using Facet::Facet;

    Host::tresult setData(Host::IEventList* list, Host::int32 index, Host::int32 value,
                          Host::IEditContext* edit) override;
};

class AudioEventFacet final : public Facet<Host::IAudioEvent, EventObject, EventFacetBase> {
public:
    using Facet::Facet;

    Host::tresult setOffset(Host::IEventList* list, double seconds,
                            Host::IEditContext* edit) override;
    Host::tresult setVolume(Host::IEventList* list, double volume,
                            Host::IEditContext* edit) override;
    Host::tresult setFadeIn(Host::IEventList* list, double length,
                            Host::IEditContext* edit) override;
    Host::tresult setFadeOut(Host::IEventList* list, double length,
                             Host::IEditContext* edit) override;
    Host::tresult setClip(Host::IAudioClip* clip) override;

private:
    Host::tresult set(const char* operation, Host::IEventList* list, Host::IEditContext* edit,
                      std::optional<double>& field, double value);
};

}  // namespace RefHost
