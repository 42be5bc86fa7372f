// Faults at every point of an import, in turn.
//
// Memory that runs out: each import of a walked project fails its module's nth allocation,
// for n from 1 to the import's total, and must end as a failed import with the one failure
// message (or, where the filter itself could not be made, with no import at all) or as a
// completed one. Loading the module is walked the same way.
//
// A host that fails underneath the import: for each kind of fault (an interface not found,
// a call that hands out no object, an error result: a stream read or write, a file open,
// any other call), each import fails the host's nth call to which the kind applies, for n
// from 1 to the import's total. The import skips what it could not do and goes on, or
// fails with the one message; a call that fails once the file is read (the project being
// completed) never fails the import.
//
// Every import of a walk keeps every promise of a walked import (WalkRun::brokenPromise).
#include <gtest/gtest.h>

#include <iostream>
#include <optional>

#include "fuzz/fuzz_support.h"
#include "tests/faults/fault_walk.h"
#include "tests/faults/module_allocations.h"

namespace TessaroFaults {
namespace {

// Under the sanitizers a walk visits at most this many allocations of a project, and this
// many calls of a project for each kind of host fault.
constexpr std::uint64_t kMostAllocationsUnderSanitizers = 300;
constexpr std::uint64_t kMostCallsUnderSanitizers = 200;

using AllocationWalk = ProjectWalkTest;

TEST_P(AllocationWalk, EachAllocationOfTheImportFailsInTurnAndTheImportEndsCleanly) {
    ProjectWalk& walk = this->walk();
    ASSERT_FALSE(HasFailure()) << "the import without a fault";
    const std::uint64_t total = walk.reference().allocations;
    ASSERT_GT(total, 0u);

    const auto points = walkPoints(total, kMostAllocationsUnderSanitizers);
    std::size_t failedImports = 0;
    for (const std::uint64_t n : points) {
        const WalkRun run = walk.failAllocation(n);
        ASSERT_TRUE(run.allocationFailed) << "allocation " << n << " of " << total << " not reached";
        ASSERT_EQ(run.brokenPromise(), "") << "allocation " << n << " of " << total;
        if (!run.result) {
            // Only the filter's own making comes before the import.
            ASSERT_EQ(run.error, "the factory did not create \"Tessaro Project\"") << n;
        } else if (*run.result == 1) {
            ASSERT_EQ(run.messages, std::vector<std::string>{TessaroFuzz::kUnknownFormat}) << n;
            ++failedImports;
        } else {
            ASSERT_EQ(run.messages, std::vector<std::string>{TessaroFuzz::kCompleted}) << n;
        }
    }
    EXPECT_GT(failedImports, points.size() / 2);
    std::cout << "[ walked   ] " << project().name << ": " << points.size() << " of " << total
              << " allocations, " << failedImports << " failed imports\n";
}

INSTANTIATE_TEST_SUITE_P(Projects, AllocationWalk,
                         ::testing::Range<std::size_t>(0, walkProjects().size()), projectName);

// GetPluginFactory (InitDll and ExitDll with it) when memory runs out: no factory and the
// module's load refused, or a factory that offers the filter; nothing of the module left
// once it is unloaded.
TEST(ModuleLoadWalk, EachAllocationOfLoadingTheModuleFailsInTurn) {
    RefHost::FaultPlan plan;  // fails no host call: it tells the module's code from ours
    std::uint64_t total = 0;
    {
        const AllocationWatch watch(plan, 0);
        RefHost::LoadedModule module(TESSARO_MODULE_PATH, &plan);
        total = ModuleAllocations::count();
    }
    for (std::uint64_t n = 1; n <= total; ++n) {
        SCOPED_TRACE("allocation " + std::to_string(n) + " of " + std::to_string(total));
        const std::int64_t before = ModuleAllocations::alive();
        {
            std::optional<RefHost::LoadedModule> module;
            try {
                const AllocationWatch watch(plan, n);
                module.emplace(TESSARO_MODULE_PATH, &plan);
                EXPECT_TRUE(ModuleAllocations::failed());
            } catch (const RefHost::ModuleError& error) {
                EXPECT_EQ(error.what(), std::string("module ") + TESSARO_MODULE_PATH +
                                            ": GetPluginFactory gave no factory");
            }
            if (module) {
                const auto filter = RefHost::findProjectFilter(*module->factory());
                ASSERT_TRUE(filter);
                EXPECT_EQ(filter->name, "Tessaro Project");
            }
        }
        EXPECT_EQ(ModuleAllocations::alive(), before);
    }
    std::cout << "[ walked   ] loading the module: " << total << " allocations\n";
}

// Runs that fail before the file is read (a host that gives no application information, a
// file that cannot be opened) with memory running out as well: they fail as the format
// says, with no exception and nothing left.
TEST(EarlyFailureWalk, EachAllocationOfARunThatFailsEarlyFailsInTurn) {
    struct Case {
        const char* what;
        bool applicationInfo;       // the host offers it
        const char* failedCall;     // a call the host fails every time, or none
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"no application information", false, nullptr, {}},
        {"a file that cannot be opened", true, "IFileAccess::open", {"Cannot open file."}},
    };
    RefHost::LoadedModule module(TESSARO_MODULE_PATH);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RefHost::Profile profile = TessaroTest::loadProfile();
        profile.services["applicationInfo"] = c.applicationInfo;
        ProjectWalk walk(walkProjects().front(), module, profile);
        const auto planFor = [&] {
            return c.failedCall ? RefHost::FaultPlan(RefHost::FaultKind::ErrorResult, c.failedCall)
                                : RefHost::FaultPlan();
        };
        RefHost::FaultPlan plan = planFor();
        const WalkRun reference = walk.run(plan);
        EXPECT_EQ(reference.result, 1);
        EXPECT_EQ(reference.messages, c.messages);
        ASSERT_GT(reference.allocations, 1u);
        std::size_t failedImports = 0;
        for (std::uint64_t n = 1; n <= reference.allocations; ++n) {
            RefHost::FaultPlan failing = planFor();
            const WalkRun run = walk.run(failing, n);
            ASSERT_TRUE(run.allocationFailed) << n;
            ASSERT_EQ(run.brokenPromise(), "") << n;
            if (!run.result) continue;  // the filter itself could not be made
            ++failedImports;
            EXPECT_EQ(run.result, 1) << n;
            // Memory that runs out while the run learns the host ends it there, before the
            // file is opened, with the one failure message.
            if (run.messages != c.messages) {
                EXPECT_EQ(run.reason, "out of memory") << n;
                EXPECT_EQ(run.messages, std::vector<std::string>{TessaroFuzz::kUnknownFormat}) << n;
            }
        }
        std::cout << "[ walked   ] " << c.what << ": " << reference.allocations
                  << " allocations, " << failedImports << " failed imports\n";
    }
}

