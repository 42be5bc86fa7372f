// The project filter object as the host calls it, without an import.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/iptr.h"
#include "module/filter_plugin.h"

using namespace Tessaro;

namespace {

// The smallest object that is not a host context.
struct PlainObject : Host::FUnknown {
    Host::tresult queryInterface(const Host::FUID&, void** obj) override {
        *obj = nullptr;
        return Host::kNoInterface;
    }
    Host::uint32 addRef() override { return 1; }
    Host::uint32 release() override { return 1; }
};

// A host context whose application information throws, as a faulty host might: what it was
// asked to show is kept.
struct ThrowingHost : Host::IHostContext, Host::IMessageDisplay, Host::IApplicationInfo {
    std::vector<std::u16string> shown;

    Host::tresult queryInterface(const Host::FUID& iid, void** obj) override {
        if (iid == Host::IHostContext::iid || iid == Host::FUnknown::iid)
            *obj = static_cast<Host::IHostContext*>(this);
        else if (iid == Host::IMessageDisplay::iid)
            *obj = static_cast<Host::IMessageDisplay*>(this);
        else if (iid == Host::IApplicationInfo::iid)
            *obj = static_cast<Host::IApplicationInfo*>(this);
        else
            *obj = nullptr;
        return *obj ? Host::kResultOk : Host::kNoInterface;
    }
    Host::uint32 addRef() override { return 1; }
    Host::uint32 release() override { return 1; }
    Host::tresult getProject(Host::IProject** project) override {
        *project = nullptr;
        return Host::kResultFalse;
    }
    Host::tresult createInstance(const Host::FUID&, const Host::FUID&, void** obj) override {
        *obj = nullptr;
        return Host::kNoInterface;
    }
    Host::tresult showMessage(const Host::char16* text, Host::int32, Host::int32,
                              Host::int32) override {
        shown.emplace_back(text);
        return Host::kResultOk;
    }
    Host::tresult getName(Host::char16*, Host::int32) override { return Host::kResultFalse; }
    Host::tresult getVersion(Host::char16*, Host::int32) override {
        throw std::runtime_error("the host's own fault");
    }
};

IPtr<Host::IProjectFilterPlugin> makeFilter() {
    auto filter = IPtr<Host::FUnknown>::adopt(TessaroFilterPlugin::create(nullptr));
    return queryTo<Host::IProjectFilterPlugin>(filter);
}

}  // namespace

TEST(FilterPlugin, AnswersFiveInterfacesWithTheSameObject) {
    auto filter = makeFilter();
    for (const auto& iid : {Host::FUnknown::iid, Host::IPluginBase::iid,
                            Host::IProjectFilterPlugin::iid, Host::kIProjectImportFilterIID,
                            Host::kIProjectExportFilterIID}) {
        void* obj = nullptr;
        ASSERT_EQ(filter->queryInterface(iid, &obj), Host::kResultOk);
        EXPECT_EQ(obj, static_cast<Host::IProjectFilterPlugin*>(filter.get()));
        // The query added one reference: 1 (ours) + 1 → releasing it leaves 1.
        EXPECT_EQ(filter->release(), 1u);
    }
    void* obj = reinterpret_cast<void*>(1);
    EXPECT_EQ(filter->queryInterface(Host::IPluginFactory::iid, &obj),
              static_cast<Host::tresult>(0x80004002u));
    EXPECT_EQ(obj, nullptr);
}

TEST(FilterPlugin, FileTypeRecord) {
    auto filter = makeFilter();
    Host::ProjectFileType type;
    std::memset(&type, 0x7F, sizeof type);
    ASSERT_EQ(filter->getFileType(&type), Host::kResultOk);
    EXPECT_EQ(type.count, 1);
    EXPECT_EQ(std::memcmp(type.typeCode, "tsp ", 4), 0);
    EXPECT_STREQ(type.extension, "tsp");
    EXPECT_STREQ(type.displayName, "Tessaro File");
}

TEST(FilterPlugin, InitializeWantsAHostContext) {
    auto filter = makeFilter();
    PlainObject notAHost;
    EXPECT_EQ(filter->initialize(&notAHost), Host::kResultFalse);
    EXPECT_EQ(filter->initialize(nullptr), Host::kResultFalse);
    EXPECT_EQ(filter->terminate(), Host::kResultOk);
}

TEST(FilterPlugin, ImportWithoutHostContextFailsQuietlyAndExportDoesNothing) {
    auto filter = makeFilter();
    EXPECT_EQ(filter->importProject(nullptr, nullptr), 1);
    EXPECT_EQ(filter->exportProject(nullptr, nullptr), 0);
}

