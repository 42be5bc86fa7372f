// The conversion tables and formulas, without a host: each case looks up the row of a tag in
// a kind's table and computes what it would set on a parameter of maximum M.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "effects/effect_tables.h"
#include "effects/note_values.h"
#include "reader/effect_sizes.h"

namespace Tessaro {
namespace {

template <class S>
std::optional<RowValue> valueOf(std::span<const Row<S>> rows, Host::int32 tag, const S& source,
                                Host::int32 max) {
    for (const auto& row : rows)
        if (row.tag == tag)
            return rowValue(row.formula, row.a, row.b, row.lookup, row.field.read(source), max);
    return std::nullopt;
}

Host::int32 intOf(EffectRows rows, Host::int32 tag, const EffectRecord& r, Host::int32 max) {
    const auto v = valueOf(rows, tag, r, max);
    EXPECT_TRUE(v.has_value()) << "no row for tag " << tag;
    if (!v) return std::numeric_limits<Host::int32>::min();
    EXPECT_EQ(v->kind, RowValue::Integer) << "tag " << tag;
    return v->integer;
}

struct FieldCase {
    const char* what;
    std::uint16_t kind;
    float EffectRecord::*field;
    float value;
    Host::int32 tag;
    Host::int32 max;
    Host::int32 expected;
};

class KindConversion : public testing::TestWithParam<FieldCase> {};

TEST_P(KindConversion, SetsTheExpectedValue) {
    const FieldCase& c = GetParam();
    EffectRecord r;
    r.kind = c.kind;
    r.*c.field = c.value;
    EXPECT_EQ(intOf(insertConversion(c.kind), c.tag, r, c.max), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, KindConversion,
    testing::Values(
        // Limiter drive: 0.8 and above set M, below (d / 0.8 + 1) × 0.5 × M.
        FieldCase{"drive 0.8", 0, &EffectRecord::limiterDrive, 0.8f, 4210, 100, 100},
        FieldCase{"drive 1", 0, &EffectRecord::limiterDrive, 1.0f, 4210, 100, 100},
        FieldCase{"drive 0", 0, &EffectRecord::limiterDrive, 0.0f, 4210, 100, 50},
        FieldCase{"drive 0 odd M", 0, &EffectRecord::limiterDrive, 0.0f, 4210, 7, 3},
        FieldCase{"drive 0.4", 0, &EffectRecord::limiterDrive, 0.4f, 4210, 100, 75},
        FieldCase{"drive 0.79", 0, &EffectRecord::limiterDrive, 0.79f, 4210, 100, 99},
        // Limiter gain: 0.65 and above set M.
        FieldCase{"gain 0, M 30", 0, &EffectRecord::limiterGain, 0.0f, 4205, 30, 4},
        FieldCase{"gain 0, M 100", 0, &EffectRecord::limiterGain, 0.0f, 4205, 100, 13},
        FieldCase{"gain 0.65, M 30", 0, &EffectRecord::limiterGain, 0.65f, 4205, 30, 30},
        FieldCase{"gain 0.65, M 100", 0, &EffectRecord::limiterGain, 0.65f, 4205, 100, 100},
        FieldCase{"gain 0.9, M 30", 0, &EffectRecord::limiterGain, 0.9f, 4205, 30, 30},
        FieldCase{"gain 0.13, M 30", 0, &EffectRecord::limiterGain, 0.13f, 4205, 30, 9},
        FieldCase{"release", 0, &EffectRecord::limiterRelease, 0.5f, 4203, 100, 50},
        // Overdrive: out gain × 0.9.
        FieldCase{"outgain 1", 7, &EffectRecord::overdriveOutgain, 1.0f, 4205, 100, 90},
        FieldCase{"outgain 0.5", 7, &EffectRecord::overdriveOutgain, 0.5f, 4205, 100, 45},
        FieldCase{"overdrive drive", 7, &EffectRecord::overdriveDrive, 0.29f, 4201, 100, 29},
        // Gate.
        FieldCase{"gate threshold", 15, &EffectRecord::gateThreshold, 0.25f, 4201, 100, 25},
        FieldCase{"gate range", 15, &EffectRecord::gateRange, 1.0f, 4243, 60, 60},
        FieldCase{"gate attack", 15, &EffectRecord::gateAttack, 0.5f, 4202, 10, 5},
        FieldCase{"gate release", 15, &EffectRecord::gateRelease, 0.0f, 4203, 100, 0},
        // Delay feedback; the reverb, chorus, phaser, flanger and Hallvane rows.
        FieldCase{"delay feedback", 2, &EffectRecord::delayFeedback, 0.4f, 4202, 100, 40},
        FieldCase{"reverb time", 1, &EffectRecord::reverbTime, 0.7f, 4202, 100, 70},
        FieldCase{"reverb damp", 1, &EffectRecord::reverbDamp, 1.0f, 4204, 100, 100},
        FieldCase{"reverb mix", 1, &EffectRecord::mix, 0.5f, 4207, 100, 50},
        FieldCase{"chorus depth", 4, &EffectRecord::chorusDepth, 0.3f, 4202, 100, 30},
        FieldCase{"compressor gain", 6, &EffectRecord::compressorGain, 0.6f, 4205, 100, 60},
        FieldCase{"phaser phase", 9, &EffectRecord::phaserPhase, 1.0f, 4205, 180, 180},
        FieldCase{"flanger delay", 10, &EffectRecord::flangerPreDelay, 0.1f, 4204, 100, 10},
        FieldCase{"hallvane diffusion", 31, &EffectRecord::hallvaneDiffusion, 0.2f, 4203, 100,
                  20},
        // EQ: the app's 0.5 is the middle of the host's gain, its ends ±12 of ±24 dB.
        FieldCase{"EQ bass 0.5", 3, &EffectRecord::eqBass, 0.5f, 4312, 480, 240},
        FieldCase{"EQ bass 0", 3, &EffectRecord::eqBass, 0.0f, 4312, 480, 120},
        FieldCase{"EQ treble 1", 3, &EffectRecord::eqTreble, 1.0f, 4342, 480, 360},
        FieldCase{"EQ gain 0.5", 3, &EffectRecord::eqGain, 0.5f, 4301, 480, 240}),
    [](const testing::TestParamInfo<FieldCase>& param) {
        std::string name = param.param.what;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

TEST(Conversion, OverdriveSetsTheMixToItsMaximum) {
    EffectRecord r;
    r.kind = kEffectOverdrive;
    EXPECT_EQ(intOf(insertConversion(kEffectOverdrive), 4203, r, 100), 100);
    EXPECT_EQ(intOf(insertConversion(kEffectOverdrive), 4203, r, 1), 1);
}

TEST(Conversion, WhirloGridGoesAsAFloatInEighths) {
    EffectRecord r;
    r.kind = kEffectWhirlo;
    r.whirloGrid = 0.5f;
    const auto v = valueOf(insertConversion(kEffectWhirlo), 6201, r, 8);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->kind, RowValue::Float);
    EXPECT_EQ(v->real, 4.0);
    r.whirloGrid = 1.0f;
    EXPECT_EQ(valueOf(insertConversion(kEffectWhirlo), 6201, r, 8)->real, 8.0);
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
        EffectRecord r;
        r.kind = kEffectDelay;
        r.delayBeat = c.beat;
        r.delayTiming = c.timing;
        EXPECT_EQ(intOf(insertConversion(kEffectDelay), 4219, r, 18), c.expected)
            << "beat " << int(c.beat) << " timing " << int(c.timing);
    }
}

TEST(Conversion, DelayMixFollowsTheRecordUnlessMarked) {
    EffectRecord r;
    r.kind = kEffectDelay;
    r.mix = 0.8f;
    EXPECT_EQ(intOf(insertConversion(kEffectDelay), 4207, r, 100), 80);
    r.delayMixFlag = 1;
    EXPECT_EQ(intOf(insertConversion(kEffectDelay), 4207, r, 100), 50);
}

TEST(Conversion, NoteValueIndexOfAKey) {
    EXPECT_EQ(noteValueIndex(264), 18);
    EXPECT_EQ(noteValueIndex(164), -1);
    EXPECT_EQ(noteValueIndex(0), -1);
}

TEST(Conversion, NaNCountsAsZeroEverywhere) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EffectRecord r;
    r.limiterDrive = nan;
    r.limiterGain = nan;
    r.limiterRelease = nan;
    EXPECT_EQ(intOf(EffectTables::kLimiter, 4210, r, 100), 50);
    EXPECT_EQ(intOf(EffectTables::kLimiter, 4205, r, 30), 4);
    EXPECT_EQ(intOf(EffectTables::kLimiter, 4203, r, 100), 0);
    r.lanefixGateThreshold = nan;
    r.lanefixCompMakeup = nan;
    EXPECT_EQ(intOf(EffectTables::kLanefixGate, 4611, r, 800), 800);  // 0 dB is the top
    EXPECT_EQ(intOf(EffectTables::kLanefixCompressor, 4626, r, 240), 0);
    r.whirloGrid = nan;
    EXPECT_EQ(valueOf<EffectRecord>(EffectTables::kWhirlo, 6201, r, 8)->real, 0.0);
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
    EffectRecord r;
    r.lanefixCompMakeup = 5.0f;
    EXPECT_EQ(intOf(EffectTables::kLanefixCompressor, 4626, r, 240), 50);
    r.lanefixCompMakeup = 1e38f;
    EXPECT_EQ(intOf(EffectTables::kLanefixCompressor, 4626, r, 240), 240);
    r.lanefixCompMakeup = -std::numeric_limits<float>::infinity();
    EXPECT_EQ(intOf(EffectTables::kLanefixCompressor, 4626, r, 240), 0);
    r.lanefixGateRelease = -5.0f;  // below a logarithmic scale's start
    EXPECT_EQ(intOf(EffectTables::kLanefixGate, 4613, r, 100), 0);
    r.lanefixGateFrequency = 20000.0f;
    EXPECT_EQ(intOf(EffectTables::kLanefixGate, 4615, r, 1000), 1000);
    r.lanefixGateThreshold = -40.0f;
    EXPECT_EQ(intOf(EffectTables::kLanefixGate, 4611, r, 800), 400);
}

TEST(Conversion, SaturationChoiceByType) {
    EffectRecord r;
    r.lanefixSatType = 0;
    EXPECT_EQ(EffectTables::saturationChoice(r), u"Tube Saturation");
    r.lanefixSatType = 1;
    EXPECT_EQ(EffectTables::saturationChoice(r), u"Tape Saturation");
    r.lanefixSatType = 7;
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
        EffectRecord r;
        r.brickwallThreshold = c.threshold;
        r.brickwallRelease = c.release;
        EXPECT_EQ(intOf(EffectTables::kBrickwall, 4801, r, 200), c.ceiling);
        EXPECT_EQ(intOf(EffectTables::kBrickwall, 4802, r, 100), c.releaseValue);
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
