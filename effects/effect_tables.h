// The effect tables: which host plug-in plays each of the app's effect kinds, and how each
// kind's values reach that plug-in's parameters (tag, source field, formula). The rows of a
// kind read its parameters (model/effect_record.h), whose table (model/effect_kinds.h) the
// reader reads them by; the effect's mix, which every kind's header holds, is the rows'
// scaledMix. docs/effects.md tells why each row is what it is.
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

template <class P>
using Rows = std::span<const Row<P>>;
using BandRows = Rows<TonalixBand>;

namespace EffectTables {

// Limiter (0) on "Limiter". Attack is not converted.
using L = LimiterParameters;
inline constexpr Row<L> kLimiter[] = {
    special(4210, &L::drive, Formula::LimiterDrive),
    scaled(4203, &L::release),
    special(4205, &L::gain, Formula::LimiterGain),
};

// Reverb (1) on "Hallvane Lite".
using Rv = ReverbParameters;
inline constexpr Row<Rv> kReverb[] = {
    scaled(4202, &Rv::time),      scaled(4201, &Rv::preDelay),
    scaled(4204, &Rv::damp),      scaled(4205, &Rv::lowEq),
    scaled(4206, &Rv::highEq),    scaledMix<Rv>(4207),
};

// Delay (2) on "Echolet": the note value of its key, timing × 100 + beat. Its mix is the
// record's unless the reader marked the record (effectMix, effects/effect_conversion.cpp).
using D = DelayParameters;
constexpr double delayKey(const D& d) { return d.timing * 100.0 + d.beat; }
inline constexpr Row<D> kDelay[] = {
    specialBy(4219, &delayKey, Formula::NoteValue),
    scaled(4202, &D::feedback),
    scaledMix<D>(4207),
};

// EQ (3) on a "Tonalix" insert: bass and treble as shelves on the outer bands, the gain as
// the output; the app's 0.5 is 0 dB, its ends ±12 dB of the host's ±24 dB.
inline constexpr Host::int32 kTonalixOutput = 4301;
constexpr Host::int32 tonalixBand(int band, int offset) { return 4300 + 10 * band + offset; }
enum TonalixBandParam : int { kBandOn = 0, kBandType = 1, kBandGain = 2, kBandFreq = 3, kBandQ = 4 };
inline constexpr Host::int32 kTonalixPeak = 0, kTonalixShelf = 1;

using E = EqParameters;
inline constexpr Row<E> kEq[] = {
    integerOf<E>(tonalixBand(1, kBandOn), 1),
    integerOf<E>(tonalixBand(1, kBandType), kTonalixShelf),
    range(tonalixBand(1, kBandGain), &E::bass, -0.5, 1.5),
    logRangeOf<E>(tonalixBand(1, kBandFreq), 100, 20, 20000),
    integerOf<E>(tonalixBand(2, kBandOn), 0),
    integerOf<E>(tonalixBand(3, kBandOn), 0),
    integerOf<E>(tonalixBand(4, kBandOn), 1),
    integerOf<E>(tonalixBand(4, kBandType), kTonalixShelf),
    range(tonalixBand(4, kBandGain), &E::treble, -0.5, 1.5),
    logRangeOf<E>(tonalixBand(4, kBandFreq), 8000, 20, 20000),
    range(kTonalixOutput, &E::gain, -0.5, 1.5),
};

// Chorus (4) on "Chorus".
using C = ChorusParameters;
inline constexpr Row<C> kChorus[] = {
    scaled(4201, &C::rate),
    scaled(4202, &C::depth),
    scaled(4203, &C::preDelay),
    scaledMix<C>(4207),
};

// Filter (5) on "Sweepel": the app's types 0 low pass, 1 high pass, 2 band pass are the
// host's list in the same order.
using F = FilterParameters;
inline constexpr Row<F> kFilter[] = {
    integer(4201, &F::type),
    scaled(4202, &F::frequency),
    scaled(4203, &F::resonance),
};

// Compressor (6) on "Compressor": the app's gain is the make-up gain.
using Co = CompressorParameters;
inline constexpr Row<Co> kCompressor[] = {
    scaled(4201, &Co::threshold), scaled(4202, &Co::ratio),
    scaled(4203, &Co::attack),    scaled(4204, &Co::release),
    scaled(4205, &Co::gain),
};

// Overdrive (7) on "Distortion". Bias is not converted; 4203 (the mix) goes fully wet.
using O = OverdriveParameters;
inline constexpr Row<O> kOverdrive[] = {
    scaled(4201, &O::drive),
    scaled(4205, &O::outgain, 0.9),
    maximum<O>(4203),
};

// Amp simulator (8) on "Cabinax": the app's model numbers 0 to 100 spread over the host's
// models.
using A = AmpSimulatorParameters;
inline constexpr Row<A> kAmpSimulator[] = {
    range(4201, &A::model, 0, 100),
    scaled(4202, &A::drive),
    scaled(4203, &A::feedback),
    scaled(4204, &A::treble),
    integer(4205, &A::stereo),
};

// Phaser (9) on "Phaser".
using Ph = PhaserParameters;
inline constexpr Row<Ph> kPhaser[] = {
    scaled(4201, &Ph::rate),     scaled(4202, &Ph::depth),
    scaled(4203, &Ph::feedback), scaled(4204, &Ph::width),
    scaled(4205, &Ph::phase),    scaledMix<Ph>(4207),
};

// Flanger (10) on "Flanger".
using Fl = FlangerParameters;
inline constexpr Row<Fl> kFlanger[] = {
    scaled(4201, &Fl::rate),     scaled(4202, &Fl::depth),
    scaled(4203, &Fl::feedback), scaled(4204, &Fl::preDelay),
    scaledMix<Fl>(4207),
};

// Gate (15) on "Gate". Gain is not converted.
using G = GateParameters;
inline constexpr Row<G> kGate[] = {
    scaled(4201, &G::threshold),
    scaled(4243, &G::range),
    scaled(4202, &G::attack),
    scaled(4203, &G::release),
};

// Whirlo (29) on "Slicora FX": the grid in eighths, as a float. The filter type is not
// converted.
using W = WhirloParameters;
inline constexpr Row<W> kWhirlo[] = {
    floatValue(6201, &W::grid, 8),
};

// Hallvane Lite reverb (31) on "Hallvane Lite".
using H = HallvaneLiteParameters;
inline constexpr Row<H> kHallvaneLite[] = {
    scaled(4201, &H::preDelay), scaled(4202, &H::time),
    scaled(4203, &H::diffusion), scaled(4205, &H::lowEq),
    scaled(4206, &H::highEq),   scaledMix<H>(4207),
};

// Brickwall limiter (12) on the channel limiter: the threshold is the ceiling, -20 to 0 dB;
// the release, 3 to 1000 ms, on a logarithmic scale.
using Bw = BrickwallParameters;
inline constexpr Row<Bw> kBrickwall[] = {
    range(4801, &Bw::threshold, -20, 0),
    logRange(4802, &Bw::release, 3, 1000),
};

}  // namespace EffectTables

