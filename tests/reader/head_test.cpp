// The song header: sizes and checks by file version, the time base, and what reaches the
// host's song, transport, import target and output channels.
#include <cmath>
#include <limits>

#include "tests/reader/chunk_bench.h"

using namespace TessaroTest;
using TessaroWriter::HeadChunk;
using Tessaro::readSongHeader;

namespace {

HeadChunk header(std::uint16_t version) {
    HeadChunk head;
    head.version = version;
    return head;
}

std::optional<std::string> readHead(ChunkBench& bench, const HeadChunk& head) {
    return bench.read(readSongHeader, head, head.version);
}

// The project's output channel (the one channel that belongs to no track).
RefHost::Node& outputChannel(RefHost::Document& document) {
    for (RefHost::Node* channel : document.channels.children)
        if (!channel->trackChannel) return *channel;
    throw std::runtime_error("no output channel");
}

RefHost::Parameter& outputVolume(RefHost::Document& document) {
    return *outputChannel(document).findParameter("volume");
}
RefHost::Parameter& outputPan(RefHost::Document& document) {
    return *outputChannel(document).findChild("Panner")->findParameterByTag(4201);
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

}  // namespace

TEST(SongHeader, MinimumSizeAndConsumedByVersion) {
    const struct {
        std::uint16_t version;
        std::uint32_t minimum;
    } cases[] = {{1, 43},  {2, 43},  {3, 51},  {6, 51},  {7, 56},  {10, 56},
                 {11, 64}, {17, 64}, {18, 70}, {22, 70}, {900, 70}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << c.version);
        {
            ChunkBench bench;
            auto head = header(c.version);
            head.sizeOverride = c.minimum - 1;
            EXPECT_EQ(readHead(bench, head),
                      "Header chunk size " + std::to_string(c.minimum - 1) + " too short");
        }
        {
            ChunkBench bench;
            auto head = header(c.version);
            head.sizeOverride = c.minimum;
            EXPECT_EQ(readHead(bench, head), std::nullopt);
            EXPECT_EQ(bench.consumedFromStream(), c.minimum);
            EXPECT_EQ(bench.nextChunkAfter(), c.minimum);
            EXPECT_EQ(bench.song().header.fileVersion, c.version);
            EXPECT_TRUE(bench.finish().clean());
        }
    }
}

TEST(SongHeader, ConsumesTheMinimumOfALongerChunk) {
    ChunkBench bench;
    auto head = header(22);
    head.extra = {1, 2, 3, 4, 5};
    EXPECT_EQ(readHead(bench, head), std::nullopt);
    EXPECT_EQ(bench.consumedFromStream(), 70u);
    EXPECT_EQ(bench.nextChunkAfter(), 75u);
}

TEST(SongHeader, EachFieldNamesItsFailedRead) {
    // The chunk is cut after that many body bytes; its size field still claims all of it.
    const struct {
        std::uint16_t version;
        std::size_t bodyBytes;
        const char* message;
    } cases[] = {
        {5, 0, "Cannot read version"},
        {5, 2, "Cannot read song length in seconds."},
        {5, 6, "Cannot read ticks per whole note"},
        {5, 8, "Cannot read song length"},
        {5, 12, "Cannot read song tempo"},
        {5, 16, "Cannot read signature numerator"},
        {5, 17, "Cannot read signature denominator"},
        {5, 18, "Cannot read looping"},
        {5, 19, "Cannot read song cursor"},
        {5, 23, "Cannot read left marker"},
        {5, 27, "Cannot read right marker"},
        {5, 31, "Cannot read rulerStartTick"},
        {5, 35, "Cannot read rulerEndTick"},
        {5, 39, "Cannot read track count."},
        {5, 41, "cannot read selected track number"},
        {5, 43, "Cannot read master track gain"},
        {5, 47, "Cannot read master track pan"},
        // The dropped values fail nothing; the field behind them does.
        {7, 43, "Cannot read sample rate"},
        {7, 51, "Cannot read sample rate"},
        {7, 55, "Cannot read sample size"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << c.version << ", " << c.bodyBytes
                                        << " bytes");
        ChunkBench bench;
        auto bytes = TessaroWriter::encode(header(c.version));
        bytes.resize(8 + c.bodyBytes);
        EXPECT_EQ(bench.read(readSongHeader, bytes), c.message);
        EXPECT_TRUE(bench.finish().clean());
    }
    ChunkBench bench;
    EXPECT_EQ(bench.read(readSongHeader, {'H', 'E', 'A', 'D', 43, 0}),
              "Header chunk size too short");
}

