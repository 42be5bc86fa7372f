// The view of one chunk: what it knows of the chunk (id, place, declared size, what was
// consumed, what is left), reads that may pass the declared size and reads that may not,
// the count check before records are made, and the loop's skip to the declared end.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "reader/chunk_view.h"
#include "reader/file_reader.h"
#include "reader/reader_error.h"
#include "tests/support/test_streams.h"

using namespace Tessaro;
using TessaroTest::BufferStream;
using TessaroTest::PieceStream;

namespace {

// A file of `before` filler bytes, then a chunk's size field (declared), then body bytes
// 0, 1, 2 ... of which `have` are in the file.
std::vector<std::uint8_t> chunkFile(std::size_t before, std::uint32_t declared, std::size_t have) {
    std::vector<std::uint8_t> bytes(before, 0xEE);
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(declared >> (8 * i)));
    for (std::size_t i = 0; i < have; ++i) bytes.push_back(static_cast<std::uint8_t>(i));
    return bytes;
}

// A reader over the stream, measured as the chunk loop measures the file, standing at
// `at`.
struct Opened {
    explicit Opened(BufferStream& stream, std::size_t at = 0) : in(&stream) {
        std::uint64_t size = 0;
        EXPECT_TRUE(in.seekToEnd() && in.tellSize(&size) && in.seekToStart());
        EXPECT_TRUE(in.skip(at));
    }
    FileReader in;
};

