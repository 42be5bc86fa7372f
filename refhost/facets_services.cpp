// The host context and the services it answers: IHostContext, IMessageDisplay,
// IFileAccess, IApplicationInfo, IMixerAccess, ITransport and IEditContext. A service the
// profile does not offer is not answered.
#include <system_error>

#include "base/text.h"
#include "refhost/audio.h"
#include "refhost/automation.h"
#include "refhost/events.h"
#include "refhost/facets.h"
#include "refhost/reference_host.h"
#include "refhost/streams.h"

namespace RefHost {

namespace {

template <const char* Service>
bool contextOffering(Object& object) {
    auto* context = dynamic_cast<ContextObject*>(&object);
    return context && context->host().profile().offers(Service);
}

bool isContext(Object& object) { return dynamic_cast<ContextObject*>(&object) != nullptr; }

constexpr char kMessageDisplay[] = "messageDisplay";
constexpr char kFileAccess[] = "fileAccess";
constexpr char kApplicationInfo[] = "applicationInfo";
constexpr char kMixerAccess[] = "mixerAccess";
constexpr char kTransport[] = "transport";
constexpr char kEditContext[] = "editContext";

// --- IHostContext ----------------------------------------------------------------------

class HostContextFacet : public Facet<Host::IHostContext, ContextObject> {
public:
    using Facet::Facet;

    Host::tresult getProject(Host::IProject** project) override {
        const HostCall call(*this, "getProject");
        if (!call) return call.refusal();
        if (!outPointer("getProject", project)) return Host::kInvalidArgument;
        return account().handOut(host().document().project, Host::IProject::iid,
                                 reinterpret_cast<void**>(project));
    }

    Host::tresult createInstance(const Host::FUID& cid, const Host::FUID& interfaceId,
                                 void** obj) override {
        const HostCall call(*this, "createInstance");
        if (!call) return call.refusal();
        if (!outPointer("createInstance", obj)) return Host::kInvalidArgument;
        *obj = nullptr;
        Object* made = nullptr;
        if (cid == Host::kPathClass) {
            made = &host().make<PathObject>();
        } else if (cid == Host::kMemoryStreamClass) {
            auto& stream = host().make<MemoryStream>();
            stream.serial = host().nextMemoryStreamSerial();
            made = &stream;
        } else if (cid == Host::kAutomationEventClass) {
            made = &host().make<AutomationEvent>();
        } else {
            made = createAudioObject(host(), cid);
        }
        if (!made) return Host::kNoInterface;
        return account().handOut(*made, interfaceId, obj);
    }
};

// --- IMessageDisplay -------------------------------------------------------------------

class MessageDisplayFacet : public Facet<Host::IMessageDisplay, ContextObject> {
public:
    using Facet::Facet;

    Host::tresult showMessage(const Host::char16* text, Host::int32 style, Host::int32 buttons,
                              Host::int32 defaultAnswer) override {
        std::u16string shown;
        const HostCall call(*this, "showMessage");
        if (!call) return call.refusal();
        if (!this->text("showMessage", text, "text", shown)) return Host::kInvalidArgument;
        host().records().messages.push_back(
            {Tessaro::toUtf8(shown), style, buttons, defaultAnswer});
        return Host::kResultOk;
    }
};

// --- IFileAccess -----------------------------------------------------------------------

class FileAccessFacet : public Facet<Host::IFileAccess, ContextObject> {
public:
    using Facet::Facet;

