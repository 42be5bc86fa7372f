// The host's fault plan: a host that fails the nth call of a kind (or every call of one
// operation) as a real host may, counts the calls each kind applies to, and tells whose
// code runs.
#include <gtest/gtest.h>

#include "refhost/fault_plan.h"
#include "tests/support/host_access.h"
#include "tests/support/import_harness.h"

namespace {

using RefHost::FaultKind;
using RefHost::FaultPlan;
using RefHost::Runner;
using Tessaro::IPtr;
using namespace TessaroTest;

TEST(FaultPlan, AnErrorResultFailsTheNthCallOnlyAndDoesNothing) {
    auto host = makeHost();
    auto transport = contextAs<Host::ITransport>(*host);
    FaultPlan plan(FaultKind::ErrorResult, 2);
    host->setFaultPlan(&plan);

    EXPECT_EQ(transport->setCycleActive(1), Host::kResultOk);
    EXPECT_EQ(transport->setCycleRange(1, 2, 3), Host::kResultFalse);
    EXPECT_EQ(transport->setCycleActive(0), Host::kResultOk);

    EXPECT_EQ(host->document().song.cycleLeft, std::nullopt);  // the failed call did nothing
    EXPECT_EQ(host->document().song.cycleActive, false);
    EXPECT_EQ(plan.struck(), "ITransport::setCycleRange on host context");
    EXPECT_FALSE(plan.struckAfterRead());
    EXPECT_EQ(plan.count(FaultKind::ErrorResult), 3u);
    EXPECT_EQ(plan.count(FaultKind::MissingInterface), 0u);
    EXPECT_TRUE(host->account().findings().misuses.empty());
}

TEST(FaultPlan, EachKindAppliesToItsOwnCalls) {
    auto host = makeHost();
    auto context = contextAs<Host::IHostContext>(*host);
    struct Case {
        FaultKind kind;
        Host::tresult projectResult;  // what getProject answers when its turn comes
        Host::tresult queryResult;    // what queryInterface answers
        const char* struck;
    };
    const Case cases[] = {
        {FaultKind::MissingInterface, Host::kResultOk, Host::kNoInterface,
         "IHostContext::queryInterface on host context"},
        {FaultKind::NullObject, Host::kResultOk, Host::kResultOk,
         "IHostContext::getProject on host context"},
        {FaultKind::ErrorResult, Host::kResultFalse, Host::kResultOk,
         "IHostContext::getProject on host context"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(RefHost::faultKindName(c.kind));
        FaultPlan plan(c.kind, 1);
        host->setFaultPlan(&plan);
        IPtr<Host::IProject> project;
        EXPECT_EQ(context->getProject(project.put()), c.projectResult);
        EXPECT_EQ(project.get() != nullptr, c.kind == FaultKind::MissingInterface);
        IPtr<Host::IFileAccess> files;
        EXPECT_EQ(context->queryInterface(Host::IFileAccess::iid, files.putVoid()), c.queryResult);
        EXPECT_EQ(files.get() == nullptr, c.kind == FaultKind::MissingInterface);
        EXPECT_EQ(plan.struck(), c.struck);
        host->setFaultPlan(nullptr);
    }
    context.reset();
    EXPECT_TRUE(host->account().findings().clean());
}

TEST(FaultPlan, TheMixerObjectCanBeMissing) {
    auto host = makeHost();
    auto mixer = contextAs<Host::IMixerAccess>(*host);
    ASSERT_NE(mixer->findObject("QPL Mixer", 0), nullptr);
    FaultPlan plan(FaultKind::NullObject, 1);
    host->setFaultPlan(&plan);
    EXPECT_EQ(mixer->findObject("QPL Mixer", 0), nullptr);
    EXPECT_EQ(plan.struck(), "IMixerAccess::findObject on host context");
}

TEST(FaultPlan, AFailedCloseStillTakesTheStreamBack) {
    TempFolder folder;
    const std::uint8_t bytes[] = {1, 2, 3};
    const auto file = folder.write("data.bin", bytes);
    auto host = makeHost();
    auto files = contextAs<Host::IFileAccess>(*host);
    Host::IBStream* stream = nullptr;
    ASSERT_EQ(files->open(host->lendPath(file), Host::IFileAccess::kRead, &stream),
              Host::kResultOk);
    FaultPlan plan(FaultKind::ErrorResult, "IFileAccess::close");
    host->setFaultPlan(&plan);

    EXPECT_EQ(files->close(stream), Host::kResultFalse);
    files.reset();
    EXPECT_TRUE(host->account().findings().clean()) << host->account().findings().firstMisuse();
}

TEST(FaultPlan, ANamedOperationFailsAtEveryCallAndNoOtherOperation) {
    auto host = makeHost();
    auto transport = contextAs<Host::ITransport>(*host);
    FaultPlan plan(FaultKind::ErrorResult, "ITransport::setCycleRange");
    host->setFaultPlan(&plan);
    EXPECT_EQ(transport->setCycleActive(1), Host::kResultOk);
    EXPECT_EQ(transport->setCycleRange(1, 2, 3), Host::kResultFalse);
    EXPECT_EQ(transport->setCycleRange(4, 5, 6), Host::kResultFalse);
    EXPECT_EQ(host->document().song.cycleActive, true);
    EXPECT_EQ(plan.count(FaultKind::ErrorResult), 3u);
    EXPECT_EQ(plan.struck(), "ITransport::setCycleRange on host context");
}

TEST(FaultPlan, TellsWhoseCodeRunsAndCountsOnlyThePluginsCalls) {
    auto host = makeHost();
    FaultPlan plan;
    host->setFaultPlan(&plan);
    EXPECT_EQ(plan.runner(), Runner::Host);
    {
        const RefHost::ModuleCall intoModule(&plan);
        EXPECT_EQ(plan.runner(), Runner::Module);
        // The plug-in calls the host: the host's code runs until the call returns.
        auto context = contextAs<Host::IHostContext>(*host);
        EXPECT_EQ(plan.runner(), Runner::Module);
    }
    EXPECT_EQ(plan.runner(), Runner::Host);
    EXPECT_EQ(plan.count(FaultKind::MissingInterface), 1u);  // the query of the context
    EXPECT_EQ(plan.count(FaultKind::ErrorResult), 0u);
    EXPECT_FALSE(plan.hasStruck());
}

}  // namespace
