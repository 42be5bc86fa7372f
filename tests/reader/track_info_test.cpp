// The track info chunk: sizes and checks by file version, the consumed count, and the host
// track each chunk creates with its name, colour and attributes.
#include <limits>
#include <variant>

#include "tests/reader/chunk_bench.h"

using namespace TessaroTest;
using TessaroWriter::Send;
using TessaroWriter::TrackInfoChunk;
using Tessaro::readTrackInfo;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

std::optional<std::string> readTrack(ChunkBench& bench, const TrackInfoChunk& chunk,
                                     std::uint16_t version) {
    bench.song().header.fileVersion = version;
    return bench.read(readTrackInfo, chunk, version);
}

// The smallest chunk of a version: no name, no sends, no outputs, no extra texts.
TrackInfoChunk smallest() {
    TrackInfoChunk chunk;
    chunk.name = u"";
    chunk.outputs.clear();
    return chunk;
}

RefHost::Node* onlyTrack(ChunkBench& bench) {
    const auto nodes = trackNodes(bench.document());
    return nodes.size() == 1 ? nodes[0] : nullptr;
}

std::int64_t intAttr(const RefHost::Node& node, const std::string& key) {
    return std::get<Host::int64>(node.attributes.at(key));
}
double floatAttr(const RefHost::Node& node, const std::string& key) {
    return std::get<double>(node.attributes.at(key));
}
std::u16string textAttr(const RefHost::Node& node, const std::string& key) {
    return std::get<std::u16string>(node.attributes.at(key));
}

}  // namespace

TEST(TrackInfo, MinimumSizeAndConsumedByVersion) {
    const struct {
        std::uint16_t version;
        std::uint32_t minimum;
    } cases[] = {{1, 44},  {5, 44},  {6, 46},  {7, 51},  {8, 55},
                 {9, 56},  {10, 60}, {13, 60}, {14, 64}, {22, 64}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << c.version);
        {
            ChunkBench bench;
            auto chunk = smallest();
            chunk.sizeOverride = c.minimum - 1;
            EXPECT_EQ(readTrack(bench, chunk, c.version), "TINF chunk size too short");
            EXPECT_TRUE(trackNodes(bench.document()).empty());
            EXPECT_EQ(bench.song().tracksRead, 0u);
            EXPECT_FALSE(bench.song().track.present);
        }
        {
            ChunkBench bench;
            const auto chunk = smallest();
            ASSERT_EQ(readTrack(bench, chunk, c.version), std::nullopt);
            EXPECT_EQ(bench.consumedFromStream(), c.minimum);
            EXPECT_EQ(bench.nextChunkAfter(), c.minimum);
            EXPECT_EQ(bench.song().tracksRead, 1u);
            ASSERT_NE(onlyTrack(bench), nullptr);
            EXPECT_EQ(onlyTrack(bench)->name, u"");
            EXPECT_TRUE(bench.finish().clean());
        }
    }
}

TEST(TrackInfo, ConsumedCountsSendsOutputsAndTexts) {
    const struct {
        std::uint16_t version;
        const char16_t* name;
        std::size_t sends;
        std::size_t outputs;
        const char16_t* extra1;
        const char16_t* extra2;
        std::uint32_t consumed;
    } cases[] = {
        {14, u"abc", 1, 2, u"", u"", 79},
        {14, u"abc", 1, 2, u"xy", u"z", 85},
        {5, u"Piano", 3, 0, u"", u"", 44 + 21 + 10},
        {7, u"", 0, 0, u"", u"", 51},
        {7, u"", 2, 64, u"", u"", 51 + 14 + 64},
        {10, u"Bass", 0, 3, u"", u"", 60 + 3 + 8},
        // The texts of version 14 are not read before it.
        {13, u"a", 0, 1, u"ignored", u"", 60 + 1 + 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << c.version << ", " << c.consumed);
        ChunkBench bench;
        TrackInfoChunk chunk;
        chunk.name = c.name;
        chunk.sends.assign(c.sends, Send{});
        chunk.outputs.assign(c.outputs, 1);
        chunk.extraText1 = c.extra1;
        chunk.extraText2 = c.extra2;
        chunk.extra = {9, 9, 9};  // left for the chunk loop to skip
        ASSERT_EQ(readTrack(bench, chunk, c.version), std::nullopt);
        EXPECT_EQ(bench.consumedFromStream(), c.consumed);
        EXPECT_EQ(bench.nextChunkAfter(), c.consumed + 3);
    }
}

