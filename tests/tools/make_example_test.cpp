// tessaro-make-example run as a user runs it, and the writer's refusals: tones it cannot
// write, chunks a file does not hold.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

#include "tests/support/folder_names.h"
#include "tests/support/import_harness.h"
#include "tests/support/tool_run.h"
#include "tools/writer/demo_project.h"
#include "tools/writer/tone_file.h"
#include "tools/writer/writer.h"

using namespace TessaroTest;
namespace fs = std::filesystem;

#if !defined(_WIN32)
TEST(MakeExample, WritesTheDemoAndItsWaveFilesOrSaysWhyNot) {
    TempFolder folder;
    const fs::path aFile = folder.write("file", std::vector<std::uint8_t>{1});
    const std::string usage = "usage: tessaro-make-example <folder>\n";
    const struct {
        const char* label;
        std::vector<std::string> arguments;
        int status;
        std::string out, err;
    } cases[] = {
        {"no folder", {}, 2, "", usage},
        {"two folders", {"a", "b"}, 2, "", usage},
        {"under a file", {aFile.string()}, 1, "",
         "tessaro-make-example: cannot write " + (aFile / "Demo" / "Demo.tsp").string() + "\n"},
        {"a folder", {(folder.path() / "out").string()}, 0,
         (folder.path() / "out" / "Demo" / "Demo.tsp").string() + "\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const ToolRun run = runProgram(TESSARO_MAKE_EXAMPLE, c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err);
    }
    const fs::path demo = folder.path() / "out" / "Demo";
    const TessaroWriter::ProjectFile expected = TessaroWriter::demoProject();
    std::ifstream written(demo / "Demo.tsp", std::ios::binary);
    EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(written), {}), expected.bytes());
    std::set<std::string> names{"Demo.tsp"};
    for (const auto& name : TessaroWriter::referencedAudioFiles(expected)) names.insert(TessaroWriter::utf8(name));
    EXPECT_EQ(namesIn(demo), names);
    EXPECT_GT(names.size(), 1u);
}
#endif

TEST(WriterToneFile, AToneItCannotWriteIsRefusedAndLeavesNoFile) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the plain PCM writer has refusals of its own";
    TempFolder folder;
    const struct {
        const char* label;
        void (*change)(TessaroWriter::Tone&);
        const char* name;
    } cases[] = {
        {"12-bit samples", [](TessaroWriter::Tone& t) { t.sampleSize = 12; }, "a.wav"},
        {"no channels", [](TessaroWriter::Tone& t) { t.channels = 0; }, "a.wav"},
        {"no frequencies", [](TessaroWriter::Tone& t) { t.frequencies.clear(); }, "a.wav"},
        {"no sample rate", [](TessaroWriter::Tone& t) { t.sampleRate = 0; }, "a.wav"},
        {"a channel map of another width", [](TessaroWriter::Tone& t) { t.channelMap = {1}; }, "a.wav"},
        {"a missing folder", [](TessaroWriter::Tone&) {}, "missing/a.wav"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TessaroWriter::Tone tone;
        tone.seconds = 0.01;
        c.change(tone);
        EXPECT_FALSE(TessaroWriter::writeToneFile(folder.path() / c.name, tone));
        EXPECT_TRUE(fs::is_empty(folder.path()));
    }
}

TEST(WriterProjectFile, FindsOnlyTheChunksItHoldsAndNamesARawChunkByItsId) {
    TessaroWriter::ProjectFile file;
    TessaroWriter::RawChunk raw;
    raw.id = "ZZZZ";
    file.add(raw);
    const TessaroWriter::ProjectFile& held = file;
    EXPECT_EQ(file.find<TessaroWriter::HeadChunk>(), nullptr);
    EXPECT_EQ(held.find<TessaroWriter::HeadChunk>(), nullptr);
    EXPECT_EQ(TessaroWriter::chunkId(file.chunks.front()), "ZZZZ");
}
