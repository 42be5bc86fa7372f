#include "bench/counting_host.h"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <tuple>

#include "base/text.h"
#include "refhost/module_loader.h"

namespace TessaroBench {

namespace {

using Host::kInvalidArgument;
using Host::kNoInterface;
using Host::kResultFalse;
using Host::kResultOk;
using Host::tresult;

// The first of a list of types.
template <class... Types>
using FirstOf = std::tuple_element_t<0, std::tuple<Types...>>;

}  // namespace

// What every object of the counting host shares: its interfaces' FUnknown, counted.
template <class... Interfaces>
class Counted : public Interfaces... {
public:
    Counted(CountingHost::Counts& counts, CountingHost::Objects& objects)
        : counts_(counts), objects_(objects) {}
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;

    tresult queryInterface(const Host::FUID& wanted, void** obj) override {
        count();
        if (!obj) return kInvalidArgument;
        *obj = nullptr;
        if (wanted == Host::FUnknown::iid)
            *obj = static_cast<FirstOf<Interfaces...>*>(this);
        else
            static_cast<void>(
                ((wanted == Interfaces::iid ? (*obj = static_cast<Interfaces*>(this), true)
                                            : false) ||
                 ...));
        if (!*obj) return kNoInterface;
        ++counts_.held;
        return kResultOk;
    }
    Host::uint32 addRef() override {
        count();
        ++counts_.held;
        return 2;
    }
    Host::uint32 release() override {
        count();
        --counts_.held;
        return 1;
    }

protected:
    ~Counted() = default;

    // Counts a call; returns kResultOk for the setters to pass on.
    tresult count() {
        ++counts_.calls;
        return kResultOk;
    }
    // Counts a call that answers value.
    template <class T>
    T counted(T value) {
        ++counts_.calls;
        return value;
    }
    // Hands out interface I of object to out with a new reference.
    template <class I>
    tresult handOut(I* object, I** out) {
        if (!out) return kInvalidArgument;
        *out = object;
        ++counts_.held;
        return kResultOk;
    }
    // Copies text into the caller's buffer, cut and terminated.
    static tresult copy(std::u16string_view text, Host::char16* buffer, Host::int32 size) {
        if (!buffer || size < 1) return kInvalidArgument;
        Tessaro::copyToBuffer(text, buffer, size);
        return kResultOk;
    }
    static tresult copy(std::string_view text, Host::char8* buffer, Host::int32 size) {
        if (!buffer || size < 1) return kInvalidArgument;
        Tessaro::copyToBuffer(text, buffer, size);
        return kResultOk;
    }

    CountingHost::Counts& counts_;
    CountingHost::Objects& objects_;
};

namespace {

class EventListObject final : public Counted<Host::IEventList> {
public:
    using Counted::Counted;
    tresult prepare(Host::int32) override { return count(); }
    Host::int32 getCount() override { return counted(0); }
};

class ParameterObject final : public Counted<Host::IParameter> {
public:
    using Counted::Counted;
    tresult getName(Host::char8* buffer, Host::int32 size) override {
        count();
        return copy(std::string_view("quantMenu"), buffer, size);
    }
    Host::int32 getTag() override { return counted(0); }
    Host::int32 getMax() override { return counted(19); }
    double getValue() override { return counted(0); }
    tresult setValue(Host::int32) override { return count(); }
    tresult setFloatValue(double, Host::tbool) override { return count(); }
};

class NoteObject final : public Counted<Host::IEvent, Host::INoteEvent> {
public:
    using Counted::Counted;
    tresult setStart(Host::IEventList*, double, Host::IEditContext*) override { return count(); }
    tresult setLength(Host::IEventList*, double, Host::IEditContext*) override { return count(); }
    tresult setMute(Host::IEventList*, Host::tbool, Host::IEditContext*) override {
        return count();
    }
    tresult setPitch(Host::IEventList*, Host::int32, Host::IEditContext*) override {
        return count();
    }
    tresult setVelocity(Host::IEventList*, Host::int32, Host::IEditContext*) override {
        return count();
    }
};

class ControlObject final : public Counted<Host::IEvent, Host::IControlEvent> {
public:
    using Counted::Counted;
    tresult setStart(Host::IEventList*, double, Host::IEditContext*) override { return count(); }
    tresult setLength(Host::IEventList*, double, Host::IEditContext*) override { return count(); }
    tresult setMute(Host::IEventList*, Host::tbool, Host::IEditContext*) override {
        return count();
    }
    tresult setData(Host::IEventList*, Host::int32, Host::int32, Host::IEditContext*) override {
        return count();
    }
};

class PartObject;
class TrackObject;

class StreamObject final : public Counted<Host::IBStream> {
public:
    using Counted::Counted;
    ~StreamObject() { close(); }

