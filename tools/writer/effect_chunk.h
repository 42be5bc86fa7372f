// "EFFX": one insert effect, and the parameters of every effect kind.
//
// The parameters are one struct per kind, held in the `EffectParams` variant; the kind code
// written into the chunk follows from the alternative (`effectKind`). `OpaqueParams`
// stands for the kinds that carry bytes without meaning to the importer (16 to 27) and
// for codes above 31, and writes any kind code with any bytes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace TessaroWriter {

// Effect kind codes.
enum EffectKind : std::uint16_t {
    kLimiter = 0,
    kReverb = 1,
    kDelay = 2,
    kEq = 3,
    kChorus = 4,
    kFilter = 5,
    kCompressor = 6,
    kOverdrive = 7,
    kAmpSimulator = 8,
    kPhaser = 9,
    kFlanger = 10,
    kTonalixEq = 11,
    kBrickwall = 12,
    kInterAppAudio = 13,
    kInputPhase = 14,
    kGate = 15,
    kAudioUnit = 28,
    kWhirlo = 29,
    kLanefix = 30,
    kHallvaneLite = 31,
};

struct LimiterParams {
    float gain = 0.5f, drive = 0.3f, attack = 0.2f, release = 0.4f;
};

struct ReverbParams {
    float time = 0.5f, preDelay = 0.1f, damp = 0.5f, lowEq = 0.5f, highEq = 0.5f;
};

struct DelayParams {
    std::uint8_t beat = 4;     // 1 to 64
    std::uint8_t timing = 1;   // 1 to 3
    float feedback = 0.4f;
};

struct EqParams {
    float gain = 0.5f, bass = 0.5f, treble = 0.5f;
};

struct ChorusParams {
    float rate = 0.3f, depth = 0.5f, preDelay = 0.2f;
};

struct FilterParams {
    std::uint8_t type = 0;  // 0 to 2
    float frequency = 0.5f, resonance = 0.2f;
};

struct CompressorParams {
    float gain = 0.5f, threshold = 0.6f, ratio = 0.4f, attack = 0.2f, release = 0.3f;
};

struct OverdriveParams {
    float drive = 0.5f, bias = 0.5f, outgain = 0.5f;
};

struct AmpSimulatorParams {
    std::uint8_t model = 0;  // 0 to 100
    float drive = 0.5f, feedback = 0.2f, treble = 0.5f;
    std::uint8_t stereo = 0;  // 0 or 1
};

struct PhaserParams {
    float rate = 0.3f, depth = 0.5f, feedback = 0.4f, width = 0.5f, phase = 0.5f;
};

struct FlangerParams {
    float rate = 0.3f, depth = 0.5f, feedback = 0.4f, preDelay = 0.2f;
};

// One band of the Tonalix EQ; `type` is written for bands 1 and 4 only.
struct TonalixBand {
    std::uint8_t enabled = 1;
    std::uint8_t type = 0;  // 0 to 3
    float gain = 0.0f;      // -24 to 24
    float frequency = 1000.0f;  // 20 to 20000
    float q = 0.7f;         // 0 to 12
};

struct TonalixParams {
    std::array<TonalixBand, 4> bands{{
        {1, 0, 0.0f, 100.0f, 0.7f},
        {1, 0, 0.0f, 500.0f, 0.7f},
        {1, 0, 0.0f, 2000.0f, 0.7f},
        {1, 0, 0.0f, 8000.0f, 0.7f},
    }};
};

struct BrickwallParams {
    float threshold = -1.0f;  // -20 to 0
    float release = 100.0f;   // 3 to 1000
};

struct InterAppAudioParams {
    std::array<std::uint8_t, 4> id{{'i', 'a', 'a', 'x'}};
};

struct InputPhaseParams {};

struct GateParams {
    float gain = 0.5f, threshold = 0.3f, range = 0.5f, attack = 0.1f, release = 0.3f;
};

struct AudioUnitParams {
    std::array<std::uint8_t, 4> id{{'a', 'u', 'f', 'x'}};
    std::vector<std::uint8_t> state;
    std::optional<std::uint32_t> stateSizeOverride;
};

struct WhirloParams {
    float grid = 0.5f;
    std::uint8_t filterType = 0;  // 0 to 2
};

// Lanefix channel strip; the last three fields are written from file version 21 on.
struct LanefixParams {
    std::uint8_t filterBypass = 0;
    float filterLowCut = 0.1f;
    float filterHighCut = 0.9f;
    std::uint8_t compBypass = 0;
    std::uint8_t compAutoMakeup = 1;
    float compRatio = 0.4f;
    float compThreshold = 0.6f;
    float compAttack = 0.2f;
    float compRelease = 0.3f;
    float compMakeup = 0.0f;
    std::uint8_t gateBypass = 1;
    float gateThreshold = -40.0f;
    float gateAttack = 1.0f;
    float gateRelease = 100.0f;
    float gateRange = -60.0f;
    float gateFrequency = 1000.0f;
    float gateQ = 1.0f;
    std::uint8_t satBypass = 1;
    std::uint8_t satType = 0;
    float satDrive = 0.3f;
    float satEqLow = 0.5f;
    float satEqHigh = 0.5f;
    float satGain = 0.5f;
    std::uint8_t compAutoRelease = 0;  // version 21 on
    std::uint8_t gateSidechain = 0;    // version 21 on
    std::uint8_t gateListen = 0;       // version 21 on
};

struct HallvaneLiteParams {
    float preDelay = 0.1f, time = 0.5f, diffusion = 0.5f, lowEq = 0.5f, highEq = 0.5f;
};

// Any kind code with any parameter bytes. With `bytes` unset, the kinds 16 to 27 get zero
// bytes of the size the importer skips for them, and other codes get none.
struct OpaqueParams {
    std::uint16_t kind = 16;
    std::optional<std::vector<std::uint8_t>> bytes;
};

using EffectParams = std::variant<LimiterParams, ReverbParams, DelayParams, EqParams,
    ChorusParams, FilterParams, CompressorParams, OverdriveParams, AmpSimulatorParams,
    PhaserParams, FlangerParams, TonalixParams, BrickwallParams, InterAppAudioParams,
    InputPhaseParams, GateParams, AudioUnitParams, WhirloParams, LanefixParams,
    HallvaneLiteParams, OpaqueParams>;

// The kind code that the parameters stand for.
std::uint16_t effectKind(const EffectParams& params);
// Default parameters of a kind code: the struct of the kind, or `OpaqueParams` for 16 to 27
// and codes above 31.
EffectParams defaultParams(std::uint16_t kind);

// Where an effect sits: bus 0 is the master, a track's number, or minus an effect bus
// number (-1 is effect bus 1).
inline constexpr std::int16_t kMasterBus = 0;
inline constexpr std::int16_t effectBus(int number) { return static_cast<std::int16_t>(-number); }

struct EffectChunk {
    // Offset of the parameters behind the size field. Default: the header size, 16, or 17
    // from file version 9. A larger offset pads the header with zeros.
    std::optional<std::uint16_t> parameterOffset;
    std::optional<std::uint16_t> kindOverride;
    std::int16_t bus = kMasterBus;
    std::uint8_t busOrder = 0;
    std::uint8_t enabled = 1;
    float dry = 0.0f;
    float wet = 1.0f;
    std::uint8_t automationMode = 0;  // version 9 on
    EffectParams params;
    std::optional<std::uint32_t> sizeOverride;
    std::vector<std::uint8_t> extra;
};

}  // namespace TessaroWriter