TEST(SongHeader, RangeChecks) {
    using Change = void (*)(HeadChunk&);
    const struct {
        Change change;
        const char* message;  // null: passes
    } cases[] = {
        {[](HeadChunk& h) { h.version = 0; }, "Cannot read version"},
        {[](HeadChunk& h) { h.ticksPerWholeNote = 15; }, "Cannot read ticks per whole note"},
        {[](HeadChunk& h) { h.ticksPerWholeNote = 16; }, nullptr},
        {[](HeadChunk& h) { h.ticksPerWholeNote = 1000; }, nullptr},
        {[](HeadChunk& h) { h.ticksPerWholeNote = 1001; }, "Cannot read ticks per whole note"},
        {[](HeadChunk& h) { h.songLengthTicks = 16777216; }, nullptr},
        {[](HeadChunk& h) { h.songLengthTicks = 16777217; }, "Cannot read song length"},
        {[](HeadChunk& h) { h.songLengthSeconds = kNaN; }, nullptr},
        {[](HeadChunk& h) { h.tempo = 1.0f; }, nullptr},
        {[](HeadChunk& h) { h.tempo = 1000.0f; }, nullptr},
        {[](HeadChunk& h) { h.tempo = 0.99f; }, "Cannot read song tempo"},
        {[](HeadChunk& h) { h.tempo = 1000.5f; }, "Cannot read song tempo"},
        {[](HeadChunk& h) { h.tempo = kNaN; }, "Cannot read song tempo"},
        {[](HeadChunk& h) { h.numerator = 0; }, "Cannot read signature numerator"},
        {[](HeadChunk& h) { h.numerator = 64; }, nullptr},
        {[](HeadChunk& h) { h.numerator = 65; }, "Cannot read signature numerator"},
        {[](HeadChunk& h) { h.denominator = 0; }, "Cannot read signature denominator"},
        {[](HeadChunk& h) { h.denominator = 65; }, "Cannot read signature denominator"},
        {[](HeadChunk& h) { h.looping = 2; }, "Cannot read looping"},
        {[](HeadChunk& h) { h.songCursor = 0xFFFFFFFF; }, nullptr},
        {[](HeadChunk& h) { h.leftMarker = 16777217; }, "Cannot read left marker"},
        {[](HeadChunk& h) { h.rightMarker = 16777217; }, "Cannot read right marker"},
        {[](HeadChunk& h) { h.rulerStartTick = 16777217; }, "Cannot read rulerStartTick"},
        {[](HeadChunk& h) { h.rulerEndTick = 16777217; }, "Cannot read rulerEndTick"},
        {[](HeadChunk& h) { h.rulerEndTick = 16777216; }, nullptr},
        {[](HeadChunk& h) { h.trackCount = 3, h.selectedTrack = 3; }, nullptr},
        {[](HeadChunk& h) { h.trackCount = 3, h.selectedTrack = 4; },
         "cannot read selected track number"},
        {[](HeadChunk& h) { h.version = 5, h.masterGain = 100.0f; }, nullptr},
        {[](HeadChunk& h) { h.version = 5, h.masterGain = 100.5f; },
         "Cannot read master track gain"},
        {[](HeadChunk& h) { h.version = 5, h.masterGain = -0.5f; },
         "Cannot read master track gain"},
        {[](HeadChunk& h) { h.version = 5, h.masterPan = -1.0f; }, nullptr},
        {[](HeadChunk& h) { h.version = 5, h.masterPan = 1.01f; }, "Cannot read master track pan"},
        // From version 7 those 8 bytes are dropped unread.
        {[](HeadChunk& h) { h.version = 7, h.dropped7.fill(0xFF); }, nullptr},
        {[](HeadChunk& h) { h.sampleRate = 0xFFFFFFFF, h.sampleSize = 255; }, nullptr},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        ChunkBench bench;
        auto head = header(22);
        cases[i].change(head);
        const auto error = readHead(bench, head);
        if (cases[i].message)
            EXPECT_EQ(error, cases[i].message);
        else
            EXPECT_EQ(error, std::nullopt);
        EXPECT_TRUE(bench.finish().clean());
    }
}