using HostCallWalk = ProjectWalkTest;

TEST_P(HostCallWalk, EachHostCallFailsInTurnAndTheImportGoesOnOrFailsCleanly) {
    ProjectWalk& walk = this->walk();
    ASSERT_FALSE(HasFailure()) << "the import without a fault";

    for (const RefHost::FaultKind kind : RefHost::kFaultKinds) {
        const std::uint64_t total = walk.reference().calls[static_cast<std::size_t>(kind)];
        ASSERT_GT(total, 0u) << RefHost::faultKindName(kind);
        const auto points = walkPoints(total, kMostCallsUnderSanitizers);
        std::size_t failedImports = 0;
        for (const std::uint64_t n : points) {
            const WalkRun run = walk.failCall(kind, n);
            const std::string where = std::string(RefHost::faultKindName(kind)) + " at call " +
                                      std::to_string(n) + " of " + std::to_string(total) +
                                      ", " + run.struck;
            ASSERT_FALSE(run.struck.empty()) << where;
            ASSERT_EQ(run.brokenPromise(), "") << where;
            if (run.struckAfterRead) {
                ASSERT_EQ(run.result, 0) << where << ": " << run.reason;
            }
            if (run.result != 0) ++failedImports;
        }
        std::cout << "[ walked   ] " << project().name << ": " << RefHost::faultKindName(kind)
                  << ": " << points.size() << " of " << total << " calls, " << failedImports
                  << " failed imports\n";
    }
}

INSTANTIATE_TEST_SUITE_P(Projects, HostCallWalk,
                         ::testing::Range<std::size_t>(0, walkProjects().size()), projectName);

}  // namespace
}  // namespace TessaroFaults
