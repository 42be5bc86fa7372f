// The "EFFX" reader: header, parameter offset, the parameters of every kind with their
// checks and texts, the consumed count, and the two effect lists. Each chunk is written by
// the project-file writer and read directly, once whole and once in small pieces, with no
// host behind the importer (nothing is built).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "model/effect_kinds.h"
#include "reader/chunk_view.h"
#include "reader/chunks.h"
#include "reader/file_reader.h"
#include "tests/support/chunk_read.h"
#include "tests/support/test_streams.h"
#include "tools/writer/writer.h"

using namespace Tessaro;
namespace W = TessaroWriter;

namespace {

struct EffxRun {
    std::string error;  // empty when the chunk was read
    std::uint64_t consumed = 0;  // body bytes the reader took from the stream
    std::uint64_t position = 0;  // bytes the reader took, the size field included
    std::vector<EffectRecord> onChannels;
    std::vector<EffectRecord> onBuses;
};

// The chunk's bytes behind its id.
std::vector<std::uint8_t> body(const W::EffectChunk& chunk, std::uint16_t version) {
    auto bytes = W::encode(W::Chunk{chunk}, version);
    bytes.erase(bytes.begin(), bytes.begin() + 4);
    return bytes;
}

template <class Stream>
EffxRun readWith(Stream& stream, std::uint16_t version, float tempo) {
    HostSession host(nullptr, nullptr, nullptr);
    SongModel song;
    song.header.fileVersion = version;
    song.header.tempo = tempo;
    const TessaroTest::ChunkRead out =
        TessaroTest::readOneChunk(readEffect, "EFFX", stream, host, song);
    EffxRun run;
    run.error = out.error;
    run.position = out.read;
    run.consumed = out.read > 4 ? out.read - 4 : 0;
    run.onChannels = song.lists.effectsOnChannels;
    run.onBuses = song.lists.effectsOnBuses;
    EXPECT_EQ(stream.count(), 1u);
    return run;
}

EffxRun readBytes(const std::vector<std::uint8_t>& bytes, std::uint16_t version,
                  float tempo = 120.0f) {
    TessaroTest::BufferStream whole(bytes);
    EffxRun a = readWith(whole, version, tempo);
    TessaroTest::PieceStream pieces(bytes);
    const EffxRun b = readWith(pieces, version, tempo);
    EXPECT_EQ(a.error, b.error);
    EXPECT_EQ(a.consumed, b.consumed);
    EXPECT_EQ(a.position, b.position);
    return a;
}

EffxRun readChunk(const W::EffectChunk& chunk, std::uint16_t version = 22, float tempo = 120.0f) {
    return readBytes(body(chunk, version), version, tempo);
}

W::EffectChunk chunkOf(W::EffectParams params, std::int16_t bus = 3) {
    W::EffectChunk c;
    c.bus = bus;
    c.params = std::move(params);
    return c;
}

// The parameters of kind P the record holds; empty ones (and a failure) when it holds none.
template <class P>
const P& parametersOf(const EffectRecord& record) {
    static const P none;
    const P* kept = record.as<P>();
    EXPECT_TRUE(kept) << "kind " << record.kind;
    return kept ? *kept : none;
}

const EffectRecord& only(const EffxRun& run) {
    static const EffectRecord none;
    const auto& list = run.onChannels.empty() ? run.onBuses : run.onChannels;
    EXPECT_EQ(run.onChannels.size() + run.onBuses.size(), 1u);
    return list.empty() ? none : list.front();
}

}  // namespace

// Every kind read with its default values: the consumed count is the parameter offset plus
// the kind's size, the reader stands there, and the record is complete.
TEST(EffectChunk, ConsumedCountByKind) {
    struct Case {
        std::uint16_t kind;
        std::uint16_t version;
        std::uint32_t size;
    };
    const Case cases[] = {
        {0, 22, 16},  {1, 22, 20},  {2, 22, 6},   {3, 22, 12},  {4, 22, 12},  {5, 22, 9},
        {6, 22, 20},  {7, 22, 12},  {8, 22, 14},  {9, 22, 20},  {10, 22, 16}, {11, 22, 54},
        {12, 22, 8},  {13, 22, 4},  {14, 22, 0},  {15, 22, 20}, {16, 22, 37}, {17, 22, 17},
        {18, 22, 17}, {19, 22, 25}, {20, 22, 16}, {21, 22, 16}, {22, 22, 16}, {23, 22, 40},
        {24, 22, 17}, {25, 22, 26}, {26, 22, 26}, {27, 22, 16}, {28, 22, 8},  {29, 22, 5},
        {30, 20, 74}, {30, 21, 77}, {31, 22, 20}, {14, 8, 0},   {0, 8, 16},
    };
    for (const auto& c : cases) {
        const EffxRun run = readChunk(chunkOf(W::defaultParams(c.kind)), c.version);
        const std::uint32_t header = c.version >= 9 ? 17 : 16;
        EXPECT_EQ(run.error, "") << "kind " << c.kind;
        EXPECT_EQ(run.consumed, header + c.size) << "kind " << c.kind;
        EXPECT_EQ(run.position, 4 + header + c.size) << "kind " << c.kind;
        EXPECT_EQ(only(run).kind, c.kind);
        EXPECT_EQ(only(run).state, 2);
    }
}

