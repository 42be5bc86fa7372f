// tessaro-import with many projects in one run, run as a user runs it: one line per project
// in the order of the arguments, a total, the exit status, one report per project with
// distinct names, and usage errors found before anything is imported.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "refhost/audio.h"
#include "tests/support/import_harness.h"
#include "tests/support/tool_run.h"
#include "tools/import/outputs.h"

using namespace TessaroTest;
namespace fs = std::filesystem;

namespace {

const char* kCompleted = "The Tessaro import was completed.";
const char* kUnknownFormat = "Cannot read Tessaro project file. Reason: unknown format.";
const char* kConverted = "vocals (44100.0Hz 16bit).wav";

nlohmann::json readJson(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return nlohmann::json::parse(std::string(std::istreambuf_iterator<char>(in), {}));
}

// The demo cut after its song header: a damaged project file.
fs::path writeDamaged(const fs::path& folder, const std::string& name) {
    const fs::path file = writeDemoProject(folder, name);
    fs::resize_file(file, 100);
    return file;
}

// Files the writers of the reference host leave while they write (".<name>.<n>.part").
std::vector<fs::path> partialFiles(const fs::path& folder) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.path().extension() == ".part") found.push_back(entry.path());
    return found;
}

struct Folders {
    TempFolder temp;
    ToolRunOptions options;
    Folders() {
        writeDemoProject(temp.path() / "a");
        writeDemoProject(temp.path() / "b");
        writeDamaged(temp.path(), "Broken.tsp");
        options.folder = temp.path();
    }
};

}  // namespace

TEST(Batch, EachProjectGetsALineInTheOrderOfItsArgumentsAndAReportOfItsOwn) {
    Folders f;
    const auto run = runTool({"a/Demo.tsp", "b/Demo.tsp", "Broken.tsp", "Gone.tsp", "a",
                              "--json", "Reports/", "--jobs", "2"},
                             f.options);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(linesOf(run.out), (std::vector<std::string>{
                                    "a/Demo.tsp: imported -> Reports/Demo.json",
                                    "b/Demo.tsp: imported -> Reports/Demo-2.json",
                                    "Broken.tsp: failed: OUTB chunk #1 at byte 100: cannot "
                                    "read output bus pan -> Reports/Broken.json",
                                    "Gone.tsp: failed: no such file",
                                    "a: failed: a folder, not a project file",
                                    "5 projects: 2 imported, 3 failed",
                                }));
    EXPECT_EQ(run.err, "");

    struct Expected {
        const char* report;
        int result;
        const char* message;
    };
    for (const Expected& e : {Expected{"Demo.json", 0, kCompleted},
                              Expected{"Demo-2.json", 0, kCompleted},
                              Expected{"Broken.json", 1, kUnknownFormat}}) {
        SCOPED_TRACE(e.report);
        const auto report = readJson(f.temp.path() / "Reports" / e.report);
        EXPECT_EQ(report["result"], e.result);
        EXPECT_EQ(report["messages"], nlohmann::json::array({e.message}));
        EXPECT_EQ(report["references"]["held"], 0);
        EXPECT_EQ(report["references"]["overReleased"], 0);
        EXPECT_EQ(report["references"]["misuses"], 0);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(f.temp.path() / "Reports"),
                            fs::directory_iterator()),
              3);
    EXPECT_TRUE(fs::exists(f.temp.path() / "a" / kConverted));
    EXPECT_TRUE(fs::exists(f.temp.path() / "b" / kConverted));
}

TEST(Batch, AllImportedIsStatusZeroAndQuietKeepsOnlyTheFailures) {
    Folders f;
    const auto good = runTool({"a/Demo.tsp", "b/Demo.tsp", "--jobs", "2"}, f.options);
    EXPECT_EQ(good.status, 0);
    EXPECT_EQ(linesOf(good.out),
              (std::vector<std::string>{"a/Demo.tsp: imported", "b/Demo.tsp: imported",
                                        "2 projects: 2 imported, 0 failed"}));
    EXPECT_EQ(good.err, "");

    const auto quiet = runTool({"a/Demo.tsp", "Broken.tsp", "Gone.tsp", "--quiet"}, f.options);
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(linesOf(quiet.out), (std::vector<std::string>{
                                       "Broken.tsp: failed: OUTB chunk #1 at byte 100: cannot "
                                       "read output bus pan",
                                       "Gone.tsp: failed: no such file"}));
    EXPECT_EQ(quiet.err, "");
}

