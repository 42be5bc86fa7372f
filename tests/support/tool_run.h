// Runs a program as a child process, the way a user's shell does, and collects what it
// printed and its exit status: standard output through a pipe, standard error through a
// pipe or a pseudo-terminal (so that the program sees a terminal there), standard input
// empty. POSIX only.
//
//     auto run = TessaroTest::runTool({"--version"});
//     EXPECT_EQ(run.status, 0);
#pragma once

#if !defined(_WIN32)

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace TessaroTest {

struct ToolRun {
    int status = -1;  // the exit status; -1 when the program did not exit by itself
    std::string out;  // standard output
    std::string err;  // standard error
};

struct ToolRunOptions {
    enum class StandardError { Pipe, Terminal };
    StandardError standardError = StandardError::Pipe;
    std::filesystem::path folder;                              // where it runs; empty: here
    std::vector<std::pair<std::string, std::string>> environment;  // set for the child
    std::vector<std::string> unset;                            // removed for the child
    int seconds = 120;  // killed after this long, with status -1
    // Limits of the child, as a shell's ulimit sets them: {RLIMIT_NOFILE, 64} for
    // `ulimit -n 64`, {RLIMIT_FSIZE, bytes} for a file-size limit.
    std::vector<std::pair<int, unsigned long>> limits;
};

// Runs program with args.
ToolRun runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                   const ToolRunOptions& options = {});

// Runs the tessaro-import the build made.
ToolRun runTool(const std::vector<std::string>& args, const ToolRunOptions& options = {});

// Lines of text, without their ends.
std::vector<std::string> linesOf(const std::string& text);

// Writes the demo project as folder/name and its wave file beside it (six seconds at
// 48000 Hz, which an import converts to 44100 Hz: 264600 frames); returns the project's
// path.
std::filesystem::path writeDemoProject(const std::filesystem::path& folder,
                                       const std::string& name = "Demo.tsp");

}  // namespace TessaroTest

#endif