TEST(TrackInfo, RangeChecks) {
    using Change = void (*)(TrackInfoChunk&);
    const struct {
        std::uint16_t version;
        Change change;
        const char* message;  // null: passes
    } cases[] = {
        {22, [](TrackInfoChunk& c) { c.trackType = 1; }, nullptr},
        {22, [](TrackInfoChunk& c) { c.trackType = 2; }, "cannot read type of track"},
        {22, [](TrackInfoChunk& c) { c.trackNumber = 0xFFFF, c.instrumentId = 0xFFFFFFFF; },
         nullptr},
        {22, [](TrackInfoChunk& c) { c.colour = 0xFFFFFF; }, nullptr},
        {22, [](TrackInfoChunk& c) { c.colour = 0x1000000; }, "cannot read color of track"},
        {22, [](TrackInfoChunk& c) { c.mute = 2; }, "cannot read mute of track"},
        {22, [](TrackInfoChunk& c) { c.solo = 2; }, "cannot read solo of track"},
        {22, [](TrackInfoChunk& c) { c.armed = 2; }, "cannot read armed of track"},
        {22, [](TrackInfoChunk& c) { c.monitoring = 2; }, "cannot read monitoring of track"},
        {22, [](TrackInfoChunk& c) { c.volume = 100.0f; }, nullptr},
        {22, [](TrackInfoChunk& c) { c.volume = 100.5f; }, "cannot read volume of track"},
        {22, [](TrackInfoChunk& c) { c.volume = -0.5f; }, "cannot read volume of track"},
        {22, [](TrackInfoChunk& c) { c.volume = kNaN; }, nullptr},
        {22, [](TrackInfoChunk& c) { c.pan = -1.0f; }, nullptr},
        {22, [](TrackInfoChunk& c) { c.pan = 1.5f; }, "cannot read pan of track"},
        {22, [](TrackInfoChunk& c) { c.attackDuration = 101; },
         "cannot read attack duration of track"},
        {22, [](TrackInfoChunk& c) { c.releaseDuration = -1; },
         "cannot read release duration of track"},
        {22, [](TrackInfoChunk& c) { c.attackOffset = 1.0f; }, nullptr},
        {22, [](TrackInfoChunk& c) { c.attackOffset = 1.1f; },
         "cannot read attack offset of track"},
        {22, [](TrackInfoChunk& c) {
             c.audioInputChannelCount = c.audioInputChannel = c.midiInputPort = 255;
             c.midiInputChannel = c.midiOutputPort = c.midiOutputChannel = 255;
         }, nullptr},
        {22, [](TrackInfoChunk& c) { c.sends = {{-1, 1, 0.5f}}; },
         "cannot read send bus ID of track"},
        {22, [](TrackInfoChunk& c) { c.sends = {{101, 1, 0.5f}}; },
         "cannot read send bus ID of track"},
        {22, [](TrackInfoChunk& c) { c.sends = {{0, 1, 0.5f}, {100, 0, 1.0f}}; }, nullptr},
        {22, [](TrackInfoChunk& c) { c.sends = {{3, 2, 0.5f}}; },
         "cannot read send bus enabled of track"},
        {22, [](TrackInfoChunk& c) { c.sends = {{3, 1, 1.01f}}; },
         "cannot read send level of track"},
        {22, [](TrackInfoChunk& c) { c.freeze = 0xFFFF; }, nullptr},
        {22, [](TrackInfoChunk& c) { c.modulation = 1.5f; }, "cannot read modulation of track"},
        {22, [](TrackInfoChunk& c) { c.outputs.assign(64, 64); }, nullptr},
        {22, [](TrackInfoChunk& c) { c.outputs.assign(65, 1); },
         "cannot read output count of track"},
        {22, [](TrackInfoChunk& c) { c.outputs = {1, 65}; },
         "cannot read output bus channel of track"},
        {22, [](TrackInfoChunk& c) { c.audioInputId = 0xFFFFFFFF, c.automationMode = 255; },
         nullptr},
        {22, [](TrackInfoChunk& c) { c.pitchBendRange = 48.0f; }, nullptr},
        {22, [](TrackInfoChunk& c) { c.pitchBendRange = 48.5f; },
         "cannot read pitch bend range of track"},
        // Fields of later versions are not read before them.
        {9, [](TrackInfoChunk& c) { c.pitchBendRange = 48.5f; }, nullptr},
        {6, [](TrackInfoChunk& c) { c.modulation = 1.5f, c.outputs.assign(65, 1); }, nullptr},
        {10, [](TrackInfoChunk& c) { c.pitchBendRange = 48.5f; },
         "cannot read pitch bend range of track"},
        {7, [](TrackInfoChunk& c) { c.outputs.assign(65, 1); },
         "cannot read output count of track"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        ChunkBench bench;
        TrackInfoChunk chunk;
        cases[i].change(chunk);
        const auto error = readTrack(bench, chunk, cases[i].version);
        if (cases[i].message)
            EXPECT_EQ(error, cases[i].message);
        else
            EXPECT_EQ(error, std::nullopt);
        EXPECT_TRUE(bench.finish().clean());
    }
}

TEST(TrackInfo, EachFieldNamesItsFailedRead) {
    // A version 22 chunk with the name "ab", one send and one output, cut after that many
    // body bytes. The name takes bytes 3 to 8.
    const struct {
        std::size_t bodyBytes;
        const char* message;
    } cases[] = {
        {0, "cannot read number of track"},
        {2, "cannot read type of track"},
        {7, "cannot read instrument ID of track"},  // the name's text is cut: empty name
        {9, "cannot read instrument ID of track"},
        {13, "cannot read color of track"},
        {17, "cannot read mute of track"},
        {18, "cannot read solo of track"},
        {19, "cannot read armed of track"},
        {20, "cannot read monitoring of track"},
        {21, "cannot read volume of track"},
        {25, "cannot read pan of track"},
        {29, "cannot read attack duration of track"},
        {33, "cannot read release duration of track"},
        {37, "cannot read attack offset of track"},
        {41, "cannot read audio input channel count of track"},
        {42, "cannot read audio input channel of track"},
        {43, "cannot read midi input port of track"},
        {44, "cannot read midi input channel of track"},
        {45, "cannot read midi output port of track"},
        {46, "cannot read midi output channel of track"},
        {47, "cannot read send bus count of track"},
        {48, "cannot read send bus ID of track"},
        {50, "cannot read send bus enabled of track"},
        {51, "cannot read send level of track"},
        {55, "cannot read freeze track of track"},
        {57, "cannot read modulation of track"},
        {61, "cannot read output count of track"},
        {62, "cannot read output bus channel of track"},
        {63, "cannot read audio input ID of track"},
        {67, "cannot read automation mode of track"},
        {68, "cannot read pitch bend range of track"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bodyBytes);
        ChunkBench bench;
        bench.song().header.fileVersion = 22;
        TrackInfoChunk chunk;
        chunk.name = u"ab";
        chunk.sends = {Send{}};
        chunk.outputs = {1};
        auto bytes = TessaroWriter::encode(chunk, 22);
        bytes.resize(8 + c.bodyBytes);
        EXPECT_EQ(bench.read(readTrackInfo, bytes), c.message);
        EXPECT_TRUE(bench.finish().clean());
    }
}

TEST(TrackInfo, ExtraTextsThatCannotBeReadAreEmpty) {
    // Both texts of version 14 are cut away: the chunk still reads.
    ChunkBench bench;
    bench.song().header.fileVersion = 14;
    auto chunk = smallest();
    chunk.extraText1 = u"one";
    auto bytes = TessaroWriter::encode(chunk, 14);
    bytes.resize(bytes.size() - 2 - 8);  // the second text's count and the first's units
    EXPECT_EQ(bench.read(readTrackInfo, bytes), std::nullopt);
    // Everything the stream holds is read; the loop goes on behind the declared size.
    EXPECT_EQ(bench.consumedFromStream(), 64u - 2 - 2);
    EXPECT_EQ(bench.nextChunkAfter(), 64u + 6);
}

TEST(TrackInfo, TheTrackTheHostGets) {
    const struct {
        std::uint8_t type;
        const char* kind;
    } kinds[] = {{0, "instrument"}, {1, "audio"}};
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.kind);
        ChunkBench bench;
        TrackInfoChunk chunk;
        chunk.trackNumber = 7;
        chunk.trackType = k.type;
        chunk.name = u"Grand Piano \u00e9";
        chunk.instrumentId = 99001;
        chunk.colour = 0x123456;
        chunk.mute = 1;
        chunk.solo = 1;
        chunk.volume = 0.75f;
        chunk.pan = -0.25f;
        ASSERT_EQ(readTrack(bench, chunk, 22), std::nullopt);

        RefHost::Node* track = onlyTrack(bench);
        ASSERT_NE(track, nullptr);
        EXPECT_TRUE(track->is(k.kind));
        EXPECT_EQ(track->name, u"Grand Piano \u00e9");
        EXPECT_EQ(track->colour, 0xFF123456u);
        EXPECT_EQ(textAttr(*track, "trNa"), u"Grand Piano \u00e9");
        EXPECT_EQ(intAttr(*track, "ciid"), 99001);
        EXPECT_EQ(intAttr(*track, "cinr"), 7);
        EXPECT_EQ(intAttr(*track, "trMu"), 1);
        EXPECT_EQ(intAttr(*track, "trSo"), 1);
        EXPECT_EQ(floatAttr(*track, "trVo"), 0.75);
        EXPECT_EQ(floatAttr(*track, "trPa"), -0.25);
        EXPECT_EQ(track->attributes.size(), 7u);

        const auto& song = bench.song();
        EXPECT_EQ(song.track.number, 7u);
        EXPECT_EQ(song.track.type, k.type);
        EXPECT_TRUE(song.track.present);
        EXPECT_TRUE(song.track.host);
        EXPECT_EQ(song.tracksRead, 1u);
        EXPECT_TRUE(bench.finish().clean());
    }
}

