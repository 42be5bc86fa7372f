// The effect kinds of the "EFFX" chunk, one table each: the kind's code, its name in the
// import's notes, and its parameters as the file holds them, in file order, with their
// checks, their texts and the field of the kind's parameters (model/effect_record.h) each
// fills. The reader reads a kind's parameters by its table, the parameter size of a kind
// follows from it, and the builders name an effect by it. How a kind reaches the host's
// plug-in is the builders' table (effects/effect_tables.h).
#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <tuple>
#include <type_traits>

#include "model/effect_record.h"

namespace Tessaro {

// How the file holds one parameter.
enum class ParameterRead : std::uint8_t {
    Unit,      // f32 from 0 to 1
    Real,      // f32 from lo to hi
    Byte,      // u8 from lo to hi
    Flag,      // u8 from lo to hi, kept as true when not 0
    ByteReal,  // u8 of any value, kept as a float of the same number
    Id,        // 4 bytes, not kept
    Opaque,    // size bytes, passed over unread
    State,     // a u32 size, then as many bytes, passed over unread
};

template <class P>
struct ParameterField {
    ParameterRead read;
    const char* message;
    float P::*real = nullptr;          // Unit, Real, ByteReal
    std::uint8_t P::*byte = nullptr;   // Byte
    bool P::*flag = nullptr;           // Flag
    float lo = 0;
    float hi = 1;
    std::uint16_t fromVersion = 0;     // the first file version that holds it
    std::uint16_t size = 0;            // Opaque: its bytes
    bool outerBandsOnly = false;       // Tonalix band fields of bands 1 and 4 only