std::string errorOf(const std::function<void()>& read) {
    try {
        read();
    } catch (const ReaderError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(ChunkView, KnowsItsChunkAndWhatWasConsumed) {
    BufferStream stream(chunkFile(12, 10, 10));
    Opened file(stream, 12);
    ChunkView chunk(file.in, "TEST", 3, 8);
    EXPECT_EQ(chunk.id(), "TEST");
    EXPECT_EQ(chunk.index(), 3u);
    EXPECT_EQ(chunk.offset(), 8u);
    EXPECT_EQ(chunk.declaredSize(), 0u);
    EXPECT_EQ(chunk.left(), 0u);

    EXPECT_EQ(chunk.readSize(10, "size"), 10u);
    EXPECT_EQ(chunk.fieldOffset(), 16u);
    EXPECT_EQ(chunk.u16("a"), 0x0100);
    EXPECT_EQ(chunk.consumed(), 2u);
    EXPECT_EQ(chunk.left(), 8u);
    EXPECT_EQ(chunk.fieldOffset(), 18u);

    // The loop's skip takes the chunk to its declared end.
    chunk.skipToEnd();
    EXPECT_EQ(chunk.consumed(), 10u);
    EXPECT_EQ(file.in.position(), 26u);
}

TEST(ChunkView, ASizeBelowItsMinimumOrCutShortFails) {
    BufferStream small(chunkFile(0, 9, 9));
    Opened a(small);
    ChunkView chunk(a.in, "TEST", 0, 0);
    EXPECT_EQ(errorOf([&] { chunk.readSize(10, "TEST chunk size too short"); }),
              "TEST chunk size too short");

    BufferStream cut(std::vector<std::uint8_t>{1, 0, 0});
    Opened b(cut);
    ChunkView none(b.in, "TEST", 0, 0);
    EXPECT_EQ(errorOf([&] { none.readSize(0, "no size"); }), "no size");
}

TEST(ChunkView, WhatIsLeftIsNeverMoreThanTheFileHolds) {
    // The size field claims 4 GB; the file holds 6 body bytes.
    PieceStream stream(chunkFile(0, 0xFFFFFFFF, 6));
    Opened file(stream);
    ChunkView chunk(file.in, "TEST", 0, 0);
    chunk.readSize(0, "size");
    EXPECT_EQ(chunk.left(), 6u);
    EXPECT_EQ(chunk.leftInFile(), 6u);
    chunk.u32("a");
    EXPECT_EQ(chunk.left(), 2u);
}

TEST(ChunkView, ReadsMayPassTheDeclaredSizeWhereWithinMayNot) {
    // Declared 4 body bytes; 8 follow in the file.
    BufferStream stream(chunkFile(0, 4, 8));
    Opened file(stream);
    ChunkView chunk(file.in, "TEST", 0, 0);
    chunk.readSize(0, "size");
    auto inChunk = chunk.within();
    EXPECT_EQ(inChunk.u16("first"), 0x0100);
    EXPECT_EQ(errorOf([&] { inChunk.u32("beyond the chunk"); }), "beyond the chunk");
    // The failed read consumed nothing; a plain read goes on past the declared end, and the
    // loop's skip then has nothing left to skip.
    EXPECT_EQ(chunk.consumed(), 2u);
    EXPECT_EQ(chunk.u32("on"), 0x05040302u);
    EXPECT_EQ(chunk.consumed(), 6u);
    EXPECT_EQ(chunk.left(), 0u);
    chunk.skipToEnd();
    EXPECT_EQ(chunk.consumed(), 6u);
}

TEST(ChunkView, ATextThatCannotBeReadIsEmptyAndReadingGoesOnBehindItsCount) {
    // A count of 3 units with one unit behind it, then nothing.
    BufferStream stream(std::vector<std::uint8_t>{8, 0, 0, 0, 3, 0, 0x41, 0});
    Opened file(stream);
    ChunkView chunk(file.in, "TEST", 0, 0);
    chunk.readSize(0, "size");
    EXPECT_EQ(chunk.text(), u"");
    EXPECT_EQ(chunk.consumed(), 2u);
    EXPECT_EQ(chunk.u16("the unit"), 0x41);
}

TEST(ChunkView, ACountTheChunkCannotHoldFailsAtTheFieldWhereItsBytesRunOut) {
    // Records of 10 bytes: fields of 4, 4, 1 and 1 bytes, then a tail of 0 to 2 unread bytes.
    struct Case {
        std::uint64_t count;
        std::uint64_t stride;
        std::uint32_t left;
        const char* error;  // empty: the records fit
    };
    const Case cases[] = {
        {2, 10, 20, ""},
        {0, 10, 0, ""},
        {3, 10, 20, "first"},
        {3, 10, 24, "second"},
        {3, 10, 28, "third"},
        {3, 10, 29, "fourth"},
        {3, 12, 34, "first"},  // cut in the third record's tail
        {0xFFFFFFFFFFFFFFFFull, 16, 20, "second"},  // count × stride does not fit 64 bits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " × " << c.stride << " in " << c.left);
        BufferStream stream(chunkFile(0, c.left, c.left));
        Opened file(stream);
        ChunkView chunk(file.in, "TEST", 0, 0);
        chunk.readSize(0, "size");
        EXPECT_EQ(errorOf([&] {
                      chunk.requireRecords(c.count, c.stride,
                                           {{4, "first"}, {4, "second"}, {1, "third"},
                                            {1, "fourth"}});
                  }),
                  c.error);
        EXPECT_EQ(chunk.consumed(), 0u);
    }
}

TEST(ChunkView, ASkipPastTheEndOfTheFileSucceedsAsTheStreamsSeek) {
    BufferStream stream(chunkFile(0, 100, 4));
    Opened file(stream);
    ChunkView chunk(file.in, "TEST", 0, 0);
    chunk.readSize(0, "size");
    chunk.skip(50);
    EXPECT_EQ(chunk.consumed(), 50u);
    EXPECT_EQ(errorOf([&] { chunk.u8("behind the end"); }), "behind the end");

    using TessaroTest::FaultyStream;
    FaultyStream refuses(chunkFile(0, 100, 100), FaultyStream::Fault::AnySeek);
    FileReader in(&refuses);
    ChunkView seekless(in, "TEST", 0, 0);
    seekless.readSize(0, "size");
    EXPECT_EQ(errorOf([&] { seekless.skip(200000); }), "Could not skip in chunk TEST");
    EXPECT_EQ(errorOf([&] { seekless.skip(200000, "its field"); }), "its field");
}
