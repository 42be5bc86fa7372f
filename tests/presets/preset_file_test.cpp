#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "presets/preset_file.h"
#include "test_stream.h"

namespace {

using PresetTests::TestStream;
using Qpl::PresetFile;

// The "Info" text of a synth preset, byte for byte.
const std::string kMeta =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<MetaInfo>\n"
    "<Attribute id=\"MediaType\" value=\"QplPreset\" type=\"string\" flags=\"writeProtected\"/>\n"
    "<Attribute id=\"MusicalMidiInstrument\" value=\"Analora\" type=\"string\" "
    "flags=\"writeProtected\"/>\n"
    "<Attribute id=\"PlugInCategory\" value=\"Instrument|Synth\" type=\"string\" "
    "flags=\"writeProtected\"/>\n"
    "<Attribute id=\"PlugInName\" value=\"Analora\" type=\"string\" flags=\"writeProtected\"/>\n"
    "<Attribute id=\"PlugInVendor\" value=\"Valdrun Media Technologies\" type=\"string\" "
    "flags=\"writeProtected\"/>\n"
    "<Attribute id=\"QPL3UniqueID\" value=\"7E21A4C03B5D4F96A8C2D17E5F09B3A4\" type=\"string\" "
    "flags=\"hidden|writeProtected\"/>\n"
    "</MetaInfo>";

void put(std::vector<std::uint8_t>& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}
void putLE(std::vector<std::uint8_t>& out, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::int64_t readLE64(const std::vector<std::uint8_t>& b, std::size_t at) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = v << 8 | b.at(at + static_cast<std::size_t>(i));
    return static_cast<std::int64_t>(v);
}

std::vector<std::uint8_t> dataOf(std::size_t n) {
    std::vector<std::uint8_t> data(n);
    for (std::size_t i = 0; i < n; ++i) data[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return data;
}

TEST(PresetFile, SynthPresetBytesExactly) {
    const std::vector<std::uint8_t> data{0xDE, 0xAD, 0x00, 0xBE, 0xEF};
    TestStream stream;
    ASSERT_TRUE(PresetFile::writeSynthPreset(&stream, data.data(), 5));

    const std::uint64_t metaAt = 48 + 5;
    const std::uint64_t listAt = metaAt + kMeta.size();
    std::vector<std::uint8_t> expected;
    put(expected, "QPL3");
    putLE(expected, 1, 4);
    put(expected, "7E21A4C03B5D4F96A8C2D17E5F09B3A4");
    putLE(expected, listAt, 8);
    expected.insert(expected.end(), data.begin(), data.end());
    put(expected, kMeta);
    put(expected, "List");
    putLE(expected, 2, 4);
    put(expected, "Comp");
    putLE(expected, 48, 8);
    putLE(expected, 5, 8);
    put(expected, "Info");
    putLE(expected, metaAt, 8);
    putLE(expected, kMeta.size(), 8);

    EXPECT_EQ(stream.bytes, expected);
    // The stream is left at the end of the file, and the writer's reference is gone.
    EXPECT_EQ(stream.position, static_cast<std::int64_t>(expected.size()));
    EXPECT_EQ(stream.refs.load(), 1u);
    EXPECT_EQ(Qpl::synthPresetMetaText(), kMeta);
}

TEST(PresetFile, SizeAndListOffsetFollowTheDataLength) {
    for (const std::size_t n : {0u, 1u, 48u, 1000u, 1000000u}) {
        SCOPED_TRACE(n);
        const auto data = dataOf(n);
        TestStream stream;
        ASSERT_TRUE(
            PresetFile::writeSynthPreset(&stream, data.data(), static_cast<std::int32_t>(n)));
        EXPECT_EQ(stream.bytes.size(), 48 + n + kMeta.size() + 8 + 2 * 20);
        const auto listAt = static_cast<std::int64_t>(48 + n + kMeta.size());
        EXPECT_EQ(readLE64(stream.bytes, 40), listAt);
        const auto list = static_cast<std::size_t>(listAt);
        EXPECT_EQ(std::memcmp(stream.bytes.data() + list + 8, "Comp", 4), 0);
        EXPECT_EQ(readLE64(stream.bytes, list + 12), 48);
        EXPECT_EQ(readLE64(stream.bytes, list + 20), static_cast<std::int64_t>(n));
        EXPECT_EQ(std::memcmp(stream.bytes.data() + list + 28, "Info", 4), 0);
        EXPECT_EQ(readLE64(stream.bytes, list + 32), static_cast<std::int64_t>(48 + n));
        EXPECT_TRUE(std::equal(data.begin(), data.end(), stream.bytes.begin() + 48));
    }
}

TEST(PresetFile, ClassIdText) {
    struct Case {
        Host::FUID id;
        const char* text;
    };
    const Case cases[] = {
        {Qpl::kAnaloraClassId, "7E21A4C03B5D4F96A8C2D17E5F09B3A4"},
        {Host::FUID::make(0x00000001, 0x0002, 0x000A, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06,
                          0xFF),
         "00000001" "0002" "000A" "00010203040506FF"},
        {Host::IBStream::iid, "C3BF6EA230994752" "9B6BF9901EE33E9B"},
        {Host::FUID{}, "00000000000000000000000000000000"},
    };
    for (const auto& c : cases) EXPECT_EQ(Qpl::classIdText(c.id), c.text);
    // The first group is stored little-endian: its lowest byte comes first in memory.
    EXPECT_EQ(Qpl::kAnaloraClassId.bytes[0], 0xC0);
    EXPECT_EQ(Qpl::kAnaloraClassId.bytes[8], 0xA8);
}

TEST(PresetFile, HeaderFailsWhenTheSeekToStartLandsElsewhere) {
    TestStream stream;
    stream.faultySeek = 1;
    PresetFile file(&stream, Qpl::kAnaloraClassId);
    EXPECT_FALSE(file.emitHeader());
    EXPECT_TRUE(stream.bytes.empty());
    EXPECT_EQ(stream.writeCalls, 0);
}

// writeSynthPreset makes 4 seeks: to 0, to the end of "Comp" for the meta text, to 40 and
// back to the list. Any of them landing elsewhere fails the write.
TEST(PresetFile, EverySeekThatLandsElsewhereFails) {
    const auto data = dataOf(10);
    for (int seek = 1; seek <= 4; ++seek) {
        SCOPED_TRACE(seek);
        TestStream stream;
        stream.faultySeek = seek;
        EXPECT_FALSE(PresetFile::writeSynthPreset(&stream, data.data(), 10));
        EXPECT_EQ(stream.refs.load(), 1u);
    }
    TestStream stream;
    ASSERT_TRUE(PresetFile::writeSynthPreset(&stream, data.data(), 10));
    EXPECT_EQ(stream.seekCalls, 4);
}

// The 15 writes of a synth preset in order: magic, version, class id, list offset, "Comp"
// data, "Info" text, list offset patch, "List", count, then id, offset, size per entry.
// Fixed fields must be written whole; the class id, chunk data and meta text pass on a
// success or "not implemented" result whatever count they report.
TEST(PresetFile, ShortWritesFailOnlyFixedFields) {
    const auto data = dataOf(10);
    const bool freeLength[16] = {false, false, false, true, false, true, true, false,
                                 false, false, false, false, false, false, false, false};
    for (const auto fault : {TestStream::WriteFault::Short, TestStream::WriteFault::NotImplemented}) {
        for (int call = 1; call <= 15; ++call) {
            SCOPED_TRACE(testing::Message() << "call " << call << " fault "
                                            << static_cast<int>(fault));
            TestStream stream;
            stream.faultyWrite = call;
            stream.writeFault = fault;
            EXPECT_EQ(PresetFile::writeSynthPreset(&stream, data.data(), 10), freeLength[call]);
            EXPECT_EQ(stream.refs.load(), 1u);
        }
    }
    TestStream stream;
    ASSERT_TRUE(PresetFile::writeSynthPreset(&stream, data.data(), 10));
    EXPECT_EQ(stream.writeCalls, 15);
}

TEST(PresetFile, SecondChunkOfATypeIsRefused) {
    TestStream stream;
    PresetFile file(&stream, Qpl::kAnaloraClassId);
    ASSERT_TRUE(file.emitHeader());
    const std::uint8_t a[3] = {1, 2, 3};
    EXPECT_TRUE(file.emitChunk(a, 3, Qpl::kComponentState));
    EXPECT_FALSE(file.emitChunk(a, 3, Qpl::kComponentState));
    ASSERT_EQ(file.entryCount(), 1);
    EXPECT_EQ(std::string(file.entry(0).id, 4), "Comp");
    EXPECT_EQ(file.entry(0).offset, 48);
    EXPECT_EQ(file.entry(0).size, 3);
    EXPECT_EQ(stream.bytes.size(), 51u);
    // Another type is still welcome.
    EXPECT_TRUE(file.emitChunk(a, 2, Qpl::kControllerState));
    EXPECT_EQ(file.entryCount(), 2);
    EXPECT_EQ(file.entry(1).offset, 51);
}

TEST(PresetFile, MetaTextPlacementAndReplacement) {
    TestStream stream;
    PresetFile file(&stream, Qpl::kAnaloraClassId);
    ASSERT_TRUE(file.emitHeader());
    // Without entries the text goes to 48; -1 takes the length up to the terminator.
    ASSERT_TRUE(file.emitMetaText("abcdef", -1));
    EXPECT_EQ(file.entry(0).offset, 48);
    EXPECT_EQ(file.entry(0).size, 6);
    // A second text needs replace; the last entry is written anew in place.
    EXPECT_FALSE(file.emitMetaText("xy", 2, false));
    ASSERT_TRUE(file.emitMetaText("xyz", 2, true));
    ASSERT_EQ(file.entryCount(), 1);
    EXPECT_EQ(file.entry(0).offset, 48);
    EXPECT_EQ(file.entry(0).size, 2);
    EXPECT_EQ(std::string(stream.bytes.begin() + 48, stream.bytes.begin() + 50), "xy");

    // Once another chunk follows it, "Info" can no longer be replaced.
    const std::uint8_t a[4] = {9, 9, 9, 9};
    ASSERT_TRUE(file.emitChunk(a, 4, Qpl::kComponentState));
    EXPECT_EQ(file.entry(1).offset, 50);
    EXPECT_FALSE(file.emitMetaText("late", -1, true));
    EXPECT_EQ(file.entryCount(), 2);
}

TEST(PresetFile, MetaTextFollowsTheLastEntry) {
    TestStream stream;
    PresetFile file(&stream, Qpl::kAnaloraClassId);
    ASSERT_TRUE(file.emitHeader());
    const std::uint8_t a[7] = {};
    ASSERT_TRUE(file.emitChunk(a, 7, Qpl::kComponentState));
    // Wander off: the meta text still goes behind "Comp".
    Host::int64 at = 0;
    stream.seek(0, Host::IBStream::kSeekSet, &at);
    ASSERT_TRUE(file.emitMetaText("m", 1));
    EXPECT_EQ(file.entry(1).offset, 55);
    ASSERT_TRUE(file.emitChunkList());
    EXPECT_EQ(readLE64(stream.bytes, 40), 56);
    EXPECT_EQ(stream.bytes.size(), 56u + 8 + 40);
}

// writeSynthPreset asks where it stands 5 times: where "Comp" and "Info" begin and end, and
// where the list goes. Any of them failing fails the write.
TEST(PresetFile, EveryTellThatFailsFails) {
    const auto data = dataOf(10);
    TestStream whole;
    ASSERT_TRUE(PresetFile::writeSynthPreset(&whole, data.data(), 10));
    ASSERT_EQ(whole.tellCalls, 5);
    for (int tell = 1; tell <= whole.tellCalls; ++tell) {
        SCOPED_TRACE(tell);
        TestStream stream;
        stream.faultyTell = tell;
        EXPECT_FALSE(PresetFile::writeSynthPreset(&stream, data.data(), 10));
        EXPECT_EQ(stream.refs.load(), 1u);
    }
}

// Data that cannot make a chunk is refused before anything is written.
TEST(PresetFile, NoDataOrNoTextMakesNoChunk) {
    TestStream stream;
    PresetFile file(&stream, Qpl::kAnaloraClassId);
    ASSERT_TRUE(file.emitHeader());
    const auto written = stream.writeCalls;
    EXPECT_FALSE(file.emitChunk(nullptr, 3, Qpl::kComponentState));
    EXPECT_FALSE(file.emitChunk("abc", -1, Qpl::kComponentState));
    EXPECT_FALSE(file.emitMetaText(nullptr));
    EXPECT_EQ(file.entryCount(), 0);
    EXPECT_EQ(stream.writeCalls, written);
    // An empty chunk needs no data.
    EXPECT_TRUE(file.emitChunk(nullptr, 0, Qpl::kComponentState));
    EXPECT_EQ(file.entry(0).size, 0);
}

TEST(PresetFile, NoStreamMeansNoFile) {
    PresetFile file(nullptr, Qpl::kAnaloraClassId);
    EXPECT_FALSE(file.emitHeader());
    EXPECT_FALSE(file.emitChunk("x", 1, Qpl::kComponentState));
    EXPECT_FALSE(file.emitChunkList());
    EXPECT_FALSE(PresetFile::writeSynthPreset(nullptr, "x", 1));
}

TEST(PresetFile, ChunkIds) {
    const char* expected[] = {"QPL3", "Comp", "Cont", "Prog", "Info", "List"};
    for (int t = 0; t <= 5; ++t)
        EXPECT_STREQ(Qpl::chunkId(static_cast<Qpl::ChunkType>(t)), expected[t]);
}

}  // namespace
