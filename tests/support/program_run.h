// Running a program as a user does: in a child process, with its arguments, its standard
// output and standard error captured apart, and the way it ended. POSIX only; the Windows
// build leaves this helper out.
//
//     auto run = TessaroTest::runImportCommand({"--list-hosts"});
//     EXPECT_EQ(run.exitStatus, 0) << run.err;
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace TessaroTest {

struct ProgramRun {
    int exitStatus = -1;  // the status it exited with; -1 when it did not exit by itself
    int signal = 0;       // the signal that ended it, or 0
    std::string out;      // what it wrote to standard output
    std::string err;      // what it wrote to standard error (or why it did not start)
};

// Runs program with args (its own name not included) in the test's environment, with
// standard input from /dev/null, and waits until it has ended.
ProgramRun runProgram(const std::filesystem::path& program, const std::vector<std::string>& args);

// Runs the tessaro-import command this build made.
ProgramRun runImportCommand(const std::vector<std::string>& args);

}  // namespace TessaroTest
