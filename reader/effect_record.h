// One effect of an "EFFX" chunk, as the app stores it.
#pragma once

#include <cstdint>

namespace Tessaro {

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

    // Parameters of each kind; only those of the record's kind are filled.
    // (The effect reader extends this with every kind's fields.)
};

}  // namespace Tessaro