    bool open(const std::filesystem::path& file) {
        close();
        file_ = std::fopen(file.string().c_str(), "rb");
        return file_ != nullptr;
    }
    void close() {
        if (file_) std::fclose(file_);
        file_ = nullptr;
    }

    tresult read(void* buffer, Host::int32 size, Host::int32* done) override {
        count();
        if (done) *done = 0;
        if (!file_ || size < 0 || (!buffer && size > 0)) return kInvalidArgument;
        const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(size), file_);
        if (done) *done = static_cast<Host::int32>(got);
        return kResultOk;
    }
    tresult write(const void*, Host::int32, Host::int32* done) override {
        count();
        if (done) *done = 0;
        return kResultFalse;
    }
    tresult seek(Host::int64 pos, Host::int32 mode, Host::int64* result) override {
        count();
        const int whence = mode == kSeekSet ? SEEK_SET : mode == kSeekCur ? SEEK_CUR : SEEK_END;
        if (!file_ || std::fseek(file_, static_cast<long>(pos), whence) != 0) return kResultFalse;
        if (result) *result = std::ftell(file_);
        return kResultOk;
    }
    tresult tell(Host::int64* pos) override {
        count();
        if (!file_ || !pos) return kInvalidArgument;
        *pos = std::ftell(file_);
        return kResultOk;
    }

private:
    std::FILE* file_ = nullptr;
};

class PathObject final : public Counted<Host::IPath> {
public:
    PathObject(CountingHost::Counts& counts, CountingHost::Objects& objects,
               std::filesystem::path file)
        : Counted(counts, objects), file_(std::move(file)) {}
    tresult setPath(const Host::char16*) override { return count(); }
    tresult getPath(Host::char16* buffer, Host::int32 size) override {
        count();
        const std::u8string text = file_.u8string();
        return copy(Tessaro::toUtf16(std::string(text.begin(), text.end())), buffer, size);
    }
    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
};

}  // namespace

struct CountingHost::Objects {
    Objects(Counts& counts, std::filesystem::path file);

    class Context;
    class Project;
    class Tempo;
    class Tree;
    std::unique_ptr<Context> context;
    std::unique_ptr<Project> project;
    std::unique_ptr<Tempo> tempo;
    std::unique_ptr<Tree> tree;
    std::unique_ptr<TrackObject> track;
    std::unique_ptr<PartObject> part;
    EventListObject list;
    ParameterObject parameter;
    NoteObject note;
    ControlObject control;
    StreamObject stream;
    PathObject path;
};

