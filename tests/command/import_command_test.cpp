// tessaro-import as a user runs it: the built command in a child process, its exit status,
// what it prints on standard output and standard error, and its choice of host.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "refhost/profile.h"
#include "tests/support/import_harness.h"
#include "tests/support/tool_run.h"
#include "tools/writer/demo_project.h"
#include "tools/writer/writer.h"

using TessaroTest::ToolRun;
using TessaroTest::runTool;
namespace fs = std::filesystem;

namespace {

constexpr const char* kClean = "References: 0 held, 0 released too often, 0 misuses\n";

// The folder the command takes its host profiles from.
std::string profileFolder() { return RefHost::ProfileStore::defaultFolder().string(); }

// A project folder holding "song.tsp" (one instrument track) and "broken.tsp" (a file
// whose magic is wrong).
class ImportCommand : public testing::Test {
protected:
    void SetUp() override {
        TessaroWriter::ProjectFile file;
        file.add(TessaroWriter::HeadChunk{}).trackCount = 1;
        file.add(TessaroWriter::TrackInfoChunk{});
        auto bytes = file.bytes();
        song = folder.write("song.tsp", bytes).string();
        bytes[0] = 0x98;
        broken = folder.write("broken.tsp", bytes).string();
    }

    TessaroTest::TempFolder folder;
    std::string song;
    std::string broken;
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST_F(ImportCommand, ExitStatusAndMessageOfAnImport) {
    struct Case {
        std::string file;
        int status;
        const char* message;
        const char* diagnostics;  // what the module told of the import
        const char* result;
    };
    const Case cases[] = {
        {song, 0, "The Tessaro import was completed.", "Not carried: 0", "0 (imported)"},
        {broken, 1, "Cannot read Tessaro project file. Reason: unknown format.",
         "Reason: at byte 0: Wrong magic number.", "1 (failed)"},
        {(folder.path() / "missing.tsp").string(), 1, "Cannot open file.",
         "Reason: the file cannot be opened", "1 (failed)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const ToolRun run = runTool({c.file});
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(contains(run.out, std::string("\nMessage:    ") + c.message + "\n" +
                                          c.diagnostics + "\nResult:     " + c.result + "\n"))
            << run.out;
        EXPECT_TRUE(contains(run.out, kClean)) << run.out;
    }
}

TEST_F(ImportCommand, BadUsageAndAModuleThatCannotBeLoadedAreStatus2) {
    const std::string noModule = (folder.path() / "none.so").string();
    struct Case {
        std::vector<std::string> args;
        std::string errorStart;
    };
    const Case cases[] = {
        {{}, "tessaro-import: a project file is required\n"},
        {{"--bogus", song},
         "The following argument was not expected: --bogus\n"
         "Run with --help for more information.\n"},
        {{song, "--module", noModule}, "tessaro-import: cannot load module " + noModule + ": "},
        {{song, "--module", song}, "tessaro-import: cannot load module " + song + ": "},
        {{song, "--host", "Ombrel Nine"},
         "tessaro-import: no host profile \"Ombrel Nine\" in " + profileFolder() + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.errorStart);
        const ToolRun run = runTool(c.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.substr(0, c.errorStart.size()), c.errorStart);
    }
}

TEST_F(ImportCommand, JsonToStandardOutputLeavesItPureJson) {
    const ToolRun run = runTool({song, "--json", "-"});
    EXPECT_EQ(run.status, 0) << run.err;
    const auto report = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_FALSE(report.is_discarded()) << run.out;
    EXPECT_EQ(report["result"], 0);
    EXPECT_EQ(report["messages"], nlohmann::json::array({"The Tessaro import was completed."}));
    EXPECT_EQ(report["references"]["held"], 0);
    EXPECT_EQ(report["references"]["overReleased"], 0);
    EXPECT_EQ(report["references"]["misuses"], 0);
    // The summary goes to standard error instead.
    EXPECT_TRUE(contains(run.err, "\nResult:     0 (imported)\n")) << run.err;
}

TEST_F(ImportCommand, ListsTheHostProfiles) {
    const ToolRun run = runTool({"--list-hosts"});
    EXPECT_EQ(run.status, 0) << run.err;
    std::size_t profiles = 0;
    for (const auto& entry : fs::directory_iterator(profileFolder()))
        profiles += entry.path().extension() == ".json";
    EXPECT_EQ(static_cast<std::size_t>(std::count(run.out.begin(), run.out.end(), '\n')), profiles);
    EXPECT_TRUE(contains(run.out, "\nombrel-fold-7.0.0\tOmbrel Fold\tVersion 7.0.0\tOmbrel Fold "
                                  "7.0.0: current mixer; effect channels and sends.\n"))
        << run.out;
}

TEST_F(ImportCommand, ChoosesTheHostByIdNameAndVersionOrName) {
    struct Case {
        std::vector<std::string> hostArgs;
        const char* hostLine;
    };
    const Case cases[] = {
        {{"--host", "ombrel-fold-7.0.0"}, "Ombrel Fold, Version 7.0.0 (profile ombrel-fold-7.0.0)"},
        {{"--host", "Larkwin 6.0.1"}, "Larkwin, Version 6.0.1 (profile larkwin-6.0.1)"},
        {{"--host", "Ombrel Tarn"}, "Ombrel Tarn, Version 7.0.1 (profile ombrel-tarn-7.0.1)"},
        {{}, "Ombrel, Version 8.0.1 (profile ombrel-8.0.1)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hostLine);
        std::vector<std::string> args = c.hostArgs;
        args.push_back(song);
        const ToolRun run = runTool(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1),
                  std::string("Host:       ") + c.hostLine + "\n");
        EXPECT_TRUE(contains(run.out, kClean)) << run.out;
    }
}

TEST_F(ImportCommand, TellsWhatWasNotCarriedAndQuietTellsTheReasonOnly) {
    TessaroWriter::ProjectFile file;
    file.add(TessaroWriter::HeadChunk{}).trackCount = 3;
    for (std::uint16_t number = 1; number <= 3; ++number) {
        TessaroWriter::TrackInfoChunk track;
        track.trackNumber = number;
        track.freeze = number == 3 ? 1 : 0;
        file.add(track);
        if (number == 3) continue;
        auto& pads = file.add(TessaroWriter::PadChunk{});
        pads.trackNumber = number;
        pads.drumPadKeys = {36};
    }
    const std::string noted = folder.write("noted.tsp", file.bytes()).string();

    const ToolRun run = runTool({noted});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out,
                         "\nMessage:    The Tessaro import was completed.\n"
                         "Not carried: 3\n"
                         "  tracks 1, 2: pads (chord buttons, drum pads, chord pads): not built; "
                         "the host has no pads\n"
                         "  track 3: frozen track: imported muted; its sound lives in the app's "
                         "freeze file\n"
                         "Result:     0 (imported)\n"))
        << run.out;

