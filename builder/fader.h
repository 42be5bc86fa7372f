// The host's fader scales and the project's output channels.
#pragma once

#include <cstdint>

namespace Tessaro {

class TessaroImporter;

// The app's linear gain (volume or send level) on the host's fader scale: the newer scale
// when the host's mixer reports it (importer.host.mixerValueFlag), else the older one. A NaN or
// a gain of 0 or less gives the bottom of the scale, 0.
double faderValue(bool newerScale, std::uint16_t fileVersion, float gain);
double faderValue(const TessaroImporter& importer, float gain);

// A value on a parameter's integer scale 0 to max: truncated; a NaN gives 0, values
// outside the scale are clamped to its ends.
std::int32_t toParameterInteger(double value, std::int32_t max);

// The pan parameter's value for the app's pan -1 to 1: 0 to 32767, a NaN the centre
// 16383.5.
double panValue(double pan);
// The tag of the pan parameter of a "Panner" node.
inline constexpr std::int32_t kPanTag = 4201;

// Sets the volume / pan of every output channel of the mixer.
void setOutputVolume(TessaroImporter& importer, float gain);
void setOutputPan(TessaroImporter& importer, float pan);

}  // namespace Tessaro
