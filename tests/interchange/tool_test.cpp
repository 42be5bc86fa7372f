// tessaro-import with --dawproject and --midi, as a user runs it: the outputs appear only
// after a successful import, whole or not at all, and an unwritable target is its own error.
#include <gtest/gtest.h>

#include <set>

#include "tests/interchange/export_support.h"
#include "tests/support/folder_names.h"
#include "tests/support/import_harness.h"
#include "tests/support/tool_run.h"

using namespace TessaroTest;
namespace fs = std::filesystem;

TEST(ImportTool, ExportsTheDemoToBothFormatsAndListsWhatWasLeftOut) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    TempFolder folder;
    const fs::path project = copyDemo(folder.path());
    const fs::path dawproject = folder.path() / "Demo.dawproject", midi = folder.path() / "Demo.mid",
                   report = folder.path() / "report.json";
    const ToolRun run = runTool({project.string(), "--dawproject", dawproject.string(), "--midi", midi.string(),
                                 "--json", report.string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(namesIn(folder.path()),
              (std::set<std::string>{"Demo.tsp", "vocals.wav", "vocals (44100.0Hz 16bit).wav", "Demo.dawproject",
                                     "Demo.mid", "report.json"}));
    const auto json = nlohmann::ordered_json::parse(readFile(report));
    EXPECT_EQ(json.at("export").at("dawproject").at("path"), dawproject.string());
    EXPECT_EQ(json.at("export").at("dawproject").at("written"), true);
    EXPECT_EQ(json.at("export").at("dawproject").at("leftOut").size(), 5u);
    EXPECT_EQ(json.at("export").at("midi").at("leftOut")[1],
              nlohmann::ordered_json::parse(
                  R"({"what": "muted track", "track": "Synth", "clip": null, "value": null, "count": 1})"));

    const auto entries = readContainer(dawproject);
    EXPECT_EQ(XmlDocument(entries.at("project.xml")).select("//Note").size(), 40u);
    if (schemaFolder()) {
        EXPECT_EQ(schemaErrors(entries.at("project.xml"), "Project.xsd"), "");
        EXPECT_EQ(schemaErrors(entries.at("metadata.xml"), "MetaData.xsd"), "");
    } else {
        std::cout << "[ NOTE     ] the DAWproject schemas are not here: project.xml not validated\n";
    }
    std::size_t notes = 0;
    for (const auto& track : readMidiFile(readFile(midi)).tracks)
        for (const auto& m : track) notes += (m.bytes[0] & 0xF0) == 0x90;
    EXPECT_EQ(notes, 36u);  // all but the muted synth's 4
}

TEST(ImportTool, AFailedImportWritesNoExport) {
    TempFolder folder;
    const fs::path project = folder.write("Broken.tsp", std::vector<std::uint8_t>{'n', 'o', 't', ' ', 'a', 't', 's', 'p'});
    const ToolRun run = runTool({project.string(), "--dawproject", (folder.path() / "out.dawproject").string(), "--midi",
                                 (folder.path() / "out.mid").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(namesIn(folder.path()), std::set<std::string>{"Broken.tsp"});
}

TEST(ImportTool, AnUnwritableTargetIsAClearErrorAndLeavesNothingBehind) {
    TempFolder folder;
    const fs::path project = folder.write("Empty.tsp", std::vector<std::uint8_t>(TessaroWriter::kMagic.begin(), TessaroWriter::kMagic.end()));
    struct Case {
        std::vector<std::string> arguments;
        std::string error;
    };
    const std::string missing = (folder.path() / "missing" / "out.dawproject").string();
    const Case cases[] = {
        {{"--dawproject", missing},
         "tessaro-import: cannot write " + missing + ": " + (folder.path() / "missing").string() +
             " does not exist\n"},
        {{"--midi", (project / "out.mid").string()},
         "tessaro-import: cannot write " + (project / "out.mid").string() + ": " + project.string() +
             " is not a folder\n"},
        {{"--midi", project.string()},
         "tessaro-import: cannot write " + project.string() + ": it is the project file\n"},
    };
    const auto before = readFile(project);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.back());
        std::vector<std::string> arguments{project.string()};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const ToolRun run = runTool(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, c.error);
        EXPECT_EQ(namesIn(folder.path()), std::set<std::string>{"Empty.tsp"});
    }
    EXPECT_EQ(readFile(project), before);
}

TEST(ImportTool, ManyProjectsExportIntoFoldersUnderDistinctNames) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    TempFolder folder;
    const fs::path first = copyDemo(folder.path() / "a"), second = copyDemo(folder.path() / "b");
    const fs::path out = folder.path() / "out";
    const ToolRun run = runTool({first.string(), second.string(), "--dawproject", out.string() + "/",
                                 "--midi", out.string() + "/", "--jobs", "2"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(namesIn(out), (std::set<std::string>{"Demo.dawproject", "Demo.mid", "Demo-2.dawproject",
                                                   "Demo-2.mid"}));
    EXPECT_NE(run.out.find(first.string() + ": imported -> " + (out / "Demo.dawproject").string() + ", " +
                           (out / "Demo.mid").string() + "\n"),
              std::string::npos)
        << run.out;
}

TEST(ImportTool, AProjectWhoseExportFailsIsAFailedProjectOfTheRun) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    TempFolder folder;
    const fs::path first = copyDemo(folder.path() / "a"), second = copyDemo(folder.path() / "b");
    const fs::path out = folder.path() / "out";
    // The first project's DAWproject file would go where a folder is.
    fs::create_directories(out / "Demo.dawproject");
    const ToolRun run = runTool({first.string(), second.string(), "--dawproject", out.string() + "/",
                                 "--midi", out.string() + "/", "--jobs", "2"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(linesOf(run.out),
              (std::vector<std::string>{
                  first.string() + ": failed: cannot write " + (out / "Demo.dawproject").string() +
                      ": it is a folder -> " + (out / "Demo.mid").string(),
                  second.string() + ": imported -> " + (out / "Demo-2.dawproject").string() + ", " +
                      (out / "Demo-2.mid").string(),
                  "2 projects: 1 imported, 1 failed"}));
    EXPECT_EQ(namesIn(out), (std::set<std::string>{"Demo.dawproject", "Demo.mid", "Demo-2.dawproject",
                                                   "Demo-2.mid"}));
    EXPECT_TRUE(fs::is_empty(out / "Demo.dawproject"));
}
