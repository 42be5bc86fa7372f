// The output bus and keyboard chunks: sizes, checks, and bus 1's gain and pan on the host's
// output channels.
#include <limits>

#include "tests/reader/chunk_bench.h"

using namespace TessaroTest;
using TessaroWriter::KeyboardChunk;
using TessaroWriter::OutputBusChunk;
using Tessaro::readKeyboard;
using Tessaro::readOutputBus;

namespace {

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

// Reads with the file version set as the song header would set it.
template <class Chunk>
std::optional<std::string> readAt(ChunkBench& bench, ChunkReader reader,
                                  const Chunk& chunk, std::uint16_t version) {
    bench.song().header.fileVersion = version;
    return bench.read(reader, chunk, version);
}

}  // namespace

TEST(OutputBus, RangeChecks) {
    using Change = void (*)(OutputBusChunk&);
    const struct {
        Change change;
        const char* message;  // null: passes
    } cases[] = {
        {[](OutputBusChunk& c) { c.sizeOverride = 9; }, "OUTB chunk size too short"},
        {[](OutputBusChunk& c) { c.channel = 0; }, "cannot read output bus channel"},
        {[](OutputBusChunk& c) { c.channel = 64; }, nullptr},
        {[](OutputBusChunk& c) { c.channel = 65; }, "cannot read output bus channel"},
        {[](OutputBusChunk& c) { c.mute = 1; }, nullptr},
        {[](OutputBusChunk& c) { c.mute = 2; }, "cannot read output bus mute"},
        {[](OutputBusChunk& c) { c.gain = 100.0f; }, nullptr},
        {[](OutputBusChunk& c) { c.gain = 100.5f; }, "cannot read output bus gain"},
        {[](OutputBusChunk& c) { c.gain = -0.01f; }, "cannot read output bus gain"},
        {[](OutputBusChunk& c) { c.pan = -1.0f; }, nullptr},
        {[](OutputBusChunk& c) { c.pan = -1.01f; }, "cannot read output bus pan"},
        {[](OutputBusChunk& c) { c.pan = 1.01f; }, "cannot read output bus pan"},
        {[](OutputBusChunk& c) { c.automationMode = 255; }, nullptr},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        ChunkBench bench;
        OutputBusChunk chunk;
        cases[i].change(chunk);
        const auto error = readAt(bench, readOutputBus, chunk, 22);
        if (cases[i].message)
            EXPECT_EQ(error, cases[i].message);
        else
            EXPECT_EQ(error, std::nullopt);
        EXPECT_TRUE(bench.finish().clean());
    }
}

TEST(OutputBus, EachFieldNamesItsFailedRead) {
    const struct {
        std::size_t bodyBytes;
        const char* message;
    } cases[] = {
        {0, "cannot read output bus channel"}, {1, "cannot read output bus mute"},
        {2, "cannot read output bus gain"},    {6, "cannot read output bus pan"},
        {10, "cannot read output bus automation mode"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bodyBytes);
        ChunkBench bench;
        bench.song().header.fileVersion = 9;
        auto bytes = TessaroWriter::encode(OutputBusChunk{}, 9);
        bytes.resize(8 + c.bodyBytes);
        EXPECT_EQ(bench.read(readOutputBus, bytes), c.message);
    }
    ChunkBench bench;
    EXPECT_EQ(bench.read(readOutputBus, {'O', 'U', 'T', 'B', 10, 0, 0}),
              "OUTB chunk size too short");
}

TEST(OutputBus, ConsumedByVersion) {
    const struct {
        std::uint16_t version;
        std::size_t extra;
        std::uint32_t size;
        std::uint32_t consumed;
    } cases[] = {{8, 0, 10, 10}, {9, 0, 11, 11}, {22, 0, 11, 11}, {8, 3, 13, 10}, {22, 4, 15, 11}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << c.version << " extra " << c.extra);
        ChunkBench bench;
        OutputBusChunk chunk;
        chunk.extra.assign(c.extra, 0xEE);
        ASSERT_EQ(readAt(bench, readOutputBus, chunk, c.version), std::nullopt);
        EXPECT_EQ(bench.consumedFromStream(), c.consumed);
        EXPECT_EQ(bench.nextChunkAfter(), c.size);
    }
}

TEST(OutputBus, Bus1SetsTheOutputsOthersNothing) {
    const struct {
        const char* host;
        std::uint8_t channel;
        float gain;
        float pan;
        double volume;   // negative: untouched
        double panValue;
    } cases[] = {
        {"Ombrel 7.5.0", 1, 0.8f, -1.0f, 23188, 0},
        {"Ombrel 6.5.5", 1, 0.8f, 1.0f, 22988, 32767},
        {"Larkwin 6.5.0", 1, 0.01f, 0.0f, 4073, 16383.5},
        {"Ombrel 7.5.0", 1, std::numeric_limits<float>::quiet_NaN(),
         std::numeric_limits<float>::quiet_NaN(), 0, 16383.5},
        {"Ombrel 7.5.0", 2, 0.8f, -1.0f, -1, -1},
        {"Ombrel 7.5.0", 64, 0.8f, -1.0f, -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.host << " bus " << int(c.channel));
        ChunkBench bench(c.host);
        OutputBusChunk chunk;
        chunk.channel = c.channel;
        chunk.gain = c.gain;
        chunk.pan = c.pan;
        ASSERT_EQ(readAt(bench, readOutputBus, chunk, 22), std::nullopt);
        auto& volume = outputVolume(bench.document());
        auto& pan = outputPan(bench.document());
        if (c.volume < 0) {
            EXPECT_EQ(volume.changes, 0u);
            EXPECT_EQ(pan.changes, 0u);
        } else {
            EXPECT_EQ(volume.value, c.volume);
            EXPECT_EQ(pan.value, c.panValue);
        }
        EXPECT_TRUE(bench.finish().clean());
    }
}

