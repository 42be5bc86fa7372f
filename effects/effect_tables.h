// The effect tables: which host plug-in plays each of the app's effect kinds, and how each
// kind's values reach that plug-in's parameters (tag, source field, formula). docs/effects.md
// tells why each row is what it is.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "effects/conversion.h"
#include "model/effect_record.h"

namespace Tessaro {

// --- Host plug-ins by effect kind --------------------------------------------------------

struct PluginName {
    std::uint16_t kind;
    std::u16string_view name;  // as the host's plug-in list names it, without its category
};

inline constexpr PluginName kPluginNames[] = {
    {kEffectLimiter, u"Limiter"},
    {kEffectReverb, u"Hallvane Lite"},
    {kEffectDelay, u"Echolet"},
    {kEffectEq, u"Tonalix"},
    {kEffectChorus, u"Chorus"},
    {kEffectFilter, u"Sweepel"},
    {kEffectCompressor, u"Compressor"},
    {kEffectOverdrive, u"Distortion"},
    {kEffectAmpSimulator, u"Cabinax"},
    {kEffectPhaser, u"Phaser"},
    {kEffectFlanger, u"Flanger"},
    {kEffectTonalixEq, u"Tonalix"},
    {kEffectGate, u"Gate"},
    {kEffectWhirlo, u"Slicora FX"},
    {kEffectHallvaneLite, u"Hallvane Lite"},
};

// The host plug-in of kind; empty for kinds that have none.
constexpr std::u16string_view hostPluginName(std::uint16_t kind) {
    for (const auto& entry : kPluginNames)
        if (entry.kind == kind) return entry.name;
    return {};
}

using EffectRows = std::span<const Row<EffectRecord>>;
using BandRows = std::span<const Row<TonalixBand>>;

namespace EffectTables {

using R = EffectRecord;

// The delay's note value key and its mix: the record's mix unless the reader marked it.
constexpr double delayKey(const R& r) { return r.delayTiming * 100.0 + r.delayBeat; }
constexpr double delayMix(const R& r) {
    return r.delayMixFlag == 0 ? static_cast<double>(r.mix) : 0.5;
}
constexpr double mixOf(const R& r) { return static_cast<double>(r.mix); }

// Limiter (0) on "Limiter". Attack is not converted.
inline constexpr Row<R> kLimiter[] = {
    special(4210, &R::limiterDrive, Formula::LimiterDrive),
    scaled(4203, &R::limiterRelease),
    special(4205, &R::limiterGain, Formula::LimiterGain),
};

// Reverb (1) on "Hallvane Lite".
inline constexpr Row<R> kReverb[] = {
    scaled(4202, &R::reverbTime),      scaled(4201, &R::reverbPreDelay),
    scaled(4204, &R::reverbDamp),      scaled(4205, &R::reverbLowEq),
    scaled(4206, &R::reverbHighEq),    scaledBy(4207, &mixOf),
};

// Delay (2) on "Echolet".
inline constexpr Row<R> kDelay[] = {
    specialBy(4219, &delayKey, Formula::NoteValue),
    scaled(4202, &R::delayFeedback),
    scaledBy(4207, &delayMix),
};

// EQ (3) on a "Tonalix" insert: bass and treble as shelves on the outer bands, the gain as
// the output; the app's 0.5 is 0 dB, its ends ±12 dB of the host's ±24 dB.
inline constexpr Host::int32 kTonalixOutput = 4301;
constexpr Host::int32 tonalixBand(int band, int offset) { return 4300 + 10 * band + offset; }
enum TonalixBandParam : int { kBandOn = 0, kBandType = 1, kBandGain = 2, kBandFreq = 3, kBandQ = 4 };
inline constexpr Host::int32 kTonalixPeak = 0, kTonalixShelf = 1;

inline constexpr Row<R> kEq[] = {
    integerOf<R>(tonalixBand(1, kBandOn), 1),
    integerOf<R>(tonalixBand(1, kBandType), kTonalixShelf),
    range(tonalixBand(1, kBandGain), &R::eqBass, -0.5, 1.5),
    logRangeOf<R>(tonalixBand(1, kBandFreq), 100, 20, 20000),
    integerOf<R>(tonalixBand(2, kBandOn), 0),
    integerOf<R>(tonalixBand(3, kBandOn), 0),
    integerOf<R>(tonalixBand(4, kBandOn), 1),
    integerOf<R>(tonalixBand(4, kBandType), kTonalixShelf),
    range(tonalixBand(4, kBandGain), &R::eqTreble, -0.5, 1.5),
    logRangeOf<R>(tonalixBand(4, kBandFreq), 8000, 20, 20000),
    range(kTonalixOutput, &R::eqGain, -0.5, 1.5),
};

// Chorus (4) on "Chorus".
inline constexpr Row<R> kChorus[] = {
    scaled(4201, &R::chorusRate),
    scaled(4202, &R::chorusDepth),
    scaled(4203, &R::chorusPreDelay),
    scaledBy(4207, &mixOf),
};

// Filter (5) on "Sweepel": the app's types 0 low pass, 1 high pass, 2 band pass are the
// host's list in the same order.
inline constexpr Row<R> kFilter[] = {
    integer(4201, &R::filterType),
    scaled(4202, &R::filterFrequency),
    scaled(4203, &R::filterResonance),
};

// Compressor (6) on "Compressor": the app's gain is the make-up gain.
inline constexpr Row<R> kCompressor[] = {
    scaled(4201, &R::compressorThreshold), scaled(4202, &R::compressorRatio),
    scaled(4203, &R::compressorAttack),    scaled(4204, &R::compressorRelease),
    scaled(4205, &R::compressorGain),
};

// Overdrive (7) on "Distortion". Bias is not converted; 4203 (the mix) goes fully wet.
inline constexpr Row<R> kOverdrive[] = {
    scaled(4201, &R::overdriveDrive),
    scaled(4205, &R::overdriveOutgain, 0.9),
    maximum<R>(4203),
};

// Amp simulator (8) on "Cabinax": the app's model numbers 0 to 100 spread over the host's
// models.
inline constexpr Row<R> kAmpSimulator[] = {
    range(4201, &R::ampModel, 0, 100),
    scaled(4202, &R::ampDrive),
    scaled(4203, &R::ampFeedback),
    scaled(4204, &R::ampTreble),
    integer(4205, &R::ampStereo),
};

// Phaser (9) on "Phaser".
inline constexpr Row<R> kPhaser[] = {
    scaled(4201, &R::phaserRate),     scaled(4202, &R::phaserDepth),
    scaled(4203, &R::phaserFeedback), scaled(4204, &R::phaserWidth),
    scaled(4205, &R::phaserPhase),    scaledBy(4207, &mixOf),
};

// Flanger (10) on "Flanger".
inline constexpr Row<R> kFlanger[] = {
    scaled(4201, &R::flangerRate),     scaled(4202, &R::flangerDepth),
    scaled(4203, &R::flangerFeedback), scaled(4204, &R::flangerPreDelay),
    scaledBy(4207, &mixOf),
};

// Gate (15) on "Gate". Gain is not converted.
inline constexpr Row<R> kGate[] = {
    scaled(4201, &R::gateThreshold),
    scaled(4243, &R::gateRange),
    scaled(4202, &R::gateAttack),
    scaled(4203, &R::gateRelease),
};

// Whirlo (29) on "Slicora FX": the grid in eighths, as a float. The filter type is not
// converted.
inline constexpr Row<R> kWhirlo[] = {
    floatValue(6201, &R::whirloGrid, 8),
};

// Hallvane Lite reverb (31) on "Hallvane Lite".
inline constexpr Row<R> kHallvaneLite[] = {
    scaled(4201, &R::hallvanePreDelay), scaled(4202, &R::hallvaneTime),
    scaled(4203, &R::hallvaneDiffusion), scaled(4205, &R::hallvaneLowEq),
    scaled(4206, &R::hallvaneHighEq),   scaledBy(4207, &mixOf),
};

// Brickwall limiter (12) on the channel limiter: the threshold is the ceiling, -20 to 0 dB;
// the release, 3 to 1000 ms, on a logarithmic scale.
inline constexpr Row<R> kBrickwall[] = {
    range(4801, &R::brickwallThreshold, -20, 0),
    logRange(4802, &R::brickwallRelease, 3, 1000),
};

}  // namespace EffectTables

struct KindRows {
    std::uint16_t kind;
    EffectRows rows;
};

// The conversion of each kind on an insert plug-in. The Tonalix EQ (11) goes band by band
// (below); kinds without rows set nothing.
inline constexpr KindRows kInsertConversions[] = {
    {kEffectLimiter, EffectTables::kLimiter},
    {kEffectReverb, EffectTables::kReverb},
    {kEffectDelay, EffectTables::kDelay},
    {kEffectEq, EffectTables::kEq},
    {kEffectChorus, EffectTables::kChorus},
    {kEffectFilter, EffectTables::kFilter},
    {kEffectCompressor, EffectTables::kCompressor},
    {kEffectOverdrive, EffectTables::kOverdrive},
    {kEffectAmpSimulator, EffectTables::kAmpSimulator},
    {kEffectPhaser, EffectTables::kPhaser},
    {kEffectFlanger, EffectTables::kFlanger},
    {kEffectGate, EffectTables::kGate},
    {kEffectWhirlo, EffectTables::kWhirlo},
    {kEffectHallvaneLite, EffectTables::kHallvaneLite},
};

constexpr EffectRows insertConversion(std::uint16_t kind) {
    for (const auto& entry : kInsertConversions)
        if (entry.kind == kind) return entry.rows;
    return {};
}

// --- Tonalix EQ bands --------------------------------------------------------------------
//
// The app's band types (bands 1 and 4): 0 parametric, 1 shelf, 2 pass (12 dB/octave), 3 pass
// (24 dB/octave). Bands 2 and 3 are always parametric. Each of the host's three EQs takes a
// band's values on its own tags and scales; the type lists differ, so each has its own
// type lookup.

struct EqLayout {
    Host::int32 onTag;     // the EQ's own switch (0: none); takes the record's on state
    Host::int32 bandBase;  // band n's parameters are bandBase + 10 × n + offset
    std::span<const Host::int32> types;  // host type by the app's type
    double gainLo, gainHi;  // dB
    double qLo, qHi;
};

namespace EffectTables {
// Tonalix plug-in types: 0 "Peak", 1 "Shelf", 2 "Cut 12", 3 "Cut 24".
inline constexpr Host::int32 kTonalixTypes[] = {0, 1, 2, 3};
// Channel EQ types: 0 "Peak", 1 "Shelf", 2 "Cut" (one slope).
inline constexpr Host::int32 kChannelEqTypes[] = {0, 1, 2, 2};
// Strip EQ types (its outer bands only; the inner ones are always parametric): 0 "Shelf",
// 1 "Peak", 2 "Cut 12", 3 "Cut 24".
inline constexpr Host::int32 kStripEqTypes[] = {1, 0, 2, 3};
}  // namespace EffectTables

// A "Tonalix" insert plug-in: ±24 dB, Q 0 to 12.
inline constexpr EqLayout kTonalixInsertLayout = {
    .onTag = 0, .bandBase = 4300, .types = EffectTables::kTonalixTypes,
    .gainLo = -24, .gainHi = 24, .qLo = 0, .qHi = 12};
// The channel's own EQ ("EQ"): ±24 dB, Q 0 to 12.
inline constexpr EqLayout kChannelEqLayout = {
    .onTag = 4400, .bandBase = 4400, .types = EffectTables::kChannelEqTypes,
    .gainLo = -24, .gainHi = 24, .qLo = 0, .qHi = 12};
// The EQ module of the channel strip ("Strips", "Slot", "EQ"): ±20 dB, Q 0.5 to 10.
inline constexpr EqLayout kStripEqLayout = {
    .onTag = 4500, .bandBase = 4500, .types = EffectTables::kStripEqTypes,
    .gainLo = -20, .gainHi = 20, .qLo = 0.5, .qHi = 10};

using BandRowSet = std::array<Row<TonalixBand>, 5>;

// Band n (1 to 4) of an EQ: on, type, gain, frequency (20 Hz to 20 kHz, logarithmic), Q.
// A band without a type parameter in the host (the strip EQ's inner bands) skips that row;
// the app's inner bands carry type 0, parametric.
constexpr BandRowSet eqBandRows(const EqLayout& eq, int band) {
    const Host::int32 base = eq.bandBase + 10 * band;
    return {{
        integer(base + 0, &TonalixBand::enabled),
        lookup(base + 1, &TonalixBand::type, eq.types),
        range(base + 2, &TonalixBand::gain, eq.gainLo, eq.gainHi),
        logRange(base + 3, &TonalixBand::frequency, 20, 20000),
        range(base + 4, &TonalixBand::q, eq.qLo, eq.qHi),
    }};
}

constexpr std::array<BandRowSet, 4> eqRows(const EqLayout& eq) {
    return {eqBandRows(eq, 1), eqBandRows(eq, 2), eqBandRows(eq, 3), eqBandRows(eq, 4)};
}

inline constexpr auto kTonalixInsertRows = eqRows(kTonalixInsertLayout);
inline constexpr auto kChannelEqRows = eqRows(kChannelEqLayout);
inline constexpr auto kStripEqRows = eqRows(kStripEqLayout);

// --- Lanefix strip modules ---------------------------------------------------------------

namespace EffectTables {

// Filter module.
inline constexpr Row<R> kLanefixFilter[] = {
    scaled(4601, &R::lanefixFilterLowCut),
    scaled(4602, &R::lanefixFilterHighCut),
};
// Gate module ("Noise Gate"): the app's gate values are dB, ms, Hz as they stand.
inline constexpr Row<R> kLanefixGate[] = {
    range(4611, &R::lanefixGateThreshold, -80, 0),
    logRange(4612, &R::lanefixGateAttack, 0.1, 100),
    logRange(4613, &R::lanefixGateRelease, 10, 2000),
    range(4614, &R::lanefixGateRange, -80, 0),
    logRange(4615, &R::lanefixGateFrequency, 20, 20000),
    range(4616, &R::lanefixGateQ, 0, 12),
    integer(4617, &R::lanefixGateSidechain),
    integer(4618, &R::lanefixGateListen),
};
// Compressor module ("Standard Compressor"): the make-up gain is dB, 0 to 24.
inline constexpr Row<R> kLanefixCompressor[] = {
    scaled(4621, &R::lanefixCompRatio),
    scaled(4622, &R::lanefixCompThreshold),
    scaled(4623, &R::lanefixCompAttack),
    scaled(4624, &R::lanefixCompRelease),
    integer(4625, &R::lanefixCompAutoMakeup),
    range(4626, &R::lanefixCompMakeup, 0, 24),
    integer(4627, &R::lanefixCompAutoRelease),
};
// Saturation module ("Tube Saturation" or "Tape Saturation").
inline constexpr Row<R> kLanefixSaturation[] = {
    scaled(4631, &R::lanefixSatDrive),
    scaled(4632, &R::lanefixSatEqLow),
    scaled(4633, &R::lanefixSatEqHigh),
    scaled(4634, &R::lanefixSatGain),
};

constexpr std::u16string_view noChoice(const R&) { return {}; }
constexpr std::u16string_view gateChoice(const R&) { return u"Noise Gate"; }
constexpr std::u16string_view compressorChoice(const R&) { return u"Standard Compressor"; }
// The app's saturation types: 0 tube, 1 tape; others keep the host's choice.
constexpr std::u16string_view saturationChoice(const R& r) {
    if (r.lanefixSatType == 0) return u"Tube Saturation";
    if (r.lanefixSatType == 1) return u"Tape Saturation";
    return {};
}

}  // namespace EffectTables

// One module of the host's channel strip: the strip's "Slot" whose first child carries the
// module name. The slot's "bypass" takes the module's bypass, its "moduleType" list the
// module choice, and the module node the rows.
struct StripModule {
    const char* module;
    bool EffectRecord::*bypass;
    std::u16string_view (*choice)(const EffectRecord&);
    EffectRows rows;
};

inline constexpr StripModule kLanefixModules[] = {
    {"Filter", &EffectRecord::lanefixFilterBypass, &EffectTables::noChoice,
     EffectTables::kLanefixFilter},
    {"Gate", &EffectRecord::lanefixGateBypass, &EffectTables::gateChoice,
     EffectTables::kLanefixGate},
    {"Compressor", &EffectRecord::lanefixCompBypass, &EffectTables::compressorChoice,
     EffectTables::kLanefixCompressor},
    {"Saturation", &EffectRecord::lanefixSatBypass, &EffectTables::saturationChoice,
     EffectTables::kLanefixSaturation},
};

}  // namespace Tessaro