TEST(EffectChunk, HeaderFieldsAndMix) {
    W::EffectChunk c = chunkOf(W::LimiterParams{}, 7);
    c.busOrder = 5;
    c.enabled = 1;
    c.dry = 1.0f;
    c.wet = 0.0f;
    EffxRun run = readChunk(c);
    EXPECT_EQ(only(run).bus, 7);
    EXPECT_EQ(only(run).busOrder, 5);
    EXPECT_TRUE(only(run).enabled);
    EXPECT_EQ(only(run).delayMixFlag, 0);
    EXPECT_EQ(only(run).mix, 0.0f);

    c.dry = 0.0f;
    c.wet = 1.0f;
    c.enabled = 2;  // on only when exactly 1
    run = readChunk(c);
    EXPECT_EQ(only(run).mix, 1.0f);
    EXPECT_FALSE(only(run).enabled);

    c.dry = 0.5f;
    c.wet = 0.5f;
    EXPECT_EQ(only(readChunk(c)).mix, 0.5f);

    // A NaN passes the app's range check.
    c.dry = std::numeric_limits<float>::quiet_NaN();
    run = readChunk(c);
    EXPECT_EQ(run.error, "");
    EXPECT_TRUE(std::isnan(only(run).mix));
}

TEST(EffectChunk, RecordsFiledByBusInFileOrder) {
    std::vector<std::uint8_t> bytes;
    const std::int16_t buses[] = {2, -1, 0, -3, 2};
    for (std::int16_t bus : buses) {
        auto b = body(chunkOf(W::GateParams{}, bus), 22);
        bytes.insert(bytes.end(), b.begin(), b.end());
    }
    TessaroTest::BufferStream all(bytes);
    HostSession host(nullptr, nullptr, nullptr);
    ImportNotes notes;
    SongModel song;
    song.header.fileVersion = 22;
    FileReader in(&all);
    for (std::uint32_t i = 0; i < std::size(buses); ++i) {
        ChunkView chunk(in, "EFFX", i, in.position());
        readEffect(chunk, host, notes, song);
    }
    const SongLists& lists = song.lists;
    ASSERT_EQ(lists.effectsOnChannels.size(), 3u);
    ASSERT_EQ(lists.effectsOnBuses.size(), 2u);
    EXPECT_EQ(lists.effectsOnChannels[0].bus, 2);
    EXPECT_EQ(lists.effectsOnChannels[1].bus, 0);
    EXPECT_EQ(lists.effectsOnChannels[2].bus, 2);
    EXPECT_EQ(lists.effectsOnBuses[0].bus, -1);
    EXPECT_EQ(lists.effectsOnBuses[1].bus, -3);
    // No host: no effect channel was made.
    EXPECT_EQ(song.effectBusCounter, 1);
}

TEST(EffectChunk, ParameterOffsetSkipsBehindTheHeader) {
    struct Case {
        std::uint16_t version;
        std::uint16_t offset;
        std::uint32_t consumed;
    };
    // The header is 16 bytes before version 9 and 17 from it: an offset of 20 skips 4 or 3
    // bytes; an offset inside the header leaves the parameters directly behind it.
    const Case cases[] = {
        {8, 20, 36}, {9, 20, 36}, {8, 16, 32}, {22, 17, 33}, {22, 10, 33}, {8, 0, 32},
    };
    for (const auto& c : cases) {
        W::LimiterParams p;
        p.gain = 0.25f;
        p.release = 0.75f;
        W::EffectChunk chunk = chunkOf(p);
        chunk.parameterOffset = c.offset;
        const EffxRun run = readChunk(chunk, c.version);
        EXPECT_EQ(run.error, "") << c.version << "/" << c.offset;
        EXPECT_EQ(run.consumed, c.consumed) << c.version << "/" << c.offset;
        const auto& limiter = parametersOf<LimiterParameters>(only(run));
        EXPECT_EQ(limiter.gain, 0.25f) << c.version << "/" << c.offset;
        EXPECT_EQ(limiter.release, 0.75f) << c.version << "/" << c.offset;
    }
}