TEST(FilterPlugin, AnswersItsDiagnosticsAndStillNoOtherInterface) {
    auto filter = makeFilter();
    void* obj = nullptr;
    ASSERT_EQ(filter->queryInterface(Host::IImportDiagnostics::iid, &obj), Host::kResultOk);
    auto* diagnostics = static_cast<Host::IImportDiagnostics*>(obj);
    ASSERT_NE(diagnostics, nullptr);
    // The diagnostics share the filter's count and lead back to the filter.
    EXPECT_EQ(diagnostics->addRef(), 3u);
    EXPECT_EQ(filter->release(), 2u);
    void* back = nullptr;
    ASSERT_EQ(diagnostics->queryInterface(Host::IProjectFilterPlugin::iid, &back), Host::kResultOk);
    EXPECT_EQ(back, static_cast<Host::IProjectFilterPlugin*>(filter.get()));
    EXPECT_EQ(filter->release(), 2u);
    EXPECT_EQ(diagnostics->release(), 1u);

    // An id one byte off the diagnostics' and the host's own interfaces are refused.
    Host::FUID nearby = Host::IImportDiagnostics::iid;
    nearby.bytes[15] ^= 1;
    for (const auto& iid : {nearby, Host::IPluginFactory::iid, Host::IHostContext::iid,
                            Host::IBStream::iid}) {
        void* none = reinterpret_cast<void*>(1);
        EXPECT_EQ(filter->queryInterface(iid, &none), Host::kNoInterface);
        EXPECT_EQ(none, nullptr);
    }
}

TEST(FilterPlugin, DiagnosticsTellTheLastImport) {
    auto filter = makeFilter();
    const auto diagnostics = queryTo<Host::IImportDiagnostics>(filter);
    ASSERT_TRUE(diagnostics);
    Host::ImportFailureInfo failure{};
    Host::ImportNoteInfo note{};
    char16_t text[8];

    // Before any import: no failure, no notes.
    EXPECT_EQ(diagnostics->getFailure(&failure, text, 8), Host::kResultFalse);
    EXPECT_EQ(diagnostics->getNoteCount(), 0);
    EXPECT_EQ(diagnostics->getNote(0, &note, text, 8), Host::kInvalidArgument);
    EXPECT_EQ(diagnostics->getFailure(nullptr, text, 8), Host::kInvalidArgument);

    // An import without a host context fails before the file is read: no chunk, no offset;
    // the text is cut to the buffer.
    EXPECT_EQ(filter->importProject(nullptr, nullptr), 1);
    std::memset(&failure, 0x7F, sizeof failure);
    ASSERT_EQ(diagnostics->getFailure(&failure, text, 8), Host::kResultTrue);
    EXPECT_EQ(std::u16string(text), u"the fil");
    EXPECT_EQ(std::memcmp(failure.chunkId, "\0\0\0\0", 4), 0);
    EXPECT_EQ(failure.chunkIndex, -1);
    EXPECT_EQ(failure.byteOffset, -1);
    char16_t whole[Host::kDiagnosticTextSize];
    ASSERT_EQ(diagnostics->getFailure(&failure, whole, Host::kDiagnosticTextSize),
              Host::kResultTrue);
    EXPECT_EQ(std::u16string(whole), u"the filter has no host context");
    // A failure without a text buffer still tells its place.
    EXPECT_EQ(diagnostics->getFailure(&failure, nullptr, 0), Host::kResultTrue);
    EXPECT_EQ(diagnostics->getNoteCount(), 0);
    EXPECT_EQ(diagnostics->getNote(-1, &note, text, 8), Host::kInvalidArgument);
}

// An exception out of the host does not cross back into it: the import fails with the one
// failure message, and no diagnostics are kept of a run that did not end as a run.
TEST(FilterPlugin, AnExceptionOfTheHostFailsTheImportWithTheOneMessage) {
    auto filter = makeFilter();
    ThrowingHost host;
    ASSERT_EQ(filter->initialize(static_cast<Host::IHostContext*>(&host)), Host::kResultOk);
    EXPECT_EQ(filter->importProject(nullptr, nullptr), 1);
    EXPECT_EQ(host.shown, std::vector<std::u16string>{
                              u"Cannot read Tessaro project file. Reason: unknown format."});
    const auto diagnostics = queryTo<Host::IImportDiagnostics>(filter);
    ASSERT_TRUE(diagnostics);
    Host::ImportFailureInfo failure{};
    EXPECT_EQ(diagnostics->getFailure(&failure, nullptr, 0), Host::kResultFalse);
    EXPECT_EQ(diagnostics->getNoteCount(), 0);
    EXPECT_EQ(filter->terminate(), Host::kResultOk);
}