namespace {

class PartObject final : public Counted<Host::IEvent, Host::IMidiPart, Host::IParamNode> {
public:
    using Counted::Counted;
    tresult setStart(Host::IEventList*, double, Host::IEditContext*) override { return count(); }
    tresult setLength(Host::IEventList*, double, Host::IEditContext*) override { return count(); }
    tresult setMute(Host::IEventList*, Host::tbool, Host::IEditContext*) override {
        return count();
    }
    tresult setPartName(const Host::char16*) override { return count(); }
    tresult getEventList(Host::IEventList** list) override {
        return counted(handOut<Host::IEventList>(&objects_.list, list));
    }
    tresult getName(Host::char8* buffer, Host::int32 size) override {
        count();
        return copy(std::string_view("MIDI part"), buffer, size);
    }
    Host::int32 getChildCount() override { return counted(0); }
    tresult getChild(Host::int32, Host::IParamNode** child) override { return nothing(child); }
    tresult findChild(const Host::char8*, Host::IParamNode** child) override {
        return nothing(child);
    }
    tresult findParameter(const Host::char8* name, Host::IParameter** param) override {
        count();
        if (!param) return kInvalidArgument;
        *param = nullptr;
        if (!name || std::strcmp(name, "quantMenu") != 0) return kResultFalse;
        return handOut<Host::IParameter>(&objects_.parameter, param);
    }
    tresult findParameterByTag(Host::int32, Host::IParameter** param) override {
        return nothing(param);
    }
    tresult getSubNode(Host::IParamNode** node) override { return nothing(node); }

private:
    template <class I>
    tresult nothing(I** out) {
        count();
        if (out) *out = nullptr;
        return kResultFalse;
    }
};

class TrackObject final : public Counted<Host::IProjectObject, Host::ITrack, Host::IAttributeList> {
public:
    using Counted::Counted;
    // Every track of a MIDI import is an instrument track.
    Host::tbool isKind(const Host::char8* kind) override {
        return counted(kind &&
                       (std::strcmp(kind, "track") == 0 || std::strcmp(kind, "instrument") == 0));
    }
    tresult getName(Host::char16* buffer, Host::int32 size) override {
        return counted(copy(u"Track", buffer, size));
    }
    tresult getTrack(Host::ITrack** track) override {
        return counted(handOut<Host::ITrack>(this, track));
    }
    tresult setName(Host::IProject*, const Host::char16*, Host::IEditContext*) override {
        return count();
    }
    tresult setColor(Host::IProject*, Host::uint32, Host::IEditContext*) override {
        return count();
    }
    tresult getAttributes(Host::IAttributeList** list) override {
        return counted(handOut<Host::IAttributeList>(this, list));
    }
    tresult getEventList(Host::IEventList** list) override {
        return counted(handOut<Host::IEventList>(&objects_.list, list));
    }
    tresult getAutomation(Host::IAutomation** automation) override {
        count();
        if (automation) *automation = nullptr;
        return kResultFalse;
    }
    // Nothing is kept: no attribute is there to read back.
    tresult hasAttribute(const Host::char8*) override { return counted(kResultFalse); }
    Host::int32 getType(const Host::char8*) override { return counted(0); }
    tresult getInt(const Host::char8*, Host::int64*) override { return counted(kResultFalse); }
    tresult getFloat(const Host::char8*, double*) override { return counted(kResultFalse); }
    tresult getString(const Host::char8*, Host::char16*, Host::int32) override {
        return counted(kResultFalse);
    }
    tresult setInt(const Host::char8*, Host::int64, Host::tbool) override { return count(); }
    tresult setFloat(const Host::char8*, double, Host::tbool) override { return count(); }
    tresult setString(const Host::char8*, const Host::char16*, Host::tbool) override {
        return count();
    }
};

}  // namespace

class CountingHost::Objects::Tempo final : public Counted<Host::ITempo, Host::ISignatureTrack> {
public:
    using Counted::Counted;
    tresult setActive(Host::int32) override { return count(); }
    tresult setTempo(double) override { return count(); }
    tresult addSignature(double, Host::int32, Host::int32, Host::IEditContext*) override {
        return count();
    }
};