TEST(EffectChunk, KindsAboveTheLastReadNothing) {
    // Kind 40: nothing is read behind the header (or the offset the header points to).
    W::EffectChunk c = chunkOf(W::OpaqueParams{40, std::vector<std::uint8_t>(12, 0xEE)});
    EffxRun run = readChunk(c, 22);
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.consumed, 17u);
    EXPECT_EQ(run.position, 4u + 17u);
    EXPECT_EQ(only(run).kind, 40);
    EXPECT_EQ(only(run).state, 2);
    run = readChunk(c, 8);
    EXPECT_EQ(run.consumed, 16u);
    // The consumed count is where the reader stands, so the chunk loop skips the rest from
    // there and not beyond.
    c.parameterOffset = 24;
    run = readChunk(c, 22);
    EXPECT_EQ(run.consumed, 24u);
    EXPECT_EQ(run.position, 4u + 24u);
}

TEST(EffectChunk, AudioUnitStateIsSkipped) {
    W::AudioUnitParams p;
    p.state.assign(100, 0xAB);
    EffxRun run = readChunk(chunkOf(p));
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.consumed, 17u + 108u);
    EXPECT_EQ(run.position, 4u + 17u + 108u);
    EXPECT_EQ(only(run).kind, 28);

    // A state the file cannot hold is a field that cannot be read; nothing is allocated.
    p.state.clear();
    p.stateSizeOverride = 0xFFFFFFF0u;
    run = readChunk(chunkOf(p));
    EXPECT_EQ(run.error, "cannot read AUStateByteSize");
    p.stateSizeOverride = 1;
    EXPECT_EQ(readChunk(chunkOf(p)).error, "cannot read AUStateByteSize");
    p.stateSizeOverride = 0;
    EXPECT_EQ(readChunk(chunkOf(p)).consumed, 17u + 8u);
}

TEST(EffectChunk, SizeBelowSixteenFailsFirst) {
    W::EffectChunk c = chunkOf(W::LimiterParams{});
    c.sizeOverride = 15;
    EffxRun run = readChunk(c);
    EXPECT_EQ(run.error, "EFFX chunk size too short");
    EXPECT_EQ(run.position, 4u);
    EXPECT_TRUE(run.onChannels.empty());
    c.sizeOverride = 16;
    EXPECT_EQ(readChunk(c).error, "");
}

// A chunk cut short: every field that the stream cannot deliver whole fails with its own
// text; a record is in its list from the bus on.
TEST(EffectChunk, CutShortAtEachHeaderField) {
    struct Case {
        std::size_t keep;  // bytes kept behind the id
        const char* error;
        std::size_t records;
    };
    const Case cases[] = {
        {3, "EFFX chunk size too short", 0},
        {5, "EFFX sub chunk offset too short", 0},
        {7, "cannot read effect type", 0},
        {9, "Cannot read effect bus.", 0},
        {10, "Cannot read effect bus order.", 1},
        {11, "cannot read effect enabled", 1},
        {15, "cannot read effect dry", 1},
        {19, "cannot read effect wet", 1},
        {20, "cannot read effect automation mode", 1},
        {22, "cannot read limiter gain", 1},
    };
    const auto whole = body(chunkOf(W::LimiterParams{}), 22);
    for (const auto& c : cases) {
        auto bytes = whole;
        bytes.resize(c.keep);
        const EffxRun run = readBytes(bytes, 22);
        EXPECT_EQ(run.error, c.error) << "kept " << c.keep;
        EXPECT_EQ(run.onChannels.size(), c.records) << "kept " << c.keep;
    }
}

namespace {

struct FieldCase {
    const char* name;
    std::function<W::EffectChunk()> make;
    const char* error;  // "" when the value is accepted
};

W::EffectChunk header(std::function<void(W::EffectChunk&)> change) {
    W::EffectChunk c = chunkOf(W::LimiterParams{});
    change(c);
    return c;
}

template <class P>
std::function<W::EffectChunk()> with(std::function<void(P&)> change) {
    return [change] {
        P p;
        change(p);
        return chunkOf(p);
    };
}

template <class P>
std::function<W::EffectChunk()> value(float P::*field, float v) {
    return with<P>([field, v](P& p) { p.*field = v; });
}
template <class P>
std::function<W::EffectChunk()> byte(std::uint8_t P::*field, std::uint8_t v) {
    return with<P>([field, v](P& p) { p.*field = v; });
}
std::function<W::EffectChunk()> band(std::size_t b, std::function<void(W::TonalixBand&)> change) {
    return with<W::TonalixParams>([b, change](W::TonalixParams& p) { change(p.bands[b]); });
}

}  // namespace

