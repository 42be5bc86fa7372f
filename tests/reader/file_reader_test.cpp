// Typed reads from the host's stream: whole fields or failed reads, in any piece size.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "reader/file_reader.h"
#include "reader/reader_error.h"
#include "tests/support/test_streams.h"

using namespace Tessaro;
using TessaroTest::BufferStream;
using TessaroTest::PieceStream;

namespace {

std::vector<std::uint8_t> sampleBytes() {
    return {0x01,                    // u8 1
            0xFE,                    // i8 -2
            0x34, 0x12,              // u16 0x1234
            0xFE, 0xFF,              // i16 -2
            0x78, 0x56, 0x34, 0x12,  // u32 0x12345678
            0x00, 0x00, 0xC0, 0x3F,  // f32 1.5
            0x02, 0x00, 0x41, 0x00, 0x42, 0x00};  // string "AB"
}

template <class Stream>
void readSample(Stream& stream) {
    FileReader in(&stream);
    EXPECT_EQ(in.u8("u8"), 1);
    EXPECT_EQ(in.i8("i8"), -2);
    EXPECT_EQ(in.u16("u16"), 0x1234);
    EXPECT_EQ(in.i16("i16"), -2);
    EXPECT_EQ(in.u32("u32"), 0x12345678u);
    EXPECT_EQ(in.f32("f32"), 1.5f);
    EXPECT_EQ(in.readString(), u"AB");
    EXPECT_EQ(in.position(), 20u);
    EXPECT_THROW(in.u8("past the end"), ReaderError);
}

// A stream that answers wrongly: a read that claims more bytes than it was asked for, a
// seek that lands elsewhere than asked, a tell of a position before the start.
class LyingStream : public BufferStream {
public:
    enum class Lie { ReadsTooMuch, SeeksElsewhere, TellsNegative };
    LyingStream(std::vector<std::uint8_t> bytes, Lie lie)
        : BufferStream(std::move(bytes)), lie_(lie) {}

    Host::tresult read(void* buffer, Host::int32 n, Host::int32* got) override {
        const Host::tresult result = BufferStream::read(buffer, n, got);
        if (lie_ == Lie::ReadsTooMuch && got) *got = n + 1;
        return result;
    }
    Host::tresult seek(Host::int64 pos, Host::int32 mode, Host::int64* result) override {
        const Host::tresult r = BufferStream::seek(pos, mode, result);
        if (lie_ == Lie::SeeksElsewhere && result) *result += 1;
        return r;
    }
    Host::tresult tell(Host::int64* pos) override {
        const Host::tresult result = BufferStream::tell(pos);
        if (lie_ == Lie::TellsNegative) *pos = -1;
        return result;
    }

private:
    Lie lie_;
};

}  // namespace

// What a stream answers wrongly is a failed read, skip or seek, never a read past what was
// delivered.
TEST(FileReader, AStreamThatAnswersWronglyFailsTheCall) {
    using Lie = LyingStream::Lie;
    const std::vector<std::uint8_t> bytes(64, 0x11);
    {
        LyingStream stream(bytes, Lie::ReadsTooMuch);
        FileReader in(&stream);
        EXPECT_THROW(in.u8("too much"), ReaderError);
        EXPECT_EQ(in.position(), 0u);
    }
    {
        LyingStream stream(bytes, Lie::SeeksElsewhere);
        FileReader in(&stream);
        EXPECT_FALSE(in.seekToStart());
        EXPECT_FALSE(in.skip(10));
        EXPECT_EQ(in.position(), 0u);
    }
    {
        LyingStream stream(bytes, Lie::TellsNegative);
        FileReader in(&stream);
        std::uint64_t size = 99;
        ASSERT_TRUE(in.seekToEnd());
        EXPECT_FALSE(in.tellSize(&size));
        EXPECT_EQ(size, 0u);
    }
    {
        // A skip the stream's position cannot hold is refused before the stream is asked.
        BufferStream stream(bytes);
        FileReader in(&stream);
        std::uint64_t size = 0;
        ASSERT_TRUE(in.seekToEnd());
        ASSERT_TRUE(in.tellSize(&size));
        EXPECT_FALSE(in.skip(std::numeric_limits<std::uint64_t>::max()));
        EXPECT_EQ(stream.position(), 64);
    }
}

