// One effect of an "EFFX" chunk, as the app stores it: a header every kind shares, and the
// parameters of its kind. What the file holds of each kind (its parameters in file order,
// their checks and texts, and so its parameter size) is the kind's table in
// model/effect_kinds.h.
#pragma once

#include <array>
#include <cstdint>
#include <variant>

namespace Tessaro {

// Effect kind codes of the "EFFX" chunk.
enum EffectKind : std::uint16_t {
    kEffectLimiter = 0,
    kEffectReverb = 1,
    kEffectDelay = 2,
    kEffectEq = 3,
    kEffectChorus = 4,
    kEffectFilter = 5,
    kEffectCompressor = 6,
    kEffectOverdrive = 7,
    kEffectAmpSimulator = 8,
    kEffectPhaser = 9,
    kEffectFlanger = 10,
    kEffectTonalixEq = 11,
    kEffectBrickwall = 12,
    kEffectInterAppAudio = 13,
    kEffectInputPhase = 14,
    kEffectGate = 15,
    kEffectAudioUnit = 28,
    kEffectWhirlo = 29,
    kEffectLanefix = 30,
    kEffectHallvaneLite = 31,
    kEffectLastKnown = 31,
};

// Where a record stands: the reader sets it once the parameters are read.
enum EffectState : std::uint8_t { kEffectUnread = 0, kEffectParametersRead = 2 };

// The parameters of each kind. Fields without a unit in their comment are the app's 0 to 1
// values.

struct LimiterParameters {
    float gain = 0, drive = 0, attack = 0, release = 0;
};
struct ReverbParameters {
    float time = 0, preDelay = 0, damp = 0, lowEq = 0, highEq = 0;
};
// The song tempo at the time of the chunk, beat 1 to 64, timing 1 straight, 2 dotted,
// 3 triplet.
struct DelayParameters {
    float tempo = 0;
    std::uint8_t beat = 0;
    std::uint8_t timing = 0;
    float feedback = 0;
};
struct EqParameters {
    float gain = 0, bass = 0, treble = 0;
};
struct ChorusParameters {
    float rate = 0, depth = 0, preDelay = 0;
};
// Type 0 to 2.
struct FilterParameters {
    std::uint8_t type = 0;
    float frequency = 0, resonance = 0;
};
struct CompressorParameters {
    float gain = 0, threshold = 0, ratio = 0, attack = 0, release = 0;
};
struct OverdriveParameters {
    float drive = 0, bias = 0, outgain = 0;
};
// Model 0 to 100.
struct AmpSimulatorParameters {
    std::uint8_t model = 0;
    float drive = 0, feedback = 0, treble = 0;
    bool stereo = false;
};
struct PhaserParameters {
    float rate = 0, depth = 0, feedback = 0, width = 0, phase = 0;
};
struct FlangerParameters {
    float rate = 0, depth = 0, feedback = 0, preDelay = 0;
};

// One band of the app's four-band Tonalix EQ. Only bands 1 and 4 carry a type.
struct TonalixBand {
    bool enabled = false;
    std::uint8_t type = 0;  // 0 to 3 (bands 1 and 4)
    float gain = 0;         // dB, -24 to 24
    float frequency = 0;    // Hz, 20 to 20000
    float q = 0;            // 0 to 12
};
struct TonalixParameters {
    std::array<TonalixBand, 4> bands{};  // bands 1 to 4
};

// Threshold in dB (-20 to 0), release in ms (3 to 1000).
struct BrickwallParameters {
    float threshold = 0, release = 0;
};
struct GateParameters {
    float gain = 0, threshold = 0, range = 0, attack = 0, release = 0;
};
// Filter type 0 to 2.
struct WhirloParameters {
    float grid = 0;
    std::uint8_t filterType = 0;
};
// The Lanefix channel strip. The gate's values and the compressor makeup are the app's own
// units, without bounds; the saturation type is kept as a number.
struct LanefixParameters {
    bool filterBypass = false;
    float filterLowCut = 0, filterHighCut = 0;
    bool compBypass = false;
    bool compAutoMakeup = false;
    float compRatio = 0, compThreshold = 0, compAttack = 0, compRelease = 0, compMakeup = 0;
    bool gateBypass = false;
    float gateThreshold = 0, gateAttack = 0, gateRelease = 0, gateRange = 0,
          gateFrequency = 0, gateQ = 0;
    bool satBypass = false;
    float satType = 0;
    float satDrive = 0, satEqLow = 0, satEqHigh = 0, satGain = 0;
    bool compAutoRelease = false;  // file version 21 on
    bool gateSidechain = false;    // file version 21 on
    bool gateListen = false;       // file version 21 on
};
struct HallvaneLiteParameters {
    float preDelay = 0, time = 0, diffusion = 0, lowEq = 0, highEq = 0;
};
// The kinds whose parameters are not kept: the Inter-App Audio effect, the input phase,
// kinds 16 to 27, the Audio Unit effect, and kinds above the last known one.
struct NoParameters {};

using EffectParameters =
    std::variant<NoParameters, LimiterParameters, ReverbParameters, DelayParameters,
                 EqParameters, ChorusParameters, FilterParameters, CompressorParameters,
                 OverdriveParameters, AmpSimulatorParameters, PhaserParameters,
                 FlangerParameters, TonalixParameters, BrickwallParameters, GateParameters,
                 WhirloParameters, LanefixParameters, HallvaneLiteParameters>;

struct EffectRecord {
    bool enabled = false;
    std::uint8_t delayMixFlag = 0;  // the reader sets it to 0; the delay keeps its mix then
    std::uint16_t kind = 0;
    std::int16_t bus = 0;  // > 0 track number, 0 master, < 0 effect bus -bus
    std::uint8_t busOrder = 0;
    EffectState state = kEffectUnread;
    float dry = 0;
    float wet = 0;
    float mix = 0;  // 0.5 - 0.5 dry + 0.5 wet
    // The parameters of the record's kind, once the reader has read them.
    EffectParameters parameters;

    // The parameters when they are of kind P; null otherwise.
    template <class P>
    const P* as() const {
        return std::get_if<P>(&parameters);
    }
    template <class P>
    P* as() {
        return std::get_if<P>(&parameters);
    }
};

}  // namespace Tessaro
