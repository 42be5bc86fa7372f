// The writer's chunks against the size rules of the project file format: how many bytes
// each chunk body takes, by file version, by record counts and by effect kind.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tools/writer/writer.h"

namespace TessaroWriter {
namespace {

template <class C>
std::size_t bodySize(const C& chunk, std::uint16_t version) {
    const auto bytes = encode(chunk, version);
    // The size field holds the body size, and the body is exactly that long.
    EXPECT_EQ(readU32(bytes, 4), bytes.size() - 8);
    return bytes.size() - 8;
}

struct VersionSize {
    std::uint16_t version;
    std::size_t size;
};

TEST(WriterSizes, HeadBodyByVersion) {
    const VersionSize table[] = {{1, 43}, {2, 43}, {3, 51}, {6, 51}, {7, 56}, {10, 56},
                                 {11, 64}, {17, 64}, {18, 70}, {21, 70}, {22, 70}};
    for (const auto& row : table) {
        HeadChunk head;
        head.version = row.version;
        EXPECT_EQ(bodySize(head, 0), row.size) << "version " << row.version;
    }
}

TEST(WriterSizes, OutputBusAndKeyboardByVersion) {
    const VersionSize outb[] = {{1, 10}, {8, 10}, {9, 11}, {22, 11}};
    for (const auto& row : outb) {
        EXPECT_EQ(bodySize(OutputBusChunk{}, row.version), row.size) << "version " << row.version;
    }
    for (std::uint16_t version : {std::uint16_t{1}, std::uint16_t{9}, std::uint16_t{22}}) {
        EXPECT_EQ(bodySize(KeyboardChunk{}, version), 13u) << "version " << version;
    }
}

TEST(WriterSizes, TrackInfoMinimumByVersion) {
    // An empty name, no sends, no outputs and empty extra texts: the minimum size.
    const VersionSize table[] = {{1, 44}, {5, 44}, {6, 46}, {7, 51}, {8, 55}, {9, 56},
                                 {10, 60}, {13, 60}, {14, 64}, {22, 64}};
    for (const auto& row : table) {
        TrackInfoChunk track;
        track.name = u"";
        track.outputs.clear();
        EXPECT_EQ(bodySize(track, row.version), row.size) << "version " << row.version;
    }
}

TEST(WriterSizes, TrackInfoGrowsBySendsOutputsAndTexts) {
    TrackInfoChunk track;
    track.name = u"Pno";
    track.sends = {{0, 1, 0.5f}};
    track.outputs = {1, 2};
    track.extraText1 = u"";
    track.extraText2 = u"";
    EXPECT_EQ(bodySize(track, 14), 64u + 7 + 2 + 6);
    // Before version 7 the outputs are not written.
    EXPECT_EQ(bodySize(track, 6), 46u + 7 + 6);
    track.extraText1 = u"ab";
    track.extraText2 = u"c";
    EXPECT_EQ(bodySize(track, 14), 79u + 6);
    EXPECT_EQ(bodySize(track, 13), 60u + 7 + 2 + 6);
}

TEST(WriterSizes, PadChunk) {
    EXPECT_EQ(bodySize(PadChunk{}, 22), 5u);
    PadChunk pads;
    pads.chordButtons = {{60, 64, 67}, {65, 69, 72}};
    pads.drumPadKeys = {36, 38, 42, 46};
    pads.chordPads = {{57, 60}};
    EXPECT_EQ(bodySize(pads, 22), 20u);
}

TEST(WriterSizes, AutomationThirteenPlusNinePerPoint) {
    for (std::size_t points : {0u, 1u, 3u, 10u}) {
        AutomationChunk curve;
        curve.points.resize(points);
        EXPECT_EQ(bodySize(curve, 22), 13 + 9 * points) << points << " points";
    }
}

TEST(WriterSizes, PresetHeaderCountsNameAndPadding) {
    PresetChunk preset;
    preset.name = u"Lead1";
    preset.data.assign(100, 0xAB);
    EXPECT_EQ(bodySize(preset, 22), 18u + 4 + 100);
    const auto natural = encodeBody(preset, 22);
    EXPECT_EQ(readU16(natural, 0), 18u);

    preset.headerSize = 20;
    const auto padded = encodeBody(preset, 22);
    EXPECT_EQ(padded.size(), 20u + 4 + 100);
    EXPECT_EQ(readU16(padded, 0), 20u);
    EXPECT_EQ(padded[18], 0u);
    EXPECT_EQ(padded[19], 0u);
    EXPECT_EQ(readU32(padded, 20), 100u);

    preset.data.clear();
    preset.headerSize.reset();
    EXPECT_EQ(bodySize(preset, 22), 18u + 4);
}

// Effect parameter sizes by kind, as the importer consumes them.
struct KindSize {
    std::uint16_t kind;
    std::size_t size;
};

constexpr KindSize kParameterSizes[] = {
    {0, 16}, {1, 20}, {2, 6}, {3, 12}, {4, 12}, {5, 9}, {6, 20}, {7, 12},
    {8, 14}, {9, 20}, {10, 16}, {11, 54}, {12, 8}, {13, 4}, {14, 0}, {15, 20},
    {16, 37}, {17, 17}, {18, 17}, {19, 25}, {20, 16}, {21, 16}, {22, 16}, {23, 40},
    {24, 17}, {25, 26}, {26, 26}, {27, 16}, {28, 8}, {29, 5}, {31, 20}, {32, 0}, {40, 0},
};

TEST(WriterSizes, EffectParametersByKind) {
    for (std::uint16_t version : {std::uint16_t{8}, std::uint16_t{9}, std::uint16_t{22}}) {
        const std::size_t header = version >= 9 ? 17 : 16;
        for (const auto& row : kParameterSizes) {
            EffectChunk effect;
            effect.params = defaultParams(row.kind);
            EXPECT_EQ(effectKind(effect.params), row.kind);
            const auto body = encodeBody(effect, version);
            EXPECT_EQ(body.size(), header + row.size) << "kind " << row.kind << " version " << version;
            EXPECT_EQ(readU16(body, 0), header) << "parameter offset, kind " << row.kind;
            EXPECT_EQ(readU16(body, 2), row.kind);
        }
    }
}

TEST(WriterSizes, LanefixGrowsInVersion21) {
    const VersionSize table[] = {{9, 74}, {20, 74}, {21, 77}, {22, 77}};
    for (const auto& row : table) {
        EffectChunk effect;
        effect.params = LanefixParams{};
        EXPECT_EQ(bodySize(effect, row.version), 17 + row.size) << "version " << row.version;
    }
}

TEST(WriterSizes, AudioUnitCarriesItsState) {
    EffectChunk effect;
    AudioUnitParams au;
    au.state.assign(100, 7);
    effect.params = au;
    const auto body = encodeBody(effect, 22);
    EXPECT_EQ(body.size(), 17u + 108);
    EXPECT_EQ(readU32(body, 17 + 4), 100u);
}

TEST(WriterSizes, EffectParameterOffsetPadsTheHeader) {
    EffectChunk effect;
    effect.parameterOffset = 20;
    EXPECT_EQ(encodeBody(effect, 8).size(), 20u + 16);  // 4 bytes of padding
    EXPECT_EQ(encodeBody(effect, 9).size(), 20u + 16);  // 3 bytes of padding
    // An offset inside the header leaves the parameters behind the header.
    effect.parameterOffset = 16;
    const auto body = encodeBody(effect, 9);
    EXPECT_EQ(readU16(body, 0), 16u);
    EXPECT_EQ(body.size(), 17u + 16);
}

TEST(WriterSizes, RegionChunkHeaderAndRegions) {
    RegionChunk empty;
    EXPECT_EQ(bodySize(empty, 22), 8u);

    RegionChunk chunk;
    Region region;
    region.name = u"Verse";
    chunk.regions = {region};
    // 8, then a region header of 23 plus the name's text, then a MIDI sub-chunk of 26.
    EXPECT_EQ(bodySize(chunk, 22), 8u + 23 + 10 + 26);
    chunk.regionHeaderSize = 27;
    EXPECT_EQ(bodySize(chunk, 22), 8u + 27 + 10 + 26);
    const auto body = encodeBody(chunk, 22);
    EXPECT_EQ(readU16(body, 0), 27u);
    // The four padding bytes sit behind the name, before the sub-chunk's size field.
    EXPECT_EQ(readU32(body, 8 + 33), 0u);
    EXPECT_EQ(readU32(body, 8 + 37), 26u);
}

TEST(WriterSizes, MidiSubChunkByVersionAndRecordSize) {
    struct Row {
        std::uint16_t version;
        std::uint8_t noteRecordSize;
        std::optional<std::uint8_t> eventRecordSize;
        std::size_t size;
    };
    // Two notes and three events.
    const Row table[] = {
        {1, 10, std::nullopt, 25 + 20 + 18},
        {2, 10, std::nullopt, 26 + 20 + 18},
        {9, 12, std::nullopt, 26 + 24 + 18},
        {10, 10, std::nullopt, 26 + 20 + 24},
        {22, 10, 11, 26 + 20 + 33},
    };
    for (const auto& row : table) {
        MidiData midi;
        midi.noteRecordSize = row.noteRecordSize;
        midi.eventRecordSize = row.eventRecordSize;
        midi.notes.resize(2);
        midi.events.resize(3);
        const auto sub = encodeSubChunk(midi, row.version);
        EXPECT_EQ(sub.size(), row.size) << "version " << row.version;
        EXPECT_EQ(readU32(sub, 0), row.size) << "version " << row.version;
    }
}

TEST(WriterSizes, EventRecordSizeBelowTheFieldsStillWritesThem) {
    // A record size of 6 in version 10: the size field counts 6 per event, as the importer
    // does, while all 8 bytes of the fields are written.
    MidiData midi;
    midi.eventRecordSize = 6;
    midi.events.resize(3);
    const auto sub = encodeSubChunk(midi, 10);
    EXPECT_EQ(readU32(sub, 0), 26u + 18);
    EXPECT_EQ(sub.size(), 26u + 24);
}

TEST(WriterSizes, AudioSubChunkByVersion) {
    // The sub-chunk holds 30 bytes plus the name in every version; the reserved blocks a
    // version does not define are padding.
    const VersionSize table[] = {{14, 30}, {15, 30}, {18, 30}, {19, 30}, {21, 30}, {22, 30}};
    for (const auto& row : table) {
        AudioData audio;
        audio.fileName = u"drums.wav";
        const auto sub = encodeSubChunk(audio, row.version);
        EXPECT_EQ(sub.size(), row.size + 18) << "version " << row.version;
        EXPECT_EQ(readU32(sub, 0), 30u + 18) << "version " << row.version;
    }
}

}  // namespace
}  // namespace TessaroWriter
