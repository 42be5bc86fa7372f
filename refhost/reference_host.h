// The reference host: a real, in-memory implementation of the host's interface set. It
// keeps a document (the project, its tracks and the mixer, laid out by a profile), offers
// the services of its host context (messages, files, application information, mixer
// access, transport, edit steps, object creation), records what it was asked to do and
// keeps an account of every reference it hands out.
//
// Everything runs on the host's calling thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "interfaces/all.h"
#include "refhost/account.h"
#include "refhost/diagnostics.h"
#include "refhost/document.h"
#include "refhost/events.h"
#include "refhost/profile.h"

namespace RefHost {

struct AudioWriteProgress;
// Told of each block an audio file writer writes (refhost/audio.h).
using AudioWriteWatcher = std::function<void(const AudioWriteProgress&)>;

struct Message {
    std::string text;  // UTF-8
    Host::int32 style = 0;
    Host::int32 buttons = 0;
    Host::int32 defaultAnswer = 0;
};

// What the host's services were asked to do, in order.
struct Records {
    std::vector<Message> messages;
    // What the filter told of its last import when the host asked (IImportDiagnostics);
    // none when it was not asked or did not answer.
    std::optional<Diagnostics> diagnostics;
    std::vector<Host::int32> editsBegun;      // the mode of each beginEdit
    std::vector<std::string> editSteps;       // the name of each finished step
    std::vector<std::filesystem::path> filesWritten;
    std::vector<std::filesystem::path> filesRead;
    std::vector<std::filesystem::path> filesMissing;  // audio files asked for and not found
};

// What the host's audio objects (refhost/audio.h) hold of the operating system and of
// libsoxr at the moment. An object gives its share back once the plug-in has released it,
// so both counts are 0 after an import that released every audio object.
struct AudioResources {
    std::size_t openFiles = 0;   // audio files open through libsndfile
    std::size_t converters = 0;  // libsoxr converter states
    // The converting source made last, while the plug-in holds it: what a copy loop reads
    // from. A wave file writer of more than two channels takes its file's channel layout.
    Object* newestSource = nullptr;
    // The free space a writer counts on in its folder instead of asking the file system;
    // a test stands in for a nearly full disk with it.
    std::optional<std::uint64_t> freeSpace;
};

// The host context: answers IHostContext and the services the profile offers.
class ContextObject : public Object {
public:
    using Object::Object;
    std::string describe() const override { return "host context"; }
};

class ReferenceHost {
public:
    explicit ReferenceHost(Profile profile);
    ~ReferenceHost();
    ReferenceHost(const ReferenceHost&) = delete;
    ReferenceHost& operator=(const ReferenceHost&) = delete;

    const Profile& profile() const { return profile_; }
    Account& account() { return account_; }
    const Account& account() const { return account_; }
    Document& document() { return *document_; }
    const Document& document() const { return *document_; }
    Records& records() { return records_; }
    const Records& records() const { return records_; }
    ContextObject& contextObject() { return *context_; }

    // The folder IImportTarget::getProjectFolder names (a separator is added at its end).
    void setProjectFolder(std::filesystem::path folder);
    const std::filesystem::path& projectFolder() const { return projectFolder_; }

    // What the host lends a plug-in (borrowed arguments, no reference): its context for
    // IPluginBase::initialize, the import target for importProject, a path.
    Host::FUnknown* lendContext();
    Host::FUnknown* lendImportTarget();
    Host::IPath* lendPath(const std::filesystem::path& path);

    // A new object owned by the host until it is destroyed; the host destroys its objects
    // newest first. Events (notes, controller-like and audio events: a project may hold
    // millions) go into the host's pool of events; every other object is allocated apiece.
    template <class T, class... Args>
    T& make(Args&&... args) {
        constexpr bool pooled = std::is_same_v<T, EventObject>;
        madeInPool_.push_back(pooled);
        try {
            if constexpr (pooled) {
                return events_.make(*this, std::forward<Args>(args)...);
            } else {
                auto object = std::make_unique<T>(*this, std::forward<Args>(args)...);
                T& made = *object;
                objects_.push_back(std::move(object));
                return made;
            }
        } catch (...) {
            madeInPool_.pop_back();
            throw;
        }
    }

    // A list of entries that the host's parameters share (parameters refer to their list
    // rather than copying it): made by make on the first request for key, the same list
    // after. The lists of the profile are shared as they stand (Profile::list).
    const std::vector<ListEntry>& sharedList(const std::string& key,
                                             const std::function<std::vector<ListEntry>()>& make);
    // The host's one copy of a name that many objects share (a parameter's name).
    const std::string& sharedName(std::string_view name);

    // The object made last, or null.
    Object* newestObject();

    // The next serial number of a memory stream.
    std::size_t nextMemoryStreamSerial() { return ++memoryStreams_; }

    // Called on the import's thread after each block an audio file writer writes, so that
    // a tool can show how far a conversion is; none by default.
    void watchAudioWrites(AudioWriteWatcher watcher) { audioWriteWatcher_ = std::move(watcher); }
    const AudioWriteWatcher& audioWriteWatcher() const { return audioWriteWatcher_; }

    AudioResources& audioResources() { return audioResources_; }
    const AudioResources& audioResources() const { return audioResources_; }

    // The plan by which the host fails calls of the plug-in (refhost/fault_plan.h); none by
    // default. The plan is the caller's and must outlive its use.
    void setFaultPlan(FaultPlan* plan) { faultPlan_ = plan; }
    FaultPlan* faultPlan() const { return faultPlan_; }

private:
    void destroyObjects();

    EventPool events_;  // events, in the order made; the account finds their facets there
    Account account_{events_};
    std::deque<std::unique_ptr<Object>> objects_;  // everything else, in the order made
    std::vector<bool> madeInPool_;  // for each object made, in order: true for events_
    std::map<std::string, std::vector<ListEntry>> sharedLists_;
    std::set<std::string, std::less<>> sharedNames_;
    Profile profile_;
    std::unique_ptr<Document> document_;
    ContextObject* context_ = nullptr;
    Records records_;
    std::filesystem::path projectFolder_;
    std::size_t memoryStreams_ = 0;
    AudioWriteWatcher audioWriteWatcher_;
    AudioResources audioResources_;
    FaultPlan* faultPlan_ = nullptr;
};

// The constructors of every facet call (refhost/fault_plan.h), here where the host is
// known, so that a call to a host without a fault plan costs a few instructions.
inline HostSide::HostSide(const FacetBase& facet, const char* operation)
    : plan_(facet.object().host().faultPlan()),
      before_(plan_ ? plan_->switchTo({&facet, operation, Runner::Host}) : FaultPlan::State{}) {}

inline HostCall::HostCall(FacetBase& facet, const char* operation, FaultKind kind)
    : side_(facet, operation) {
    if (facet.released() && !facet.usable(operation)) refusal_ = Host::kInvalidArgument;
    else if (side_.plan() && side_.plan()->strikes(kind)) refusal_ = Host::kResultFalse;
}

}  // namespace RefHost