class EffectField : public testing::TestWithParam<FieldCase> {};

TEST_P(EffectField, CheckedWithItsText) {
    const EffxRun run = readChunk(GetParam().make());
    EXPECT_EQ(run.error, GetParam().error);
    // The record was filed before its parameters were read.
    EXPECT_EQ(run.onChannels.size(), 1u);
}

using namespace TessaroWriter;

INSTANTIATE_TEST_SUITE_P(
    Fields, EffectField,
    testing::Values(
        FieldCase{"dry_above_one", [] { return header([](EffectChunk& c) { c.dry = 1.0001f; }); },
                  "cannot read effect dry"},
        FieldCase{"dry_one", [] { return header([](EffectChunk& c) { c.dry = 1.0f; }); }, ""},
        FieldCase{"wet_below_zero", [] { return header([](EffectChunk& c) { c.wet = -0.01f; }); },
                  "cannot read effect wet"},
        // Limiter.
        FieldCase{"limiter_gain", value(&LimiterParams::gain, 1.5f), "cannot read limiter gain"},
        FieldCase{"limiter_drive", value(&LimiterParams::drive, -0.1f), "cannot read limiter drive"},
        FieldCase{"limiter_attack", value(&LimiterParams::attack, 2.0f), "cannot read limiter attack"},
        FieldCase{"limiter_release", value(&LimiterParams::release, 1.1f),
                  "cannot read limiter release"},
        // Reverb.
        FieldCase{"reverb_time", value(&ReverbParams::time, 1.1f), "cannot read reverb time"},
        FieldCase{"reverb_predelay", value(&ReverbParams::preDelay, 1.1f),
                  "cannot read reverb preDelay"},
        FieldCase{"reverb_damp", value(&ReverbParams::damp, 1.1f), "cannot read reverb damp"},
        FieldCase{"reverb_low", value(&ReverbParams::lowEq, 1.1f), "cannot read reverb low EQ"},
        FieldCase{"reverb_high", value(&ReverbParams::highEq, -1.0f), "cannot read reverb high EQ"},
        // Delay.
        FieldCase{"delay_beat_0", byte(&DelayParams::beat, 0), "cannot read delay beat"},
        FieldCase{"delay_beat_65", byte(&DelayParams::beat, 65), "cannot read delay beat"},
        FieldCase{"delay_beat_64", byte(&DelayParams::beat, 64), ""},
        FieldCase{"delay_beat_1", byte(&DelayParams::beat, 1), ""},
        FieldCase{"delay_timing_0", byte(&DelayParams::timing, 0), "cannot read delay timing"},
        FieldCase{"delay_timing_4", byte(&DelayParams::timing, 4), "cannot read delay timing"},
        FieldCase{"delay_timing_3", byte(&DelayParams::timing, 3), ""},
        FieldCase{"delay_feedback", value(&DelayParams::feedback, 1.1f),
                  "cannot read delay feedback"},
        // EQ, chorus, filter.
        FieldCase{"eq_gain", value(&EqParams::gain, 1.1f), "cannot read EQ gain"},
        FieldCase{"eq_bass", value(&EqParams::bass, 1.1f), "cannot read EQ bass"},
        FieldCase{"eq_treble", value(&EqParams::treble, 1.1f), "cannot read EQ treble"},
        FieldCase{"chorus_rate", value(&ChorusParams::rate, 1.1f), "cannot read chorus rate"},
        FieldCase{"chorus_depth", value(&ChorusParams::depth, 1.1f), "cannot read chorus depth"},
        FieldCase{"chorus_predelay", value(&ChorusParams::preDelay, 1.1f),
                  "cannot read chorus preDelay"},
        FieldCase{"filter_type_3", byte(&FilterParams::type, 3), "cannot read filter type"},
        FieldCase{"filter_type_2", byte(&FilterParams::type, 2), ""},
        FieldCase{"filter_frequency", value(&FilterParams::frequency, 1.1f),
                  "cannot read filter frequency"},
        FieldCase{"filter_resonance", value(&FilterParams::resonance, 1.1f),
                  "cannot read filter resonance"},
        // Compressor, overdrive.
        FieldCase{"comp_gain", value(&CompressorParams::gain, 1.1f), "cannot read compressor gain"},
        FieldCase{"comp_threshold", value(&CompressorParams::threshold, 1.1f),
                  "cannot read compressor threshold"},
        FieldCase{"comp_ratio", value(&CompressorParams::ratio, 1.1f),
                  "cannot read compressor ratio"},
        FieldCase{"comp_attack", value(&CompressorParams::attack, 1.1f),
                  "cannot read compressor attack"},
        FieldCase{"comp_release", value(&CompressorParams::release, 1.1f),
                  "cannot read compressor release"},
        FieldCase{"od_drive", value(&OverdriveParams::drive, 1.1f), "cannot read overdrive drive"},
        FieldCase{"od_bias", value(&OverdriveParams::bias, 1.1f), "cannot read overdrive bias"},
        FieldCase{"od_outgain", value(&OverdriveParams::outgain, 1.1f),
                  "cannot read overdrive outgain"},
        // Amp simulator.
        FieldCase{"amp_model_100", byte(&AmpSimulatorParams::model, 100), ""},
        FieldCase{"amp_model_101", byte(&AmpSimulatorParams::model, 101),
                  "cannot read ampsim model"},
        FieldCase{"amp_drive", value(&AmpSimulatorParams::drive, 1.1f), "cannot read ampsim drive"},
        FieldCase{"amp_feedback", value(&AmpSimulatorParams::feedback, 1.1f),
                  "cannot read ampsim feedback"},
        FieldCase{"amp_treble", value(&AmpSimulatorParams::treble, 1.1f),
                  "cannot read ampsim treble"},
        FieldCase{"amp_stereo_2", byte(&AmpSimulatorParams::stereo, 2),
                  "cannot read overdrive stereo"},
        // Phaser, and the flanger with the phaser's texts.
        FieldCase{"phaser_rate", value(&PhaserParams::rate, 1.1f), "cannot read phaser rate"},
        FieldCase{"phaser_depth", value(&PhaserParams::depth, 1.1f), "cannot read phaser depth"},
        FieldCase{"phaser_feedback", value(&PhaserParams::feedback, 1.1f),
                  "cannot read phaser feedback"},
        FieldCase{"phaser_width", value(&PhaserParams::width, 1.1f), "cannot read phaser width"},
        FieldCase{"phaser_phase", value(&PhaserParams::phase, 1.1f), "cannot read phaser phase"},
        FieldCase{"flanger_rate", value(&FlangerParams::rate, 1.1f), "cannot read flanger rate"},
        FieldCase{"flanger_depth", value(&FlangerParams::depth, 1.1f), "cannot read phaser depth"},
        FieldCase{"flanger_feedback", value(&FlangerParams::feedback, 1.1f),
                  "cannot read phaser feedback"},
        FieldCase{"flanger_predelay", value(&FlangerParams::preDelay, 1.1f),
                  "cannot read phaser preDelay"},
        // Tonalix EQ.
        FieldCase{"tonalix_band1_type_4", band(0, [](W::TonalixBand& b) { b.type = 4; }),
                  "cannot read Tonalix type"},
        FieldCase{"tonalix_band4_type_4", band(3, [](W::TonalixBand& b) { b.type = 4; }),
                  "cannot read Tonalix type"},
        FieldCase{"tonalix_band4_type_3", band(3, [](W::TonalixBand& b) { b.type = 3; }), ""},
        FieldCase{"tonalix_enabled_2", band(2, [](W::TonalixBand& b) { b.enabled = 2; }),
                  "cannot read Tonalix enabled"},
        FieldCase{"tonalix_gain_m24", band(1, [](W::TonalixBand& b) { b.gain = -24.0f; }), ""},
        FieldCase{"tonalix_gain_24", band(1, [](W::TonalixBand& b) { b.gain = 24.0f; }), ""},
        FieldCase{"tonalix_gain_24_1", band(1, [](W::TonalixBand& b) { b.gain = 24.1f; }),
                  "cannot read Tonalix gain"},
        FieldCase{"tonalix_freq_19_9", band(2, [](W::TonalixBand& b) { b.frequency = 19.9f; }),
                  "cannot read Tonalix frequency"},
        FieldCase{"tonalix_freq_20000", band(2, [](W::TonalixBand& b) { b.frequency = 20000.0f; }),
                  ""},
        FieldCase{"tonalix_freq_20001", band(0, [](W::TonalixBand& b) { b.frequency = 20001.0f; }),
                  "cannot read Tonalix frequency"},
        FieldCase{"tonalix_q_12", band(3, [](W::TonalixBand& b) { b.q = 12.0f; }), ""},
        FieldCase{"tonalix_q_12_1", band(3, [](W::TonalixBand& b) { b.q = 12.1f; }),
                  "cannot read Tonalix Q"},
        FieldCase{"tonalix_q_negative", band(0, [](W::TonalixBand& b) { b.q = -0.1f; }),
                  "cannot read Tonalix Q"},
        // Brickwall.
        FieldCase{"brickwall_threshold_0_5", value(&BrickwallParams::threshold, 0.5f),
                  "cannot read brickwall threshold"},
        FieldCase{"brickwall_threshold_m20", value(&BrickwallParams::threshold, -20.0f), ""},
        FieldCase{"brickwall_threshold_m21", value(&BrickwallParams::threshold, -21.0f),
                  "cannot read brickwall threshold"},
        FieldCase{"brickwall_release_3", value(&BrickwallParams::release, 3.0f), ""},
        FieldCase{"brickwall_release_2_9", value(&BrickwallParams::release, 2.9f),
                  "cannot read brickwall release"},
        FieldCase{"brickwall_release_1000", value(&BrickwallParams::release, 1000.0f), ""},
        FieldCase{"brickwall_release_1001", value(&BrickwallParams::release, 1001.0f),
                  "cannot read brickwall release"},
        // Gate.
        FieldCase{"gate_gain", value(&GateParams::gain, 1.1f), "cannot read gate gain"},
        FieldCase{"gate_threshold", value(&GateParams::threshold, 1.1f),
                  "cannot read gate threshold"},
        FieldCase{"gate_range", value(&GateParams::range, 1.1f), "cannot read gate range"},
        FieldCase{"gate_attack", value(&GateParams::attack, 1.1f), "cannot read gate attack"},
        FieldCase{"gate_release", value(&GateParams::release, 1.1f), "cannot read gate release"},
        // Whirlo.
        FieldCase{"whirlo_grid", value(&WhirloParams::grid, 1.1f), "cannot read Whirlo grid"},
        FieldCase{"whirlo_filter_3", byte(&WhirloParams::filterType, 3),
                  "cannot read Whirlo filter type"},
        // Lanefix: bounded fields fail with their key, unbounded ones pass.
        FieldCase{"lanefix_filter_bypass", byte(&LanefixParams::filterBypass, 2),
                  "cannot read Lanefix lanefixFilterBypass"},
        FieldCase{"lanefix_low_cut", value(&LanefixParams::filterLowCut, 1.1f),
                  "cannot read Lanefix lanefixFilterLowCut"},
        FieldCase{"lanefix_high_cut", value(&LanefixParams::filterHighCut, 1.1f),
                  "cannot read Lanefix lanefixFilterHighCut"},
        FieldCase{"lanefix_comp_bypass", byte(&LanefixParams::compBypass, 2),
                  "cannot read Lanefix lanefixCompBypass"},
        FieldCase{"lanefix_auto_makeup_any", byte(&LanefixParams::compAutoMakeup, 200), ""},
        FieldCase{"lanefix_ratio", value(&LanefixParams::compRatio, 1.1f),
                  "cannot read Lanefix lanefixCompRatio"},
        FieldCase{"lanefix_threshold", value(&LanefixParams::compThreshold, 1.1f),
                  "cannot read Lanefix lanefixCompThreshold"},
        FieldCase{"lanefix_attack", value(&LanefixParams::compAttack, 1.1f),
                  "cannot read Lanefix lanefixCompAttack"},
        FieldCase{"lanefix_release", value(&LanefixParams::compRelease, 1.1f),
                  "cannot read Lanefix lanefixCompRelease"},
        FieldCase{"lanefix_makeup_5", value(&LanefixParams::compMakeup, 5.0f), ""},
        FieldCase{"lanefix_gate_threshold_any", value(&LanefixParams::gateThreshold, -500.0f), ""},
        FieldCase{"lanefix_sat_bypass", byte(&LanefixParams::satBypass, 2),
                  "cannot read Lanefix lanefixSatBypass"},
        FieldCase{"lanefix_sat_type_any", byte(&LanefixParams::satType, 255), ""},
        FieldCase{"lanefix_sat_drive", value(&LanefixParams::satDrive, 1.1f),
                  "cannot read Lanefix lanefixSatDrive"},
        FieldCase{"lanefix_sat_low", value(&LanefixParams::satEqLow, 1.1f),
                  "cannot read Lanefix lanefixSatEqLow"},
        FieldCase{"lanefix_sat_high", value(&LanefixParams::satEqHigh, 1.1f),
                  "cannot read Lanefix lanefixSatEqHigh"},
        FieldCase{"lanefix_sat_gain", value(&LanefixParams::satGain, 1.1f),
                  "cannot read Lanefix lanefixSatGain"},
        // Hallvane Lite.
        FieldCase{"hallvane_predelay", value(&HallvaneLiteParams::preDelay, 1.1f),
                  "cannot read Hallvane Lite hallvaneLitePreDelay"},
        FieldCase{"hallvane_time", value(&HallvaneLiteParams::time, 1.1f),
                  "cannot read Hallvane Lite hallvaneLiteTime"},
        FieldCase{"hallvane_diffusion", value(&HallvaneLiteParams::diffusion, 1.1f),
                  "cannot read Hallvane Lite hallvaneLiteDiffusion"},
        FieldCase{"hallvane_low", value(&HallvaneLiteParams::lowEq, 1.1f),
                  "cannot read Hallvane Lite hallvaneLiteLowEq"},
        FieldCase{"hallvane_high", value(&HallvaneLiteParams::highEq, 1.1f),
                  "cannot read Hallvane Lite hallvaneLiteHighEq"}),
    [](const testing::TestParamInfo<FieldCase>& param) { return std::string(param.param.name); });

