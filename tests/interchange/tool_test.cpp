// tessaro-import with --dawproject and --midi, as a user runs it: the outputs appear only
// after a successful import, whole or not at all, and an unwritable target is its own error.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "tests/interchange/export_support.h"
#include "tests/support/import_harness.h"

using namespace TessaroTest;
namespace fs = std::filesystem;

namespace {

struct ToolRun {
    int status = -1;
    std::string errors;
};

std::string shellQuoted(const fs::path& p) { return "'" + p.string() + "'"; }

// Runs the tool with arguments; its standard output is dropped, its errors kept.
ToolRun runTool(const TempFolder& folder, const std::string& arguments) {
    const fs::path errors = folder.path() / "errors.txt";
    const std::string command = std::string("'") + TESSARO_IMPORT_TOOL + "' " + arguments + " >/dev/null 2>" + shellQuoted(errors);
    const int raw = std::system(command.c_str());
    ToolRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream in(errors);
    std::stringstream text;
    text << in.rdbuf();
    run.errors = text.str();
    fs::remove(errors);
    return run;
}

// The names in folder, temporary files included.
std::set<std::string> listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

}  // namespace

TEST(ImportTool, ExportsTheDemoToBothFormatsAndListsWhatWasLeftOut) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    TempFolder folder;
    const fs::path project = copyDemo(folder.path());
    const fs::path dawproject = folder.path() / "Demo.dawproject", midi = folder.path() / "Demo.mid",
                   report = folder.path() / "report.json";
    const ToolRun run = runTool(folder, shellQuoted(project) + " --dawproject " + shellQuoted(dawproject) + " --midi " +
                                        shellQuoted(midi) + " --json " + shellQuoted(report));
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(listing(folder.path()),
              (std::set<std::string>{"Demo.tsp", "vocals.wav", "vocals (44100.0Hz 16bit).wav", "Demo.dawproject",
                                     "Demo.mid", "report.json"}));
    const auto json = nlohmann::ordered_json::parse(readFile(report));
    EXPECT_EQ(json.at("export").at("dawproject").at("path"), dawproject.string());
    EXPECT_EQ(json.at("export").at("dawproject").at("written"), true);
    EXPECT_EQ(json.at("export").at("dawproject").at("leftOut").size(), 3u);
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
    const ToolRun run = runTool(folder, shellQuoted(project) + " --dawproject " + shellQuoted(folder.path() / "out.dawproject") +
                                        " --midi " + shellQuoted(folder.path() / "out.mid"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(listing(folder.path()), std::set<std::string>{"Broken.tsp"});
}

TEST(ImportTool, AnUnwritableTargetIsAClearErrorAndLeavesNothingBehind) {
    TempFolder folder;
    const fs::path project = folder.write("Empty.tsp", std::vector<std::uint8_t>(TessaroWriter::kMagic.begin(), TessaroWriter::kMagic.end()));
    fs::create_directory(folder.path() / "taken.mid");
    struct Case {
        std::string arguments;
        std::string error;
    };
    const std::string missing = (folder.path() / "missing" / "out.dawproject").string();
    const Case cases[] = {
        {"--dawproject " + shellQuoted(missing),
         "tessaro-import: cannot write " + missing + ": the folder " + (folder.path() / "missing").string() +
             " does not exist\n"},
        {"--midi " + shellQuoted(folder.path() / "taken.mid"),
         "tessaro-import: cannot write " + (folder.path() / "taken.mid").string() + ": it is a folder\n"},
        {"--midi " + shellQuoted(project),
         "tessaro-import: cannot write " + project.string() + ": it is the project file\n"},
    };
    const auto before = readFile(project);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const ToolRun run = runTool(folder, shellQuoted(project) + " " + c.arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.errors, c.error);
        EXPECT_EQ(listing(folder.path()), (std::set<std::string>{"Empty.tsp", "taken.mid"}));
    }
    EXPECT_EQ(readFile(project), before);
}
