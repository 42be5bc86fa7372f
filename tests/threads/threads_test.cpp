// The module and the command under threads, as hosts run them: host threads asking for the
// factory and releasing it while others create filters through it; imports into separate
// hosts at once, each exported (the MIDI file is written on a thread beside the DAWproject
// file, whose project.xml is written on a thread of its own); and tessaro-import with
// --jobs. These tests make the ThreadSanitizer build (preset "tsan"), which must report
// nothing; in the other builds they check the results.
#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <filesystem>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "fuzz/export_readback.h"
#include "interchange/export.h"
#include "module/class_ids.h"
#include "module/plugin_factory.h"
#include "tests/support/import_harness.h"
#include "tests/support/tool_run.h"

using namespace TessaroTest;
namespace fs = std::filesystem;

namespace {

constexpr int kThreads = 4;

// Runs body(thread) on kThreads threads at once and waits for them.
template <class Body>
void onThreads(Body body) {
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) threads.emplace_back(body, t);
    for (auto& thread : threads) thread.join();
}

// What a host does with the factory once it has it: read a record, make a filter, let it go.
bool useFactory(Host::IPluginFactory& factory) {
    Host::PClassInfo info;
    void* filter = nullptr;
    if (factory.getClassInfo(0, &info) != Host::kResultOk ||
        factory.createInstance(Tessaro::kTessaroFilterClassId, Host::IProjectFilterPlugin::iid,
                               &filter) != Host::kResultOk ||
        !filter)
        return false;
    return static_cast<Host::IProjectFilterPlugin*>(filter)->release() == 0;
}

// The demo cut after its song header: a damaged project file.
fs::path writeDamaged(const fs::path& folder) {
    const fs::path file = writeDemoProject(folder, "Broken.tsp");
    fs::resize_file(file, 100);
    return file;
}

// What an import and its export came to, for comparing one thread's with another's.
struct Imported {
    std::optional<Host::int32> result;
    bool clean = false;
    RefHost::Report tracks;
    std::vector<std::string> exportErrors;
    std::vector<std::uint8_t> midi;
    std::size_t notesInProject = 0;
    std::optional<Host::int32> damagedResult;
    bool damagedClean = false;
};

// Imports the demo and the damaged demo into hosts of their own and exports the demo.
Imported importAndExport(ImportHarness& harness) {
    Imported out;
    TempFolder folder;
    const fs::path demo = writeDemoProject(folder.path());
    const ImportResult run = harness.importFile(demo);
    out.result = run.result;
    out.clean = run.clean();
    out.tracks = run.report["tracks"];
    const auto exported = Interchange::exportSong(
        *run.host, demo, {folder.path() / "Demo.dawproject", folder.path() / "Demo.mid", {"tessaro-import", "0"}});
    for (const auto& output : exported.outputs)
        if (!output.written) out.exportErrors.push_back(output.error);
    if (out.exportErrors.empty()) {
        out.midi = Readback::readFile(folder.path() / "Demo.mid");
        const auto entries = Readback::readContainer(folder.path() / "Demo.dawproject");
        out.notesInProject = Readback::XmlDocument(entries.at("project.xml")).select("//Note").size();
    }
    const ImportResult damaged = harness.importFile(writeDamaged(folder.path()));
    out.damagedResult = damaged.result;
    out.damagedClean = damaged.clean();
    return out;
}

}  // namespace

TEST(Threads, HostThreadsGettingAndReleasingTheFactoryAlwaysGetALiveOne) {
    // Each thread takes the factory, uses it and releases it, over and over: the last
    // release of one thread meets another thread's request again and again.
    std::atomic<int> faults{0};
    onThreads([&](int) {
        for (int round = 0; round < 300; ++round) {
            Host::IPluginFactory* factory = Tessaro::getOrMakePluginFactory();
            if (!factory || !useFactory(*factory)) ++faults;
            if (factory) factory->release();
        }
    });
    EXPECT_EQ(faults.load(), 0);
    EXPECT_EQ(Tessaro::pluginFactoryInUse(), nullptr);
}