TEST(TrackInfo, ColourIsOpaque) {
    for (const auto& [file, host] : {std::pair{0x000000u, 0xFF000000u},
                                     std::pair{0xFFFFFFu, 0xFFFFFFFFu}}) {
        ChunkBench bench;
        TrackInfoChunk chunk;
        chunk.colour = file;
        ASSERT_EQ(readTrack(bench, chunk, 22), std::nullopt);
        EXPECT_EQ(onlyTrack(bench)->colour, host);
    }
}

TEST(TrackInfo, SendAttributesByPosition) {
    ChunkBench bench;
    TrackInfoChunk chunk;
    chunk.sends = {{4, 1, 0.25f}, {0, 0, 1.0f}, {100, 1, 0.0f}};
    ASSERT_EQ(readTrack(bench, chunk, 22), std::nullopt);
    const RefHost::Node& track = *onlyTrack(bench);
    const struct {
        std::int64_t bus;
        std::int64_t enabled;
        double level;
    } expected[] = {{4, 1, 0.25}, {0, 0, 1.0}, {100, 1, 0.0}};
    for (std::size_t n = 0; n < 3; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(intAttr(track, "tSBI" + std::to_string(n)), expected[n].bus);
        EXPECT_EQ(intAttr(track, "tSBE" + std::to_string(n)), expected[n].enabled);
        EXPECT_EQ(floatAttr(track, "tSBL" + std::to_string(n)), expected[n].level);
    }
    EXPECT_FALSE(track.attributes.contains("tSBI3"));
    EXPECT_EQ(track.attributes.size(), 7u + 9u);
}

