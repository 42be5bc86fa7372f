#include "refhost/automation.h"

#include <algorithm>

#include "refhost/node.h"
#include "refhost/reference_host.h"

namespace RefHost {

namespace {

constexpr const char* kKindNames[] = {"volume", "pan", "sendLevel"};
static_assert(Host::IAutomationTrack::kVolume == 0 && Host::IAutomationTrack::kPan == 1 &&
              Host::IAutomationTrack::kSendLevel == 2);

}  // namespace

const char* automationKindName(Host::int32 kind) {
    if (kind < 0 || kind >= static_cast<Host::int32>(std::size(kKindNames))) return nullptr;
    return kKindNames[kind];
}

// --- Objects -------------------------------------------------------------------------

std::string AutomationEvent::describe() const {
    return lane ? "automation event on " + lane->describe() : "automation event";
}

std::string AutomationEventList::describe() const { return "event list of " + lane.describe(); }

std::string AutomationEventList::insert(Object& object) {
    auto* event = dynamic_cast<AutomationEvent*>(&object);
    if (!event) return "the object is not an automation event";
    if (event->lane) return "the automation event is in an event list already";
    event->lane = &lane;
    lane.events.push_back(event);
    return {};
}

AutomationLane::AutomationLane(ReferenceHost& host, TrackAutomation& owner, Host::int32 kindOf)
    : Object(host), automation(owner), kind(kindOf), list(host.make<AutomationEventList>(*this)) {}

std::string AutomationLane::describe() const {
    const char* name = automationKindName(kind);
    return std::string("automation track ") + (name ? name : "?") + " of " + automation.describe();
}

std::string TrackAutomation::describe() const { return track.describe(); }

AutomationLane* TrackAutomation::lane(Host::int32 kind) const {
    const auto it = std::find_if(lanes.begin(), lanes.end(),
                                 [&](const AutomationLane* l) { return l->kind == kind; });
    return it == lanes.end() ? nullptr : *it;
}

AutomationLane& TrackAutomation::makeLane(Host::int32 kind) {
    if (AutomationLane* known = lane(kind)) return *known;
    AutomationLane& made = host().make<AutomationLane>(*this, kind);
    lanes.push_back(&made);
    return made;
}

TrackAutomation* automationOf(ReferenceHost& host, Node& track) {
    if (!track.is("track") || !track.channel) return nullptr;
    if (!track.automation) track.automation = &host.make<TrackAutomation>(track);
    return track.automation;
}

// --- Report --------------------------------------------------------------------------

void writeAutomation(ReportWriter& out, const Node& track) {
    if (!track.automation) {
        out.null();
        return;
    }
    const TrackAutomation& automation = *track.automation;
    out.beginObject();
    out.member("read", automation.readEnabled);
    out.member("write", automation.writeEnabled);
    out.member("shown", automation.shown);
    // By kind, in kind order, whatever order the tracks were made in.
    out.objectMember("kinds");
    for (Host::int32 kind = 0; automationKindName(kind); ++kind) {
        const AutomationLane* lane = automation.lane(kind);
        if (!lane) continue;
        out.arrayMember(automationKindName(kind));
        for (const AutomationEvent* event : lane->events) {
            out.beginObject();
            out.member("position", event->position);
            out.member("value", event->value);
            out.member("flags", event->flags);
            out.end();
        }
        out.end();
    }
    out.end();
    out.end();
}

}  // namespace RefHost
