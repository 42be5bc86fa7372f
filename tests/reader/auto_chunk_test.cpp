// The "AUTO" chunk reader: which curves are kept, what they hold, the bytes consumed, and
// every field's message. Each case runs over a plain stream and over one that delivers
// its reads in small pieces.
#include <cmath>
#include <cstdint>
#include <limits>
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
using Tessaro::AutomationRecord;

enum class Delivery { Whole, Pieces };
constexpr Delivery kDeliveries[] = {Delivery::Whole, Delivery::Pieces};

std::unique_ptr<TessaroTest::BufferStream> streamOf(std::vector<std::uint8_t> bytes,
                                                    Delivery delivery) {
    if (delivery == Delivery::Pieces)
        return std::make_unique<TessaroTest::PieceStream>(std::move(bytes));
    return std::make_unique<TessaroTest::BufferStream>(std::move(bytes));
}

// The chunk as the reader meets it: behind its id, followed by whatever comes next.
std::vector<std::uint8_t> behindId(const AutomationChunk& chunk,
                                   const std::vector<std::uint8_t>& following = {}) {
    std::vector<std::uint8_t> bytes = encode(chunk, kLatestVersion);
    bytes.erase(bytes.begin(), bytes.begin() + 4);
    bytes.insert(bytes.end(), following.begin(), following.end());
    return bytes;
}

// What one read left behind: the error text (empty on success), what the stream saw and
// the song model.
struct Outcome : TessaroTest::ChunkRead {
    std::unique_ptr<Tessaro::SongModel> song;
};

Outcome readChunk(std::vector<std::uint8_t> bytes, Delivery delivery) {
    Outcome out;
    out.song = std::make_unique<Tessaro::SongModel>();
    Tessaro::HostSession host(nullptr, nullptr, nullptr);
    auto stream = streamOf(std::move(bytes), delivery);
    static_cast<TessaroTest::ChunkRead&>(out) =
        TessaroTest::readOneChunk(Tessaro::readAutomation, "AUTO", *stream, host, *out.song);
    return out;
}

AutomationChunk curve(std::uint16_t type, std::uint32_t targetId,
                      std::vector<AutomationPoint> points) {
    AutomationChunk chunk;
    chunk.type = type;
    chunk.targetId = targetId;
    chunk.points = std::move(points);
    return chunk;
}

std::vector<AutomationPoint> pointsAt(std::initializer_list<std::uint32_t> positions) {
    std::vector<AutomationPoint> points;
    float value = 0.25f;
    for (std::uint32_t p : positions) points.push_back({p, value += 0.5f, 0});
    return points;
}

// A chunk that follows the curve in the file; a reader that reads past its chunk meets it.
const std::vector<std::uint8_t> kNextChunk =
    encode(curve(2, 300, pointsAt({0, 1, 2, 3})), kLatestVersion);

struct KeepCase {
    const char* what;
    std::uint16_t type;
    std::uint32_t targetId;
    std::vector<AutomationPoint> points;
    bool kept;
    std::uint32_t consumed;
};

TEST(AutomationChunk, KeepsOnlyCurvesTheBuilderCanUse) {
    const std::vector<KeepCase> cases = {
        {"type 0", 0, 100, pointsAt({0, 10}), false, 13},
        {"type 4", 4, 100, pointsAt({0, 10}), false, 13},
        {"type 65535", 65535, 100, pointsAt({0}), false, 13},
        {"target 99", 1, 99, pointsAt({0, 10}), false, 13},
        {"target negative as signed", 1, 0x80000064u, pointsAt({0}), false, 13},
        {"no points", 1, 200, {}, false, 13},
        {"target 100, one point", 1, 100, pointsAt({480}), true, 22},
        {"pan, three points", 2, 250, pointsAt({0, 240, 960}), true, 40},
        {"third kind, largest target", 3, 0x7FFFFFFFu, pointsAt({7, 8}), true, 31},
    };
    for (const auto& c : cases) {
        for (const Delivery delivery : kDeliveries) {
            SCOPED_TRACE(c.what);
            const Outcome out =
                readChunk(behindId(curve(c.type, c.targetId, c.points), kNextChunk), delivery);
            EXPECT_EQ(out.error, "");
            EXPECT_EQ(out.read, 4 + c.consumed);
            // The points of a curve that is not kept are left to the loop's skip.
            EXPECT_EQ(out.next, 4 + 13 + 9 * c.points.size());
            ASSERT_EQ(out.song->lists.automation.size(), c.kept ? 1u : 0u);
            if (!c.kept) continue;
            const AutomationRecord& record = out.song->lists.automation.front();
            EXPECT_EQ(record.type, c.type);
            EXPECT_EQ(record.targetId, static_cast<std::int32_t>(c.targetId));
            ASSERT_EQ(record.positions.size(), c.points.size());
            ASSERT_EQ(record.values.size(), c.points.size());
            for (std::size_t i = 0; i < c.points.size(); ++i) {
                EXPECT_EQ(record.positions[i], c.points[i].position) << i;
                EXPECT_EQ(record.values[i], c.points[i].value) << i;
            }
        }
    }
}