    // The bytes it takes in the file (a State's size field; its state follows).
    constexpr std::uint32_t fileSize() const {
        switch (read) {
            case ParameterRead::Byte:
            case ParameterRead::Flag:
            case ParameterRead::ByteReal: return 1;
            case ParameterRead::Opaque: return size;
            default: return 4;
        }
    }
};

// Field makers, so that a table reads as (how, field, text).
template <class P>
constexpr ParameterField<P> unit(float P::*field, const char* message) {
    return {ParameterRead::Unit, message, field};
}
template <class P>
constexpr ParameterField<P> real(float P::*field, float lo, float hi, const char* message) {
    return {ParameterRead::Real, message, field, nullptr, nullptr, lo, hi};
}
template <class P>
constexpr ParameterField<P> byte(std::uint8_t P::*field, std::uint8_t lo, std::uint8_t hi,
                                 const char* message) {
    return {ParameterRead::Byte, message, nullptr, field, nullptr, static_cast<float>(lo),
            static_cast<float>(hi)};
}
template <class P>
constexpr ParameterField<P> flag(bool P::*field, std::uint8_t lo, std::uint8_t hi,
                                 const char* message) {
    return {ParameterRead::Flag, message, nullptr, nullptr, field, static_cast<float>(lo),
            static_cast<float>(hi)};
}
template <class P>
constexpr ParameterField<P> byteAsReal(float P::*field, const char* message) {
    return {ParameterRead::ByteReal, message, field};
}
template <class P>
constexpr ParameterField<P> fromVersion(std::uint16_t version, ParameterField<P> field) {
    field.fromVersion = version;
    return field;
}
template <class P>
constexpr ParameterField<P> outerBands(ParameterField<P> field) {
    field.outerBandsOnly = true;
    return field;
}
constexpr ParameterField<NoParameters> idNotKept(const char* message) {
    return {ParameterRead::Id, message};
}
constexpr ParameterField<NoParameters> opaque(std::uint16_t size) {
    return {.read = ParameterRead::Opaque, .message = "EFFX sub chunk offset too short",
            .size = size};
}
constexpr ParameterField<NoParameters> stateNotKept(const char* message) {
    return {ParameterRead::State, message};
}

// One kind's table. Its parameters are Parameters; Band is the layout each of a kind's
// bands repeats (the Tonalix EQ's four), or Parameters itself for a kind without bands.
template <class Parameters_, class Band = Parameters_>
struct EffectKindTable {
    using Parameters = Parameters_;
    std::uint16_t kind;
    const char* name;  // as the import's notes name the effect; null: "effect kind N"
    std::span<const ParameterField<Band>> fields;
    std::uint8_t bands = 0;  // 0: the fields are the parameters' own
};

namespace EffectKinds {

using L = LimiterParameters;
inline constexpr ParameterField<L> kLimiter[] = {
    unit(&L::gain, "cannot read limiter gain"),
    unit(&L::drive, "cannot read limiter drive"),
    unit(&L::attack, "cannot read limiter attack"),
    unit(&L::release, "cannot read limiter release"),
};

using Rv = ReverbParameters;
inline constexpr ParameterField<Rv> kReverb[] = {
    unit(&Rv::time, "cannot read reverb time"),
    unit(&Rv::preDelay, "cannot read reverb preDelay"),
    unit(&Rv::damp, "cannot read reverb damp"),
    unit(&Rv::lowEq, "cannot read reverb low EQ"),
    unit(&Rv::highEq, "cannot read reverb high EQ"),
};

// The tempo is the song's, taken when the chunk is read.
using D = DelayParameters;
inline constexpr ParameterField<D> kDelay[] = {
    byte(&D::beat, 1, 64, "cannot read delay beat"),
    byte(&D::timing, 1, 3, "cannot read delay timing"),
    unit(&D::feedback, "cannot read delay feedback"),
};

using E = EqParameters;
inline constexpr ParameterField<E> kEq[] = {
    unit(&E::gain, "cannot read EQ gain"),
    unit(&E::bass, "cannot read EQ bass"),
    unit(&E::treble, "cannot read EQ treble"),
};

using C = ChorusParameters;
inline constexpr ParameterField<C> kChorus[] = {
    unit(&C::rate, "cannot read chorus rate"),
    unit(&C::depth, "cannot read chorus depth"),
    unit(&C::preDelay, "cannot read chorus preDelay"),
};

using F = FilterParameters;
inline constexpr ParameterField<F> kFilter[] = {
    byte(&F::type, 0, 2, "cannot read filter type"),
    unit(&F::frequency, "cannot read filter frequency"),
    unit(&F::resonance, "cannot read filter resonance"),
};

using Co = CompressorParameters;
inline constexpr ParameterField<Co> kCompressor[] = {
    unit(&Co::gain, "cannot read compressor gain"),
    unit(&Co::threshold, "cannot read compressor threshold"),
    unit(&Co::ratio, "cannot read compressor ratio"),
    unit(&Co::attack, "cannot read compressor attack"),
    unit(&Co::release, "cannot read compressor release"),
};

using O = OverdriveParameters;
inline constexpr ParameterField<O> kOverdrive[] = {
    unit(&O::drive, "cannot read overdrive drive"),
    unit(&O::bias, "cannot read overdrive bias"),
    unit(&O::outgain, "cannot read overdrive outgain"),
};

// The app names the stereo switch after the overdrive.
using A = AmpSimulatorParameters;
inline constexpr ParameterField<A> kAmpSimulator[] = {
    byte(&A::model, 0, 100, "cannot read ampsim model"),
    unit(&A::drive, "cannot read ampsim drive"),
    unit(&A::feedback, "cannot read ampsim feedback"),
    unit(&A::treble, "cannot read ampsim treble"),
    flag(&A::stereo, 0, 1, "cannot read overdrive stereo"),
};

using Ph = PhaserParameters;
inline constexpr ParameterField<Ph> kPhaser[] = {
    unit(&Ph::rate, "cannot read phaser rate"),
    unit(&Ph::depth, "cannot read phaser depth"),
    unit(&Ph::feedback, "cannot read phaser feedback"),
    unit(&Ph::width, "cannot read phaser width"),
    unit(&Ph::phase, "cannot read phaser phase"),
};

// The app reports the flanger's last three fields with the phaser's texts.
using Fl = FlangerParameters;
inline constexpr ParameterField<Fl> kFlanger[] = {
    unit(&Fl::rate, "cannot read flanger rate"),
    unit(&Fl::depth, "cannot read phaser depth"),
    unit(&Fl::feedback, "cannot read phaser feedback"),
    unit(&Fl::preDelay, "cannot read phaser preDelay"),
};

// Each of the four bands; only the outer bands have a type (shelf, pass, ...).
using B = TonalixBand;
inline constexpr ParameterField<B> kTonalixBand[] = {
    flag(&B::enabled, 0, 1, "cannot read Tonalix enabled"),
    outerBands(byte(&B::type, 0, 3, "cannot read Tonalix type")),
    real(&B::gain, -24.0f, 24.0f, "cannot read Tonalix gain"),
    real(&B::frequency, 20.0f, 20000.0f, "cannot read Tonalix frequency"),
    real(&B::q, 0.0f, 12.0f, "cannot read Tonalix Q"),
};

using Bw = BrickwallParameters;
inline constexpr ParameterField<Bw> kBrickwall[] = {
    real(&Bw::threshold, -20.0f, 0.0f, "cannot read brickwall threshold"),
    real(&Bw::release, 3.0f, 1000.0f, "cannot read brickwall release"),
};

// The identifier is not kept.
inline constexpr ParameterField<NoParameters> kInterAppAudio[] = {
    idNotKept("cannot read IAA effect ID"),
};

using G = GateParameters;
inline constexpr ParameterField<G> kGate[] = {
    unit(&G::gain, "cannot read gate gain"),
    unit(&G::threshold, "cannot read gate threshold"),
    unit(&G::range, "cannot read gate range"),
    unit(&G::attack, "cannot read gate attack"),
    unit(&G::release, "cannot read gate release"),
};

// Neither the identifier nor the state is kept: the state is passed over, never read.
inline constexpr ParameterField<NoParameters> kAudioUnit[] = {
    idNotKept("cannot read AU ID"),
    stateNotKept("cannot read AUStateByteSize"),
};

using W = WhirloParameters;
inline constexpr ParameterField<W> kWhirlo[] = {
    unit(&W::grid, "cannot read Whirlo grid"),
    byte(&W::filterType, 0, 2, "cannot read Whirlo filter type"),
};

// The unbounded values of the Lanefix strip.
inline constexpr float kAny = std::numeric_limits<float>::infinity();

using Lf = LanefixParameters;
inline constexpr ParameterField<Lf> kLanefix[] = {
    flag(&Lf::filterBypass, 0, 1, "cannot read Lanefix lanefixFilterBypass"),
    unit(&Lf::filterLowCut, "cannot read Lanefix lanefixFilterLowCut"),
    unit(&Lf::filterHighCut, "cannot read Lanefix lanefixFilterHighCut"),
    flag(&Lf::compBypass, 0, 1, "cannot read Lanefix lanefixCompBypass"),
    flag(&Lf::compAutoMakeup, 0, 255, "cannot read Lanefix lanefixCompMakeup"),
    unit(&Lf::compRatio, "cannot read Lanefix lanefixCompRatio"),
    unit(&Lf::compThreshold, "cannot read Lanefix lanefixCompThreshold"),
    unit(&Lf::compAttack, "cannot read Lanefix lanefixCompAttack"),
    unit(&Lf::compRelease, "cannot read Lanefix lanefixCompRelease"),
    real(&Lf::compMakeup, -kAny, kAny, "cannot read Lanefix lanefixCompMakeup"),
    flag(&Lf::gateBypass, 0, 255, "cannot read Lanefix lanefixGateBypass"),
    real(&Lf::gateThreshold, -kAny, kAny, "cannot read Lanefix lanefixGateThreshold"),
    real(&Lf::gateAttack, -kAny, kAny, "cannot read Lanefix lanefixGateAttack"),
    real(&Lf::gateRelease, -kAny, kAny, "cannot read Lanefix lanefixGateRelease"),
    real(&Lf::gateRange, -kAny, kAny, "cannot read Lanefix lanefixGateRange"),
    real(&Lf::gateFrequency, -kAny, kAny, "cannot read Lanefix lanefixGateFrequency"),
    real(&Lf::gateQ, -kAny, kAny, "cannot read Lanefix lanefixGateQ"),
    flag(&Lf::satBypass, 0, 1, "cannot read Lanefix lanefixSatBypass"),
    byteAsReal(&Lf::satType, "cannot read Lanefix lanefixSatType"),
    unit(&Lf::satDrive, "cannot read Lanefix lanefixSatDrive"),
    unit(&Lf::satEqLow, "cannot read Lanefix lanefixSatEqLow"),
    unit(&Lf::satEqHigh, "cannot read Lanefix lanefixSatEqHigh"),
    unit(&Lf::satGain, "cannot read Lanefix lanefixSatGain"),
    fromVersion(21, flag(&Lf::compAutoRelease, 0, 255,
                         "cannot read Lanefix lanefixCompAutoRelease")),
    fromVersion(21, flag(&Lf::gateSidechain, 0, 255, "cannot read Lanefix lanefixGateSidechain")),
    fromVersion(21, flag(&Lf::gateListen, 0, 255, "cannot read Lanefix lanefixGateListen")),
};

using H = HallvaneLiteParameters;
inline constexpr ParameterField<H> kHallvaneLite[] = {
    unit(&H::preDelay, "cannot read Hallvane Lite hallvaneLitePreDelay"),
    unit(&H::time, "cannot read Hallvane Lite hallvaneLiteTime"),
    unit(&H::diffusion, "cannot read Hallvane Lite hallvaneLiteDiffusion"),
    unit(&H::lowEq, "cannot read Hallvane Lite hallvaneLiteLowEq"),
    unit(&H::highEq, "cannot read Hallvane Lite hallvaneLiteHighEq"),
};

// Kinds 16 to 27 have no meaning here beyond their sizes: they are passed over.
template <std::uint16_t Size>
inline constexpr ParameterField<NoParameters> kOpaque[] = {opaque(Size)};

template <class P>
constexpr EffectKindTable<P> kind(std::uint16_t code, const char* name,
                                  std::span<const ParameterField<P>> fields) {
    return {code, name, fields};
}
constexpr EffectKindTable<NoParameters> opaqueKind(std::uint16_t code,
                                                   std::span<const ParameterField<NoParameters>>
                                                       fields) {
    return {code, nullptr, fields};
}

}  // namespace EffectKinds

// Every kind the reader knows, by code.
inline constexpr std::tuple kEffectKinds{
    EffectKinds::kind<LimiterParameters>(kEffectLimiter, "limiter", EffectKinds::kLimiter),
    EffectKinds::kind<ReverbParameters>(kEffectReverb, "reverb", EffectKinds::kReverb),
    EffectKinds::kind<DelayParameters>(kEffectDelay, "delay", EffectKinds::kDelay),
    EffectKinds::kind<EqParameters>(kEffectEq, "EQ", EffectKinds::kEq),
    EffectKinds::kind<ChorusParameters>(kEffectChorus, "chorus", EffectKinds::kChorus),
    EffectKinds::kind<FilterParameters>(kEffectFilter, "filter", EffectKinds::kFilter),
    EffectKinds::kind<CompressorParameters>(kEffectCompressor, "compressor",
                                            EffectKinds::kCompressor),
    EffectKinds::kind<OverdriveParameters>(kEffectOverdrive, "overdrive",
                                           EffectKinds::kOverdrive),
    EffectKinds::kind<AmpSimulatorParameters>(kEffectAmpSimulator, "amp simulator",
                                              EffectKinds::kAmpSimulator),
    EffectKinds::kind<PhaserParameters>(kEffectPhaser, "phaser", EffectKinds::kPhaser),
    EffectKinds::kind<FlangerParameters>(kEffectFlanger, "flanger", EffectKinds::kFlanger),
    EffectKindTable<TonalixParameters, TonalixBand>{kEffectTonalixEq, "Tonalix EQ",
                                                    EffectKinds::kTonalixBand, 4},
    EffectKinds::kind<BrickwallParameters>(kEffectBrickwall, "brickwall limiter",
                                           EffectKinds::kBrickwall),
    EffectKinds::kind<NoParameters>(kEffectInterAppAudio, "Inter-App Audio effect",
                                    EffectKinds::kInterAppAudio),
    EffectKinds::kind<NoParameters>(kEffectInputPhase, "input phase", {}),
    EffectKinds::kind<GateParameters>(kEffectGate, "gate", EffectKinds::kGate),
    EffectKinds::opaqueKind(16, EffectKinds::kOpaque<37>),
    EffectKinds::opaqueKind(17, EffectKinds::kOpaque<17>),
    EffectKinds::opaqueKind(18, EffectKinds::kOpaque<17>),
    EffectKinds::opaqueKind(19, EffectKinds::kOpaque<25>),
    EffectKinds::opaqueKind(20, EffectKinds::kOpaque<16>),
    EffectKinds::opaqueKind(21, EffectKinds::kOpaque<16>),
    EffectKinds::opaqueKind(22, EffectKinds::kOpaque<16>),
    EffectKinds::opaqueKind(23, EffectKinds::kOpaque<40>),
    EffectKinds::opaqueKind(24, EffectKinds::kOpaque<17>),
    EffectKinds::opaqueKind(25, EffectKinds::kOpaque<26>),
    EffectKinds::opaqueKind(26, EffectKinds::kOpaque<26>),
    EffectKinds::opaqueKind(27, EffectKinds::kOpaque<16>),
    EffectKinds::kind<NoParameters>(kEffectAudioUnit, "Audio Unit effect",
                                    EffectKinds::kAudioUnit),
    EffectKinds::kind<WhirloParameters>(kEffectWhirlo, "Whirlo", EffectKinds::kWhirlo),
    EffectKinds::kind<LanefixParameters>(kEffectLanefix, "Lanefix", EffectKinds::kLanefix),
    EffectKinds::kind<HallvaneLiteParameters>(kEffectHallvaneLite, "Hallvane Lite reverb",
                                              EffectKinds::kHallvaneLite),
};

// Calls visit(table) with the table of kind; false, and no call, for a kind the reader does
// not know (above the last known one).
template <class Visit>
constexpr bool visitEffectKind(std::uint16_t kind, Visit&& visit) {
    return std::apply(
        [&](const auto&... table) {
            return ((table.kind == kind ? (visit(table), true) : false) || ...);
        },
        kEffectKinds);
}

// The fields of a table present in a file version, the bands repeated; band is 0 to 3.
template <class Table, class Each>
constexpr void forEachField(const Table& table, std::uint16_t fileVersion, Each&& each) {
    const int bands = table.bands == 0 ? 1 : table.bands;
    for (int band = 0; band < bands; ++band) {
        const bool outer = band == 0 || band == bands - 1;
        for (const auto& field : table.fields)
            if (field.fromVersion <= fileVersion && (outer || !field.outerBandsOnly))
                each(field, band);
    }
}

// The bytes of the parameters of kind in a file version: what its table reads (for the
// Audio Unit effect without its state, whose size the chunk gives); 0 for kinds above the
// last known one.
constexpr std::uint32_t effectParameterSize(std::uint16_t kind, std::uint16_t fileVersion) {
    std::uint32_t size = 0;
    visitEffectKind(kind, [&](const auto& table) {
        forEachField(table, fileVersion,
                     [&](const auto& field, int) { size += field.fileSize(); });
    });
    return size;
}

// The app's name of an effect kind, as the import's notes name an effect ("reverb",
// "Tonalix EQ"); kinds without a name of their own are "effect kind 17".
inline std::string effectKindName(std::uint16_t kind) {
    const char* name = nullptr;
    visitEffectKind(kind, [&](const auto& table) { name = table.name; });
    return name ? std::string(name) : "effect kind " + std::to_string(kind);
}

}  // namespace Tessaro