TEST(SongHeader, TimeBaseTempoLengthSignatureAndCycle) {
    ChunkBench bench;
    auto head = header(22);
    head.ticksPerWholeNote = 480;
    head.tempo = 120.0f;
    head.songLengthTicks = 3840;
    head.numerator = 3;
    head.denominator = 8;
    head.looping = 1;
    head.leftMarker = 960;
    head.rightMarker = 2880;
    head.trackCount = 7;
    ASSERT_EQ(readHead(bench, head), std::nullopt);

    const auto& header = bench.song().header;
    EXPECT_EQ(header.tickBase, 0.1f);
    EXPECT_EQ(header.tickFactor, 1.0f / 960.0f);
    EXPECT_EQ(header.tempo, 120.0f);
    EXPECT_EQ(header.songLength, 3840u);
    EXPECT_EQ(header.declaredTrackCount, 7u);

    const auto& song = bench.document().song;
    ASSERT_EQ(song.preparations.size(), 1u);
    EXPECT_EQ(song.preparations[0].templateId, 30);
    EXPECT_EQ(song.preparations[0].viewMode, 0);
    EXPECT_EQ(song.tempoRate, 960.0);
    EXPECT_EQ(song.tempoActive, 1);
    EXPECT_EQ(song.tempo, 120.0);
    // (3 × 480 + 3840) ticks, in single precision.
    EXPECT_EQ(song.length, static_cast<double>(5280.0f * (1.0f / 960.0f)));
    ASSERT_EQ(song.signatures.size(), 1u);
    EXPECT_EQ(song.signatures[0].position, 0.0);
    EXPECT_EQ(song.signatures[0].numerator, 3);
    EXPECT_EQ(song.signatures[0].denominator, 8);
    EXPECT_EQ(song.cycleActive, true);
    EXPECT_EQ(song.cycleLeft, static_cast<double>(960.0f * (1.0f / 960.0f)));
    EXPECT_EQ(song.cycleRight, static_cast<double>(2880.0f * (1.0f / 960.0f)));
    EXPECT_EQ(song.cycleFactor, static_cast<double>(1.0f / 960.0f));
    EXPECT_TRUE(bench.finish().clean());
}

TEST(SongHeader, TickFactorFollowsTempoAndTimeBase) {
    const struct {
        std::uint16_t ticks;
        float tempo;
    } cases[] = {{480, 120.0f}, {16, 1.0f}, {1000, 1000.0f}, {96, 97.5f}, {384, 133.33f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ticks << " ticks, " << c.tempo << " bpm");
        ChunkBench bench;
        auto head = header(22);
        head.ticksPerWholeNote = c.ticks;
        head.tempo = c.tempo;
        ASSERT_EQ(readHead(bench, head), std::nullopt);
        const float base = 48.0f / static_cast<float>(c.ticks);
        const float rate = c.tempo / 60.0f * 48.0f / base;
        EXPECT_EQ(bench.song().header.tickBase, base);
        EXPECT_EQ(bench.song().header.tickFactor, 1.0f / rate);
        EXPECT_EQ(bench.document().song.tempoRate, static_cast<double>(rate));
    }
}

TEST(SongHeader, CycleOffAndNoTransport) {
    {
        ChunkBench bench;
        auto head = header(22);
        head.looping = 0;
        ASSERT_EQ(readHead(bench, head), std::nullopt);
        EXPECT_EQ(bench.document().song.cycleActive, false);
    }
    {
        ChunkBench bench({}, [](RefHost::Profile& p) { p.services["transport"] = false; });
        auto head = header(22);
        head.looping = 1;
        head.sampleRate = 96000;
        ASSERT_EQ(readHead(bench, head), std::nullopt);
        EXPECT_EQ(bench.document().song.cycleActive, std::nullopt);
        EXPECT_EQ(bench.document().song.cycleLeft, std::nullopt);
        EXPECT_EQ(bench.document().song.sampleRate, 96000.0);
        EXPECT_TRUE(bench.finish().clean());
    }
}

TEST(SongHeader, PreparesTheImportTargetBeforeReading) {
    ChunkBench bench;
    auto head = header(22);
    head.sizeOverride = 12;
    EXPECT_EQ(readHead(bench, head), "Header chunk size 12 too short");
    ASSERT_EQ(bench.document().song.preparations.size(), 1u);
    EXPECT_EQ(bench.document().song.preparations[0].templateId, 30);
    EXPECT_EQ(bench.document().song.tempo, std::nullopt);
}

