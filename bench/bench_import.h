// What the import benchmarks share: the import alone, timed in a process of its own
// (RefHost::runImport from its call to its return), optionally followed by the export of
// both files.
#pragma once

#include <filesystem>

#include "bench/midi_heavy.h"

namespace TessaroBench {

// The child's side of an import run: loads the built module and imports file into a fresh
// reference host with the default profile; with exporting, then exports both files beside
// the project. Prints key=value lines (seconds, cpu, result, notes, events, held, misuses;
// export_seconds, export_cpu, dawproject_bytes, midi_bytes) and returns 0 when the import
// succeeded, the account is clean and the export (if any) was written.
int importChild(const std::filesystem::path& file, bool exporting);

}  // namespace TessaroBench
