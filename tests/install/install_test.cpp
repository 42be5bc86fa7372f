// The installed command: `cmake --install` into a prefix, the prefix moved elsewhere, and
// the command run from there finds its module and its profiles beside itself, not in the
// build or the source tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/import_harness.h"
#include "tests/support/tool_run.h"

using namespace TessaroTest;
namespace fs = std::filesystem;

TEST(Install, AMovedInstallationImportsWithItsOwnModuleAndProfiles) {
    TempFolder temp;
    const auto install = runProgram(TESSARO_CMAKE_COMMAND,
                                    {"--install", TESSARO_BUILD_DIR, "--prefix",
                                     (temp.path() / "first").string()});
    ASSERT_EQ(install.status, 0) << install.out << install.err;
    fs::create_directories(temp.path() / "moved");
    fs::rename(temp.path() / "first", temp.path() / "moved" / "tessaro");
    const fs::path prefix = temp.path() / "moved" / "tessaro";
    for (const char* file : {"bin/tessaro-import", "lib/tessaro/tessaroimporter.so",
                             "share/tessaro/profiles/ombrel-8.0.1.json",
                             "share/tessaro/profiles/base/current.json",
                             "share/doc/tessaro-import/README.md",
                             "share/doc/tessaro-import/report.md"}) {
        SCOPED_TRACE(file);
        EXPECT_TRUE(fs::is_regular_file(prefix / file));
    }
    // A profile only the moved installation has: the newest "Ombrel", the default host.
    std::ofstream(prefix / "share/tessaro/profiles/ombrel-9.9.9.json")
        << R"({"extends": "base/current", "name": "Ombrel", "version": "Version 9.9.9",)"
        << R"( "description": "Ombrel 9.9.9: only in the moved installation."})";

    const fs::path program = prefix / "bin/tessaro-import";
    ToolRunOptions options;
    options.folder = temp.path();
    options.unset = {"TESSARO_PROFILES", "TESSARO_SOURCE_DIR"};
    const auto version = runProgram(program, {"--version"}, options);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(linesOf(version.out),
              (std::vector<std::string>{
                  "tessaro-import 2.1.0",
                  "module:   \"Tessaro Project\" 2.1.0.1, " +
                      (prefix / "lib/tessaro/tessaroimporter.so").string(),
                  "profiles: " + (prefix / "share/tessaro/profiles").string()}));

    writeDemoProject(temp.path() / "Song");
    const auto run = runProgram(program, {"Song/Demo.tsp"}, options);
    EXPECT_EQ(run.status, 0) << run.err;
    const auto lines = linesOf(run.out);
    ASSERT_GE(lines.size(), 4u) << run.out;
    EXPECT_EQ(lines[0], "Host:       Ombrel, Version 9.9.9 (profile ombrel-9.9.9)");
    EXPECT_EQ(lines[1], "Module:     " + (prefix / "lib/tessaro/tessaroimporter.so").string() +
                            ": \"Tessaro Project\", file type \"tsp\"");
    EXPECT_EQ(lines[2], "Message:    The Tessaro import was completed.");
    EXPECT_EQ(lines.back(), "References: 0 held, 0 released too often, 0 misuses");
}