// Parameters cut short by the end of the stream: the texts of the fields that have none
// of their own range (IAA identifier, AU identifier and size, Lanefix unbounded fields).
TEST(EffectChunk, CutShortInTheParameters) {
    struct Case {
        W::EffectParams params;
        std::uint16_t version;
        std::size_t cut;  // parameter bytes kept
        const char* error;
    };
    const Case cases[] = {
        {W::InterAppAudioParams{}, 22, 3, "cannot read IAA effect ID"},
        {W::AudioUnitParams{}, 22, 3, "cannot read AU ID"},
        {W::AudioUnitParams{}, 22, 6, "cannot read AUStateByteSize"},
        {W::LanefixParams{}, 22, 10, "cannot read Lanefix lanefixCompMakeup"},
        {W::LanefixParams{}, 22, 28, "cannot read Lanefix lanefixCompMakeup"},
        {W::LanefixParams{}, 22, 31, "cannot read Lanefix lanefixGateBypass"},
        {W::LanefixParams{}, 22, 35, "cannot read Lanefix lanefixGateThreshold"},
        {W::LanefixParams{}, 22, 39, "cannot read Lanefix lanefixGateAttack"},
        {W::LanefixParams{}, 22, 43, "cannot read Lanefix lanefixGateRelease"},
        {W::LanefixParams{}, 22, 47, "cannot read Lanefix lanefixGateRange"},
        {W::LanefixParams{}, 22, 51, "cannot read Lanefix lanefixGateFrequency"},
        {W::LanefixParams{}, 22, 55, "cannot read Lanefix lanefixGateQ"},
        {W::LanefixParams{}, 22, 57, "cannot read Lanefix lanefixSatType"},
        {W::LanefixParams{}, 22, 74, "cannot read Lanefix lanefixCompAutoRelease"},
        {W::LanefixParams{}, 22, 75, "cannot read Lanefix lanefixGateSidechain"},
        {W::LanefixParams{}, 22, 76, "cannot read Lanefix lanefixGateListen"},
        {W::LanefixParams{}, 20, 74, ""},
        {W::GateParams{}, 22, 19, "cannot read gate release"},
    };
    for (const auto& c : cases) {
        auto bytes = body(chunkOf(c.params), c.version);
        bytes.resize(4 + 17 + c.cut);
        const EffxRun run = readBytes(bytes, c.version);
        EXPECT_EQ(run.error, c.error) << "cut " << c.cut;
    }
}