TEST(AutomationChunk, KeepsValuesAsStoredAndDropsCurveTypes) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const AutomationChunk chunk =
        curve(1, 100, {{0xFFFFFFFFu, -3.5f, 0}, {0, nan, 255}, {17, 1e30f, 7}});
    for (const Delivery delivery : kDeliveries) {
        const Outcome out = readChunk(behindId(chunk), delivery);
        ASSERT_EQ(out.error, "");
        ASSERT_EQ(out.song->lists.automation.size(), 1u);
        const AutomationRecord& record = out.song->lists.automation.front();
        EXPECT_EQ(record.positions, (std::vector<std::uint32_t>{0xFFFFFFFFu, 0, 17}));
        ASSERT_EQ(record.values.size(), 3u);
        EXPECT_EQ(record.values[0], -3.5f);
        EXPECT_TRUE(std::isnan(record.values[1]));
        EXPECT_EQ(record.values[2], 1e30f);
    }
}

TEST(AutomationChunk, ConsumesOnlyThePointsWhenTheChunkHoldsMore) {
    AutomationChunk chunk = curve(1, 100, pointsAt({0, 5}));
    chunk.extra = {1, 2, 3, 4, 5, 6, 7};
    const Outcome out = readChunk(behindId(chunk), Delivery::Whole);
    EXPECT_EQ(out.error, "");
    EXPECT_EQ(out.read, 4u + 31u);
    EXPECT_EQ(out.next, 4u + 38u);
}

struct FlagCase {
    const char* what;
    std::uint16_t type;  // 0: a curve that would not be kept
    std::uint8_t enabled, read, write;
    const char* message;
};

