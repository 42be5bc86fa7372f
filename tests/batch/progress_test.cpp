// The progress line of tessaro-import: on standard error when it is a terminal (here a
// pseudo-terminal), never on a pipe or with --quiet, and never on standard output.
#include <gtest/gtest.h>

#include "tests/support/import_harness.h"
#include "tests/support/tool_run.h"

using namespace TessaroTest;

namespace {

struct TwoRuns {
    ToolRun pipe;      // standard error on a pipe
    ToolRun terminal;  // standard error on a pseudo-terminal
};

// Runs args twice, standard error on a pipe and on a terminal, with the line shown from the
// start of the run.
TwoRuns runBoth(const std::vector<std::string>& args) {
    TempFolder temp;
    writeDemoProject(temp.path());
    writeDemoProject(temp.path(), "Broken.tsp");
    std::filesystem::resize_file(temp.path() / "Broken.tsp", 100);
    ToolRunOptions options;
    options.folder = temp.path();
    options.environment = {{"TESSARO_PROGRESS_AFTER", "0"}};
    TwoRuns run;
    run.pipe = runTool(args, options);
    options.standardError = ToolRunOptions::StandardError::Terminal;
    run.terminal = runTool(args, options);
    return run;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(Progress, ATerminalSeesProjectsAndFramesAndThenAClearedLine) {
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> shown;  // parts of the line, each drawn at some point
    };
    const Case cases[] = {
        {{"Demo.tsp", "Broken.tsp", "--jobs", "1"},
         {"\r0 of 2 projects, Demo.tsp: 1024 of 264600 frames",
          "\r1 of 2 projects, Broken.tsp", "\r2 of 2 projects"}},
        {{"Demo.tsp"}, {"\r0 of 1 projects, Demo.tsp: 1024 of 264600 frames"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front() + " and " + std::to_string(c.args.size() - 1) + " more");
        const TwoRuns run = runBoth(c.args);
        EXPECT_EQ(run.terminal.status, run.pipe.status);
        EXPECT_EQ(run.terminal.out, run.pipe.out);
        EXPECT_EQ(run.pipe.err, "");
        for (const auto& part : c.shown) EXPECT_TRUE(contains(run.terminal.err, part)) << part;
        // Rewritten in place, never a new line; blank and back at its start at the end.
        EXPECT_FALSE(contains(run.terminal.err, "\n"));
        const std::string& err = run.terminal.err;
        ASSERT_GE(err.size(), 2u);
        ASSERT_EQ(err.back(), '\r');
        const auto blank = err.rfind('\r', err.size() - 2);
        ASSERT_NE(blank, std::string::npos);
        EXPECT_EQ(err.find_first_not_of(' ', blank + 1), err.size() - 1);
    }
}

TEST(Progress, QuietShowsNone) {
    const TwoRuns run = runBoth({"Demo.tsp", "Broken.tsp", "--quiet"});
    EXPECT_EQ(run.terminal.status, 1);
    EXPECT_EQ(run.terminal.out,
              "Broken.tsp: failed: OUTB chunk #1 at byte 100: cannot read output bus pan\n");
    EXPECT_EQ(run.terminal.err, "");
    EXPECT_EQ(run.pipe.err, "");
}
