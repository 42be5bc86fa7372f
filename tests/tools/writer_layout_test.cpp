// Where the writer puts each field, the lies it can tell, and whole files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "tools/writer/demo_project.h"
#include "tools/writer/writer.h"

namespace TessaroWriter {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(WriterStrings, CountThenLittleEndianUnits) {
    ByteWriter w;
    w.string(FileString("Pi\xC3\xA4"));  // "Piä"
    EXPECT_EQ(w.data(), (Bytes{3, 0, 'P', 0, 'i', 0, 0xE4, 0}));

    ByteWriter outside;
    outside.string(FileString("\xF0\x9D\x84\x9E"));  // one character, two code units
    EXPECT_EQ(outside.data(), (Bytes{2, 0, 0x34, 0xD8, 0x1E, 0xDD}));
    EXPECT_EQ(utf8(utf16("\xF0\x9D\x84\x9E")), "\xF0\x9D\x84\x9E");

    FileString lying = u"ab";
    lying.countOverride = 500;
    ByteWriter lie;
    lie.string(lying);
    EXPECT_EQ(lie.data(), (Bytes{0xF4, 0x01, 'a', 0, 'b', 0}));

    EXPECT_EQ(utf16("a\xFF" "b"), u"a\uFFFDb");
}

TEST(WriterStrings, NumbersAreLittleEndian) {
    ByteWriter w;
    w.u16(0x1234).i16(-2).u32(0xA1B2C3D4).i8(-48).f32(1.0f);
    EXPECT_EQ(w.data(), (Bytes{0x34, 0x12, 0xFE, 0xFF, 0xD4, 0xC3, 0xB2, 0xA1, 0xD0,
                               0x00, 0x00, 0x80, 0x3F}));
}

TEST(WriterLayout, HeadFieldsByVersion) {
    HeadChunk head;
    head.version = 5;
    head.ticksPerWholeNote = 480;
    head.tempo = 96.0f;
    head.trackCount = 3;
    head.selectedTrack = 2;
    head.masterGain = 0.75f;
    head.masterPan = -0.5f;
    const auto v5 = encodeBody(head);
    EXPECT_EQ(readU16(v5, 0), 5u);
    EXPECT_EQ(readU16(v5, 6), 480u);
    EXPECT_EQ(readF32(v5, 12), 96.0f);
    EXPECT_EQ(readU16(v5, 39), 3u);
    EXPECT_EQ(readU16(v5, 41), 2u);
    EXPECT_EQ(readF32(v5, 43), 0.75f);
    EXPECT_EQ(readF32(v5, 47), -0.5f);

    head.version = 7;
    head.sampleRate = 48000;
    head.sampleSize = 24;
    const auto v7 = encodeBody(head);
    EXPECT_EQ(readU32(v7, 43), 0u);  // the dropped values in place of gain and pan
    EXPECT_EQ(readU32(v7, 51), 48000u);
    EXPECT_EQ(v7[55], 24u);
}

TEST(WriterLayout, TrackInfoSendsOutputsAndLies) {
    TrackInfoChunk track;
    track.name = u"";
    track.sends = {{3, 1, 0.25f}, {-1, 0, 1.5f}};
    track.sendCountOverride = 5;
    track.outputs = {1, 65};
    track.volume = std::numeric_limits<float>::quiet_NaN();
    const auto body = encodeBody(track, 7);
    EXPECT_TRUE(std::isnan(readF32(body, 17)));
    EXPECT_EQ(body[43], 5u);  // the lying send count
    EXPECT_EQ(readU16(body, 44), 3u);
    EXPECT_EQ(readF32(body, 47), 0.25f);
    EXPECT_EQ(readU16(body, 51), 0xFFFFu);  // bus id -1
    EXPECT_EQ(readF32(body, 54), 1.5f);
    EXPECT_EQ(readU16(body, 58), 0u);       // freeze
    EXPECT_EQ(body[64], 2u);                // output count
    EXPECT_EQ(body[66], 65u);
    EXPECT_EQ(body.size(), 51u + 14 + 2);
}

TEST(WriterLayout, MidiEventsBeforeAndFromVersion10) {
    MidiData midi;
    midi.notes = {{960, 120, 64, 127}};
    midi.events = {{480, 4096, kControllerEvent, 7}};
    const auto v9 = encodeSubChunk(midi, 9);
    // Size, transposition, grid, tuplet, ends, swing, amount, note record size, note count.
    EXPECT_EQ(v9[16], 10u);
    EXPECT_EQ(readU32(v9, 17), 1u);
    EXPECT_EQ(readU32(v9, 21), 960u);
    EXPECT_EQ(v9[29], 64u);
    EXPECT_EQ(v9[30], 127u);
    EXPECT_EQ(v9[31], 6u);  // event record size before version 10
    EXPECT_EQ(readU32(v9, 36), 480u);
    EXPECT_EQ(readU16(v9, 40), 4096u);
    EXPECT_EQ(v9.size(), 42u);

    const auto v10 = encodeSubChunk(midi, 10);
    EXPECT_EQ(v10[31], 8u);
    EXPECT_EQ(v10[42], kControllerEvent);
    EXPECT_EQ(v10[43], 7u);
    EXPECT_EQ(v10.size(), 44u);

    // Version 1 has no tuplet byte: the swing follows the ends flag directly.
    midi.quantizeSwing = 0.5f;
    const auto v1 = encodeSubChunk(midi, 1);
    EXPECT_EQ(readF32(v1, 7), 0.5f);
    EXPECT_EQ(readU32(v1, 0), 25u + 10 + 6);
}

TEST(WriterLayout, CountOverridesLeaveTheRecords) {
    MidiData midi;
    midi.notes.resize(2);
    midi.noteCountOverride = 100000001;
    const auto sub = encodeSubChunk(midi, 22);
    EXPECT_EQ(readU32(sub, 17), 100000001u);
    EXPECT_EQ(sub.size(), 26u + 20);

    RegionChunk regions;
    regions.regionCountOverride = 3;
    EXPECT_EQ(readU32(encodeBody(regions, 22), 4), 3u);

    AutomationChunk curve;
    curve.points.resize(1);
    curve.countOverride = 0xFFFFFFFF;
    const auto body = encodeBody(curve, 22);
    EXPECT_EQ(readU32(body, 9), 0xFFFFFFFFu);
    EXPECT_EQ(body.size(), 22u);

    PadChunk pads;
    pads.drumPadKeys = {36};
    pads.drumPadCountOverride = 9;
    EXPECT_EQ(encodeBody(pads, 22), (Bytes{1, 0, 0, 9, 36, 0}));
}

TEST(WriterLayout, EffectHeaderAndTonalixBands) {
    EffectChunk effect;
    effect.bus = effectBus(2);
    effect.busOrder = 3;
    effect.dry = 1.0f;
    effect.wet = 0.0f;
    TonalixParams eq;
    eq.bands[0].type = 3;
    eq.bands[1].gain = -24.0f;
    eq.bands[3].type = 2;
    eq.bands[3].q = 12.0f;
    effect.params = eq;
    const auto body = encodeBody(effect, 9);
    EXPECT_EQ(readU16(body, 2), kTonalixEq);
    EXPECT_EQ(readU16(body, 4), 0xFFFEu);
    EXPECT_EQ(body[6], 3u);
    EXPECT_EQ(body[7], 1u);
    EXPECT_EQ(readF32(body, 8), 1.0f);
    EXPECT_EQ(readF32(body, 12), 0.0f);
    const std::size_t p = 17;
    EXPECT_EQ(body[p + 1], 3u);                 // band 1 type
    EXPECT_EQ(readF32(body, p + 15), -24.0f);   // band 2: enabled, then the gain at once
    EXPECT_EQ(body[p + 41], 2u);                // band 4 type
    EXPECT_EQ(readF32(body, p + 50), 12.0f);    // band 4 Q

    effect.kindOverride = 40;
    EXPECT_EQ(readU16(encodeBody(effect, 9), 2), 40u);
}

TEST(WriterLayout, LanefixFieldOrder) {
    EffectChunk effect;
    LanefixParams lanefix;
    lanefix.compAutoMakeup = 7;
    lanefix.compMakeup = 5.0f;
    lanefix.satType = 3;
    lanefix.satGain = 0.25f;
    lanefix.gateListen = 1;
    effect.params = lanefix;
    const auto body = encodeBody(effect, 21);
    const std::size_t p = 17;
    EXPECT_EQ(body[p + 10], 7u);
    EXPECT_EQ(readF32(body, p + 27), 5.0f);
    EXPECT_EQ(body[p + 57], 3u);
    EXPECT_EQ(readF32(body, p + 70), 0.25f);
    EXPECT_EQ(body[p + 76], 1u);
}

TEST(WriterLayout, SizeOverrideAndExtraBytes) {
    KeyboardChunk keyboard;
    keyboard.sizeOverride = 12;
    keyboard.extra = {0xEE, 0xEE};
    const auto bytes = encode(keyboard, 22);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "KEYB");
    EXPECT_EQ(readU32(bytes, 4), 12u);
    EXPECT_EQ(bytes.size(), 8u + 15);