    Host::tresult open(Host::IPath* path, Host::int32 mode, Host::IBStream** stream) override {
        const HostCall call(*this, "open");
        if (!call) return call.refusal();
        if (!outPointer("open", stream)) return Host::kInvalidArgument;
        *stream = nullptr;
        auto* where = static_cast<PathObject*>(argument("open", path, "path", &Host::IPath::iid));
        if (!where) return Host::kInvalidArgument;
        if (mode != kRead && mode != kWrite) {
            misuse("open", "mode " + std::to_string(mode) + " is neither read (1) nor write (2)");
            return Host::kInvalidArgument;
        }
        const auto fileMode = mode == kRead ? FileStream::Mode::Read : FileStream::Mode::Write;
        auto& file = host().make<FileStream>(where->fsPath(), fileMode);
        if (!file.isOpen()) return Host::kResultFalse;
        auto& records = host().records();
        (mode == kRead ? records.filesRead : records.filesWritten).push_back(file.path());
        return account().handOut(file, Host::IBStream::iid, reinterpret_cast<void**>(stream));
    }

    // The reference goes back to the host whatever close answers: a close that fails (as
    // the fault plan may make it) still ends the stream.
    Host::tresult close(Host::IBStream* stream) override {
        const HostCall call(*this, "close");
        if (!call.usable()) return call.refusal();
        auto* file = dynamic_cast<FileStream*>(
            argument("close", stream, "stream", &Host::IBStream::iid));
        if (!file) {
            if (stream && account().find(stream) && !account().find(stream)->released())
                misuse("close", "the stream was not opened through IFileAccess::open");
            return Host::kInvalidArgument;
        }
        if (file->wasClosed()) {
            misuse("close", "the stream is closed already");
            return Host::kInvalidArgument;
        }
        file->close();
        account().find(stream)->takeBack();
        return call ? Host::kResultOk : call.refusal();
    }

    Host::tresult checkFile(Host::IPath* path) override {
        const HostCall call(*this, "checkFile");
        if (!call) return call.refusal();
        auto* where =
            static_cast<PathObject*>(argument("checkFile", path, "path", &Host::IPath::iid));
        if (!where) return Host::kInvalidArgument;
        std::error_code ec;
        return std::filesystem::is_regular_file(where->fsPath(), ec) ? Host::kResultOk
                                                                     : Host::kResultFalse;
    }
};

// --- IApplicationInfo ------------------------------------------------------------------

class ApplicationInfoFacet : public Facet<Host::IApplicationInfo, ContextObject> {
public:
    using Facet::Facet;

    Host::tresult getName(Host::char16* buffer, Host::int32 size) override {
        const HostCall call(*this, "getName");
        if (!call) return call.refusal();
        return copyOut("getName", Tessaro::toUtf16(host().profile().name), buffer, size);
    }
    Host::tresult getVersion(Host::char16* buffer, Host::int32 size) override {
        const HostCall call(*this, "getVersion");
        if (!call) return call.refusal();
        return copyOut("getVersion", Tessaro::toUtf16(host().profile().version), buffer, size);
    }
};

// --- IMixerAccess ----------------------------------------------------------------------

class MixerAccessFacet : public Facet<Host::IMixerAccess, ContextObject> {
public:
    using Facet::Facet;

    Host::FUnknown* findObject(const Host::char8* name, Host::int32) override {
        std::string wanted;
        const HostCall call(*this, "findObject");
        if (!call) return nullptr;
        if (!text("findObject", name, "name", wanted)) return nullptr;
        if (wanted != "QPL Mixer" || !host().profile().mixerObject) return nullptr;
        if (FaultPlan* plan = host().faultPlan(); plan && plan->strikes(FaultKind::NullObject))
            return nullptr;
        return account().lend(host().document().mixer, Host::FUnknown::iid);
    }
};

// --- ITransport ------------------------------------------------------------------------

class TransportFacet : public Facet<Host::ITransport, ContextObject> {
public:
    using Facet::Facet;

    Host::tresult setCycleActive(Host::tbool active) override {
        const HostCall call(*this, "setCycleActive");
        if (!call) return call.refusal();
        host().document().song.cycleActive = active != 0;
        return Host::kResultOk;
    }
    Host::tresult setCycleRange(double left, double right, double factor) override {
        const HostCall call(*this, "setCycleRange");
        if (!call) return call.refusal();
        auto& song = host().document().song;
        song.cycleLeft = left;
        song.cycleRight = right;
        song.cycleFactor = factor;
        return Host::kResultOk;
    }
};

// --- IEditContext ----------------------------------------------------------------------

class EditContextFacet : public Facet<Host::IEditContext, ContextObject> {
public:
    using Facet::Facet;