// The conversion of each kind's parameters on an insert plug-in. The Tonalix EQ (11) goes
// band by band (below); the parameters of the other kinds (the brickwall among them, which
// goes onto the channel limiter) have none and set nothing.
template <class P>
inline constexpr Rows<P> kInsertRows = {};
template <> inline constexpr Rows<LimiterParameters> kInsertRows<LimiterParameters> =
    EffectTables::kLimiter;
template <> inline constexpr Rows<ReverbParameters> kInsertRows<ReverbParameters> =
    EffectTables::kReverb;
template <> inline constexpr Rows<DelayParameters> kInsertRows<DelayParameters> =
    EffectTables::kDelay;
template <> inline constexpr Rows<EqParameters> kInsertRows<EqParameters> = EffectTables::kEq;
template <> inline constexpr Rows<ChorusParameters> kInsertRows<ChorusParameters> =
    EffectTables::kChorus;
template <> inline constexpr Rows<FilterParameters> kInsertRows<FilterParameters> =
    EffectTables::kFilter;
template <> inline constexpr Rows<CompressorParameters> kInsertRows<CompressorParameters> =
    EffectTables::kCompressor;
template <> inline constexpr Rows<OverdriveParameters> kInsertRows<OverdriveParameters> =
    EffectTables::kOverdrive;
