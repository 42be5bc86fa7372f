// tessaro-import over a song of thousands of plain instrument tracks, the one input whose
// size a legal file can grow without bound: in a child process whose address space is
// limited (as `ulimit -v` limits it) to what the command needs at all plus what such a song
// may cost, 64 MB and 32 KB a track, it imports the song and writes its report.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/import_harness.h"
#include "tests/support/tool_run.h"
#include "tools/writer/writer.h"

using namespace TessaroTest;
namespace fs = std::filesystem;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

constexpr int kTracks = 2000;
constexpr unsigned long kMegabyte = 1000ul * 1000ul;
constexpr unsigned long kSongAllowance = 64 * kMegabyte + kTracks * 32'000ul;

// A run of the command under a limit of its address space (and no core file).
ToolRun runLimited(const std::vector<std::string>& args, unsigned long bytes) {
    ToolRunOptions options;
    options.limits = {{RLIMIT_AS, bytes}, {RLIMIT_CORE, 0}};
    return runTool(args, options);
}

// The address space the command needs to import a song of one track: its program, its
// libraries, the module and the host profile. Found to a megabyte by halving.
unsigned long fixedAddressSpace(const std::string& oneTrack) {
    unsigned long fails = 8 * kMegabyte, succeeds = 4096 * kMegabyte;
    if (runLimited({oneTrack, "--quiet"}, succeeds).status != 0) return 0;
    while (succeeds - fails > kMegabyte) {
        const unsigned long middle = fails + (succeeds - fails) / 2;
        (runLimited({oneTrack, "--quiet"}, middle).status == 0 ? succeeds : fails) = middle;
    }
    return succeeds;
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(ImportSize, TwoThousandTracksImportWithinWhatTheyMayCost) {
    if (kAddressSanitizer)
        GTEST_SKIP() << "AddressSanitizer reserves terabytes of address space for its shadow "
                        "memory, so no limit of the address space can hold the command; the "
                        "build without it runs this test";
    TempFolder folder;
    const std::string oneTrack = (folder.path() / "one.tsp").string();
    const std::string song = (folder.path() / "song.tsp").string();
    ASSERT_TRUE(TessaroWriter::instrumentTracksProject(1).writeTo(oneTrack));
    ASSERT_TRUE(TessaroWriter::instrumentTracksProject(kTracks).writeTo(song));
    const unsigned long fixed = fixedAddressSpace(oneTrack);
    ASSERT_GT(fixed, 0ul) << "the command does not run under a limit of 4 GB";
    const unsigned long limit = fixed + kSongAllowance;

    const fs::path report = folder.path() / "song.json";
    const struct {
        std::vector<std::string> args;
        const char* what;
    } cases[] = {{{song, "--quiet"}, "--quiet"},
                 {{song, "--json", report.string()}, "--json FILE"},
                 {{song, "--quiet", "--json", "-"}, "--json -"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " under " + std::to_string(limit / kMegabyte) +
                     " MB, the command needing " + std::to_string(fixed / kMegabyte) + " MB");
        const ToolRun run = runLimited(c.args, limit);
        EXPECT_EQ(run.status, 0) << run.err;
        std::string text = run.out;
        if (c.args[1] == "--json") {
            std::ifstream in(report, std::ios::binary);
            text.assign(std::istreambuf_iterator<char>(in), {});
            EXPECT_EQ(count(run.out, "\n  instrument \"Track "), static_cast<std::size_t>(kTracks));
        }
        if (c.args[1] == "--quiet" && c.args.size() == 2) {
            EXPECT_EQ(run.out, "");
            continue;
        }
        // The whole report, with every track and its channel.
        EXPECT_EQ(text.substr(0, 16), "{\n  \"result\": 0,");
        EXPECT_EQ(text.substr(text.size() >= 2 ? text.size() - 2 : 0), "}\n");
        EXPECT_EQ(count(text, "\n      \"kind\": \"instrument\",\n"),
                  static_cast<std::size_t>(kTracks));
        EXPECT_EQ(
            count(text, "\n    \"held\": 0,\n    \"overReleased\": 0,\n    \"misuses\": 0,\n"), 1u);
    }
    // The limit holds the command: with too little beyond what it needs the song fails, and
    // the command says so rather than crash, whether the import or the report ran short.
    for (const unsigned long beyond : {16 * kMegabyte, 48 * kMegabyte}) {
        SCOPED_TRACE(std::to_string(beyond / kMegabyte) + " MB beyond what the command needs");
        const ToolRun run =
            runLimited({song, "--quiet", "--json", report.string()}, fixed + beyond);
        EXPECT_TRUE(run.status == 1 || run.status == 2) << run.status << ": " << run.err;
        // The module's reason (with --quiet on standard output) or the command's own line.
        const std::string told = run.out + run.err;
        EXPECT_TRUE(told.find("out of memory") != std::string::npos ||
                    told.find("std::bad_alloc") != std::string::npos)
            << told;
    }
}
