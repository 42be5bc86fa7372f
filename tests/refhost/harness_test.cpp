// End-to-end imports through the built module: the harness loads it as a host does and the
// reference host checks every call. These cases need nothing of the module beyond its
// import run and its chunk loop.
#include <gtest/gtest.h>

#include "tests/support/import_harness.h"

namespace {

using namespace TessaroTest;

const std::vector<std::uint8_t> kMagicOnly = {0x99, 0x63, 0x6D, 0x70, 0x0D, 0x0A, 0x1A, 0x0A};

ImportHarness& harness() {
    static ImportHarness loaded;
    return loaded;
}

TEST(Harness, FindsTheProjectFilterOfTheModule) {
    const auto filter = RefHost::findProjectFilter(*harness().module().factory());
    ASSERT_TRUE(filter);
    EXPECT_EQ(filter->name, "Tessaro Project");
}

TEST(Harness, ImportsAFileWithoutChunks) {
    const auto run = harness().importBytes(kMagicOnly);
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.messages, std::vector<std::string>{"The Tessaro import was completed."});
    EXPECT_EQ(run.report["result"], 0);
    EXPECT_EQ(run.report["editsBegun"].dump(), "[0]");
    EXPECT_EQ(run.report["editSteps"].front(), "Import Tessaro Project");
    EXPECT_TRUE(run.clean()) << run.findingsText();
}

TEST(Harness, ReportsTheFailuresOfTheImportRun) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        ImportOptions options;
        std::vector<std::string> messages;
    };
    auto dropApplicationInfo = [](RefHost::Profile& p) { p.services["applicationInfo"] = false; };
    const Case cases[] = {
        {"wrong magic", {'T', 'S', 'P', 0, 0, 0, 0, 0}, {},
         {"Cannot read Tessaro project file. Reason: unknown format."}},
        {"too short", {0x99, 0x63}, {}, {"Cannot read Tessaro project file. Reason: unknown format."}},
        {"no application information", kMagicOnly, ImportOptions().adjust(dropApplicationInfo), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto run = harness().importBytes(c.bytes, c.options);
        EXPECT_EQ(run.result, 1);
        EXPECT_EQ(run.messages, c.messages);
        EXPECT_TRUE(run.clean()) << run.findingsText();
    }
}

TEST(Harness, AFileThatCannotBeOpenedIsReported) {
    TempFolder folder;
    const auto run = harness().importFile(folder.path() / "missing.tsp");
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.messages, std::vector<std::string>{"Cannot open file."});
    EXPECT_TRUE(run.clean()) << run.findingsText();
}

TEST(Harness, TheProjectFolderHoldsTheFileAndItsCompanions) {
    const auto run = harness().importBytes(
        kMagicOnly, ImportOptions().named("song.tsp").withFile("Audio/drums.wav", {1, 2, 3}));
    ASSERT_TRUE(run.folder);
    EXPECT_TRUE(std::filesystem::is_regular_file(run.folder->path() / "song.tsp"));
    EXPECT_EQ(std::filesystem::file_size(run.folder->path() / "Audio/drums.wav"), 3u);
    EXPECT_EQ(run.host->projectFolder(), run.folder->path());
    EXPECT_EQ(run.host->records().filesRead,
              std::vector<std::filesystem::path>{run.folder->path() / "song.tsp"});
}

TEST(Harness, TheDirectImportMatchesTheLoadedModule) {
    for (const auto& bytes : {kMagicOnly, std::vector<std::uint8_t>{'x'}}) {
        const auto loaded = harness().importBytes(bytes, onHost("Larkwin 6.0.1"));
        const auto direct = importDirect(bytes, onHost("Larkwin 6.0.1"));
        EXPECT_EQ(direct.result, loaded.result);
        EXPECT_EQ(RefHost::reportText(direct.report), RefHost::reportText(loaded.report));
        EXPECT_TRUE(direct.clean()) << direct.findingsText();
    }
}

}  // namespace