TEST(Threads, ThreadsHoldingTheFactoryAtOnceShareOneThatGoesWithTheLastRelease) {
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        std::vector<Host::IPluginFactory*> taken(kThreads, nullptr);
        std::vector<Host::int32> counts(kThreads, 0);
        std::barrier allHold(kThreads);
        onThreads([&](int t) {
            taken[t] = Tessaro::getOrMakePluginFactory();
            allHold.arrive_and_wait();
            counts[t] = Tessaro::pluginFactoryInUse()->refCount();
            allHold.arrive_and_wait();
            taken[t]->release();
        });
        EXPECT_EQ(std::set<Host::IPluginFactory*>(taken.begin(), taken.end()).size(), 1u);
        EXPECT_EQ(counts, std::vector<Host::int32>(kThreads, kThreads));
        EXPECT_EQ(Tessaro::pluginFactoryInUse(), nullptr);
    }
}

TEST(Threads, ImportsAndExportsIntoSeparateHostsAtOnceEndAsOneAlone) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    ImportHarness harness;  // one module for every thread, as tessaro-import --jobs has it
    const Imported alone = importAndExport(harness);
    ASSERT_EQ(alone.result, 0);
    ASSERT_EQ(alone.exportErrors, std::vector<std::string>{});
    EXPECT_TRUE(alone.clean);
    EXPECT_EQ(alone.notesInProject, 40u);
    EXPECT_EQ(Readback::readMidiFile(alone.midi).tracks.size(), 3u);
    EXPECT_EQ(alone.damagedResult, 1);
    EXPECT_TRUE(alone.damagedClean);

    std::vector<Imported> together(kThreads);
    onThreads([&](int t) { together[t] = importAndExport(harness); });
    for (int t = 0; t < kThreads; ++t) {
        SCOPED_TRACE(t);
        const Imported& run = together[t];
        EXPECT_EQ(run.result, 0);
        EXPECT_TRUE(run.clean);
        EXPECT_EQ(run.tracks, alone.tracks);
        EXPECT_EQ(run.exportErrors, std::vector<std::string>{});
        EXPECT_EQ(run.midi, alone.midi);
        EXPECT_EQ(run.notesInProject, alone.notesInProject);
        EXPECT_EQ(run.damagedResult, 1);
        EXPECT_TRUE(run.damagedClean);
    }
}

TEST(Threads, TheCommandImportsAndExportsManyProjectsWithJobs) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    // Once with standard error a pipe, once a terminal that shows the progress line, which
    // the worker threads feed.
    for (const auto standardError : {ToolRunOptions::StandardError::Pipe, ToolRunOptions::StandardError::Terminal}) {
        const bool terminal = standardError == ToolRunOptions::StandardError::Terminal;
        SCOPED_TRACE(terminal ? "terminal" : "pipe");
        TempFolder temp;
        std::vector<std::string> args;
        for (int i = 1; i <= 4; ++i) {
            writeDemoProject(temp.path() / ("p" + std::to_string(i)));
            args.push_back("p" + std::to_string(i) + "/Demo.tsp");
        }
        writeDamaged(temp.path());
        args.insert(args.end(), {"Broken.tsp", "--jobs", "3", "--json", "out/", "--dawproject", "out/",
                                 "--midi", "out/"});
        ToolRunOptions options;
        options.folder = temp.path();
        options.standardError = standardError;
        options.environment = {{"TESSARO_PROGRESS_AFTER", "0"}};
        fs::create_directory(temp.path() / "out");
        const ToolRun run = runTool(args, options);
        EXPECT_EQ(run.status, 1) << run.err;
        // A sanitizer's report would be here.
        EXPECT_EQ(run.err.find("Sanitizer"), std::string::npos) << run.err;
        if (!terminal) {
            EXPECT_EQ(run.err, "");
        }
        const auto lines = linesOf(run.out);
        ASSERT_EQ(lines.size(), 6u) << run.out;
        EXPECT_EQ(lines[0], "p1/Demo.tsp: imported -> out/Demo.json, out/Demo.dawproject, out/Demo.mid");
        EXPECT_EQ(lines[3], "p4/Demo.tsp: imported -> out/Demo-4.json, out/Demo-4.dawproject, out/Demo-4.mid");
        EXPECT_EQ(lines[5], "5 projects: 4 imported, 1 failed");
        const auto midi = Readback::readFile(temp.path() / "out" / "Demo.mid");
        for (const char* copy : {"Demo-2.mid", "Demo-3.mid", "Demo-4.mid"})
            EXPECT_EQ(Readback::readFile(temp.path() / "out" / copy), midi) << copy;
    }
}
