// Limits of the project file's values, as the app writes them and checks them on reading.
#pragma once

#include <cstdint>

namespace Tessaro {

// The largest tick value of a position, length or marker: 2^24 (16777216) ticks, the
// app's song length limit at its finest time base.
inline constexpr std::uint32_t kLargestTick = 0x1000000;

// The most notes, and the most controller-like events, of one MIDI region.
inline constexpr std::uint32_t kMostRecordsPerRegion = 100'000'000;

}  // namespace Tessaro