    struct Case {
        std::string file;
        int status;
        const char* out;
    };
    const Case quiet[] = {
        {noted, 0, ""},
        {broken, 1, "Reason: at byte 0: Wrong magic number.\n"},
    };
    for (const auto& c : quiet) {
        SCOPED_TRACE(c.file);
        const ToolRun q = runTool({c.file, "--quiet"});
        EXPECT_EQ(q.status, c.status);
        EXPECT_EQ(q.out, c.out);
        EXPECT_EQ(q.err, "");
    }
}

TEST(ImportSummary, TellsTheSongTracksMixerFilesAndExportsAsTheHostHoldsThem) {
    TessaroTest::TempFolder folder;
    TessaroTest::writeDemoProject(folder.path());
    ASSERT_TRUE(TessaroWriter::demoProject().writeTo(folder.path() / "Lonely" / "Demo.tsp"));
    const std::string song =
        "Song:       tempo 120.0 bpm, length 6.000000476837158, signature 4/4 at 0.0, cycle on "
        "0.0 to 2.0, 44100.0 Hz, 16 bit\n";
    const struct {
        std::vector<std::string> args;
        std::string summary;  // from the line after "Result:"
    } cases[] = {
        {{"Demo.tsp", "--midi", "Demo.mid"},
         song + "Tracks:     5\n"
                "  instrument \"Piano\"  colour 0xFFE05A47  channel 1 (Synth)  volume 23188.0  pan "
                "11468.44980469346  mute 0.0  solo 0.0\n"
                "    1 MIDI part, 12 notes, 5 events\n"
                "  instrument \"Drums\"  colour 0xFF3FA34D  channel 2 (Synth)  volume 24517.0  pan "
                "16383.5  mute 0.0  solo 1.0\n"
                "    1 MIDI part, 24 notes\n"
                "  instrument \"Synth\"  colour 0xFF8E5BD6  channel 3 (Synth)  volume 21766.0  pan "
                "22936.90009765327  mute 1.0  solo 0.0\n"
                "    1 MIDI part, 4 notes, 2 events\n"
                "  audio \"Vocals\"  colour 0xFFF2C14E  channel 4 (AudioChannel)  volume 25083.0  pan "
                "18841.02509765327  mute 0.0  solo 0.0\n"
                "    1 audio event\n"
                "  effect \"Bus 1\"  channel 0 (FxChannel)  volume 24517.0  pan 16383.5  mute 0.0  "
                "solo 0.0\n"
                "Mixer:      6 channels: FxChannel \"Bus 1\", Synth \"Piano\", Synth \"Drums\", Synth "
                "\"Synth\", AudioChannel \"Vocals\", Output \"Stereo Out\"\n"
                "Wrote:      vocals (44100.0Hz 16bit).wav\n"
                "Exported:   Demo.mid (midi, 3 kinds of values left out)\n" +
             kClean},
        {{"Lonely/Demo.tsp"},
         song + "Tracks:     4\n"
                "  instrument \"Piano\"  colour 0xFFE05A47  channel 0 (Synth)  volume 24517.0  pan "
                "16383.5  mute 0.0  solo 0.0\n"
                "    1 MIDI part, 12 notes, 5 events\n"
                "  instrument \"Drums\"  colour 0xFF3FA34D  channel 1 (Synth)  volume 24517.0  pan "
                "16383.5  mute 0.0  solo 0.0\n"
                "    1 MIDI part, 24 notes\n"
                "  instrument \"Synth\"  colour 0xFF8E5BD6  channel 2 (Synth)  volume 24517.0  pan "
                "16383.5  mute 0.0  solo 0.0\n"
                "    1 MIDI part, 4 notes, 2 events\n"
                "  audio \"Vocals\"  colour 0xFFF2C14E  channel 3 (AudioChannel)  volume 24517.0  pan "
                "16383.5  mute 0.0  solo 0.0\n"
                "Mixer:      5 channels: Synth \"Piano\", Synth \"Drums\", Synth \"Synth\", "
                "AudioChannel \"Vocals\", Output \"Stereo Out\"\n"
                "Missing:    Audio/vocals.wav\n" +
             kClean},
    };
    TessaroTest::ToolRunOptions options;
    options.folder = folder.path();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        const ToolRun run = runTool(c.args, options);
        const auto result = run.out.find("\nResult:     ");
        ASSERT_NE(result, std::string::npos) << run.out;
        EXPECT_EQ(run.out.substr(run.out.find('\n', result + 1) + 1), c.summary);
    }
}

TEST(ImportSummary, AReportThatCannotBeWrittenIsStatus2AndNamesItsFile) {
    // A folder that is not there, and a report that outgrows a file-size limit half-way
    // (the text is written as it is walked: the failure shows at its end).
    TessaroTest::TempFolder folder;
    const fs::path song = folder.path() / "song.tsp";
    ASSERT_TRUE(TessaroWriter::instrumentTracksProject(200).writeTo(song));
    const struct {
        std::string report;
        unsigned long fileSize;  // 0: no limit
    } cases[] = {{(folder.path() / "nowhere" / "song.json").string(), 0},
                 {(folder.path() / "song.json").string(), 1'000'000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.report);
        TessaroTest::ToolRunOptions options;
        if (c.fileSize) options.limits = {{RLIMIT_FSIZE, c.fileSize}};
        const ToolRun run = runTool({song.string(), "--json", c.report}, options);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "tessaro-import: cannot write the report to " + c.report + "\n");
        EXPECT_TRUE(contains(run.out, "\nResult:     0 (imported)\n")) << run.out;
    }
}