TEST(AutomationChunk, FlagsAreZeroOrOneEvenOnCurvesThatAreDropped) {
    const FlagCase cases[] = {
        {"enabled 2 on a dropped curve", 0, 2, 0, 0, "cannot read automation enabled flag"},
        {"enabled 2 on a kept curve", 1, 2, 0, 0, "cannot read automation enabled flag"},
        {"read 2", 0, 1, 2, 0, "cannot read automation read flag"},
        {"read 255", 3, 0, 255, 1, "cannot read automation read flag"},
        {"write 2", 0, 0, 1, 2, "cannot read automation write flag"},
        {"write 128", 2, 1, 1, 128, "cannot read automation write flag"},
        {"all ones", 1, 1, 1, 1, ""},
        {"all zeros", 1, 0, 0, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AutomationChunk chunk = curve(c.type, 100, pointsAt({0}));
        chunk.enabled = c.enabled;
        chunk.read = c.read;
        chunk.write = c.write;
        const Outcome out = readChunk(behindId(chunk), Delivery::Whole);
        EXPECT_EQ(out.error, c.message);
        // A bad flag stops the read before any record is made.
        if (*c.message) {
            EXPECT_TRUE(out.song->lists.automation.empty());
        }
    }
}

TEST(AutomationChunk, EachFixedFieldCutShortFailsWithItsMessage) {
    // Behind the id: size 0-3, type 4-5, target 6-9, flags 10-12, count 13-16, points 17-.
    const std::vector<std::uint8_t> whole =
        behindId(curve(1, 100, pointsAt({0, 1})));
    struct Cut {
        std::size_t keep;
        const char* message;
    };
    const Cut cuts[] = {
        {0, "AUTO chunk size too short"},
        {3, "AUTO chunk size too short"},
        {4, "cannot read automation type"},
        {5, "cannot read automation type"},
        {6, "cannot read automation target ID"},
        {9, "cannot read automation target ID"},
        {10, "cannot read automation enabled flag"},
        {11, "cannot read automation read flag"},
        {12, "cannot read automation write flag"},
        {13, "cannot read automation value count"},
        {16, "cannot read automation value count"},
        {17, "cannot read automation position"},
        {20, "cannot read automation position"},
        {21, "cannot read automation value"},
        {24, "cannot read automation value"},
        {25, "cannot read automation curve type"},
        {26, "cannot read automation position"},
    };
    for (const auto& cut : cuts) {
        for (const Delivery delivery : kDeliveries) {
            SCOPED_TRACE(cut.keep);
            const std::vector<std::uint8_t> bytes(whole.begin(), whole.begin() + cut.keep);
            EXPECT_EQ(readChunk(bytes, delivery).error, cut.message);
        }
    }
}

TEST(AutomationChunk, SizeBelowThirteenIsTooShort) {
    for (const std::uint32_t size : {0u, 12u}) {
        AutomationChunk chunk = curve(0, 100, {});
        chunk.sizeOverride = size;
        EXPECT_EQ(readChunk(behindId(chunk), Delivery::Whole).error, "AUTO chunk size too short")
            << size;
    }
    AutomationChunk exact = curve(0, 100, {});
    exact.sizeOverride = 13;
    EXPECT_EQ(readChunk(behindId(exact), Delivery::Whole).error, "");
}

// A point count is any 32-bit number; the points it promises must lie inside the chunk.
// A count the chunk cannot hold fails at the first field that lies beyond it, whatever
// the stream holds after the chunk, and costs no more memory than the chunk's points.
struct CountCase {
    const char* what;
    std::uint32_t count;
    std::size_t pointsWritten;
    std::vector<std::uint8_t> extra;  // part of a further point inside the chunk
    const char* message;
};

TEST(AutomationChunk, CountBeyondTheChunkFailsAtTheFirstMissingPoint) {
    const std::vector<CountCase> cases = {
        {"huge count, two points", 0xFFFFFFFFu, 2, {}, "cannot read automation position"},
        {"huge count, no point", 0xFFFFFFFFu, 0, {}, "cannot read automation position"},
        {"one too many", 3, 2, {}, "cannot read automation position"},
        {"position of the next point in the chunk", 0x10000000u, 2, {1, 0, 0, 0},
         "cannot read automation value"},
        {"position and value in the chunk", 3, 1, {1, 0, 0, 0, 0, 0, 0x80, 0x3F},
         "cannot read automation curve type"},
        {"three bytes of a position", 0x20000000u, 1, {9, 9, 9},
         "cannot read automation position"},
    };
    for (const auto& c : cases) {
        for (const Delivery delivery : kDeliveries) {
            SCOPED_TRACE(c.what);
            std::vector<AutomationPoint> points;
            for (std::size_t i = 0; i < c.pointsWritten; ++i)
                points.push_back({static_cast<std::uint32_t>(100 * i), 0.5f, 0});
            AutomationChunk chunk = curve(2, 400, points);
            chunk.countOverride = c.count;
            chunk.extra = c.extra;
            // The stream goes on with a whole further chunk: only the chunk's size stops
            // the reader.
            const Outcome out = readChunk(behindId(chunk, kNextChunk), delivery);
            EXPECT_EQ(out.error, c.message);
            ASSERT_EQ(out.song->lists.automation.size(), 1u);
            const AutomationRecord& record = out.song->lists.automation.front();
            EXPECT_EQ(record.type, 2);
            EXPECT_EQ(record.targetId, 400);
            ASSERT_EQ(record.positions.size(), c.pointsWritten);
            ASSERT_EQ(record.values.size(), c.pointsWritten);
            for (std::size_t i = 0; i < c.pointsWritten; ++i)
                EXPECT_EQ(record.positions[i], 100 * i);
            // Room for what the chunk can hold, no more.
            const std::size_t fits = (out.declared - 13) / 9;
            EXPECT_LE(record.positions.capacity(), fits);
            EXPECT_LE(record.values.capacity(), fits);
        }
    }
}

TEST(AutomationChunk, CountTheFileCannotHoldFailsWithThePointsReadSoFar) {
    // The size field claims the points, but the file ends after two of them.
    AutomationChunk chunk = curve(1, 100, pointsAt({3, 4}));
    chunk.countOverride = 0x0FFFFFFFu;
    chunk.sizeOverride = 0xFFFFFFFFu;
    for (const Delivery delivery : kDeliveries) {
        const Outcome out = readChunk(behindId(chunk), delivery);
        EXPECT_EQ(out.error, "cannot read automation position");
        ASSERT_EQ(out.song->lists.automation.size(), 1u);
        const AutomationRecord& record = out.song->lists.automation.front();
        EXPECT_EQ(record.positions, (std::vector<std::uint32_t>{3, 4}));
        // Room for what the file holds, though the chunk claims 4 GB.
        EXPECT_LE(record.positions.capacity(), 2u);
        EXPECT_LE(record.values.capacity(), 2u);
    }
}

}  // namespace
