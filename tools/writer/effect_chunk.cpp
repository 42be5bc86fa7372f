#include "tools/writer/chunks.h"

#include <algorithm>

namespace TessaroWriter {
namespace {

// Parameter bytes of the kinds 16 to 27, which the importer skips without reading.
std::size_t opaqueSize(std::uint16_t kind) {
    switch (kind) {
    case 16: return 37;
    case 17: case 18: case 24: return 17;
    case 19: return 25;
    case 20: case 21: case 22: case 27: return 16;
    case 23: return 40;
    case 25: case 26: return 26;
    default: return 0;
    }
}

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
// Spelled out for compilers without aggregate deduction (clang 14, which builds the fuzz
// target).
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

void writeParams(ByteWriter& w, const EffectParams& params, unsigned v) {
    std::visit(
        Overloaded{
            [&](const LimiterParams& p) { w.f32(p.gain).f32(p.drive).f32(p.attack).f32(p.release); },
            [&](const ReverbParams& p) {
                w.f32(p.time).f32(p.preDelay).f32(p.damp).f32(p.lowEq).f32(p.highEq);
            },
            [&](const DelayParams& p) { w.u8(p.beat).u8(p.timing).f32(p.feedback); },
            [&](const EqParams& p) { w.f32(p.gain).f32(p.bass).f32(p.treble); },
            [&](const ChorusParams& p) { w.f32(p.rate).f32(p.depth).f32(p.preDelay); },
            [&](const FilterParams& p) { w.u8(p.type).f32(p.frequency).f32(p.resonance); },
            [&](const CompressorParams& p) {
                w.f32(p.gain).f32(p.threshold).f32(p.ratio).f32(p.attack).f32(p.release);
            },
            [&](const OverdriveParams& p) { w.f32(p.drive).f32(p.bias).f32(p.outgain); },
            [&](const AmpSimulatorParams& p) {
                w.u8(p.model).f32(p.drive).f32(p.feedback).f32(p.treble).u8(p.stereo);
            },
            [&](const PhaserParams& p) {
                w.f32(p.rate).f32(p.depth).f32(p.feedback).f32(p.width).f32(p.phase);
            },
            [&](const FlangerParams& p) {
                w.f32(p.rate).f32(p.depth).f32(p.feedback).f32(p.preDelay);
            },
            [&](const TonalixParams& p) {
                for (std::size_t band = 0; band < p.bands.size(); ++band) {
                    const TonalixBand& b = p.bands[band];
                    w.u8(b.enabled);
                    if (band == 0 || band == 3) w.u8(b.type);
                    w.f32(b.gain).f32(b.frequency).f32(b.q);
                }
            },
            [&](const BrickwallParams& p) { w.f32(p.threshold).f32(p.release); },
            [&](const InterAppAudioParams& p) { w.bytes(p.id); },
            [&](const InputPhaseParams&) {},
            [&](const GateParams& p) {
                w.f32(p.gain).f32(p.threshold).f32(p.range).f32(p.attack).f32(p.release);
            },
            [&](const AudioUnitParams& p) {
                w.bytes(p.id);
                w.u32(p.stateSizeOverride ? *p.stateSizeOverride
                                          : static_cast<std::uint32_t>(p.state.size()));
                w.bytes(p.state);
            },
            [&](const WhirloParams& p) { w.f32(p.grid).u8(p.filterType); },
            [&](const LanefixParams& p) {
                w.u8(p.filterBypass).f32(p.filterLowCut).f32(p.filterHighCut);
                w.u8(p.compBypass).u8(p.compAutoMakeup);
                w.f32(p.compRatio).f32(p.compThreshold).f32(p.compAttack).f32(p.compRelease);
                w.f32(p.compMakeup);
                w.u8(p.gateBypass);
                w.f32(p.gateThreshold).f32(p.gateAttack).f32(p.gateRelease).f32(p.gateRange);
                w.f32(p.gateFrequency).f32(p.gateQ);
                w.u8(p.satBypass).u8(p.satType);
                w.f32(p.satDrive).f32(p.satEqLow).f32(p.satEqHigh).f32(p.satGain);
                if (v >= 21) w.u8(p.compAutoRelease).u8(p.gateSidechain).u8(p.gateListen);
            },
            [&](const HallvaneLiteParams& p) {
                w.f32(p.preDelay).f32(p.time).f32(p.diffusion).f32(p.lowEq).f32(p.highEq);
            },
            [&](const OpaqueParams& p) {
                if (p.bytes) {
                    w.bytes(*p.bytes);
                } else {
                    w.zeros(opaqueSize(p.kind));
                }
            },
        },
        params);
}

}  // namespace

std::uint16_t effectKind(const EffectParams& params) {
    if (const auto* opaque = std::get_if<OpaqueParams>(&params)) return opaque->kind;
    static constexpr std::uint16_t kKindOfAlternative[] = {
        kLimiter, kReverb, kDelay, kEq, kChorus, kFilter, kCompressor, kOverdrive,
        kAmpSimulator, kPhaser, kFlanger, kTonalixEq, kBrickwall, kInterAppAudio,
        kInputPhase, kGate, kAudioUnit, kWhirlo, kLanefix, kHallvaneLite};
    static_assert(std::size(kKindOfAlternative) + 1 == std::variant_size_v<EffectParams>);
    return kKindOfAlternative[params.index()];
}

EffectParams defaultParams(std::uint16_t kind) {
    switch (kind) {
    case kLimiter: return LimiterParams{};
    case kReverb: return ReverbParams{};
    case kDelay: return DelayParams{};
    case kEq: return EqParams{};
    case kChorus: return ChorusParams{};
    case kFilter: return FilterParams{};
    case kCompressor: return CompressorParams{};
    case kOverdrive: return OverdriveParams{};
    case kAmpSimulator: return AmpSimulatorParams{};
    case kPhaser: return PhaserParams{};
    case kFlanger: return FlangerParams{};
    case kTonalixEq: return TonalixParams{};
    case kBrickwall: return BrickwallParams{};
    case kInterAppAudio: return InterAppAudioParams{};
    case kInputPhase: return InputPhaseParams{};
    case kGate: return GateParams{};
    case kAudioUnit: return AudioUnitParams{};
    case kWhirlo: return WhirloParams{};
    case kLanefix: return LanefixParams{};
    case kHallvaneLite: return HallvaneLiteParams{};
    default: return OpaqueParams{kind, std::nullopt};
    }
}

std::vector<std::uint8_t> encodeBody(const EffectChunk& c, std::uint16_t fileVersion) {
    const unsigned v = fileVersion;
    const std::uint16_t headerSize = v >= 9 ? 17 : 16;
    const std::uint16_t offset = c.parameterOffset ? *c.parameterOffset : headerSize;
    ByteWriter w;
    w.u16(offset);
    w.u16(c.kindOverride ? *c.kindOverride : effectKind(c.params));
    w.i16(c.bus).u8(c.busOrder).u8(c.enabled).f32(c.dry).f32(c.wet);
    if (v >= 9) w.u8(c.automationMode);
    // The offset counts from the byte behind the size field, where this body begins; an
    // offset inside the header leaves the parameters directly behind it.
    w.padTo(std::max(offset, headerSize));
    writeParams(w, c.params, v);
    w.bytes(c.extra);
    return w.take();
}

}  // namespace TessaroWriter
