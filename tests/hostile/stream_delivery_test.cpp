// The readers against streams that are not plain files: every seed of the fuzz corpus
// imports alike whether the read gets the file, a stream that delivers what is asked, or
// one that delivers pieces of 1 to 7 bytes; a stream whose seek or tell fails ends the
// import with the one failure message.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/hostile/hostile_import.h"
#include "tests/support/test_streams.h"
#include "tools/writer/demo_project.h"
#include "tools/writer/writer.h"

using namespace TessaroHostile;
namespace fs = std::filesystem;

namespace {

std::vector<fs::path> seedFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(TESSARO_SOURCE_DIR) / "fuzz" / "corpus"))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::uint8_t> contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

TEST(StreamDelivery, EverySeedImportsAlikeWholeAndInPieces) {
    const auto files = seedFiles();
    ASSERT_GE(files.size(), 50u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const auto bytes = contents(file);
        const HostileRun whole = importHostile(bytes, Delivery::Whole);
        const HostileRun pieces = importHostile(bytes, Delivery::Pieces);
        EXPECT_EQ(whole.result, 0) << whole.readError;
        EXPECT_EQ(whole.messages, std::vector<std::string>{kCompleted});
        EXPECT_EQ(pieces.result, whole.result);
        EXPECT_EQ(pieces.readError, whole.readError);
        EXPECT_EQ(pieces.messages, whole.messages);
        EXPECT_EQ(pieces.report, whole.report);
        EXPECT_TRUE(whole.references.clean());
        EXPECT_TRUE(pieces.references.clean());
    }
}

TEST(StreamDelivery, APieceStreamFailsWhereTheWholeStreamFails) {
    // The demo cut one byte into the body of each of its chunks: the piece stream must not
    // read past the cut nor stop before it.
    const TessaroWriter::ProjectFile demo = TessaroWriter::demoProject();
    const auto bytes = demo.bytes();
    for (std::size_t i = 0; i < demo.chunks.size(); ++i) {
        const std::size_t cut = demo.offsetOf(i) + 4 + 4 + 1;
        SCOPED_TRACE(std::string(TessaroWriter::chunkId(demo.chunks[i])) + " at " +
                     std::to_string(cut));
        const std::vector<std::uint8_t> head(bytes.begin(), bytes.begin() + static_cast<long>(cut));
        const HostileRun whole = importHostile(head, Delivery::Whole);
        const HostileRun pieces = importHostile(head, Delivery::Pieces);
        EXPECT_EQ(whole.result, 1);
        EXPECT_FALSE(whole.readError.empty());
        EXPECT_EQ(pieces.readError, whole.readError);
        // The failure lies in the cut chunk's body, and pieces place it alike.
        ASSERT_TRUE(whole.diagnostics.failure);
        const auto& failure = *whole.diagnostics.failure;
        EXPECT_EQ(failure.chunkId, TessaroWriter::chunkId(demo.chunks[i]));
        EXPECT_EQ(failure.chunkIndex, static_cast<std::int32_t>(i));
        EXPECT_GE(failure.byteOffset, static_cast<std::int64_t>(demo.offsetOf(i) + 8));
        EXPECT_LE(failure.byteOffset, static_cast<std::int64_t>(cut));
        ASSERT_TRUE(pieces.diagnostics.failure);
        EXPECT_EQ(*pieces.diagnostics.failure, failure);
        EXPECT_EQ(pieces.messages, std::vector<std::string>{kUnknownFormat});
        EXPECT_EQ(pieces.report, whole.report);
        EXPECT_TRUE(pieces.references.clean());
    }
}

TEST(StreamDelivery, AFailedSeekOrTellEndsTheImportWithTheOneMessage) {
    using Fault = TessaroTest::FaultyStream::Fault;
    struct Case {
        Fault fault;
        const char* readError;
    };
    const Case cases[] = {
        {Fault::SeekToEnd, "Could not seek file to end"},
        {Fault::Tell, "Could not read file size"},
        {Fault::SeekToStart, "Could not seek file back to start"},
        {Fault::AnySeek, "Could not seek file to end"},
    };
    const auto demo = contents(fs::path(TESSARO_SOURCE_DIR) / "examples" / "Demo" / "Demo.tsp");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.readError);
        TessaroTest::TempFolder folder;
        const auto file = folder.write("project.tsp", demo);
        auto host = TessaroTest::makeHost();
        host->setProjectFolder(folder.path());
        TessaroTest::FaultyStream stream(demo, c.fault);
        const auto run = TessaroFuzz::importWith(*host, file, &stream);
        EXPECT_EQ(run.result, 1);
        EXPECT_EQ(run.readError, c.readError);
        EXPECT_EQ(run.messages, std::vector<std::string>{kUnknownFormat});
        EXPECT_TRUE(run.references.clean());
        EXPECT_EQ(stream.count(), 1u);
        EXPECT_EQ(stream.overReleased(), 0u);
    }
}

TEST(StreamDelivery, AFailedSkipInsideTheFileEndsTheImportWithTheOneMessage) {
    // Every seek after the start fails: the chunk loop cannot pass over the bytes a chunk
    // holds beyond what its reader reads.
    using namespace TessaroWriter;
    ProjectFile f;
    f.add(HeadChunk{});
    OutputBusChunk longer;
    longer.extra = std::vector<std::uint8_t>(70000, 0);  // beyond what the reader buffers
    f.add(longer);
    f.add(KeyboardChunk{});
    const auto bytes = f.bytes();

    class SkipFails : public TessaroTest::BufferStream {
    public:
        using BufferStream::BufferStream;
        Host::tresult seek(Host::int64 pos, Host::int32 mode, Host::int64* result) override {
            if (mode == kSeekCur) return Host::kResultFalse;
            return BufferStream::seek(pos, mode, result);
        }
    };
    TessaroTest::TempFolder folder;
    const auto file = folder.write("project.tsp", bytes);
    auto host = TessaroTest::makeHost();
    host->setProjectFolder(folder.path());
    SkipFails stream(bytes);
    const auto run = TessaroFuzz::importWith(*host, file, &stream);
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.readError, "Could not skip to the end of chunk OUTB");
    EXPECT_EQ(run.messages, std::vector<std::string>{kUnknownFormat});
    EXPECT_TRUE(run.references.clean());
}