    OutputBusChunk bus;
    bus.extra = {1, 2, 3};
    EXPECT_EQ(readU32(encode(bus, 22), 4), 14u);

    RawChunk unknown;
    unknown.id = "ABCD";
    unknown.withSize = false;
    unknown.body = {'H', 'E', 'A', 'D'};
    EXPECT_EQ(encode(unknown), (Bytes{'A', 'B', 'C', 'D', 'H', 'E', 'A', 'D'}));
}

// Walks the chunks of a file by their size fields: the ids in order, or an empty list when
// the sizes do not end exactly at the end of the file.
std::vector<std::string> walkChunks(const Bytes& file) {
    std::vector<std::string> ids;
    std::size_t at = 8;
    while (at + 8 <= file.size()) {
        ids.emplace_back(file.begin() + static_cast<std::ptrdiff_t>(at),
                         file.begin() + static_cast<std::ptrdiff_t>(at + 4));
        at += 8 + readU32(file, at + 4);
    }
    return at == file.size() ? ids : std::vector<std::string>{};
}

TEST(WriterProjectFile, MagicChunksTruncation) {
    ProjectFile file;
    EXPECT_EQ(file.bytes(), Bytes(kMagic.begin(), kMagic.end()));

    file.add(HeadChunk{}).version = 8;
    file.add(OutputBusChunk{});
    file.add(HeadChunk{}).version = 9;
    file.add(OutputBusChunk{});
    const auto bytes = file.bytes();
    EXPECT_EQ(walkChunks(bytes), (std::vector<std::string>{"HEAD", "OUTB", "HEAD", "OUTB"}));
    // Each chunk takes the layout of the last song header before it.
    EXPECT_EQ(readU32(bytes, file.offsetOf(1) + 4), 10u);
    EXPECT_EQ(readU32(bytes, file.offsetOf(3) + 4), 11u);
    EXPECT_EQ(file.versionAt(0), kLatestVersion);
    EXPECT_EQ(file.versionAt(2), 8u);

    file.layoutVersion = 9;
    EXPECT_EQ(readU32(file.bytes(), file.offsetOf(1) + 4), 11u);

    file.truncateAt = 13;
    EXPECT_EQ(file.bytes(), Bytes(bytes.begin(), bytes.begin() + 13));

    file.truncateAt.reset();
    file.layoutVersion.reset();
    file.magic = {0x99, 0x63};
    EXPECT_EQ(file.bytes().size(), bytes.size() - 6);
}

