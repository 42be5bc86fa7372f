// An import as a Windows host runs it: tessaroimporter.dll loaded with LoadLibraryW by the
// reference host, the demo project imported from a folder and a file whose names need
// UTF-16 beyond 8-bit text.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/import_harness.h"
#include "tests/windows/system_path.h"

using TessaroWindowsTest::systemPath;

namespace {

namespace fs = std::filesystem;

fs::path demoFile() { return fs::path(TESSARO_SOURCE_DIR) / "examples" / "Demo" / "Demo.tsp"; }

}  // namespace

TEST(WindowsImport, TheDemoProjectImportsThroughTheLoadedDll) {
    TessaroTest::ImportHarness harness{fs::path(systemPath(TESSARO_MODULE_PATH))};
    TessaroTest::TempFolder temp;
    const fs::path folder = temp.path() / u"Projekte \u00C4\u00F6\u00DF \u97F3\u697D \U0001D11E";
    fs::create_directories(folder);
    const fs::path project = folder / u"D\u00E9mo \u00FC.tsp";
    fs::copy_file(demoFile(), project);

    const auto run = harness.importFile(project);
    ASSERT_TRUE(run.result.has_value()) << run.error;
    EXPECT_EQ(*run.result, 0);
    EXPECT_EQ(run.messages, std::vector<std::string>{"The Tessaro import was completed."});
    EXPECT_TRUE(run.clean()) << run.findingsText();
}