TEST(EffectChunk, ValuesOfEveryKindReachTheRecord) {
    {
        W::DelayParams p;
        p.beat = 16;
        p.timing = 3;
        p.feedback = 0.25f;
        const auto r = parametersOf<DelayParameters>(only(readChunk(chunkOf(p), 22, 98.5f)));
        EXPECT_EQ(r.beat, 16);
        EXPECT_EQ(r.timing, 3);
        EXPECT_EQ(r.feedback, 0.25f);
        EXPECT_EQ(r.tempo, 98.5f);
    }
    {
        W::AmpSimulatorParams p;
        p.model = 42;
        p.stereo = 1;
        p.treble = 0.125f;
        const auto r = parametersOf<AmpSimulatorParameters>(only(readChunk(chunkOf(p))));
        EXPECT_EQ(r.model, 42);
        EXPECT_TRUE(r.stereo);
        EXPECT_EQ(r.treble, 0.125f);
    }
    {
        W::TonalixParams p;
        p.bands[0] = {1, 2, -6.0f, 80.0f, 0.5f};
        p.bands[1] = {0, 3, 3.0f, 400.0f, 1.0f};  // band 2 has no type in the file
        p.bands[3] = {1, 1, 12.0f, 12000.0f, 2.0f};
        const auto bands = parametersOf<TonalixParameters>(only(readChunk(chunkOf(p)))).bands;
        EXPECT_TRUE(bands[0].enabled);
        EXPECT_EQ(bands[0].type, 2);
        EXPECT_EQ(bands[0].gain, -6.0f);
        EXPECT_EQ(bands[0].frequency, 80.0f);
        EXPECT_FALSE(bands[1].enabled);
        EXPECT_EQ(bands[1].type, 0);
        EXPECT_EQ(bands[1].frequency, 400.0f);
        EXPECT_EQ(bands[3].type, 1);
        EXPECT_EQ(bands[3].q, 2.0f);
    }
    {
        W::LanefixParams p;
        p.compAutoMakeup = 7;
        p.compMakeup = 5.0f;
        p.gateBypass = 3;
        p.gateThreshold = -40.0f;
        p.satType = 9;
        p.compAutoRelease = 1;
        p.gateListen = 2;
        auto r = parametersOf<LanefixParameters>(only(readChunk(chunkOf(p), 21)));
        EXPECT_TRUE(r.compAutoMakeup);
        EXPECT_EQ(r.compMakeup, 5.0f);
        EXPECT_TRUE(r.gateBypass);
        EXPECT_EQ(r.gateThreshold, -40.0f);
        EXPECT_EQ(r.satType, 9.0f);
        EXPECT_TRUE(r.compAutoRelease);
        EXPECT_FALSE(r.gateSidechain);
        EXPECT_TRUE(r.gateListen);
        r = parametersOf<LanefixParameters>(only(readChunk(chunkOf(p), 20)));
        EXPECT_FALSE(r.compAutoRelease);
        EXPECT_FALSE(r.gateListen);
    }
    {
        W::HallvaneLiteParams p;
        p.diffusion = 0.875f;
        EXPECT_EQ(parametersOf<HallvaneLiteParameters>(only(readChunk(chunkOf(p)))).diffusion,
                  0.875f);
        W::WhirloParams w;
        w.grid = 0.5f;
        w.filterType = 2;
        const auto r = parametersOf<WhirloParameters>(only(readChunk(chunkOf(w))));
        EXPECT_EQ(r.grid, 0.5f);
        EXPECT_EQ(r.filterType, 2);
        W::BrickwallParams b;
        b.threshold = -3.5f;
        b.release = 250.0f;
        const auto rb = parametersOf<BrickwallParameters>(only(readChunk(chunkOf(b, 0))));
        EXPECT_EQ(rb.threshold, -3.5f);
        EXPECT_EQ(rb.release, 250.0f);
    }
}

