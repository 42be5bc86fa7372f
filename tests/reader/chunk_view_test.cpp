// The view of one chunk: what it knows of the chunk (id, place, declared size, what was
// consumed, what is left), reads that may pass the declared size and reads that may not,
// fixed-size ids, sub-ranges of a declared size, record layouts read and counted from one
// table, the count check before records are made, and the loop's skip to the declared end.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <tuple>
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

namespace {

// The message of the error a read raises and the file offset it is placed at (where the
// reader stands when the field could not be read).
struct Failure {
    std::string text;
    std::uint64_t at = 0;
    friend bool operator==(const Failure&, const Failure&) = default;
};
Failure failureOf(const ChunkView& chunk, const std::function<void()>& read) {
    try {
        read();
    } catch (const ReaderError& e) {
        return {e.what(), e.fieldOffset().value_or(chunk.fieldOffset())};
    }
    return {};
}
std::ostream& operator<<(std::ostream& out, const Failure& f) {
    return out << '"' << f.text << "\" at " << f.at;
}

// A chunk of `declared` body bytes (0, 1, 2 ...) of which the file holds `have`, behind
// `before` filler bytes, its size field read.
struct SizedChunk {
    SizedChunk(std::uint32_t declared, std::size_t have, std::size_t before = 0)
        : stream(chunkFile(before, declared, have)), file(stream, before) {
        chunk.readSize(0, "size");
    }
    BufferStream stream;
    Opened file;
    ChunkView chunk{file.in, "TEST", 0, 0};
};

}  // namespace

TEST(ChunkView, BytesReadsAnIdWholeOrFailsConsumingNothing) {
    SizedChunk file(8, 6);
    ChunkView& chunk = file.chunk;
    const std::array<std::uint8_t, 4> id = chunk.bytes<4>("no id");
    EXPECT_EQ(id, (std::array<std::uint8_t, 4>{0, 1, 2, 3}));
    // Two bytes are left of the file: a second id cannot be read, and nothing of it is taken.
    EXPECT_EQ(failureOf(chunk, [&] { chunk.bytes<4>("no second id"); }),
              (Failure{"no second id", 8}));
    EXPECT_EQ(chunk.consumed(), 4u);
    EXPECT_EQ(chunk.u16("the rest"), 0x0504);
}

TEST(ChunkView, ASubRangeEndsAtItsDeclaredEndWhenFinishedOrDropped) {
    // A chunk of 20 body bytes: a u16 size of 6, the sub-range's 6 bytes, then the rest.
    SizedChunk file(20, 20);
    ChunkView& chunk = file.chunk;
    chunk.u16("the sub-range's size");
    {
        SubRange sub = chunk.sub(6, "sub too long");
        EXPECT_EQ(sub.declaredSize(), 6u);
        EXPECT_EQ(sub.u8("first"), 2);
        EXPECT_EQ(sub.consumed(), 1u);
        EXPECT_EQ(sub.left(), 5u);
        EXPECT_EQ(sub.fieldOffset(), 7u);
        // Dropped here: the rest of it is skipped.
    }
    EXPECT_EQ(chunk.consumed(), 8u);
    {
        SubRange sub = chunk.sub(4, "sub too long");
        sub.finish();
        EXPECT_EQ(chunk.consumed(), 12u);
        sub.finish();  // once: dropping it after does not skip again
    }
    EXPECT_EQ(chunk.consumed(), 12u);
    EXPECT_EQ(chunk.u8("behind"), 12);
}

TEST(ChunkView, ReadsOfASubRangeMayPassItsEndWhereWithinMayNot) {
    SizedChunk file(16, 16);
    ChunkView& chunk = file.chunk;
    {
        SubRange sub = chunk.sub(3, "sub too long");
        auto inside = sub.within();
        EXPECT_EQ(inside.u16("inside"), 0x0100);
        EXPECT_EQ(failureOf(chunk, [&] { inside.u16("beyond the sub-range"); }),
                  (Failure{"beyond the sub-range", 6}));
        // A plain read goes on past its end, as the layouts that read on do; the reader then
        // stays where the read ended.
        EXPECT_EQ(sub.u32("on"), 0x05040302u);
        EXPECT_EQ(sub.left(), 0u);
    }
    EXPECT_EQ(chunk.consumed(), 6u);
}

