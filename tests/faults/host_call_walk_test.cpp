// A host that fails underneath the import at every call in turn: for each kind of fault
// (an interface not found, a call that hands out no object, an error result: a stream
// read or write, a file open, any other call), each import of a walked project fails the
// host's nth call to which the kind applies, for n from 1 to the import's total. The
// import skips what it could not do and goes on, or fails with the one message; it keeps
// every promise of a walked import, and a call that fails once the file is read (the
// project being completed) never fails the import.
#include <gtest/gtest.h>

#include <iostream>

#include "tests/faults/fault_walk.h"

namespace TessaroFaults {
namespace {

// Under the sanitizers a walk visits at most this many calls of a project for each kind.
constexpr std::uint64_t kMostPointsUnderSanitizers = 120;

std::string projectName(const ::testing::TestParamInfo<std::size_t>& info) {
    return walkProjects()[info.param].name;
}

class HostCallWalk : public ::testing::TestWithParam<std::size_t> {};

TEST_P(HostCallWalk, EachHostCallFailsInTurnAndTheImportGoesOnOrFailsCleanly) {
    const WalkProject& project = walkProjects()[GetParam()];
    RefHost::LoadedModule module(TESSARO_MODULE_PATH);
    const RefHost::Profile profile = TessaroTest::loadProfile();
    ProjectWalk walk(project, module, profile);
    const WalkRun& reference = walk.reference();
    ASSERT_EQ(reference.result, 0) << reference.error << reference.reason;
    ASSERT_EQ(reference.brokenPromise(), "");

    for (const RefHost::FaultKind kind : RefHost::kFaultKinds) {
        const std::uint64_t total = reference.calls[static_cast<std::size_t>(kind)];
        ASSERT_GT(total, 0u) << RefHost::faultKindName(kind);
        const auto points = walkPoints(total, kMostPointsUnderSanitizers);
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
        std::cout << "[ walked   ] " << project.name << ": " << RefHost::faultKindName(kind)
                  << ": " << points.size() << " of " << total << " calls, " << failedImports
                  << " failed imports\n";
    }
}

INSTANTIATE_TEST_SUITE_P(Projects, HostCallWalk,
                         ::testing::Range<std::size_t>(0, walkProjects().size()), projectName);

}  // namespace
}  // namespace TessaroFaults