// A parameter offset behind both the chunk's end and the file's is refused at the offset
// field, before the record is filed.
TEST(EffectChunk, AParameterOffsetNeitherTheChunkNorTheFileCanHoldIsRefused) {
    auto bytes = body(chunkOf(W::LimiterParams{}), 22);
    bytes[4] = 0xFF;  // the offset field, behind the size field
    bytes[5] = 0xFF;
    EffxRun run = readBytes(bytes, 22);
    EXPECT_EQ(run.error, "EFFX sub chunk offset too short");
    EXPECT_EQ(run.position, 4u + 2u);  // nothing behind the offset was read
    EXPECT_TRUE(run.onChannels.empty());
}

TEST(EffectChunk, EveryKindHasOneTableOfNameAndSize) {
    // The notes' name of every kind by code, the opaque kinds (16 to 27) and the kinds above
    // the last known one by their number.
    const char* const names[] = {
        "limiter",           "reverb",     "delay",         "EQ",
        "chorus",            "filter",     "compressor",    "overdrive",
        "amp simulator",     "phaser",     "flanger",       "Tonalix EQ",
        "brickwall limiter", "Inter-App Audio effect",      "input phase",
        "gate",              nullptr,      nullptr,         nullptr,
        nullptr,             nullptr,      nullptr,         nullptr,
        nullptr,             nullptr,      nullptr,         nullptr,
        nullptr,             "Audio Unit effect",           "Whirlo",
        "Lanefix",           "Hallvane Lite reverb",
    };
    static_assert(std::size(names) == kEffectLastKnown + 1);
    // Every kind up to the last known has a table; its parameter size is what its reads take
    // (ConsumedCountByKind reads them, EffectSizes.ParameterSizeByKindAndVersion sizes them).
    const auto noVisit = [](const auto&) {};
    for (std::uint16_t kind = 0; kind <= kEffectLastKnown + 9; ++kind) {
        const bool known = kind <= kEffectLastKnown;
        const char* name = known ? names[kind] : nullptr;
        EXPECT_EQ(effectKindName(kind), name ? name : "effect kind " + std::to_string(kind))
            << kind;
        EXPECT_EQ(visitEffectKind(kind, noVisit), known) << kind;
    }
}
