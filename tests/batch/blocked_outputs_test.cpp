// Outputs a run cannot write: a folder where a project's report or page goes fails that
// project alone; a module that cannot be loaded still leaves the report of a host that saw
// no import, and --version names why there is no module.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/support/import_harness.h"
#include "tests/support/tool_run.h"

using namespace TessaroTest;
namespace fs = std::filesystem;

TEST(BlockedOutputs, AFolderWhereOneProjectsReportOrPageGoesFailsThatProjectAlone) {
    const struct {
        std::string option, extension, before, after;  // the reason around the blocked file
    } cases[] = {{"--json", ".json", "cannot write the report to ", ""},
                 {"--html", ".html", "cannot write ", ": it is a folder"}};
    for (const auto& [option, extension, before, after] : cases) {
        SCOPED_TRACE(option);
        TempFolder folder;
        const fs::path first = writeDemoProject(folder.path() / "a", "First.tsp");
        const fs::path second = writeDemoProject(folder.path() / "b", "Second.tsp");
        const fs::path out = folder.path() / "out";
        fs::create_directories(out / ("First" + extension));
        ToolRunOptions options;
        options.unset = {"TESSARO_PROFILES"};
        const ToolRun run = runTool({first.string(), second.string(), option, out.string() + "/"}, options);
        EXPECT_EQ(run.status, 1) << run.err;
        const std::string blocked = (out / ("First" + extension)).string();
        EXPECT_EQ(linesOf(run.out),
                  (std::vector<std::string>{first.string() + ": failed: " + before + blocked + after,
                                            second.string() + ": imported -> " +
                                                (out / ("Second" + extension)).string(),
                                            "2 projects: 1 imported, 1 failed"}));
        EXPECT_TRUE(fs::is_empty(out / ("First" + extension)));
        EXPECT_TRUE(fs::is_regular_file(out / ("Second" + extension)));
    }
}

TEST(BlockedOutputs, AModuleThatCannotBeLoadedIsNamedAndLeavesTheReportOfAHostWithoutAnImport) {
    TempFolder folder;
    const fs::path project = writeDemoProject(folder.path());
    const std::string noModule = (folder.path() / "none.so").string();
    const std::string why = "cannot load module " + noModule + ": " + noModule +
                            ": cannot open shared object file: No such file or directory";
    ToolRunOptions options;
    options.unset = {"TESSARO_PROFILES"};
    const ToolRun version = runTool({"--version", "--module", noModule}, options);
    EXPECT_EQ(version.status, 2);
    EXPECT_EQ(linesOf(version.out),
              (std::vector<std::string>{"tessaro-import 2.1.0", "module:   none: " + why,
                                        std::string("profiles: ") + TESSARO_SOURCE_DIR + "/refhost/profiles"}));

    const fs::path report = folder.path() / "report.json";
    const ToolRun run = runTool({project.string(), "--module", noModule, "--json", report.string()}, options);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "tessaro-import: " + why + "\n");
    std::ifstream in(report, std::ios::binary);
    const auto text = linesOf(std::string(std::istreambuf_iterator<char>(in), {}));
    ASSERT_GT(text.size(), 3u);
    EXPECT_EQ(text[1], "  \"result\": null,");
    EXPECT_EQ(text[2], "  \"messages\": [],");
}
