// The conversion tables and formulas, without a host: each case looks up the row of a tag in
// a kind's table and computes what it would set on a parameter of maximum M.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "effects/effect_conversion.h"
#include "effects/effect_tables.h"
#include "effects/note_values.h"
#include "model/effect_kinds.h"

namespace Tessaro {
namespace {

template <class S>
std::optional<RowValue> valueOf(std::span<const Row<S>> rows, Host::int32 tag, const S& source,
                                Host::int32 max, double mix = 0) {
    for (const auto& row : rows)
        if (row.tag == tag)
            return rowValue(row.formula, row.a, row.b, row.lookup, row.field.read(source, mix),
                            max);
    return std::nullopt;
}

template <class S>
Host::int32 intOf(std::span<const Row<S>> rows, Host::int32 tag, const S& source,
                  Host::int32 max, double mix = 0) {
    const auto v = valueOf(rows, tag, source, max, mix);
    EXPECT_TRUE(v.has_value()) << "no row for tag " << tag;
    if (!v) return std::numeric_limits<Host::int32>::min();
    EXPECT_EQ(v->kind, RowValue::Integer) << "tag " << tag;
    return v->integer;
}

// What the insert rows of the record's parameters set on the parameter of tag.
Host::int32 insertInt(const EffectRecord& r, Host::int32 tag, Host::int32 max) {
    return std::visit(
        [&](const auto& parameters) {
            using P = std::decay_t<decltype(parameters)>;
            return intOf<P>(kInsertRows<P>, tag, parameters, max, effectMix(r));
        },
        r.parameters);
}

// A record of kind whose parameters have field at value (or whose mix is value).
template <class P>
EffectRecord recordWith(std::uint16_t kind, float P::*field, float value) {
    EffectRecord r;
    r.kind = kind;
    P parameters;
    if (field) parameters.*field = value;
    else r.mix = value;
    r.parameters = parameters;
    return r;
}

struct FieldCase {
    const char* what;
    EffectRecord record;
    Host::int32 tag;
    Host::int32 max;
    Host::int32 expected;
};

class KindConversion : public testing::TestWithParam<FieldCase> {};

TEST_P(KindConversion, SetsTheExpectedValue) {
    const FieldCase& c = GetParam();
    EXPECT_EQ(insertInt(c.record, c.tag, c.max), c.expected);
}

using L = LimiterParameters;
using O = OverdriveParameters;
using G = GateParameters;
using E = EqParameters;
constexpr float ReverbParameters::*kMix = nullptr;

INSTANTIATE_TEST_SUITE_P(
    Bounds, KindConversion,
    testing::Values(
        // Limiter drive: 0.8 and above set M, below (d / 0.8 + 1) × 0.5 × M.
        FieldCase{"drive 0.8", recordWith(0, &L::drive, 0.8f), 4210, 100, 100},
        FieldCase{"drive 1", recordWith(0, &L::drive, 1.0f), 4210, 100, 100},
        FieldCase{"drive 0", recordWith(0, &L::drive, 0.0f), 4210, 100, 50},
        FieldCase{"drive 0 odd M", recordWith(0, &L::drive, 0.0f), 4210, 7, 3},
        FieldCase{"drive 0.4", recordWith(0, &L::drive, 0.4f), 4210, 100, 75},
        FieldCase{"drive 0.79", recordWith(0, &L::drive, 0.79f), 4210, 100, 99},
        // Limiter gain: 0.65 and above set M.
        FieldCase{"gain 0, M 30", recordWith(0, &L::gain, 0.0f), 4205, 30, 4},
        FieldCase{"gain 0, M 100", recordWith(0, &L::gain, 0.0f), 4205, 100, 13},
        FieldCase{"gain 0.65, M 30", recordWith(0, &L::gain, 0.65f), 4205, 30, 30},
        FieldCase{"gain 0.65, M 100", recordWith(0, &L::gain, 0.65f), 4205, 100, 100},
        FieldCase{"gain 0.9, M 30", recordWith(0, &L::gain, 0.9f), 4205, 30, 30},
        FieldCase{"gain 0.13, M 30", recordWith(0, &L::gain, 0.13f), 4205, 30, 9},
        FieldCase{"release", recordWith(0, &L::release, 0.5f), 4203, 100, 50},
        // Overdrive: out gain × 0.9.
        FieldCase{"outgain 1", recordWith(7, &O::outgain, 1.0f), 4205, 100, 90},
        FieldCase{"outgain 0.5", recordWith(7, &O::outgain, 0.5f), 4205, 100, 45},
        FieldCase{"overdrive drive", recordWith(7, &O::drive, 0.29f), 4201, 100, 29},
        // Gate.
        FieldCase{"gate threshold", recordWith(15, &G::threshold, 0.25f), 4201, 100, 25},
        FieldCase{"gate range", recordWith(15, &G::range, 1.0f), 4243, 60, 60},
        FieldCase{"gate attack", recordWith(15, &G::attack, 0.5f), 4202, 10, 5},
        FieldCase{"gate release", recordWith(15, &G::release, 0.0f), 4203, 100, 0},
        // Delay feedback; the reverb, chorus, phaser, flanger and Hallvane rows.
        FieldCase{"delay feedback", recordWith(2, &DelayParameters::feedback, 0.4f), 4202, 100,
                  40},
        FieldCase{"reverb time", recordWith(1, &ReverbParameters::time, 0.7f), 4202, 100, 70},
        FieldCase{"reverb damp", recordWith(1, &ReverbParameters::damp, 1.0f), 4204, 100, 100},
        FieldCase{"reverb mix", recordWith(1, kMix, 0.5f), 4207, 100, 50},
        FieldCase{"chorus depth", recordWith(4, &ChorusParameters::depth, 0.3f), 4202, 100, 30},
        FieldCase{"compressor gain", recordWith(6, &CompressorParameters::gain, 0.6f), 4205,
                  100, 60},
        FieldCase{"phaser phase", recordWith(9, &PhaserParameters::phase, 1.0f), 4205, 180, 180},
        FieldCase{"flanger delay", recordWith(10, &FlangerParameters::preDelay, 0.1f), 4204, 100,
                  10},
        FieldCase{"hallvane diffusion", recordWith(31, &HallvaneLiteParameters::diffusion, 0.2f),
                  4203, 100, 20},
        // EQ: the app's 0.5 is the middle of the host's gain, its ends ±12 of ±24 dB.
        FieldCase{"EQ bass 0.5", recordWith(3, &E::bass, 0.5f), 4312, 480, 240},
        FieldCase{"EQ bass 0", recordWith(3, &E::bass, 0.0f), 4312, 480, 120},
        FieldCase{"EQ treble 1", recordWith(3, &E::treble, 1.0f), 4342, 480, 360},
        FieldCase{"EQ gain 0.5", recordWith(3, &E::gain, 0.5f), 4301, 480, 240}),
    [](const testing::TestParamInfo<FieldCase>& param) {
        std::string name = param.param.what;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

TEST(Conversion, OverdriveSetsTheMixToItsMaximum) {
    const EffectRecord r = recordWith(kEffectOverdrive, &O::drive, 0.0f);
    EXPECT_EQ(insertInt(r, 4203, 100), 100);
    EXPECT_EQ(insertInt(r, 4203, 1), 1);
}

TEST(Conversion, WhirloGridGoesAsAFloatInEighths) {
    WhirloParameters w;
    w.grid = 0.5f;
    const auto v = valueOf<WhirloParameters>(EffectTables::kWhirlo, 6201, w, 8);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->kind, RowValue::Float);
    EXPECT_EQ(v->real, 4.0);
    w.grid = 1.0f;
    EXPECT_EQ(valueOf<WhirloParameters>(EffectTables::kWhirlo, 6201, w, 8)->real, 8.0);
}

TEST(Conversion, DelayNoteValueByTimingAndBeat) {
    struct Case {
        std::uint8_t beat, timing;
        Host::int32 expected;
    };
    const Case cases[] = {
        {4, 2, 14},  {4, 1, 2},   {1, 1, 0},   {32, 1, 5},  {32, 3, 11}, {64, 2, 18},
        {64, 1, -1}, {3, 1, -1},  {3, 2, -1},  {3, 3, -1},  {16, 3, 10}, {8, 2, 15},
    };
    for (const auto& c : cases) {
        DelayParameters d;
        d.beat = c.beat;
        d.timing = c.timing;
        EXPECT_EQ(intOf<DelayParameters>(EffectTables::kDelay, 4219, d, 18), c.expected)
            << "beat " << int(c.beat) << " timing " << int(c.timing);
    }
}

TEST(Conversion, DelayMixFollowsTheRecordUnlessMarked) {
    EffectRecord r = recordWith(kEffectDelay, &DelayParameters::feedback, 0.0f);
    r.mix = 0.8f;
    EXPECT_EQ(insertInt(r, 4207, 100), 80);
    r.delayMixFlag = 1;
    EXPECT_EQ(insertInt(r, 4207, 100), 50);
    // Only the delay takes the mark.
    EffectRecord reverb = recordWith(kEffectReverb, kMix, 0.8f);
    reverb.delayMixFlag = 1;
    EXPECT_EQ(insertInt(reverb, 4207, 100), 80);
}

TEST(Conversion, NoteValueIndexOfAKey) {
    EXPECT_EQ(noteValueIndex(264), 18);
    EXPECT_EQ(noteValueIndex(164), -1);
    EXPECT_EQ(noteValueIndex(0), -1);
}

TEST(Conversion, NaNCountsAsZeroEverywhere) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    L limiter;
    limiter.drive = nan;
    limiter.gain = nan;
    limiter.release = nan;
    EXPECT_EQ(intOf<L>(EffectTables::kLimiter, 4210, limiter, 100), 50);
    EXPECT_EQ(intOf<L>(EffectTables::kLimiter, 4205, limiter, 30), 4);
    EXPECT_EQ(intOf<L>(EffectTables::kLimiter, 4203, limiter, 100), 0);
    LanefixParameters lanefix;
    lanefix.gateThreshold = nan;
    lanefix.compMakeup = nan;
    // 0 dB is the top.
    EXPECT_EQ(intOf<LanefixParameters>(EffectTables::kLanefixGate, 4611, lanefix, 800), 800);
    EXPECT_EQ(intOf<LanefixParameters>(EffectTables::kLanefixCompressor, 4626, lanefix, 240), 0);
    WhirloParameters whirlo;
    whirlo.grid = nan;
    EXPECT_EQ(valueOf<WhirloParameters>(EffectTables::kWhirlo, 6201, whirlo, 8)->real, 0.0);
    // The mix, which the header holds, as well.
    EXPECT_EQ(insertInt(recordWith(kEffectReverb, kMix, nan), 4207, 100), 0);
}

TEST(Conversion, ValuesBeyondAnIntegerAreHeld) {
    EXPECT_EQ(parameterValue(1e30), std::numeric_limits<Host::int32>::max());
    EXPECT_EQ(parameterValue(-1e30), std::numeric_limits<Host::int32>::min());
    EXPECT_EQ(parameterValue(std::numeric_limits<double>::infinity()),
              std::numeric_limits<Host::int32>::max());
    EXPECT_EQ(parameterValue(std::nan("")), 0);
    EXPECT_EQ(parameterValue(-2.9), -2);
    EXPECT_EQ(parameterValue(2.9), 2);
}

TEST(Conversion, LanefixUnboundedValuesStayWithinTheHostScale) {
    using Lf = LanefixParameters;
    Lf r;
    r.compMakeup = 5.0f;
    EXPECT_EQ(intOf<Lf>(EffectTables::kLanefixCompressor, 4626, r, 240), 50);
    r.compMakeup = 1e38f;
    EXPECT_EQ(intOf<Lf>(EffectTables::kLanefixCompressor, 4626, r, 240), 240);
    r.compMakeup = -std::numeric_limits<float>::infinity();
    EXPECT_EQ(intOf<Lf>(EffectTables::kLanefixCompressor, 4626, r, 240), 0);
    r.gateRelease = -5.0f;  // below a logarithmic scale's start
    EXPECT_EQ(intOf<Lf>(EffectTables::kLanefixGate, 4613, r, 100), 0);
    r.gateFrequency = 20000.0f;
    EXPECT_EQ(intOf<Lf>(EffectTables::kLanefixGate, 4615, r, 1000), 1000);
    r.gateThreshold = -40.0f;
    EXPECT_EQ(intOf<Lf>(EffectTables::kLanefixGate, 4611, r, 800), 400);
}

TEST(Conversion, SaturationChoiceByType) {
    LanefixParameters r;
    r.satType = 0;
    EXPECT_EQ(EffectTables::saturationChoice(r), u"Tube Saturation");
    r.satType = 1;
    EXPECT_EQ(EffectTables::saturationChoice(r), u"Tape Saturation");
    r.satType = 7;
    EXPECT_TRUE(EffectTables::saturationChoice(r).empty());
}

TEST(Conversion, BrickwallOntoTheChannelLimiter) {
    struct Case {
        float threshold, release;
        Host::int32 ceiling, releaseValue;
    };
    const Case cases[] = {
        {-20.0f, 3.0f, 0, 0},
        {0.0f, 1000.0f, 200, 100},
        {-10.0f, 100.0f, 100, 60},  // log(100/3)/log(1000/3) = 0.6035
    };
    for (const auto& c : cases) {
        BrickwallParameters r;
        r.threshold = c.threshold;
        r.release = c.release;
        EXPECT_EQ(intOf<BrickwallParameters>(EffectTables::kBrickwall, 4801, r, 200), c.ceiling);
        EXPECT_EQ(intOf<BrickwallParameters>(EffectTables::kBrickwall, 4802, r, 100),
                  c.releaseValue);
    }
}

TEST(Conversion, TonalixBandsOnTheirOwnScales) {
    TonalixBand band;
    band.enabled = true;
    band.type = 3;
    band.gain = -24.0f;
    band.frequency = 20.0f;
    band.q = 12.0f;
    struct Case {
        const std::array<BandRowSet, 4>* rows;
        Host::int32 base;
        Host::int32 type;
        Host::int32 gainMax, gain;
        Host::int32 qMax, q;
    };
    const Case cases[] = {
        {&kTonalixInsertRows, 4310, 3, 480, 0, 120, 120},
        {&kChannelEqRows, 4410, 2, 480, 0, 120, 120},
        {&kStripEqRows, 4510, 3, 400, 0, 95, 95},
    };
    for (const auto& c : cases) {
        const BandRows rows = (*c.rows)[0];
        auto at = [&](Host::int32 tag, Host::int32 max) {
            const auto v = valueOf<TonalixBand>(rows, tag, band, max);
            return v && v->kind == RowValue::Integer ? v->integer : -999;
        };
        EXPECT_EQ(at(c.base + 0, 1), 1);
        EXPECT_EQ(at(c.base + 1, 3), c.type);
        EXPECT_EQ(at(c.base + 2, c.gainMax), c.gain);
        EXPECT_EQ(at(c.base + 3, 1000), 0);
        EXPECT_EQ(at(c.base + 4, c.qMax), c.q);
    }
    // Band 4 sits at base + 40; the top of every scale gives M.
    band.gain = 24.0f;
    band.frequency = 20000.0f;
    band.type = 1;
    const BandRows band4 = kTonalixInsertRows[3];
    EXPECT_EQ(valueOf<TonalixBand>(band4, 4342, band, 480)->integer, 480);
    EXPECT_EQ(valueOf<TonalixBand>(band4, 4343, band, 1000)->integer, 1000);
    EXPECT_EQ(valueOf<TonalixBand>(band4, 4341, band, 3)->integer, 1);
    EXPECT_EQ(valueOf<TonalixBand>(kStripEqRows[3], 4541, band, 3)->integer, 0);  // shelf is 0 there
    // The strip EQ holds the gain within its ±20 dB.
    EXPECT_EQ(valueOf<TonalixBand>(kStripEqRows[3], 4542, band, 400)->integer, 400);
    band.gain = 0.0f;
    EXPECT_EQ(valueOf<TonalixBand>(kChannelEqRows[1], 4422, band, 480)->integer, 240);
}

TEST(Conversion, PluginNamesByKind) {
    const std::pair<std::uint16_t, std::u16string_view> cases[] = {
        {0, u"Limiter"},    {1, u"Hallvane Lite"}, {2, u"Echolet"},     {3, u"Tonalix"},
        {4, u"Chorus"},     {5, u"Sweepel"},       {6, u"Compressor"},  {7, u"Distortion"},
        {8, u"Cabinax"},    {9, u"Phaser"},        {10, u"Flanger"},    {11, u"Tonalix"},
        {12, u""},          {13, u""},             {14, u""},           {15, u"Gate"},
        {16, u""},          {27, u""},             {28, u""},           {29, u"Slicora FX"},
        {30, u""},          {31, u"Hallvane Lite"}, {32, u""},          {40, u""},
    };
    for (const auto& [kind, name] : cases)
        EXPECT_EQ(hostPluginName(kind), name) << "kind " << kind;
}

TEST(EffectSizes, ParameterSizeByKindAndVersion) {
    const struct {
        std::uint16_t kind, version;
        std::uint32_t size;
    } cases[] = {
        {0, 9, 16},  {1, 9, 20},  {2, 9, 6},   {3, 9, 12},  {4, 9, 12},  {5, 9, 9},
        {6, 9, 20},  {7, 9, 12},  {8, 9, 14},  {9, 9, 20},  {10, 9, 16}, {11, 9, 54},
        {12, 9, 8},  {13, 9, 4},  {14, 9, 0},  {15, 9, 20}, {16, 9, 37}, {17, 9, 17},
        {18, 9, 17}, {19, 9, 25}, {20, 9, 16}, {21, 9, 16}, {22, 9, 16}, {23, 9, 40},
        {24, 9, 17}, {25, 9, 26}, {26, 9, 26}, {27, 9, 16}, {28, 9, 8},  {29, 9, 5},
        {30, 20, 74}, {30, 21, 77}, {31, 9, 20}, {32, 9, 0}, {40, 21, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(effectParameterSize(c.kind, c.version), c.size) << "kind " << c.kind;
}

}  // namespace
}  // namespace Tessaro