TEST(TrackInfo, EarlierSendsStayWhenALaterOneFails) {
    ChunkBench bench;
    TrackInfoChunk chunk;
    chunk.sends = {{1, 1, 0.5f}, {101, 1, 0.5f}};
    EXPECT_EQ(readTrack(bench, chunk, 22), "cannot read send bus ID of track");
    const RefHost::Node& track = *onlyTrack(bench);
    EXPECT_EQ(intAttr(track, "tSBI0"), 1);
    EXPECT_EQ(floatAttr(track, "tSBL0"), 0.5);
    EXPECT_FALSE(track.attributes.contains("tSBI1"));
    EXPECT_EQ(bench.song().tracksRead, 1u);
    EXPECT_TRUE(bench.finish().clean());
}

TEST(TrackInfo, AFrozenTrackIsMuted) {
    const struct {
        std::uint16_t version;
        std::uint8_t mute;
        std::uint16_t freeze;
        std::int64_t trMu;
    } cases[] = {{6, 0, 2, 1}, {6, 0, 0, 0}, {6, 1, 0, 1}, {22, 0, 1, 1},
                 // Before version 6 there is no freeze word.
                 {5, 0, 2, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << c.version << " freeze " << c.freeze);
        ChunkBench bench;
        TrackInfoChunk chunk;
        chunk.mute = c.mute;
        chunk.freeze = c.freeze;
        ASSERT_EQ(readTrack(bench, chunk, c.version), std::nullopt);
        EXPECT_EQ(intAttr(*onlyTrack(bench), "trMu"), c.trMu);
    }
}

