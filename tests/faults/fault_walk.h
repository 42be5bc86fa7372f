// Walking a fault over every point of an import: the projects walked, one import of a
// project with one fault (the module's nth allocation, or the host's nth call of a kind),
// and the promises every such import keeps.
//
// Each import runs through the loaded module as a host runs it (RefHost::runImport), in
// this process, against a fresh reference host with a fault plan; the project folder is
// made once per project and put back as it was after every import.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "refhost/account.h"
#include "refhost/fault_plan.h"
#include "refhost/module_loader.h"
#include "refhost/profile.h"
#include "tests/support/import_harness.h"
#include "tools/writer/project_file.h"
#include "tools/writer/tone_file.h"

namespace TessaroFaults {

// A project the walks import: its file and the wave files of its folder.
struct WalkProject {
    std::string name;
    TessaroWriter::ProjectFile file;
    // Wave files by their path in the project folder ("Audio/loop.wav").
    std::vector<std::pair<std::string, TessaroWriter::Tone>> waves;
};

// The demo project and the rich ones that, together, hold every chunk kind, every effect
// kind, audio conversion (rate, sample size, channels), presets and automation. Their
// wave files are short, so that a conversion costs little and a walk stays quick.
const std::vector<WalkProject>& walkProjects();

// How one import of a walk ended.
struct WalkRun {
    std::optional<Host::int32> result;  // importProject's result; none when it did not run
    std::string error;                  // why it did not run (the host's reading)
    std::string exception;              // an exception that left the module, if one did
    std::vector<std::string> messages;  // shown by the host, in order
    std::string reason;                 // why the import failed, as the filter told
    RefHost::Findings references;
    std::optional<Host::uint32> filterCountAtRelease;
    std::size_t audioResources = 0;     // audio files and converters the host still holds
    std::int64_t moduleBlocksLeft = 0;  // blocks the module allocated and did not free
    // Files in the project folder that are neither its own nor whole outputs of the import.
    std::vector<std::string> filesLeft;

    std::uint64_t allocations = 0;    // the module's allocations counted
    bool allocationFailed = false;    // the allocation to fail was reached
    std::array<std::uint64_t, RefHost::kFaultKinds.size()> calls{};  // by kind
    std::string struck;               // the host call the plan failed
    bool struckAfterRead = false;

    // What broke one of the promises of every walked import: no exception out of the
    // module, a result of 0 with at most the completion message or 1 with at most one
    // failure message, a clean account, no audio file or converter held, no block of the
    // module left, no file left behind. Empty when all were kept.
    std::string brokenPromise() const;
};

// One project of a walk: its folder, the reference import, and imports with a fault.
class ProjectWalk {
public:
    ProjectWalk(const WalkProject& project, RefHost::LoadedModule& module,
                const RefHost::Profile& profile);
    ~ProjectWalk();

    // The import without a fault (made at construction): what the walks walk over.
    const WalkRun& reference() const { return reference_; }
    // The import in which the module's failAt-th allocation fails.
    WalkRun failAllocation(std::uint64_t failAt);
    // The import in which the host fails its nth call to which kind applies.
    WalkRun failCall(RefHost::FaultKind kind, std::uint64_t nth);
    // The import into a host with plan, the module's failAt-th allocation failing (0: none).
    WalkRun run(RefHost::FaultPlan& plan, std::uint64_t failAt = 0);

private:
    // Files of the folder that are not the project's own: removed, and those that are not
    // whole outputs of the reference import listed.
    std::vector<std::string> restoreFolder(bool reference);

    RefHost::LoadedModule& module_;
    const RefHost::Profile& profile_;
    TessaroTest::TempFolder folder_;
    std::filesystem::path projectFile_;
    std::vector<std::filesystem::path> own_;                          // the project's files
    std::map<std::filesystem::path, std::vector<char>> outputs_;     // the reference's outputs
    WalkRun reference_;
};

// A walk of each project in turn (the parameter is its place in walkProjects()), with the
// built module loaded and the default host profile.
class ProjectWalkTest : public ::testing::TestWithParam<std::size_t> {
protected:
    const WalkProject& project() const { return walkProjects()[GetParam()]; }
    // The project's walk, made on the first call; its reference import must complete and
    // keep every promise (a test checks HasFailure() before it walks).
    ProjectWalk& walk();

private:
    std::unique_ptr<RefHost::LoadedModule> module_;
    std::unique_ptr<RefHost::Profile> profile_;
    std::unique_ptr<ProjectWalk> walk_;
};

// The project's name as the name of a test's instance.
std::string projectName(const ::testing::TestParamInfo<std::size_t>& info);

// The points of a walk over 1 to total: every one; under the sanitizers, where each import
// costs several times as much, every stride-th (from 1) and the last, with the stride
// chosen so that at most maxUnderSanitizers points are walked. TESSARO_FAULT_STRIDE sets
// the stride in any build (1: every point).
std::vector<std::uint64_t> walkPoints(std::uint64_t total, std::uint64_t maxUnderSanitizers);

}  // namespace TessaroFaults