template <> inline constexpr Rows<AmpSimulatorParameters> kInsertRows<AmpSimulatorParameters> =
    EffectTables::kAmpSimulator;
template <> inline constexpr Rows<PhaserParameters> kInsertRows<PhaserParameters> =
    EffectTables::kPhaser;
template <> inline constexpr Rows<FlangerParameters> kInsertRows<FlangerParameters> =
    EffectTables::kFlanger;
template <> inline constexpr Rows<GateParameters> kInsertRows<GateParameters> =
    EffectTables::kGate;
template <> inline constexpr Rows<WhirloParameters> kInsertRows<WhirloParameters> =
    EffectTables::kWhirlo;
template <> inline constexpr Rows<HallvaneLiteParameters> kInsertRows<HallvaneLiteParameters> =
    EffectTables::kHallvaneLite;

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

using Lf = LanefixParameters;
// Filter module.
inline constexpr Row<Lf> kLanefixFilter[] = {
    scaled(4601, &Lf::filterLowCut),
    scaled(4602, &Lf::filterHighCut),
};
// Gate module ("Noise Gate"): the app's gate values are dB, ms, Hz as they stand.
inline constexpr Row<Lf> kLanefixGate[] = {
    range(4611, &Lf::gateThreshold, -80, 0),
    logRange(4612, &Lf::gateAttack, 0.1, 100),
    logRange(4613, &Lf::gateRelease, 10, 2000),
    range(4614, &Lf::gateRange, -80, 0),
    logRange(4615, &Lf::gateFrequency, 20, 20000),
    range(4616, &Lf::gateQ, 0, 12),
    integer(4617, &Lf::gateSidechain),
    integer(4618, &Lf::gateListen),
};
// Compressor module ("Standard Compressor"): the make-up gain is dB, 0 to 24.
inline constexpr Row<Lf> kLanefixCompressor[] = {
    scaled(4621, &Lf::compRatio),
    scaled(4622, &Lf::compThreshold),
    scaled(4623, &Lf::compAttack),
    scaled(4624, &Lf::compRelease),
    integer(4625, &Lf::compAutoMakeup),
    range(4626, &Lf::compMakeup, 0, 24),
    integer(4627, &Lf::compAutoRelease),
};
// Saturation module ("Tube Saturation" or "Tape Saturation").
inline constexpr Row<Lf> kLanefixSaturation[] = {
    scaled(4631, &Lf::satDrive),
    scaled(4632, &Lf::satEqLow),
    scaled(4633, &Lf::satEqHigh),
    scaled(4634, &Lf::satGain),
};

constexpr std::u16string_view noChoice(const Lf&) { return {}; }
constexpr std::u16string_view gateChoice(const Lf&) { return u"Noise Gate"; }
constexpr std::u16string_view compressorChoice(const Lf&) { return u"Standard Compressor"; }
// The app's saturation types: 0 tube, 1 tape; others keep the host's choice.
constexpr std::u16string_view saturationChoice(const Lf& lanefix) {
    if (lanefix.satType == 0) return u"Tube Saturation";
    if (lanefix.satType == 1) return u"Tape Saturation";
    return {};
}

}  // namespace EffectTables

// One module of the host's channel strip: the strip's "Slot" whose first child carries the
// module name. The slot's "bypass" takes the module's bypass, its "moduleType" list the
// module choice, and the module node the rows.
struct StripModule {
    const char* module;
    bool LanefixParameters::*bypass;
    std::u16string_view (*choice)(const LanefixParameters&);
    Rows<LanefixParameters> rows;
};

inline constexpr StripModule kLanefixModules[] = {
    {"Filter", &LanefixParameters::filterBypass, &EffectTables::noChoice,
     EffectTables::kLanefixFilter},
    {"Gate", &LanefixParameters::gateBypass, &EffectTables::gateChoice,
     EffectTables::kLanefixGate},
    {"Compressor", &LanefixParameters::compBypass, &EffectTables::compressorChoice,
     EffectTables::kLanefixCompressor},
    {"Saturation", &LanefixParameters::satBypass, &EffectTables::saturationChoice,
     EffectTables::kLanefixSaturation},
};

}  // namespace Tessaro
