// The host's faders take integers on one of two scales, each with its own curve over the
// gain in dB and its own centre (the value of 0 dB). The app stores linear gains; files
// before version 4 stored them on a scale whose 0 dB lies at 0.251185.
#include "hostkit/fader.h"

#include <algorithm>
#include <cmath>

namespace Tessaro {

namespace {

// The fader position of 0 dB on each scale.
constexpr double kNewerCentre = 24517;
constexpr double kOlderCentre = 25856;
// Positions this close to the centre are the centre: a gain stored as 0.9996 is the
// app's 0 dB, and the host shows 0 dB only at the centre itself.
constexpr double kSnapDistance = 5;
// The pan parameter runs from 0 (left) to 32767 (right); its centre is half of that.
constexpr double kPanMax = 32767;
constexpr double kPanCentre = kPanMax / 2;
// The older files' 0 dB: their gains are power ratios around it.
constexpr float kOldFilesUnity = 0.251185f;

// The newer scale: linear in g up to -90 dB (position 329; -90 dB is the gain
// 3.162277660168e-5), then the host's logarithmic law up to -20 dB (position 10813), then
// a law linear in dB that puts +12 dB (20 log10 4) at the top position 32767, 21954
// positions above -20 dB.
double newerScale(double dB, double g) {
    if (dB < -90) return g * 329 / 3.162277660168e-5;
    if (dB < -20) return (-10813 / std::log10(g) - 2138.971057802365) / 0.802185234643266;
    const double e = 20 * std::log10(4.0);
    const double f = (e + 20) / 21954;
    return (std::log10(g) / 0.05 - (e - f * 32767)) / f;
}

// The older scale: a square law below -6 dB, then two segments linear in g that meet at
// 0 dB (position 25856).
double olderScale(double dB, double g) {
    if (dB < -6) return std::sqrt(g / 1.43167471e-9);
    if (dB < 0) return (g + 0.80357142857) / 6.975446428e-5;
    return (g + 2.74128201418) / 0.00014469686;
}

}  // namespace

double faderValue(FaderScale scale, std::uint16_t fileVersion, float gain) {
    if (std::isnan(gain) || gain <= 0) return 0;
    const bool newer = scale == FaderScale::Newer;
    const float dB = fileVersion < 4 ? 10.0f * std::log10(gain / kOldFilesUnity)
                                     : 20.0f * std::log10(gain);
    const double g = std::pow(10.0, static_cast<double>(dB) / 20);
    const double centre = newer ? kNewerCentre : kOlderCentre;
    const double v = newer ? newerScale(dB, g) : olderScale(dB, g);
    return std::fabs(v - centre) < kSnapDistance ? centre : v;
}

std::int32_t toParameterInteger(double value, std::int32_t max) {
    max = std::max(max, 0);
    if (!(value > 0)) return 0;  // also a NaN
    if (value >= max) return max;
    return static_cast<std::int32_t>(value);
}

double panValue(double pan) {
    if (std::isnan(pan)) return kPanCentre;
    return std::clamp((pan + 1) * kPanCentre, 0.0, kPanMax);
}

}  // namespace Tessaro