TEST(SongHeader, ValuesBeforeAFailureStayApplied) {
    ChunkBench bench;
    auto head = header(22);
    head.looping = 1;
    head.rightMarker = 16777217;
    EXPECT_EQ(readHead(bench, head), "Cannot read right marker");
    EXPECT_EQ(bench.document().song.tempo, 120.0);
    EXPECT_EQ(bench.document().song.signatures.size(), 1u);
    EXPECT_EQ(bench.document().song.cycleActive, true);
    EXPECT_EQ(bench.document().song.cycleLeft, std::nullopt);
    EXPECT_TRUE(bench.finish().clean());
}

TEST(SongHeader, Version5SetsTheMasterAndTheDefaultSampleFormat) {
    // The older fader scale: 0.8 gives 22988.
    ChunkBench bench("Ombrel 6.5.5");
    auto head = header(5);
    head.masterGain = 0.8f;
    head.masterPan = -1.0f;
    ASSERT_EQ(readHead(bench, head), std::nullopt);
    EXPECT_EQ(outputVolume(bench.document()).value, 22988.0);
    EXPECT_EQ(outputPan(bench.document()).value, 0.0);
    EXPECT_EQ(bench.document().song.sampleRate, 44100.0);
    EXPECT_EQ(bench.document().song.sampleSize, 16);
    EXPECT_TRUE(bench.finish().clean());
}

TEST(SongHeader, Version7SkipsTheMasterAndTakesTheSampleFormat) {
    ChunkBench bench;
    const double volumeBefore = outputVolume(bench.document()).value;
    auto head = header(7);
    head.dropped7 = {0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x80, 0xBF};  // 1.0f, -1.0f
    head.sampleRate = 48000;
    head.sampleSize = 24;
    ASSERT_EQ(readHead(bench, head), std::nullopt);
    EXPECT_EQ(outputVolume(bench.document()).value, volumeBefore);
    EXPECT_EQ(outputVolume(bench.document()).changes, 0u);
    EXPECT_EQ(outputPan(bench.document()).changes, 0u);
    EXPECT_EQ(bench.document().song.sampleRate, 48000.0);
    EXPECT_EQ(bench.document().song.sampleSize, 24);
}

TEST(SongHeader, MasterGainAndPanOnBothScales) {
    const struct {
        const char* host;
        std::uint16_t version;
        float gain;
        float pan;
        double volume;
        double panValue;
    } cases[] = {
        {"Ombrel 7.5.0", 5, 1.0f, 0.0f, 24517, 16383.5},
        {"Ombrel 6.5.5", 5, 1.0f, 0.0f, 25856, 16383.5},
        {"Ombrel 7.5.0", 5, 0.8f, 1.0f, 23188, 32767},
        {"Ombrel 6.5.5", 5, 0.8f, -1.0f, 22988, 0},
        // Version 3 stored gains on the scale whose 0 dB lies at 0.251185.
        {"Ombrel 7.5.0", 3, 0.251185f, 0.0f, 24517, 16383.5},
        {"Ombrel 7.5.0", 3, 1.0f, 0.0f, 28627, 16383.5},
        {"Ombrel 6.5.5", 4, 1.0f, 0.0f, 25856, 16383.5},
        // Above the scale's top the value stops at the parameter's largest.
        {"Ombrel 7.5.0", 6, 100.0f, 0.5f, 32767, 24575.25},
        // A NaN gain is the bottom of the scale, a NaN pan the centre.
        {"Ombrel 7.5.0", 5, kNaN, kNaN, 0, 16383.5},
        {"Ombrel 6.5.5", 5, kNaN, kNaN, 0, 16383.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.host << " version " << c.version << " gain "
                                        << c.gain << " pan " << c.pan);
        ChunkBench bench(c.host);
        auto head = header(c.version);
        head.masterGain = c.gain;
        head.masterPan = c.pan;
        ASSERT_EQ(readHead(bench, head), std::nullopt);
        EXPECT_EQ(outputVolume(bench.document()).value, c.volume);
        EXPECT_EQ(outputVolume(bench.document()).changes, 1u);
        EXPECT_EQ(outputPan(bench.document()).value, c.panValue);
        EXPECT_EQ(outputPan(bench.document()).changes, 1u);
        EXPECT_TRUE(bench.finish().clean());
    }
}

TEST(SongHeader, Version2CarriesNoMasterValues) {
    ChunkBench bench;
    ASSERT_EQ(readHead(bench, header(2)), std::nullopt);
    EXPECT_EQ(outputVolume(bench.document()).changes, 0u);
    EXPECT_EQ(bench.document().song.sampleRate, 44100.0);
}
