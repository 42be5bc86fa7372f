// The host's fader scales: the app's linear gains (volumes, send levels) and pans as the
// integer and float values of the host's mixer parameters.
#pragma once

#include <cstdint>

namespace Tessaro {

// The two fader scales of the host's mixer. Hosts whose mixer object reports the value 4.0
// use the newer one; the others the older one.
enum class FaderScale { Older, Newer };

// The app's linear gain on the host's fader scale (before truncation to the parameter's
// integer). Files before version 4 store gains on a scale whose 0 dB lies at 0.251185. A
// NaN or a gain of 0 or less gives the bottom of the scale, 0.
double faderValue(FaderScale scale, std::uint16_t fileVersion, float gain);

// A value on a parameter's integer scale 0 to max: truncated; a NaN gives 0, values
// outside the scale are clamped to its ends.
std::int32_t toParameterInteger(double value, std::int32_t max);

// The pan parameter's value for the app's pan -1 to 1: 0 to 32767, a NaN the centre
// 16383.5.
double panValue(double pan);
// The tag of the pan parameter of a "Panner" node, as the host's mixer numbers it.
inline constexpr std::int32_t kPanTag = 4201;

}  // namespace Tessaro