TEST(FileReader, ReadsLittleEndianFieldsWholeOrSlow) {
    BufferStream whole(sampleBytes());
    readSample(whole);
    PieceStream pieces(sampleBytes());
    readSample(pieces);
    EXPECT_EQ(pieces.count(), 1u);
}

TEST(FileReader, AFieldTheStreamCannotCompleteIsAFailedReadWithItsMessage) {
    BufferStream stream(std::vector<std::uint8_t>{0x01, 0x02, 0x03});
    FileReader in(&stream);
    try {
        in.u32("cannot read the thing");
        FAIL() << "no error";
    } catch (const ReaderError& e) {
        EXPECT_STREQ(e.what(), "cannot read the thing");
    }
    // Nothing of the failed field was consumed.
    EXPECT_EQ(in.position(), 0u);
    EXPECT_EQ(in.u16("u16"), 0x0201);
}

TEST(FileReader, RangeChecksAreInclusiveAndLetNaNThrough) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float value;
        bool passes;
    };
    const Case cases[] = {{0.0f, true}, {1.0f, true}, {-0.0001f, false}, {1.0001f, false},
                          {nan, true}};
    for (const auto& c : cases) {
        std::uint32_t bits;
        std::memcpy(&bits, &c.value, 4);
        BufferStream stream(std::vector<std::uint8_t>{
            static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
            static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)});
        FileReader in(&stream);
        if (c.passes)
            EXPECT_NO_THROW(in.unit("unit")) << c.value;
        else
            EXPECT_THROW(in.unit("unit"), ReaderError) << c.value;
    }
    BufferStream bytes(std::vector<std::uint8_t>{0x80, 0x7F, 0x81});
    FileReader in(&bytes);
    EXPECT_THROW(in.i8In(-127, 127, "i8"), ReaderError);
    EXPECT_EQ(in.i8In(-127, 127, "i8"), 127);
    EXPECT_EQ(in.i8In(-127, 127, "i8"), -127);
}

TEST(FileReader, AStringThatCannotBeReadIsNoneAndConsumesNothing) {
    // A count of 3 units with only one unit behind it.
    BufferStream stream(std::vector<std::uint8_t>{0x03, 0x00, 0x41, 0x00});
    FileReader in(&stream);
    EXPECT_EQ(in.readString(), std::nullopt);
    EXPECT_EQ(in.position(), 0u);
    EXPECT_EQ(in.u16("count"), 3u);
}

TEST(FileReader, SkipsInsideAndBeyondTheBuffer) {
    std::vector<std::uint8_t> bytes(200000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
    PieceStream stream(bytes);
    FileReader in(&stream);
    EXPECT_EQ(in.u8("first"), bytes[0]);
    ASSERT_TRUE(in.skip(10));
    EXPECT_EQ(in.u8("in buffer"), bytes[11]);
    ASSERT_TRUE(in.skip(150000));
    EXPECT_EQ(in.position(), 150012u);
    EXPECT_EQ(in.u8("beyond"), bytes[150012]);
}

TEST(FileReader, LargeBlocksArriveWhole) {
    std::vector<std::uint8_t> bytes(300000, 0xAB);
    bytes.back() = 0xCD;
    PieceStream stream(bytes);
    FileReader in(&stream);
    std::vector<std::uint8_t> out(bytes.size());
    ASSERT_TRUE(in.readBytes(out.data(), out.size()));
    EXPECT_EQ(out, bytes);
    std::uint8_t one;
    EXPECT_FALSE(in.readBytes(&one, 1));
}