    Host::tresult beginEdit(Host::int32 mode) override {
        const HostCall call(*this, "beginEdit");
        if (!call) return call.refusal();
        host().records().editsBegun.push_back(mode);
        return Host::kResultOk;
    }

    Host::tresult finishStep(Host::IProject* project, const Host::char16* name) override {
        std::u16string stepName;
        const HostCall call(*this, "finishStep");
        if (!call) return call.refusal();
        if (!projectArguments("finishStep", project, nullptr) || !text("finishStep", name, "name", stepName))
            return Host::kInvalidArgument;
        host().records().editSteps.push_back(Tessaro::toUtf8(stepName));
        return Host::kResultOk;
    }

    Host::tresult insertObject(Host::FUnknown* container, Host::FUnknown* object) override {
        const HostCall call(*this, "insertObject");
        if (!call) return call.refusal();
        // What goes in is mostly what the host made last, into where the last one went.
        Object* into = argument("insertObject", container, "container", nullptr, lastContainer_);
        Object* what = argument("insertObject", object, "object", nullptr, host().newestObject());
        if (!into || !what) return Host::kInvalidArgument;
        lastContainer_ = into;
        if (auto* list = dynamic_cast<AutomationEventList*>(into)) {
            const std::string refused = list->insert(*what);
            if (!refused.empty()) {
                misuse("insertObject", refused + ": " + what->describe());
                return Host::kInvalidArgument;
            }
            return Host::kResultOk;
        }
        if (auto* list = dynamic_cast<EventList*>(into)) {
            const std::string refused = insertEvent(*list, *what);
            if (refused.empty()) return Host::kResultOk;
            misuse("insertObject", refused);
            return Host::kInvalidArgument;
        }
        Document& document = host().document();
        Node* target = into == &document.project ? &document.trackRoot : dynamic_cast<Node*>(into);
        auto* node = dynamic_cast<Node*>(what);
        if (!target || (!target->is("folder") && target != &document.trackRoot)) {
            misuse("insertObject", "the container " + into->describe() +
                                       " is not the project, a folder or an event list");
            return Host::kInvalidArgument;
        }
        if (!node) {
            misuse("insertObject", what->describe() + " cannot go into " + into->describe());
            return Host::kInvalidArgument;
        }
        const std::string refused = document.insertTrack(*target, *node);
        if (!refused.empty()) {
            misuse("insertObject", refused + ": " + node->describe());
            return Host::kInvalidArgument;
        }
        return Host::kResultOk;
    }

private:
    const Object* lastContainer_ = nullptr;  // an object of the host: it lasts as long
};

const FacetType kTypes[] = {
    facetType<HostContextFacet, Host::IHostContext>("IHostContext", isContext),
    facetType<MessageDisplayFacet, Host::IMessageDisplay>("IMessageDisplay",
                                                          contextOffering<kMessageDisplay>),
    facetType<FileAccessFacet, Host::IFileAccess>("IFileAccess", contextOffering<kFileAccess>),
    facetType<ApplicationInfoFacet, Host::IApplicationInfo>("IApplicationInfo",
                                                            contextOffering<kApplicationInfo>),
    facetType<MixerAccessFacet, Host::IMixerAccess>("IMixerAccess", contextOffering<kMixerAccess>),
    facetType<TransportFacet, Host::ITransport>("ITransport", contextOffering<kTransport>),
    facetType<EditContextFacet, Host::IEditContext>("IEditContext", contextOffering<kEditContext>),
};

}  // namespace

std::span<const FacetType> serviceFacetTypes() { return kTypes; }

}  // namespace RefHost
