// Counts what the test program allocates through operator new: the bytes alive now and
// the most alive at once since the last reset. The module allocates only through new, so
// the peak of an import is what the import cost in memory.
#pragma once

#include <cstddef>

namespace TessaroHostile {

class AllocationMeter {
public:
    // Starts a measurement: the peak becomes what is alive now.
    static void reset();
    // The most bytes alive at once since reset, minus what was alive at reset.
    static std::size_t peakSinceReset();
    static std::size_t alive();
};

}  // namespace TessaroHostile
