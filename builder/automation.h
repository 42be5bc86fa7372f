// Track automation from the "AUTO" records; closes the build's last edit step.
#pragma once

#include <cstdint>
#include <optional>

namespace Tessaro {

struct HostSession;
class ImportNotes;
struct SongModel;

// Turns every automation record into automation events on its track's channel, noting the
// curves and points the host does not take as they stand, then finishes the edit step
// "Import Tessaro Project Automation" (also without records).
void buildAutomation(const HostSession& host, ImportNotes& notes, const SongModel& song);

// The host's automation kind for a curve type: 1 volume → 0, 2 pan → 1, 3 → 2; nullopt
// for any other type.
std::optional<std::int32_t> automationKind(std::int32_t type);

// A point's value on the host's 0 to 1 scale. Volume: (x / 3.981071706)^0.25, so +12 dB
// gives 1; pan: (x + 1) / 2; the third kind as it stands. A value that has no meaning
// there (a negative volume, a NaN of any type) gives 0.
double automationValue(std::int32_t type, float value);

}  // namespace Tessaro
