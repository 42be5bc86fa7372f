// One effect of an "EFFX" chunk, as the app stores it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

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

// The app's name of an effect kind, as the import's notes name an effect ("reverb",
// "Tonalix EQ"); kinds without a name of their own are "effect kind 17".
inline std::string effectKindName(std::uint16_t kind) {
    constexpr const char* kNames[] = {
        "limiter", "reverb", "delay", "EQ", "chorus", "filter", "compressor", "overdrive",
        "amp simulator", "phaser", "flanger", "Tonalix EQ", "brickwall limiter",
        "Inter-App Audio effect", "input phase", "gate"};
    if (kind < std::size(kNames)) return kNames[kind];
    switch (kind) {
        case kEffectAudioUnit: return "Audio Unit effect";
        case kEffectWhirlo: return "Whirlo";
        case kEffectLanefix: return "Lanefix";
        case kEffectHallvaneLite: return "Hallvane Lite reverb";
        default: return "effect kind " + std::to_string(kind);
    }
}

// One band of the app's four-band Tonalix EQ. Only bands 1 and 4 carry a type.
struct TonalixBand {
    bool enabled = false;
    std::uint8_t type = 0;  // 0 to 3 (bands 1 and 4)
    float gain = 0;         // dB, -24 to 24
    float frequency = 0;    // Hz, 20 to 20000
    float q = 0;            // 0 to 12
};

struct EffectRecord {
    bool enabled = false;
    std::uint8_t delayMixFlag = 0;  // the reader sets it to 0; the delay keeps its mix then
    std::uint16_t kind = 0;
    std::int16_t bus = 0;  // > 0 track number, 0 master, < 0 effect bus -bus
    std::uint8_t busOrder = 0;
    std::uint8_t state = 0;  // 2 once the parameters are read
    float dry = 0;
    float wet = 0;
    float mix = 0;  // 0.5 - 0.5 dry + 0.5 wet

    // Parameters of each kind; only those of the record's kind are filled. Fields without a
    // unit in their comment are the app's 0 to 1 values.

    // Limiter (0).
    float limiterGain = 0, limiterDrive = 0, limiterAttack = 0, limiterRelease = 0;
    // Reverb (1).
    float reverbTime = 0, reverbPreDelay = 0, reverbDamp = 0, reverbLowEq = 0, reverbHighEq = 0;
    // Delay (2): the song tempo at the time of the chunk, beat 1 to 64, timing 1 straight,
    // 2 dotted, 3 triplet.
    float delayTempo = 0;
    std::uint8_t delayBeat = 0;
    std::uint8_t delayTiming = 0;
    float delayFeedback = 0;
    // EQ (3).
    float eqGain = 0, eqBass = 0, eqTreble = 0;
    // Chorus (4).
    float chorusRate = 0, chorusDepth = 0, chorusPreDelay = 0;
    // Filter (5): type 0 to 2.
    std::uint8_t filterType = 0;
    float filterFrequency = 0, filterResonance = 0;
    // Compressor (6).
    float compressorGain = 0, compressorThreshold = 0, compressorRatio = 0,
          compressorAttack = 0, compressorRelease = 0;
    // Overdrive (7).
    float overdriveDrive = 0, overdriveBias = 0, overdriveOutgain = 0;
    // Amp simulator (8): model 0 to 100.
    std::uint8_t ampModel = 0;
    float ampDrive = 0, ampFeedback = 0, ampTreble = 0;
    bool ampStereo = false;
    // Phaser (9).
    float phaserRate = 0, phaserDepth = 0, phaserFeedback = 0, phaserWidth = 0, phaserPhase = 0;
    // Flanger (10).
    float flangerRate = 0, flangerDepth = 0, flangerFeedback = 0, flangerPreDelay = 0;
    // Tonalix EQ (11): bands 1 to 4.
    std::array<TonalixBand, 4> tonalix{};
    // Brickwall limiter (12): threshold in dB (-20 to 0), release in ms (3 to 1000).
    float brickwallThreshold = 0, brickwallRelease = 0;
    // Gate (15).
    float gateGain = 0, gateThreshold = 0, gateRange = 0, gateAttack = 0, gateRelease = 0;
    // Whirlo (29): filter type 0 to 2.
    float whirloGrid = 0;
    std::uint8_t whirloFilterType = 0;
    // Lanefix channel strip (30). The gate's values and the compressor makeup are the app's
    // own units, without bounds; the saturation type is kept as a number.
    bool lanefixFilterBypass = false;
    float lanefixFilterLowCut = 0, lanefixFilterHighCut = 0;
    bool lanefixCompBypass = false;
    bool lanefixCompAutoMakeup = false;
    float lanefixCompRatio = 0, lanefixCompThreshold = 0, lanefixCompAttack = 0,
          lanefixCompRelease = 0, lanefixCompMakeup = 0;
    bool lanefixGateBypass = false;
    float lanefixGateThreshold = 0, lanefixGateAttack = 0, lanefixGateRelease = 0,
          lanefixGateRange = 0, lanefixGateFrequency = 0, lanefixGateQ = 0;
    bool lanefixSatBypass = false;
    float lanefixSatType = 0;
    float lanefixSatDrive = 0, lanefixSatEqLow = 0, lanefixSatEqHigh = 0, lanefixSatGain = 0;
    bool lanefixCompAutoRelease = false;  // file version 21 on
    bool lanefixGateSidechain = false;    // file version 21 on
    bool lanefixGateListen = false;       // file version 21 on
    // Hallvane Lite reverb (31).
    float hallvanePreDelay = 0, hallvaneTime = 0, hallvaneDiffusion = 0, hallvaneLowEq = 0,
          hallvaneHighEq = 0;
};

}  // namespace Tessaro
