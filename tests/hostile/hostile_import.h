// Imports for the hostile-input tests: a project file in a fresh project folder beside the
// fixed wave files, imported through the reference host directly (in this program, so the
// allocation meter sees what the import allocates).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "tests/support/import_harness.h"

namespace TessaroHostile {

using TessaroFuzz::kCompleted;
using TessaroFuzz::kUnknownFormat;

struct HostileRun : TessaroFuzz::RunResult {
    std::size_t peakBytes = 0;  // the most the import had allocated at once
};

enum class Delivery { File, Whole, Pieces };

// Imports bytes; File: the host opens the file; Whole and Pieces: the read gets a stream
// over the bytes that delivers what is asked, or pieces of 1 to 7 bytes.
HostileRun importHostile(std::span<const std::uint8_t> bytes, Delivery delivery = Delivery::File);

}  // namespace TessaroHostile