TEST(WriterProjectFile, DemoProject) {
    const ProjectFile demo = demoProject();
    const auto bytes = demo.bytes();
    const std::vector<std::string> expected = {
        "HEAD", "OUTB", "KEYB", "TINF", "TREG", "TPAD", "TINF", "TREG", "TPAD", "TINF",
        "TREG", "QPLP", "TINF", "TREG", "AUTO", "AUTO", "EFFX", "EFFX", "EFFX", "EFFX", "EFFX"};
    EXPECT_EQ(walkChunks(bytes), expected);

    const auto head = encodeBody(*demo.find<HeadChunk>());
    EXPECT_EQ(readU16(head, 0), 22u);
    EXPECT_EQ(readU16(head, 6), 480u);
    EXPECT_EQ(readF32(head, 12), 120.0f);
    EXPECT_EQ(readU16(head, 39), 4u);  // as many tracks as "TINF" chunks
    EXPECT_EQ(referencedAudioFiles(demo), std::vector<std::u16string>{u"vocals.wav"});

    const auto path = std::filesystem::temp_directory_path() / "tessaro_writer_test" / "Demo.tsp";
    ASSERT_TRUE(demo.writeTo(path));
    std::ifstream in(path, std::ios::binary);
    const Bytes written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, bytes);
    in.close();  // Windows removes no file that is still open
    std::filesystem::remove_all(path.parent_path());
}

TEST(WriterProjectFile, CheckedInDemoIsCurrent) {
    const char* sourceDir = std::getenv("TESSARO_SOURCE_DIR");
    const std::filesystem::path root = sourceDir ? std::filesystem::path(sourceDir)
                                                 : std::filesystem::path(__FILE__).parent_path() / ".." / "..";
    std::ifstream in(root / "examples" / "Demo" / "Demo.tsp", std::ios::binary);
    ASSERT_TRUE(in) << "examples/Demo/Demo.tsp not found under " << root;
    const Bytes checkedIn((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(checkedIn, demoProject().bytes())
        << "regenerate examples/Demo/Demo.tsp with the target example";
}

}  // namespace
}  // namespace TessaroWriter