TEST(TrackInfo, TypeIsCheckedBeforeATrackIsMade) {
    ChunkBench bench;
    TrackInfoChunk first;
    first.trackNumber = 1;
    ASSERT_EQ(readTrack(bench, first, 22), std::nullopt);
    TrackInfoChunk bad;
    bad.trackNumber = 2;
    bad.trackType = 2;
    EXPECT_EQ(readTrack(bench, bad, 22), "cannot read type of track");
    EXPECT_EQ(trackNodes(bench.document()).size(), 1u);
    EXPECT_EQ(bench.song().tracksRead, 1u);
    EXPECT_EQ(bench.song().track.number, 1u);
    EXPECT_TRUE(bench.finish().clean());
}

TEST(TrackInfo, EachChunkMakesTheNextCurrentTrack) {
    ChunkBench bench;
    for (const std::uint16_t number : {std::uint16_t{3}, std::uint16_t{5}}) {
        TrackInfoChunk chunk;
        chunk.trackNumber = number;
        chunk.trackType = number == 3 ? 0 : 1;
        chunk.name = number == 3 ? u"Three" : u"Five";
        ASSERT_EQ(readTrack(bench, chunk, 22), std::nullopt);
    }
    const auto nodes = trackNodes(bench.document());
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[0]->name, u"Three");
    EXPECT_EQ(nodes[1]->name, u"Five");
    EXPECT_EQ(bench.song().tracksRead, 2u);
    EXPECT_EQ(bench.song().track.number, 5u);
    EXPECT_EQ(bench.song().track.type, 1u);
    auto project = Tessaro::queryTo<Host::IProjectObject>(bench.song().track.host);
    ASSERT_TRUE(project);
    EXPECT_EQ(nameOf(project.get()), "Five");
    project.reset();
    EXPECT_TRUE(bench.finish().clean());
}

TEST(TrackInfo, ANameThatCannotBeReadIsEmpty) {
    // The count claims more units than the file holds: the name is empty and its text
    // bytes are not consumed, so the fields behind it read as usual.
    ChunkBench bench;
    TrackInfoChunk chunk;
    chunk.name = u"";
    chunk.name.countOverride = 5000;
    chunk.instrumentId = 42;
    ASSERT_EQ(readTrack(bench, chunk, 22), std::nullopt);
    EXPECT_EQ(onlyTrack(bench)->name, u"");
    EXPECT_EQ(textAttr(*onlyTrack(bench), "trNa"), u"");
    EXPECT_EQ(intAttr(*onlyTrack(bench), "ciid"), 42);
    EXPECT_EQ(bench.consumedFromStream(), 64u + 1u);  // the one default output
    EXPECT_EQ(bench.nextChunkAfter(), 64u + 1u);
}

TEST(TrackInfo, ATrackTheHostCannotMakeIsReadAlike) {
    // Without the edit context no track can be inserted; the chunk is read all the same.
    ChunkBench bench({}, [](RefHost::Profile& p) { p.services["editContext"] = false; });
    TrackInfoChunk chunk;
    chunk.name = u"abc";
    chunk.sends = {Send{}};
    chunk.outputs = {1, 2};
    ASSERT_EQ(readTrack(bench, chunk, 14), std::nullopt);
    EXPECT_TRUE(trackNodes(bench.document()).empty());
    EXPECT_EQ(bench.consumedFromStream(), 79u);
    EXPECT_EQ(bench.nextChunkAfter(), 79u);
    EXPECT_EQ(bench.song().tracksRead, 1u);
    EXPECT_TRUE(bench.song().track.present);
    EXPECT_FALSE(bench.song().track.host);
    EXPECT_TRUE(bench.finish().clean());
}

TEST(TrackInfo, ASendCountTheChunkCannotHoldSetsNoSend) {
    // Ten sends promised, two written: the 21 bytes behind the two sends (freeze, outputs,
    // the later fields) cannot hold the other eight, so not one send reaches the host, and
    // the read fails where the chunk's bytes run out, at a send's bus id.
    ChunkBench bench;
    TrackInfoChunk chunk;
    chunk.sends = {{1, 1, 0.5f}, {2, 0, 0.25f}};
    chunk.sendCountOverride = 10;
    EXPECT_EQ(readTrack(bench, chunk, 22), "cannot read send bus ID of track");
    const RefHost::Node& track = *onlyTrack(bench);
    EXPECT_FALSE(track.attributes.contains("tSBI0"));
    EXPECT_EQ(track.attributes.size(), 7u);
    EXPECT_TRUE(bench.finish().clean());
}
