// The chunk loop: magic, the "HEAD" rule, unknown ids, skips and the errors of the file's
// frame, read through the importer directly with no host behind it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "module/import_run.h"
#include "tests/support/test_streams.h"
#include "tools/writer/writer.h"

using namespace Tessaro;
using TessaroTest::BufferStream;
using TessaroTest::FaultyStream;
using TessaroTest::PieceStream;
using namespace TessaroWriter;

namespace {

struct Outcome {
    std::int32_t result;
    std::string error;
    std::vector<std::uint16_t> presetTracks;  // the track numbers of the presets read
};

template <class Stream>
Outcome readWith(Stream& stream) {
    TessaroImporter importer(nullptr, nullptr, nullptr);
    const std::int32_t result = importer.readAndBuild(&stream);
    EXPECT_EQ(stream.count(), 1u) << "the loop must not keep the stream";
    Outcome outcome{result, importer.readError, {}};
    for (const auto& preset : importer.song.lists.presets)
        outcome.presetTracks.push_back(preset.trackNumber);
    return outcome;
}

Outcome read(const std::vector<std::uint8_t>& bytes) {
    BufferStream whole(bytes);
    const Outcome a = readWith(whole);
    PieceStream pieces(bytes);
    const Outcome b = readWith(pieces);
    EXPECT_EQ(a.result, b.result);
    EXPECT_EQ(a.error, b.error);
    EXPECT_EQ(a.presetTracks, b.presetTracks);
    return a;
}

std::vector<std::uint8_t> withHead(std::vector<std::uint8_t> after = {}) {
    ProjectFile file;
    file.add(HeadChunk{});
    auto bytes = file.bytes();
    bytes.insert(bytes.end(), after.begin(), after.end());
    return bytes;
}

std::vector<std::uint8_t> ascii(const char* text, std::size_t n) {
    return std::vector<std::uint8_t>(text, text + n);
}

}  // namespace

TEST(ChunkLoop, FramesThatFail) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* error;
    };
    std::vector<std::uint8_t> wrongMagic = withHead();
    wrongMagic[0] = 0x98;
    ProjectFile outbFirst;
    outbFirst.add(OutputBusChunk{});
    const Case cases[] = {
        {"empty file", {}, "Could not read magic number."},
        {"seven magic bytes", {0x99, 0x63, 0x6D, 0x70, 0x0D, 0x0A, 0x1A}, "Could not read magic number."},
        {"wrong magic", wrongMagic, "Wrong magic number."},
        {"first chunk not HEAD", outbFirst.bytes(), "HEAD chunk not found."},
        {"id cut by the end of the file",
         [] { auto b = withHead(); b.resize(8 + 2); b[8] = 'H'; b[9] = 'E'; return b; }(),
         "HEAD chunk not found."},
        {"id with a zero byte", withHead(ascii("AB\0\0", 4)), "cannot read chunk ID"},
    };
    for (const auto& c : cases) {
        const Outcome o = read(c.bytes);
        EXPECT_EQ(o.result, 1) << c.name;
        EXPECT_EQ(o.error, c.error) << c.name;
    }
}

TEST(ChunkLoop, OnlyTheMagicIsAnEmptyProject) {
    const Outcome o = read(std::vector<std::uint8_t>(kMagic.begin(), kMagic.end()));
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.error, "");
}

TEST(ChunkLoop, UnknownIdsAdvanceFourBytesOnly) {
    // "ZZZZ" is passed over; the next four bytes are taken as the next id, so a known
    // chunk right behind it is read as usual.
    ProjectFile file;
    file.add(HeadChunk{});
    file.add(RawChunk{.id = "ZZZZ", .withSize = false, .body = {}, .sizeOverride = {}});
    file.add(KeyboardChunk{});
    PresetChunk preset;
    preset.trackNumber = 3;
    preset.data = {1};
    file.add(preset);
    const Outcome o = read(file.bytes());
    EXPECT_EQ(o.result, 0) << o.error;
    EXPECT_EQ(o.presetTracks, std::vector<std::uint16_t>{3});

    // With a size field behind the unknown id, the size is read as an id: a size of 0
    // gives an empty id (4 zero bytes), which is passed over too.
    ProjectFile sized;
    sized.add(HeadChunk{});
    sized.add(RawChunk{.id = "ZZZZ", .withSize = true, .body = {}, .sizeOverride = {}});
    EXPECT_EQ(read(sized.bytes()).result, 0);
}

TEST(ChunkLoop, AChunkIsSkippedToItsDeclaredEnd) {
    // A keyboard chunk declared 20 bytes longer than its fields: the loop skips the rest
    // and the chunk after it is read from its own start.
    ProjectFile file;
    file.add(HeadChunk{});
    KeyboardChunk keyboard;
    keyboard.extra.assign(20, 0xEE);
    file.add(keyboard);
    PresetChunk preset;
    preset.trackNumber = 4;
    preset.data = {1};
    file.add(preset);
    const Outcome o = read(file.bytes());
    EXPECT_EQ(o.result, 0) << o.error;
    EXPECT_EQ(o.presetTracks, std::vector<std::uint16_t>{4});
}

TEST(ChunkLoop, EveryTrackTheHeaderDeclaresMustBeThere) {
    struct Case {
        std::uint16_t declared;
        std::uint16_t held;
        const char* error;
    };
    const Case cases[] = {{3, 2, "too few tracks"}, {2, 2, ""}, {1, 2, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.declared << " declared, " << c.held << " held");
        ProjectFile file;
        file.add(HeadChunk{}).trackCount = c.declared;
        for (std::uint16_t n = 1; n <= c.held; ++n) file.add(TrackInfoChunk{}).trackNumber = n;
        const Outcome o = read(file.bytes());
        EXPECT_EQ(o.error, c.error);
        EXPECT_EQ(o.result, *c.error ? 1 : 0);
    }
}

TEST(ChunkLoop, StreamsThatCannotSeekOrTell) {
    const auto bytes = withHead();
    struct Case {
        FaultyStream::Fault fault;
        const char* error;
    };
    const Case cases[] = {
        {FaultyStream::Fault::SeekToEnd, "Could not seek file to end"},
        {FaultyStream::Fault::Tell, "Could not read file size"},
        {FaultyStream::Fault::SeekToStart, "Could not seek file back to start"},
    };
    for (const auto& c : cases) {
        FaultyStream stream(bytes, c.fault);
        const Outcome o = readWith(stream);
        EXPECT_EQ(o.result, 1);
        EXPECT_EQ(o.error, c.error);
    }
}