TEST(Batch, AProjectsReportIsTheReportOfARunOfItsOwn) {
    // Written to a folder by a run of many projects, to a file or to standard output by a
    // run of one: the same text, with the export section where an export was asked for.
    Folders f;
    const auto batch = runTool({"a/Demo.tsp", "Broken.tsp", "--json", "Reports/", "--midi",
                                "Midi/", "--quiet"},
                               f.options);
    EXPECT_EQ(batch.status, 1) << batch.err;
    const auto toFile = runTool({"a/Demo.tsp", "--json", "demo.json", "--midi", "demo.mid"},
                                f.options);
    EXPECT_EQ(toFile.status, 0) << toFile.err;
    const auto toOutput = runTool({"Broken.tsp", "--json", "-", "--quiet"}, f.options);
    EXPECT_EQ(toOutput.status, 1) << toOutput.err;

    const auto text = [&](const char* name) {
        std::ifstream in(f.temp.path() / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    // The paths the export section names differ; the rest is the same.
    std::string single = text("demo.json");
    const std::string exported = "\"path\": \"demo.mid\"";
    ASSERT_NE(single.find(exported), std::string::npos) << single;
    single.replace(single.find(exported), exported.size(), "\"path\": \"Midi/Demo.mid\"");
    EXPECT_EQ(text("Reports/Demo.json"), single);
    EXPECT_EQ(text("Reports/Broken.json"), toOutput.out);
    EXPECT_EQ(readJson(f.temp.path() / "Reports/Broken.json")["result"], 1);
}

TEST(Batch, ProjectsThatShareAWaveFileEachLeaveItWholeWhenImportedAtOnce) {
    TempFolder temp;
    std::vector<std::string> args;
    for (int i = 1; i <= 6; ++i) {
        writeDemoProject(temp.path(), "Song " + std::to_string(i) + ".tsp");
        args.push_back("Song " + std::to_string(i) + ".tsp");
    }
    args.insert(args.end(), {"--jobs", "3", "--quiet"});
    ToolRunOptions options;
    options.folder = temp.path();
    const auto run = runTool(args, options);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "");
    const auto converted = RefHost::readAudioFileInfo(temp.path() / kConverted);
    ASSERT_TRUE(converted.has_value());
    EXPECT_EQ(converted->frames, 264600);
    EXPECT_EQ(converted->sampleRate, 44100);
    EXPECT_EQ(converted->sampleSize, 16);
    EXPECT_EQ(partialFiles(temp.path()), std::vector<fs::path>{});
}

TEST(Batch, UsageErrorsStopTheRunBeforeAnythingIsImported) {
    Folders f;
    fs::create_directory(f.temp.path() / "Taken");
    struct Case {
        std::vector<std::string> args;
        const char* err;
    };
    const Case cases[] = {
        {{"a/Demo.tsp", "b/Demo.tsp", "--json", "report.json"},
         "tessaro-import: with several projects, --json takes a folder (a path ending in /), "
         "not \"report.json\"\n"},
        {{"a/Demo.tsp", "b/Demo.tsp", "--json", "-"},
         "tessaro-import: with several projects, --json takes a folder (a path ending in /), "
         "not \"-\"\n"},
        {{"a/Demo.tsp", "b/Demo.tsp", "--json", "Broken.tsp/Reports/"},
         "tessaro-import: cannot write into the folder Broken.tsp/Reports/: Not a directory\n"},
        {{"a/Demo.tsp", "--json", "Broken.tsp/"},
         "tessaro-import: cannot write into the folder Broken.tsp/: File exists\n"},
        {{"a/Demo.tsp", "b/Demo.tsp", "--host", "Ombrel 1.2.3"}, nullptr},
        {{"a/Demo.tsp", "b/Demo.tsp", "--jobs", "0"}, nullptr},
        {{"a/Demo.tsp", "b/Demo.tsp", "--module", "Taken"}, nullptr},
        {{}, nullptr},
    };
    for (const Case& c : cases) {
        std::string args;
        for (const auto& a : c.args) args += a + " ";
        SCOPED_TRACE(args);
        const auto run = runTool(c.args, f.options);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        if (c.err)
            EXPECT_EQ(run.err, c.err);
        else
            EXPECT_NE(run.err, "");
        EXPECT_FALSE(fs::exists(f.temp.path() / "a" / kConverted));
        EXPECT_FALSE(fs::exists(f.temp.path() / "b" / kConverted));
    }
}

TEST(Batch, VersionNamesTheModuleAndHelpShowsAnExample) {
    ToolRunOptions options;
    options.unset = {"TESSARO_PROFILES"};
    const auto version = runTool({"--version"}, options);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(linesOf(version.out),
              (std::vector<std::string>{
                  "tessaro-import 2.1.0",
                  std::string("module:   \"Tessaro Project\" 2.1.0.1, ") + TESSARO_MODULE_PATH,
                  std::string("profiles: ") + TESSARO_SOURCE_DIR + "/refhost/profiles"}));

    const auto help = runTool({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("\nExamples:\n  tessaro-import MySong.tsp --json MySong.json\n"
                            "  tessaro-import Songs/*.tsp --json Reports/ --jobs 2\n"),
              std::string::npos)
        << help.out;
}

TEST(OutputNames, InputsOfTheSameNameGetDistinctOutputs) {
    const ImportTool::OutputNames names(
        {"a/Demo.tsp", "b/Demo.tsp", "Demo-2.tsp", "c/demo.tsp", "Song.TSP", "Demo-3"});
    const std::vector<std::string> expected = {"Demo", "Demo-4", "Demo-2", "demo-5", "Song",
                                               "Demo-3"};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(names.name(i), expected[i]);
    }

    using Kind = ImportTool::OutputOption::Kind;
    struct Case {
        const char* option;
        Kind kind;
        fs::path path;  // of input 1, as ".json"
    };
    TempFolder temp;
    const std::string existing = temp.path().string();
    const Case cases[] = {
        {"", Kind::None, ""},
        {"-", Kind::StandardOutput, ""},
        {"Reports/", Kind::Folder, fs::path("Reports/") / "Demo-4.json"},
        {existing.c_str(), Kind::Folder, temp.path() / "Demo-4.json"},
        {"out.json", Kind::File, "out.json"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        const auto option = ImportTool::outputOption(c.option);
        EXPECT_EQ(option.kind, c.kind);
        EXPECT_EQ(names.pathFor(option, 1, ".json"), c.path);
    }
}
