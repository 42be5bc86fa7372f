// The project: IProject, IObjectFactory and IImportTarget on the project node, ITempo and
// ISignatureTrack.
#include <algorithm>
#include <string_view>

#include "base/text.h"
#include "refhost/automation.h"
#include "refhost/events.h"
#include "refhost/facets.h"
#include "refhost/file_io.h"
#include "refhost/reference_host.h"

namespace RefHost {

namespace {

bool isProject(Object& object) {
    auto* node = dynamic_cast<Node*>(&object);
    return node && node->is("project");
}

template <class T>
bool isA(Object& object) {
    return dynamic_cast<T*>(&object) != nullptr;
}

class ProjectFacet : public Facet<Host::IProject, Node> {
public:
    using Facet::Facet;

    Host::tresult getRoot(Host::int32 which, Host::IObjectTree** tree) override {
        const HostCall call(*this, "getRoot");
        if (!call) return call.refusal();
        if (!outPointer("getRoot", tree)) return Host::kInvalidArgument;
        *tree = nullptr;
        if (which != 0) return Host::kInvalidArgument;
        return account().handOut(host().document().trackRoot, Host::IObjectTree::iid,
                                 reinterpret_cast<void**>(tree));
    }

    Host::tresult getTempo(double rate, Host::ITempo** tempo) override {
        const HostCall call(*this, "getTempo");
        if (!call) return call.refusal();
        if (!outPointer("getTempo", tempo)) return Host::kInvalidArgument;
        host().document().song.tempoRate = rate;
        return account().handOut(host().document().tempoObject, Host::ITempo::iid,
                                 reinterpret_cast<void**>(tempo));
    }

    Host::tresult setLength(double length) override {
        const HostCall call(*this, "setLength");
        if (!call) return call.refusal();
        host().document().song.length = length;
        return Host::kResultOk;
    }

    Host::tresult getSignatureTrack(Host::ISignatureTrack** track) override {
        const HostCall call(*this, "getSignatureTrack");
        if (!call) return call.refusal();
        if (!outPointer("getSignatureTrack", track)) return Host::kInvalidArgument;
        return account().handOut(host().document().signatureTrack, Host::ISignatureTrack::iid,
                                 reinterpret_cast<void**>(track));
    }

    Host::tresult getAutomationEventList(Host::IAutomationTrack* track,
                                         Host::IEventList** list) override {
        const HostCall call(*this, "getAutomationEventList");
        if (!call) return call.refusal();
        if (!outPointer("getAutomationEventList", list)) return Host::kInvalidArgument;
        *list = nullptr;
        auto* lane = static_cast<AutomationLane*>(argument(
            "getAutomationEventList", track, "automation track", &Host::IAutomationTrack::iid));
        if (!lane) return Host::kInvalidArgument;
        return account().handOut(lane->list, Host::IEventList::iid, reinterpret_cast<void**>(list));
    }
};

class ObjectFactoryFacet : public Facet<Host::IObjectFactory, Node> {
public:
    using Facet::Facet;

    Host::tresult createObject(const Host::char8* kind, Host::FUnknown** object) override {
        std::string name;
        const HostCall call(*this, "createObject");
        if (!call) return call.refusal();
        if (!outPointer("createObject", object) || !text("createObject", kind, "kind", name))
            return Host::kInvalidArgument;
        *object = nullptr;
        if (Node* track = host().document().createTrack(name))
            return account().handOut(*track, Host::FUnknown::iid, reinterpret_cast<void**>(object));
        // An event is handed out as its IEvent (every event answers it).
        if (Object* event = createEvent(host(), name))
            return account().handOut(*event, Host::IEvent::iid, reinterpret_cast<void**>(object));
        misuse("createObject", "unknown kind \"" + name + "\"");
        return Host::kInvalidArgument;
    }
};

class ImportTargetFacet : public Facet<Host::IImportTarget, Node> {
public:
    using Facet::Facet;

    Host::tresult prepare(Host::int32 templateId, Host::int32 viewMode) override {
        const HostCall call(*this, "prepare");
        if (!call) return call.refusal();
        host().document().song.preparations.push_back({templateId, viewMode});
        return Host::kResultOk;
    }
    Host::tresult setSampleRate(double rate) override {
        const HostCall call(*this, "setSampleRate");
        if (!call) return call.refusal();
        host().document().song.sampleRate = rate;
        return Host::kResultOk;
    }
    Host::tresult setSampleSize(Host::int32 bits) override {
        const HostCall call(*this, "setSampleSize");
        if (!call) return call.refusal();
        host().document().song.sampleSize = bits;
        return Host::kResultOk;
    }
    Host::tresult getSampleRate(float* rate) override {
        const HostCall call(*this, "getSampleRate");
        if (!call) return call.refusal();
        if (!outPointer("getSampleRate", rate)) return Host::kInvalidArgument;
        *rate = static_cast<float>(host().document().song.sampleRate);
        return Host::kResultOk;
    }
    Host::tresult getSampleSize(Host::int32* bits) override {
        const HostCall call(*this, "getSampleSize");
        if (!call) return call.refusal();
        if (!outPointer("getSampleSize", bits)) return Host::kInvalidArgument;
        *bits = host().document().song.sampleSize;
        return Host::kResultOk;
    }
    Host::tresult getProjectFolder(Host::char16* buffer, Host::int32 size) override {
        const HostCall call(*this, "getProjectFolder");
        if (!call) return call.refusal();
        std::string folder = FileIo::utf8(host().projectFolder());
        if (folder.empty() || folder.back() != '/') folder += '/';
        return copyOut("getProjectFolder", Tessaro::toUtf16(folder), buffer, size);
    }
};

class TempoFacet : public Facet<Host::ITempo, TempoObject> {
public:
    using Facet::Facet;

    Host::tresult setActive(Host::int32 on) override {
        const HostCall call(*this, "setActive");
        if (!call) return call.refusal();
        host().document().song.tempoActive = on;
        return Host::kResultOk;
    }
    Host::tresult setTempo(double bpm) override {
        const HostCall call(*this, "setTempo");
        if (!call) return call.refusal();
        host().document().song.tempo = bpm;
        return Host::kResultOk;
    }
};

class SignatureTrackFacet : public Facet<Host::ISignatureTrack, SignatureTrackObject> {
public:
    using Facet::Facet;

    Host::tresult addSignature(double position, Host::int32 numerator, Host::int32 denominator,
                               Host::IEditContext* edit) override {
        const HostCall call(*this, "addSignature");
        if (!call) return call.refusal();
        if (edit && !editArgument("addSignature", edit))
            return Host::kInvalidArgument;
        host().document().song.signatures.push_back({position, numerator, denominator});
        return Host::kResultOk;
    }
};

const FacetType kTypes[] = {
    facetType<ProjectFacet, Host::IProject>("IProject", isProject),
    facetType<ObjectFactoryFacet, Host::IObjectFactory>("IObjectFactory", isProject),
    facetType<ImportTargetFacet, Host::IImportTarget>("IImportTarget", isProject),
    facetType<TempoFacet, Host::ITempo>("ITempo", isA<TempoObject>),
    facetType<SignatureTrackFacet, Host::ISignatureTrack>("ISignatureTrack",
                                                          isA<SignatureTrackObject>),
};

}  // namespace

std::span<const FacetType> projectFacetTypes() { return kTypes; }

}  // namespace RefHost
