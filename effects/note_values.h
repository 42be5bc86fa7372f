// The host's note values, keyed by the app's timing and beat: key = timing × 100 + beat,
// with timing 1 straight, 2 dotted, 3 triplet, and the beat the note's division (4 is a
// quarter note). The app's note values are its quantize values: a note value's index is
// the position of its key among the app's quantize codes.
#pragma once

#include <cstdint>

#include "model/quantize_values.h"

namespace Tessaro {

// The note value index for key; -1 when the app has no such note value.
constexpr std::int32_t noteValueIndex(std::int32_t key) {
    for (const auto& value : kAppQuantizeValues)
        if (value.code == key) return value.position;
    return -1;
}

}  // namespace Tessaro
