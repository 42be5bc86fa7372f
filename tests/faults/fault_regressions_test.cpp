// What the fault walks found, each held on its own: the module's faults when memory runs
// out or the host fails a call, mended.
#include <gtest/gtest.h>

#include "base/iptr.h"
#include "fuzz/fuzz_support.h"
#include "tests/faults/fault_walk.h"
#include "tests/faults/module_allocations.h"
#include "tools/writer/writer.h"

namespace TessaroFaults {
namespace {

using Tessaro::IPtr;
using Tessaro::queryTo;

const WalkProject& demo() { return walkProjects().front(); }

// createInstance let std::bad_alloc out into the host when the filter could not be made.
TEST(MemoryFaults, AFilterThatCannotBeMadeIsNoInterfaceNotAnException) {
    RefHost::LoadedModule module(TESSARO_MODULE_PATH);
    const auto filter = RefHost::findProjectFilter(*module.factory());
    ASSERT_TRUE(filter);
    RefHost::FaultPlan plan;
    void* made = &plan;
    Host::tresult result = Host::kResultOk;
    {
        const AllocationWatch watch(plan, 1);
        result = RefHost::intoModule(&plan, [&] {
            return module.factory()->createInstance(filter->cid, Host::IProjectFilterPlugin::iid,
                                                    &made);
        });
        EXPECT_TRUE(ModuleAllocations::failed());
    }
    EXPECT_EQ(result, Host::kNoInterface);
    EXPECT_EQ(made, nullptr);
}

// getFailure and getNote let std::bad_alloc out into the host when there was no memory to
// convert their texts; they now fill their records with an empty text.
TEST(MemoryFaults, DiagnosticsWithoutMemoryForTheirTextsGiveTheirRecordsWithEmptyTexts) {
    TessaroWriter::ProjectFile file;
    TessaroWriter::HeadChunk head;
    head.trackCount = 2;  // one more than the file holds: "too few tracks"
    file.add(head);
    file.add(TessaroWriter::TrackInfoChunk{});
    TessaroWriter::PadChunk pads;
    pads.drumPadKeys = {36, 38};
    file.add(pads);
    TessaroTest::TempFolder folder;
    const auto path = folder.write("broken.tsp", file.bytes());

    RefHost::LoadedModule module(TESSARO_MODULE_PATH);
    auto host = TessaroTest::makeHost();
    host->setProjectFolder(folder.path());
    RefHost::FaultPlan plan;
    host->setFaultPlan(&plan);
    IPtr<Host::IProjectFilterPlugin> filter;
    ASSERT_EQ(module.factory()->createInstance(RefHost::findProjectFilter(*module.factory())->cid,
                                               Host::IProjectFilterPlugin::iid,
                                               filter.putVoid()),
              Host::kResultOk);
    ASSERT_EQ(filter->initialize(host->lendContext()), Host::kResultOk);
    ASSERT_EQ(filter->importProject(host->lendPath(path), host->lendImportTarget()), 1);
    auto diagnostics = queryTo<Host::IImportDiagnostics>(filter);
    ASSERT_TRUE(diagnostics);

    Host::ImportFailureInfo failure{};
    Host::ImportNoteInfo note{};
    char16_t failureText[64] = {u'x'};
    char16_t noteText[64] = {u'x'};
    Host::tresult failureResult = Host::kInvalidArgument;
    Host::tresult noteResult = Host::kInvalidArgument;
    {
        const AllocationWatch watch(plan, 1);
        failureResult = RefHost::intoModule(
            &plan, [&] { return diagnostics->getFailure(&failure, failureText, 64); });
        EXPECT_TRUE(ModuleAllocations::failed());
    }
    {
        const AllocationWatch watch(plan, 1);
        noteResult =
            RefHost::intoModule(&plan, [&] { return diagnostics->getNote(0, &note, noteText, 64); });
        EXPECT_TRUE(ModuleAllocations::failed());
    }
    EXPECT_EQ(failureResult, Host::kResultTrue);
    EXPECT_EQ(failureText[0], u'\0');
    EXPECT_EQ(failure.chunkIndex, -1);
    EXPECT_GT(failure.byteOffset, 0);
    EXPECT_EQ(noteResult, Host::kResultOk);
    EXPECT_EQ(noteText[0], u'\0');
    EXPECT_EQ(note.kind, Host::kNotePadsNotBuilt);
    EXPECT_EQ(note.track, 1);

    diagnostics.reset();
    filter->terminate();
    filter.reset();
    EXPECT_TRUE(host->account().findings().clean());
}

// Memory that ran out while the project was being completed ended the import with result 1
// and no message at all; it now fails with the one failure message (and the file closed).
TEST(MemoryFaults, MemoryRunningOutWhileTheProjectIsCompletedFailsWithTheOneMessage) {
    RefHost::LoadedModule module(TESSARO_MODULE_PATH);
    const RefHost::Profile profile = TessaroTest::loadProfile();
    ProjectWalk walk(demo(), module, profile);
    // The last allocations of an import complete the project (and copy its notes for the
    // host): walk back from the last to the first that fails the import.
    std::optional<WalkRun> failed;
    for (std::uint64_t n = walk.reference().allocations; n > 0 && !failed; --n) {
        WalkRun run = walk.failAllocation(n);
        ASSERT_EQ(run.brokenPromise(), "") << n;
        if (run.result == 1) failed = std::move(run);
        else EXPECT_EQ(run.messages, std::vector<std::string>{TessaroFuzz::kCompleted}) << n;
    }
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->reason, "out of memory");
    EXPECT_EQ(failed->messages, std::vector<std::string>{TessaroFuzz::kUnknownFormat});
}

// The region readers inserted parts and audio events into a track's event list that the
// host had failed to prepare (a misuse of the host's list); a list that cannot be prepared
// now takes no events, and the import goes on.
TEST(HostFaults, AnEventListTheHostCannotPrepareTakesNoEvents) {
    RefHost::LoadedModule module(TESSARO_MODULE_PATH);
    const RefHost::Profile profile = TessaroTest::loadProfile();
    ProjectWalk walk(demo(), module, profile);
    RefHost::FaultPlan plan(RefHost::FaultKind::ErrorResult, "IEventList::prepare");
    const WalkRun run = walk.run(plan);
    EXPECT_EQ(run.struck, "IEventList::prepare on event list of instrument track \"Piano\"");
    EXPECT_EQ(run.brokenPromise(), "");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.messages, std::vector<std::string>{TessaroFuzz::kCompleted});
}

}  // namespace
}  // namespace TessaroFaults
