// The size in bytes of the parameters of each effect kind of the "EFFX" chunk.
#pragma once

#include <cstdint>

#include "model/effect_record.h"

namespace Tessaro {

// Sizes by kind code 0 to 31. The Audio Unit effect (28) has 8 bytes before its state,
// whose size the chunk gives; the Lanefix strip (30) grows by 3 bytes from file version 21.
inline constexpr std::uint8_t kEffectParameterSizes[kEffectLastKnown + 1] = {
    16,  // 0 limiter
    20,  // 1 reverb
    6,   // 2 delay
    12,  // 3 EQ
    12,  // 4 chorus
    9,   // 5 filter
    20,  // 6 compressor
    12,  // 7 overdrive
    14,  // 8 amp simulator
    20,  // 9 phaser
    16,  // 10 flanger
    54,  // 11 Tonalix EQ
    8,   // 12 brickwall limiter
    4,   // 13 Inter-App Audio effect
    0,   // 14 input phase
    20,  // 15 gate
    37,  // 16
    17,  // 17
    17,  // 18
    25,  // 19
    16,  // 20
    16,  // 21
    16,  // 22
    40,  // 23
    17,  // 24
    26,  // 25
    26,  // 26
    16,  // 27
    8,   // 28 Audio Unit effect (+ state size)
    5,   // 29 Whirlo
    74,  // 30 Lanefix (77 from file version 21)
    20,  // 31 Hallvane Lite reverb
};

// The parameter size of kind; 0 for kinds above the last known one.
constexpr std::uint32_t effectParameterSize(std::uint16_t kind, std::uint16_t fileVersion) {
    if (kind > kEffectLastKnown) return 0;
    if (kind == kEffectLanefix && fileVersion >= 21) return 77;
    return kEffectParameterSizes[kind];
}

}  // namespace Tessaro
