// Imports through the loaded module and the reference host, as a host runs them.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/import_harness.h"
#include "tools/writer/tone_file.h"
#include "tools/writer/writer.h"

using namespace TessaroTest;
using namespace TessaroWriter;

namespace {

const char* kCompleted = "The Tessaro import was completed.";
const char* kUnknownFormat = "Cannot read Tessaro project file. Reason: unknown format.";

// The checked-in demo project with its wave file, in a folder of its own: the import writes
// a converted copy of the wave file beside it.
std::filesystem::path demoFile() {
    static TempFolder folder;
    const auto file = folder.path() / "Demo.tsp";
    if (!std::filesystem::exists(file)) {
        std::filesystem::copy_file(
            std::filesystem::path(TESSARO_SOURCE_DIR) / "examples" / "Demo" / "Demo.tsp", file);
        writeDemoWaveFiles(folder.path());
    }
    return file;
}

}  // namespace

TEST(Import, TheDemoProjectImports) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    ImportHarness harness;
    const auto run = harness.importFile(demoFile());
    ASSERT_TRUE(run.result.has_value()) << run.error;
    EXPECT_EQ(*run.result, 0);
    EXPECT_EQ(run.messages, std::vector<std::string>{kCompleted});
    EXPECT_TRUE(run.clean()) << run.findingsText();
}

TEST(Import, FilesThatAreNotProjectsFailWithTheOneMessage) {
    ImportHarness harness;
    std::vector<std::uint8_t> wrongMagic(kMagic.begin(), kMagic.end());
    wrongMagic[7] = 0;
    ProjectFile noHead;
    noHead.add(KeyboardChunk{});
    for (const auto& bytes : {wrongMagic, noHead.bytes(), std::vector<std::uint8_t>{}}) {
        const auto run = harness.importBytes(bytes);
        ASSERT_TRUE(run.result.has_value()) << run.error;
        EXPECT_EQ(*run.result, 1);
        EXPECT_EQ(run.messages, std::vector<std::string>{kUnknownFormat});
        EXPECT_TRUE(run.clean()) << run.findingsText();
    }
}

TEST(Import, AMissingFileCannotBeOpened) {
    ImportHarness harness;
    TempFolder folder;
    const auto run = harness.importFile(folder.path() / "nowhere.tsp");
    ASSERT_TRUE(run.result.has_value()) << run.error;
    EXPECT_EQ(*run.result, 1);
    EXPECT_EQ(run.messages, std::vector<std::string>{"Cannot open file."});
    EXPECT_TRUE(run.clean()) << run.findingsText();
}

TEST(Import, WithoutApplicationInformationNothingRunsAndNothingIsShown) {
    ImportHarness harness;
    ImportOptions options;
    options.adjustProfile = [](RefHost::Profile& p) { p.services["applicationInfo"] = false; };
    const auto run = harness.importBytes(std::vector<std::uint8_t>(kMagic.begin(), kMagic.end()),
                                         options);
    ASSERT_TRUE(run.result.has_value()) << run.error;
    EXPECT_EQ(*run.result, 1);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_TRUE(run.clean()) << run.findingsText();
}

TEST(Import, OnlyTheMagicCompletesWithBothEditSteps) {
    ImportHarness harness;
    const auto run = harness.importBytes(std::vector<std::uint8_t>(kMagic.begin(), kMagic.end()));
    ASSERT_TRUE(run.result.has_value()) << run.error;
    EXPECT_EQ(*run.result, 0);
    EXPECT_EQ(run.messages, std::vector<std::string>{kCompleted});
    EXPECT_EQ(run.report["editSteps"],
              nlohmann::ordered_json::array({"Import Tessaro Project", "Import Tessaro Project Automation"}));
    EXPECT_TRUE(run.clean()) << run.findingsText();
}

TEST(Import, TwoImportsInARowShareNothing) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    ImportHarness harness;
    std::vector<std::uint8_t> bad(kMagic.begin(), kMagic.end());
    bad[0] = 0;
    const auto first = harness.importBytes(bad);
    const auto second = harness.importFile(demoFile());
    EXPECT_EQ(first.result, 1);
    EXPECT_EQ(second.result, 0);
    EXPECT_EQ(second.messages, std::vector<std::string>{kCompleted});
}
