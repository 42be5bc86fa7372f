// The reference host: a real, in-memory implementation of the host's interface set. It
// keeps a document (the project, its tracks and the mixer, laid out by a profile), offers
// the services of its host context (messages, files, application information, mixer
// access, transport, edit steps, object creation), records what it was asked to do and
// keeps an account of every reference it hands out.
#pragma once

#include <cstddef>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "interfaces/all.h"
#include "refhost/account.h"
#include "refhost/diagnostics.h"
#include "refhost/document.h"
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

// The host context: answers IHostContext and the services the profile offers.
class ContextObject : public Object {
public:
    using Object::Object;
    std::string describe() const override { return "host context"; }
};

// Where the host's objects live: blocks of memory that last as long as the host, objects
// built in them one after another and destroyed in the order made. A project can hold
// millions of notes; this keeps a heap allocation and its bookkeeping off each of them.
class ObjectStore {
public:
    static constexpr std::size_t kBlockSize = std::size_t{1} << 20;

    ObjectStore() = default;
    ~ObjectStore();
    ObjectStore(const ObjectStore&) = delete;
    ObjectStore& operator=(const ObjectStore&) = delete;

    template <class T, class... Args>
    T& make(Args&&... args) {
        static_assert(alignof(T) <= alignof(std::max_align_t) && sizeof(T) <= kBlockSize);
        T* object = new (allocate(sizeof(T), alignof(T))) T(std::forward<Args>(args)...);
        try {
            objects_.push_back(object);
        } catch (...) {
            object->~T();
            throw;
        }
        return *object;
    }

private:
    void* allocate(std::size_t size, std::size_t align);

    std::vector<std::unique_ptr<std::byte[]>> blocks_;  // aligned for any fundamental type
    std::size_t used_ = kBlockSize;  // bytes of the last block
    std::deque<Object*> objects_;    // in the order made
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

    // A new object owned by the host until it is destroyed.
    template <class T, class... Args>
    T& make(Args&&... args) {
        return objects_.make<T>(*this, std::forward<Args>(args)...);
    }

    // The next serial number of a memory stream.
    std::size_t nextMemoryStreamSerial() { return ++memoryStreams_; }

    // Called on the import's thread after each block an audio file writer writes, so that
    // a tool can show how far a conversion is; none by default.
    void watchAudioWrites(AudioWriteWatcher watcher) { audioWriteWatcher_ = std::move(watcher); }
    const AudioWriteWatcher& audioWriteWatcher() const { return audioWriteWatcher_; }

private:
    Account account_;
    ObjectStore objects_;
    Profile profile_;
    std::unique_ptr<Document> document_;
    ContextObject* context_ = nullptr;
    Records records_;
    std::filesystem::path projectFolder_;
    std::size_t memoryStreams_ = 0;
    AudioWriteWatcher audioWriteWatcher_;
};

}  // namespace RefHost