// The track tree: as many tracks as were made, each answered by the one track object.
class CountingHost::Objects::Tree final : public Counted<Host::IObjectTree, Host::IObjectIterator> {
public:
    using Counted::Counted;
    tresult getChildren(Host::IObjectIterator** children) override {
        count();
        if (!children) return kInvalidArgument;
        *children = nullptr;
        if (counts_.tracks == 0) return kResultFalse;
        next_ = 0;
        return handOut<Host::IObjectIterator>(this, children);
    }
    tresult getSubTree(Host::IProjectObject*, Host::IObjectTree** tree) override {
        count();
        if (tree) *tree = nullptr;
        return kResultFalse;
    }
    Host::tbool atEnd() override { return counted(next_ >= counts_.tracks); }
    tresult next(Host::IProjectObject** object) override {
        count();
        if (!object) return kInvalidArgument;
        *object = nullptr;
        if (next_ >= counts_.tracks) return kResultFalse;
        ++next_;
        return handOut<Host::IProjectObject>(objects_.track.get(), object);
    }

private:
    std::uint64_t next_ = 0;
};

class CountingHost::Objects::Project final
    : public Counted<Host::IProject, Host::IObjectFactory, Host::IImportTarget> {
public:
    using Counted::Counted;
    tresult getRoot(Host::int32 which, Host::IObjectTree** tree) override {
        count();
        if (!tree) return kInvalidArgument;
        *tree = nullptr;
        if (which != 0) return kInvalidArgument;
        return handOut<Host::IObjectTree>(objects_.tree.get(), tree);
    }
    tresult getTempo(double, Host::ITempo** tempo) override {
        return counted(handOut<Host::ITempo>(objects_.tempo.get(), tempo));
    }
    tresult setLength(double) override { return count(); }
    tresult getSignatureTrack(Host::ISignatureTrack** track) override {
        return counted(handOut<Host::ISignatureTrack>(objects_.tempo.get(), track));
    }
    tresult getAutomationEventList(Host::IAutomationTrack*, Host::IEventList** list) override {
        count();
        if (list) *list = nullptr;
        return kResultFalse;
    }

    tresult createObject(const Host::char8* kind, Host::FUnknown** object) override {
        count();
        if (!kind || !object) return kInvalidArgument;
        *object = nullptr;
        const std::string_view name(kind);
        if (name == "instrument" || name == "audio") {
            ++counts_.tracks;
            return handOut<Host::FUnknown>(static_cast<Host::IProjectObject*>(objects_.track.get()),
                                           object);
        }
        if (name == "MIDI part") {
            ++counts_.parts;
            return handOut<Host::FUnknown>(static_cast<Host::IEvent*>(objects_.part.get()), object);
        }
        if (name == "note") {
            ++counts_.notes;
            return handOut<Host::FUnknown>(static_cast<Host::IEvent*>(&objects_.note), object);
        }
        if (name == "pitchbend" || name == "aftertouch" || name == "program change" ||
            name == "controller") {
            ++counts_.controls;
            return handOut<Host::FUnknown>(static_cast<Host::IEvent*>(&objects_.control), object);
        }
        return kInvalidArgument;
    }

    tresult prepare(Host::int32, Host::int32) override { return count(); }
    tresult setSampleRate(double) override { return count(); }
    tresult setSampleSize(Host::int32) override { return count(); }
    tresult getSampleRate(float* rate) override {
        count();
        if (!rate) return kInvalidArgument;
        *rate = 44100;
        return kResultOk;
    }
    tresult getSampleSize(Host::int32* bits) override {
        count();
        if (!bits) return kInvalidArgument;
        *bits = 16;
        return kResultOk;
    }
    tresult getProjectFolder(Host::char16* buffer, Host::int32 size) override {
        count();
        const std::u8string text = objects_.path.file().parent_path().u8string() + u8"/";
        return copy(Tessaro::toUtf16(std::string(text.begin(), text.end())), buffer, size);
    }
};