TEST(OutputBus, GainStaysWhenPanFailsAndTheLastBus1Wins) {
    ChunkBench bench;
    OutputBusChunk first;
    first.gain = 0.8f;
    first.pan = 5.0f;
    EXPECT_EQ(readAt(bench, readOutputBus, first, 22), "cannot read output bus pan");
    EXPECT_EQ(outputVolume(bench.document()).value, 23188.0);
    EXPECT_EQ(outputPan(bench.document()).changes, 0u);

    OutputBusChunk second;
    second.gain = 0.01f;
    second.pan = 1.0f;
    EXPECT_EQ(readAt(bench, readOutputBus, second, 22), std::nullopt);
    EXPECT_EQ(outputVolume(bench.document()).value, 4073.0);
    EXPECT_EQ(outputPan(bench.document()).value, 32767.0);
    EXPECT_TRUE(bench.finish().clean());
}

TEST(OutputBus, EveryOutputChannelTakesTheValues) {
    ChunkBench bench({}, [](RefHost::Profile& p) {
        p.outputs.push_back({"Stereo Out 2", "Output"});
    });
    OutputBusChunk chunk;
    chunk.gain = 0.8f;
    chunk.pan = -1.0f;
    ASSERT_EQ(readAt(bench, readOutputBus, chunk, 22), std::nullopt);
    int outputs = 0;
    for (RefHost::Node* channel : bench.document().channels.children) {
        if (channel->trackChannel) continue;
        ++outputs;
        EXPECT_EQ(channel->findParameter("volume")->value, 23188.0);
        EXPECT_EQ(channel->findChild("Panner")->findParameterByTag(4201)->value, 0.0);
    }
    EXPECT_EQ(outputs, 2);
}

TEST(Keyboard, RangeChecks) {
    using Change = void (*)(KeyboardChunk&);
    const struct {
        Change change;
        const char* message;  // null: passes
    } cases[] = {
        {[](KeyboardChunk& c) { c.rowCount = 0; }, "cannot read keyboard row count"},
        {[](KeyboardChunk& c) { c.rowCount = 2; }, nullptr},
        {[](KeyboardChunk& c) { c.rowCount = 3; }, "cannot read keyboard row count"},
        {[](KeyboardChunk& c) { c.lowerLeftKey = 255, c.upperRightKey = 255; }, nullptr},
        {[](KeyboardChunk& c) { c.keyLabelMode = 2; }, "cannot read key label mode"},
        {[](KeyboardChunk& c) { c.velocityMode = 2; }, "cannot read keyboard velocity mode"},
        {[](KeyboardChunk& c) { c.transposition = -48; }, nullptr},
        {[](KeyboardChunk& c) { c.transposition = 48; }, nullptr},
        {[](KeyboardChunk& c) { c.transposition = -49; }, "cannot read keyboard transposition"},
        {[](KeyboardChunk& c) { c.transposition = 49; }, "cannot read keyboard transposition"},
        {[](KeyboardChunk& c) { c.autoQuantization = 64; }, nullptr},
        {[](KeyboardChunk& c) { c.autoQuantization = 65; },
         "cannot read keyboard auto quantization"},
        {[](KeyboardChunk& c) { c.pitchBendRange = std::numeric_limits<float>::infinity(); },
         nullptr},
        // A short size fails before any field is read, however bad the fields.
        {[](KeyboardChunk& c) { c.sizeOverride = 12, c.rowCount = 0; },
         "KEYB chunk size too short"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        ChunkBench bench;
        KeyboardChunk chunk;
        cases[i].change(chunk);
        const auto error = readAt(bench, readKeyboard, chunk, 22);
        if (cases[i].message) {
            EXPECT_EQ(error, cases[i].message);
        } else {
            EXPECT_EQ(error, std::nullopt);
            EXPECT_EQ(bench.consumedFromStream(), 13u);
            EXPECT_EQ(bench.nextChunkAfter(), 13u);
        }
    }
}

TEST(Keyboard, EachFieldNamesItsFailedRead) {
    const char* const messages[] = {
        "cannot read keyboard row count",     "cannot read lower row left key",
        "cannot read lower row right key",    "cannot read upper row left key",
        "cannot read upper row right key",    "cannot read key label mode",
        "cannot read keyboard velocity mode", "cannot read keyboard transposition",
        "cannot read keyboard auto quantization", "cannot read keyboard pitchbend range",
    };
    for (std::size_t i = 0; i < std::size(messages); ++i) {
        SCOPED_TRACE(i);
        ChunkBench bench;
        auto bytes = TessaroWriter::encode(KeyboardChunk{}, 22);
        bytes.resize(8 + i);
        EXPECT_EQ(bench.read(readKeyboard, bytes), messages[i]);
    }
}

TEST(Keyboard, TranspositionByteIsSigned) {
    for (const auto& [byte, passes] : {std::pair{0xD0, true}, std::pair{0xCF, false},
                                       std::pair{0x30, true}, std::pair{0x31, false}}) {
        SCOPED_TRACE(byte);
        ChunkBench bench;
        auto bytes = TessaroWriter::encode(KeyboardChunk{}, 22);
        bytes[8 + 7] = static_cast<std::uint8_t>(byte);
        const auto error = bench.read(readKeyboard, bytes);
        if (passes)
            EXPECT_EQ(error, std::nullopt);
        else
            EXPECT_EQ(error, "cannot read keyboard transposition");
    }
}
