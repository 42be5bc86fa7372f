// tessaro-import converting wave files under the limits a user's shell may set: few file
// descriptors (`ulimit -n`) and a file-size limit (`ulimit -f`), each in a child process.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/folder_names.h"
#include "tests/support/import_harness.h"
#include "tests/support/tool_run.h"
#include "tools/writer/tone_file.h"
#include "tools/writer/writer.h"

using namespace TessaroTest;
namespace fs = std::filesystem;

namespace {

constexpr const char* kClean = "References: 0 held, 0 released too often, 0 misuses\n";

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A 44100 Hz 16-bit project "song.tsp" in folder whose tracks play the named wave files,
// each written as 3 s of 48000 Hz 16-bit stereo (576,044 bytes, a copy of 529,244).
std::string writeProject(const fs::path& folder,
                         const std::vector<std::vector<std::u16string>>& tracks) {
    TessaroWriter::Tone tone;
    tone.sampleRate = 48000;
    tone.seconds = 3.0;
    for (const auto& names : tracks)
        for (const auto& name : names)
            if (!fs::exists(folder / name)) {
                EXPECT_TRUE(TessaroWriter::writeToneFile(folder / name, tone));
            }
    const fs::path project = folder / "song.tsp";
    EXPECT_TRUE(TessaroWriter::audioTracksProject(tracks).writeTo(project));
    return project.string();
}

}  // namespace

TEST(ImportAudioLimits, ManyRegionsImportUnderADescriptorLimitOf64) {
    TempFolder folder;
    const std::vector<std::u16string> loops(150, u"loop.wav");
    const std::vector<std::u16string> hits(150, u"hit.wav");
    const std::string project = writeProject(folder.path(), {loops, hits});
    ToolRunOptions options;
    options.limits = {{RLIMIT_NOFILE, 64}};
    const ToolRun run = runTool({project}, options);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(contains(run.out, "\nMessage:    The Tessaro import was completed.\n")) << run.out;
    EXPECT_TRUE(contains(run.out, "Wrote:      loop (44100.0Hz 16bit).wav\n"
                                  "Wrote:      hit (44100.0Hz 16bit).wav\n"))
        << run.out;
    EXPECT_TRUE(contains(run.out, kClean)) << run.out;
    EXPECT_EQ(namesIn(folder.path()),
              (std::set<std::string>{"hit (44100.0Hz 16bit).wav", "hit.wav",
                                        "loop (44100.0Hz 16bit).wav", "loop.wav", "song.tsp"}));
}

TEST(ImportAudioLimits, AFileSizeLimitFailsTheImportAndLeavesNoCopy) {
    // 300,000 bytes cut the copy part-way; 0 leaves no room for its header.
    const struct {
        unsigned long limit;
        const char* reason;
    } cases[] = {{300'000ul, "cannot write the converted copy of a wave file"},
                 {0ul, "cannot create the converted copy of a wave file"}};
    for (const auto& [limit, reason] : cases) {
        SCOPED_TRACE(limit);
        TempFolder folder;
        const std::string project = writeProject(folder.path(), {{u"loop.wav", u"loop.wav"}});
        ToolRunOptions options;
        options.limits = {{RLIMIT_FSIZE, limit}, {RLIMIT_NOFILE, 64}};
        const ToolRun run = runTool({project}, options);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(contains(run.out, "\nMessage:    Cannot read Tessaro project file. Reason: "
                                      "unknown format.\nReason: TREG chunk #2 at byte 232: " +
                                          std::string(reason) + "\nResult:     1 (failed)\n"))
            << run.out;
        EXPECT_TRUE(contains(run.out, kClean)) << run.out;
        EXPECT_FALSE(contains(run.out, "Wrote:")) << run.out;
        EXPECT_EQ(namesIn(folder.path()), (std::set<std::string>{"loop.wav", "song.tsp"}));
    }
}