class CountingHost::Objects::Context final
    : public Counted<Host::IHostContext, Host::IMessageDisplay, Host::IFileAccess,
                     Host::IApplicationInfo, Host::IMixerAccess, Host::ITransport,
                     Host::IEditContext> {
public:
    using Counted::Counted;
    tresult getProject(Host::IProject** project) override {
        return counted(handOut<Host::IProject>(objects_.project.get(), project));
    }
    tresult createInstance(const Host::FUID&, const Host::FUID&, void** obj) override {
        count();
        if (obj) *obj = nullptr;
        return kNoInterface;
    }
    tresult showMessage(const Host::char16*, Host::int32, Host::int32, Host::int32) override {
        return count();
    }
    tresult open(Host::IPath* path, Host::int32 mode, Host::IBStream** stream) override {
        count();
        if (!stream) return kInvalidArgument;
        *stream = nullptr;
        if (path != &objects_.path || mode != kRead) return kInvalidArgument;
        if (!objects_.stream.open(objects_.path.file())) return kResultFalse;
        return handOut<Host::IBStream>(&objects_.stream, stream);
    }
    // Takes back the reference the module hands over with the stream.
    tresult close(Host::IBStream* stream) override {
        count();
        if (stream != &objects_.stream) return kInvalidArgument;
        objects_.stream.close();
        --counts_.held;
        return kResultOk;
    }
    tresult checkFile(Host::IPath*) override { return counted(kResultFalse); }
    tresult getName(Host::char16* buffer, Host::int32 size) override {
        return counted(copy(u"Ombrel", buffer, size));
    }
    tresult getVersion(Host::char16* buffer, Host::int32 size) override {
        return counted(copy(u"Version 8.0.1", buffer, size));
    }
    // No mixer: the import takes the older fader scale and builds no sends.
    Host::FUnknown* findObject(const Host::char8*, Host::int32) override {
        return counted(nullptr);
    }
    tresult setCycleActive(Host::tbool) override { return count(); }
    tresult setCycleRange(double, double, double) override { return count(); }
    tresult beginEdit(Host::int32) override { return count(); }
    tresult finishStep(Host::IProject*, const Host::char16*) override { return count(); }
    tresult insertObject(Host::FUnknown*, Host::FUnknown*) override {
        ++counts_.inserted;
        return count();
    }
};

CountingHost::Objects::Objects(Counts& c, std::filesystem::path file)
    : context(std::make_unique<Context>(c, *this)),
      project(std::make_unique<Project>(c, *this)),
      tempo(std::make_unique<Tempo>(c, *this)),
      tree(std::make_unique<Tree>(c, *this)),
      track(std::make_unique<TrackObject>(c, *this)),
      part(std::make_unique<PartObject>(c, *this)),
      list(c, *this),
      parameter(c, *this),
      note(c, *this),
      control(c, *this),
      stream(c, *this),
      path(c, *this, std::move(file)) {}

CountingHost::CountingHost(std::filesystem::path file)
    : file_(std::move(file)), objects_(std::make_unique<Objects>(counts_, file_)) {}

CountingHost::~CountingHost() = default;

Host::FUnknown* CountingHost::context() {
    return static_cast<Host::IHostContext*>(objects_->context.get());
}

Host::IPath* CountingHost::path() { return &objects_->path; }

Host::FUnknown* CountingHost::importTarget() {
    return static_cast<Host::IProject*>(objects_->project.get());
}

CountingRun runCountingImport(RefHost::LoadedModule& module, CountingHost& host) {
    CountingRun run;
    const auto filter = RefHost::findProjectFilter(*module.factory());
    if (!filter) {
        run.error = "the module offers no project filter";
        return run;
    }
    Host::IProjectFilterPlugin* plugin = nullptr;
    if (module.factory()->createInstance(filter->cid, Host::IProjectFilterPlugin::iid,
                                         reinterpret_cast<void**>(&plugin)) != kResultOk ||
        !plugin) {
        run.error = "the factory made no filter";
        return run;
    }
    if (plugin->initialize(host.context()) != kResultOk) {
        run.error = "the filter refused the context";
    } else {
        run.result = plugin->importProject(host.path(), host.importTarget());
        plugin->terminate();
    }
    plugin->release();
    return run;
}

}  // namespace TessaroBench