TEST(ChunkView, ASubRangeBeyondBothTheChunkAndTheFileIsRefusedAtItsSizeField) {
    struct Case {
        const char* what;
        std::uint32_t declared;  // the chunk's size field
        std::size_t have;        // body bytes in the file
        std::uint64_t size;      // the sub-range's size, behind a u32 size field
        const char* error;       // empty: taken
    };
    const Case cases[] = {
        {"inside both", 20, 20, 16, ""},
        // The layouts that read on past a declared end: the file holds it.
        {"beyond the chunk only", 8, 40, 30, ""},
        // A file cut short fails at the field it ends in, not here.
        {"beyond the file only", 40, 8, 30, ""},
        {"beyond both", 20, 20, 17, "sub too long"},
        {"far beyond both", 20, 20, 0xFFFFFFFFFFull, "sub too long"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SizedChunk file(c.declared, c.have, 4);
        ChunkView& chunk = file.chunk;
        chunk.u32("the sub-range's size");
        const Failure failure = failureOf(chunk, [&] {
            SubRange sub = chunk.sub(c.size, "sub too long");
            sub.finish();
        });
        // Refused, it fails at its size field, before anything of it is read.
        EXPECT_EQ(failure, (*c.error ? Failure{c.error, 8} : Failure{}));
        if (*c.error) {
            EXPECT_EQ(chunk.consumed(), 4u);
        }
    }
}

TEST(ChunkView, ASubRangeLeftByAFailureStaysWhereTheFailureWas) {
    SizedChunk file(20, 20);
    ChunkView& chunk = file.chunk;
    EXPECT_EQ(failureOf(chunk, [&] {
                  SubRange sub = chunk.sub(10, "sub too long");
                  sub.u8In(5, 9, "out of range");
              }),
              (Failure{"out of range", 4}));
    EXPECT_EQ(chunk.consumed(), 1u);

    // A stream that cannot seek to the declared end fails with the sub-range's message.
    using TessaroTest::FaultyStream;
    FaultyStream refuses(chunkFile(0, 300000, 300000), FaultyStream::Fault::AnySeek);
    FileReader in(&refuses);
    ChunkView seekless(in, "TEST", 0, 0);
    seekless.readSize(0, "size");
    EXPECT_EQ(errorOf([&] { seekless.sub(200000, "sub cannot be passed").finish(); }),
              "sub cannot be passed");
}

TEST(ChunkView, ARecordLayoutIsReadAndCheckedFieldByField) {
    constexpr std::tuple kLayout{
        TypedField<std::uint8_t>{"first"},
        TypedField<std::uint16_t>{"second", 0, 0x0605},
        TypedField<std::uint8_t>{"third", 3, 3},
    };
    static_assert(recordSize(kLayout) == 4);
    // Body bytes 0, 1, 2 ...: the first record is 0, 0x0201, 3; the second's last field is 7.
    SizedChunk file(14, 14);
    ChunkView& chunk = file.chunk;
    EXPECT_EQ(chunk.readRecord(kLayout), std::make_tuple(std::uint8_t{0}, 0x0201, 3));
    EXPECT_EQ(failureOf(chunk, [&] { chunk.readRecord(kLayout); }), (Failure{"third", 11}));
    // The count check walks the same layout: 6 bytes hold one record, and a second would end
    // in its second field.
    SizedChunk short6(6, 6);
    ChunkView& records = short6.chunk;
    EXPECT_EQ(errorOf([&] { records.requireRecords(1, recordSize(kLayout), kLayout); }), "");
    EXPECT_EQ(failureOf(records, [&] { records.requireRecords(2, 4, kLayout); }),
              (Failure{"second", 9}));
}

TEST(ChunkView, UnboundedFloatsPassEveryValue) {
    constexpr TypedField<float> kAny{"any"};
    const float values[] = {std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::quiet_NaN(), -1e38f};
    for (const float value : values) {
        std::uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        std::vector<std::uint8_t> bytes{4, 0, 0, 0};
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
        BufferStream stream(bytes);
        Opened file(stream);
        ChunkView chunk(file.in, "TEST", 0, 0);
        chunk.readSize(0, "size");
        const float read = chunk.read(kAny);
        EXPECT_EQ(std::memcmp(&read, &value, sizeof read), 0) << value;
    }
}
