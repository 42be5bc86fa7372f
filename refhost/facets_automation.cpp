// Track automation: IAutomation, IAutomationTrack, the automation tracks' IEventList and
// IAutomationEvent.
#include <cmath>

#include "refhost/automation.h"
#include "refhost/facets.h"
#include "refhost/reference_host.h"

namespace RefHost {

namespace {

template <class T>
bool isA(Object& object) {
    return dynamic_cast<T*>(&object) != nullptr;
}

class AutomationFacet : public Facet<Host::IAutomation, TrackAutomation> {
public:
    using Facet::Facet;

    Host::tresult setReadEnabled(Host::tbool on) override {
        const HostCall call(*this, "setReadEnabled");
        if (!call) return call.refusal();
        self().readEnabled = on != 0;
        return Host::kResultOk;
    }
    Host::tresult setWriteEnabled(Host::tbool on) override {
        const HostCall call(*this, "setWriteEnabled");
        if (!call) return call.refusal();
        self().writeEnabled = on != 0;
        return Host::kResultOk;
    }
    Host::tresult setShown(Host::tbool on) override {
        const HostCall call(*this, "setShown");
        if (!call) return call.refusal();
        self().shown = on != 0;
        return Host::kResultOk;
    }

    Host::tresult getAutomationTrack(Host::int32 kind, Host::tbool create,
                                     Host::FUnknown** track) override {
        const HostCall call(*this, "getAutomationTrack");
        if (!call) return call.refusal();
        if (!outPointer("getAutomationTrack", track)) return Host::kInvalidArgument;
        *track = nullptr;
        if (!automationKindName(kind)) {
            misuse("getAutomationTrack", "unknown kind " + std::to_string(kind));
            return Host::kInvalidArgument;
        }
        AutomationLane* lane = self().lane(kind);
        if (!lane && create) lane = &self().makeLane(kind);
        if (!lane) return Host::kResultFalse;
        return account().handOut(*lane, Host::FUnknown::iid, reinterpret_cast<void**>(track));
    }
};

class AutomationTrackFacet : public Facet<Host::IAutomationTrack, AutomationLane> {
public:
    using Facet::Facet;

    Host::int32 getKind() override {
        const HostCall call(*this, "getKind");
        if (!call) return -1;
        return self().kind;
    }
};

class AutomationEventListFacet : public Facet<Host::IEventList, AutomationEventList> {
public:
    using Facet::Facet;

    Host::tresult prepare(Host::int32 kind) override {
        const HostCall call(*this, "prepare");
        if (!call) return call.refusal();
        if (kind != kAutomation) {
            misuse("prepare", "an automation track's list holds automation events (kind 3), not kind " +
                                  std::to_string(kind));
            return Host::kInvalidArgument;
        }
        self().preparedKinds.push_back(kind);
        return Host::kResultOk;
    }

    Host::int32 getCount() override {
        const HostCall call(*this, "getCount");
        if (!call) return 0;
        return static_cast<Host::int32>(self().lane.events.size());
    }
};

class AutomationEventFacet : public Facet<Host::IAutomationEvent, AutomationEvent> {
public:
    using Facet::Facet;

    Host::tresult setValue(double value, Host::IEditContext* edit) override {
        const HostCall call(*this, "setValue");
        if (!call) return call.refusal();
        if (!change("setValue", edit)) return Host::kInvalidArgument;
        if (std::isnan(value)) {
            misuse("setValue", "the value is not a number");
            return Host::kInvalidArgument;
        }
        self().value = value;
        return Host::kResultOk;
    }

    Host::tresult setFlags(Host::int32 flags, Host::IEditContext* edit) override {
        const HostCall call(*this, "setFlags");
        if (!call) return call.refusal();
        if (!change("setFlags", edit)) return Host::kInvalidArgument;
        self().flags = flags;
        return Host::kResultOk;
    }

    Host::tresult setPosition(double position, Host::IEditContext* edit) override {
        const HostCall call(*this, "setPosition");
        if (!call) return call.refusal();
        if (!change("setPosition", edit)) return Host::kInvalidArgument;
        if (!std::isfinite(position)) {
            misuse("setPosition", "the position is not a finite number");
            return Host::kInvalidArgument;
        }
        self().position = position;
        return Host::kResultOk;
    }

private:
    // A change passes the host's edit context, or none.
    bool change(const char* operation, Host::IEditContext* edit) {
        return !edit || editArgument(operation, edit);
    }
};

const FacetType kTypes[] = {
    facetType<AutomationFacet, Host::IAutomation>("IAutomation", isA<TrackAutomation>),
    facetType<AutomationTrackFacet, Host::IAutomationTrack>("IAutomationTrack",
                                                            isA<AutomationLane>),
    facetType<AutomationEventListFacet, Host::IEventList>("IEventList",
                                                          isA<AutomationEventList>),
    facetType<AutomationEventFacet, Host::IAutomationEvent>("IAutomationEvent",
                                                            isA<AutomationEvent>),
};

}  // namespace

std::span<const FacetType> automationFacetTypes() { return kTypes; }

}  // namespace RefHost
