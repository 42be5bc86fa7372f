// Track automation in the reference host: each track with a mixer channel has one
// automation object (IAutomation) with three switches; it makes, on request, one
// automation track per kind (IAutomationTrack: volume, pan, send level), each with its
// event list (IEventList, found through IProject::getAutomationEventList). Automation
// events (IAutomationEvent) are made by the host context's createInstance with
// kAutomationEventClass and join a list through IEditContext::insertObject.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "interfaces/all.h"
#include "refhost/facet.h"
#include "refhost/report_writer.h"

namespace RefHost {

class Node;
class AutomationLane;

// A point of an automation track. Each value stays unset until the plug-in sets it.
class AutomationEvent : public Object {
public:
    using Object::Object;
    std::string describe() const override;

    AutomationLane* lane = nullptr;  // the automation track whose list holds it
    std::optional<double> value;
    std::optional<Host::int32> flags;
    std::optional<double> position;
};

// The event list of one automation track.
class AutomationEventList : public Object {
public:
    AutomationEventList(ReferenceHost& host, AutomationLane& owner) : Object(host), lane(owner) {}
    std::string describe() const override;

    // Puts event at the end of the list; an empty text, or why it is refused.
    std::string insert(Object& event);

    AutomationLane& lane;
    std::vector<Host::int32> preparedKinds;  // each IEventList::prepare, in order
};

class TrackAutomation;

// The automation track of one kind on one track.
class AutomationLane : public Object {
public:
    AutomationLane(ReferenceHost& host, TrackAutomation& owner, Host::int32 kind);
    std::string describe() const override;

    TrackAutomation& automation;
    Host::int32 kind;
    AutomationEventList& list;
    std::vector<AutomationEvent*> events;  // in the order inserted
};

// A track's automation: its three switches and its automation tracks.
class TrackAutomation : public Object {
public:
    TrackAutomation(ReferenceHost& host, Node& owner) : Object(host), track(owner) {}
    std::string describe() const override;

    // The automation track of kind, or null.
    AutomationLane* lane(Host::int32 kind) const;
    // The automation track of kind, made when there is none yet.
    AutomationLane& makeLane(Host::int32 kind);

    Node& track;
    std::optional<bool> readEnabled;
    std::optional<bool> writeEnabled;
    std::optional<bool> shown;
    std::vector<AutomationLane*> lanes;  // in the order made
};

// The kinds an automation track can be of, and their names ("volume", "pan",
// "sendLevel"); null for another kind.
const char* automationKindName(Host::int32 kind);

// The automation of a track, made on first request; null for a node that has none (a
// folder, or anything without a mixer channel).
TrackAutomation* automationOf(ReferenceHost& host, Node& track);

// The report of a track's automation, or null when it was never asked for.
void writeAutomation(ReportWriter& out, const Node& track);

}  // namespace RefHost
