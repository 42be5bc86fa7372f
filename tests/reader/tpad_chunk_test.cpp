// The "TPAD" chunk reader: the bytes it consumes and every field's message. Nothing of the
// chunk is kept.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "reader/chunks.h"
#include "tests/support/chunk_read.h"
#include "tests/support/test_streams.h"
#include "tools/writer/writer.h"

namespace {

using namespace TessaroWriter;

using KeyLists = std::vector<std::vector<std::uint8_t>>;

PadChunk pads(KeyLists chordButtons, std::vector<std::uint8_t> drumPadKeys, KeyLists chordPads,
              std::vector<std::uint8_t> extra = {}) {
    PadChunk chunk;
    chunk.chordButtons = std::move(chordButtons);
    chunk.drumPadKeys = std::move(drumPadKeys);
    chunk.chordPads = std::move(chordPads);
    chunk.extra = std::move(extra);
    return chunk;
}

PadChunk sized(std::uint32_t size) {
    PadChunk chunk;
    chunk.sizeOverride = size;
    return chunk;
}

std::vector<std::uint8_t> behindId(const PadChunk& chunk) {
    std::vector<std::uint8_t> bytes = encode(chunk, kLatestVersion);
    bytes.erase(bytes.begin(), bytes.begin() + 4);
    return bytes;
}

struct Outcome : TessaroTest::ChunkRead {
    bool listsEmpty = false;
};

template <class Stream>
Outcome readChunk(std::vector<std::uint8_t> bytes) {
    Tessaro::HostSession host(nullptr, nullptr, nullptr);
    Tessaro::SongModel song;
    Stream stream(std::move(bytes));
    Outcome out;
    static_cast<TessaroTest::ChunkRead&>(out) =
        TessaroTest::readOneChunk(Tessaro::readPads, "TPAD", stream, host, song);
    const Tessaro::SongLists& lists = song.lists;
    out.listsEmpty = lists.automation.empty() && lists.presets.empty() &&
                     lists.effectsOnChannels.empty() && lists.effectsOnBuses.empty();
    return out;
}

struct ConsumeCase {
    const char* what;
    PadChunk chunk;
    std::uint32_t consumed;
};

TEST(PadChunk, ConsumesTheCountsAndEveryKey) {
    const std::vector<ConsumeCase> cases = {
        {"nothing but the counts", PadChunk{}, 5},
        {"two chord buttons of three, four drum pads, a chord pad of two",
         pads({{60, 64, 67}, {62, 65, 69}}, {36, 38, 42, 46}, {{48, 55}}), 20},
        {"lists without keys", pads({{}, {}}, {}, {{}}), 8},
        {"largest lists",
         pads(KeyLists(255, std::vector<std::uint8_t>(255, 1)), std::vector<std::uint8_t>(255, 2),
              KeyLists(255, std::vector<std::uint8_t>(255, 3))),
         5 + 255 * 256 + 255 + 255 * 256},
        {"more in the chunk than the pads", pads({}, {36}, {}, {0, 0, 0}), 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const Outcome& out : {readChunk<TessaroTest::BufferStream>(behindId(c.chunk)),
                                   readChunk<TessaroTest::PieceStream>(behindId(c.chunk))}) {
            EXPECT_EQ(out.error, "");
            EXPECT_EQ(out.read, 4 + c.consumed);
            EXPECT_EQ(out.next, 4 + c.consumed + c.chunk.extra.size());
            EXPECT_TRUE(out.listsEmpty);
        }
    }
}

TEST(PadChunk, EachFieldCutShortFailsWithItsMessage) {
    // One of each: behind the size, track number 0-1, button count 2, button key count 3,
    // button key 4, drum pad count 5, drum pad key 6, chord pad count 7, chord pad key
    // count 8, chord pad keys 9-10.
    const std::vector<std::uint8_t> whole = behindId(pads({{60}}, {36}, {{48, 52}}));
    ASSERT_EQ(whole.size(), 4u + 11u);
    struct Cut {
        std::size_t keep;  // bytes behind the size field
        const char* message;
    };
    const Cut cuts[] = {
        {0, "Cannot read track number in TPAD chunk."},
        {1, "Cannot read track number in TPAD chunk."},
        {2, "cannot read chord button count."},
        {3, "cannot read chord button key count"},
        {4, "cannot read chord button key"},
        {5, "cannot read drum pad count of track"},
        {6, "cannot read drum pad keys of track"},
        {7, "cannot read chord pad count of track"},
        {8, "cannot read chord key count of track"},
        {9, "cannot read chord pad key of track"},
        {10, "cannot read chord pad key of track"},
        {11, ""},
    };
    for (const auto& cut : cuts) {
        SCOPED_TRACE(cut.keep);
        const std::vector<std::uint8_t> bytes(whole.begin(), whole.begin() + 4 + cut.keep);
        EXPECT_EQ(readChunk<TessaroTest::BufferStream>(bytes).error, cut.message);
        EXPECT_EQ(readChunk<TessaroTest::PieceStream>(bytes).error, cut.message);
    }
}

TEST(PadChunk, SizeBelowFiveIsTooShort) {
    const std::vector<std::uint8_t> whole = behindId(PadChunk{});
    for (const std::size_t keep : {0u, 3u})
        EXPECT_EQ(readChunk<TessaroTest::BufferStream>({whole.begin(), whole.begin() + keep}).error,
                  "TPAD chunk size too short")
            << keep;
    EXPECT_EQ(readChunk<TessaroTest::BufferStream>(behindId(sized(4))).error,
              "TPAD chunk size too short");
    EXPECT_EQ(readChunk<TessaroTest::BufferStream>(behindId(sized(5))).error,
              "");
}

}  // namespace
