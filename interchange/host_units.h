// The host's scales read back into real units: the fader (linear gain), the pan, and the
// controls of the host's EQ and dynamics devices (dB, Hz, seconds, ratio). The import set
// these values through the builder's conversions (builder/fader.*, effects/); this is the
// other direction, written from the same formulas.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace Interchange {

// The host's two fader scales: the newer one on hosts whose mixer reports 4.0.
enum class FaderScale : std::uint8_t { Older, Newer };

// The top of a fader (volume, send level) and the value that stands for 0 dB.
inline constexpr double kFaderTop = 32767;
double faderCentre(FaderScale scale);

// The linear gain of a fader value: the inverse of the builder's gain conversion. The
// centre is 0 dB exactly; 0 and below is silence (gain 0).
double faderGain(FaderScale scale, double value);

// The pan parameter (0 to 32767, the centre 16383.5) as 0 (left) to 1 (right).
double panPosition(double value, double max);

// The gain of the host's volume automation value (0 to 1; 1 stands for +12 dB):
// 3.981071706 × value^4, silence at 0 and below.
double volumeAutomationGain(double value);

// The gains a pan position (0 left to 1 right) gives the left and the right channel: the
// host's equal-power law, cos and sin of position × 90°, so the centre is -3 dB on either
// side and the sum of the powers is the same everywhere.
struct PanGains {
    double left = 1;
    double right = 1;
};
PanGains panGains(double position);

// How a host control spans its real range: t = value / max (0 to 1) maps onto lo .. hi
// straight, or logarithmically (lo × (hi / lo)^t: times, frequencies, ratios).
enum class Curve : std::uint8_t { Linear, Logarithmic };

struct ControlRange {
    double lo = 0;
    double hi = 1;
    Curve curve = Curve::Linear;
    double at(double value, double max) const;
};

// What a parameter of a host device is, in the terms of the open formats' generic devices.
enum class Quantity : std::uint8_t {
    Threshold,  // dB
    Ratio,      // ratio, n:1
    Attack,     // seconds
    Release,    // seconds
    Range,      // dB
    InputGain,  // dB
    OutputGain, // dB
    AutoMakeup, // a switch
};

// One control of a host dynamics device: the parameter's tag, what it is and its range.
struct DynamicsControl {
    std::int32_t tag;
    Quantity quantity;
    ControlRange range;
};

// The generic device a host device is read as.
enum class GenericDevice : std::uint8_t { None, Compressor, NoiseGate, Limiter, Equalizer };

// The generic device that a host plug-in or channel device (its name without category,
// as song.h's Device::plugin) is read as, and its dynamics controls (empty for an EQ).
struct DeviceReading {
    std::string_view plugin;
    GenericDevice device;
    std::span<const DynamicsControl> controls;
};
const DeviceReading* deviceReading(std::string_view plugin);

// The bands of the host's EQs: band n (1 to 4) has its parameters at base + 10 n (+0 on,
// +1 type, +2 gain, +3 frequency, +4 Q); gains span ±gainSpan dB, Q qLo .. qHi, the
// frequency 20 Hz to 20 kHz logarithmically. Types by the entry's name ("Peak", "Shelf",
// "Cut", "Cut 12", "Cut 24"). onTag: the EQ's own switch (0: none); outputTag: its output
// gain (0: none), spanning ±gainSpan dB.
struct EqReading {
    std::int32_t base;
    double gainSpan;
    double qLo;
    double qHi;
    std::int32_t onTag;
    std::int32_t outputTag;
};
std::optional<EqReading> eqReading(std::string_view plugin);

// The frequency span of every host EQ band.
inline constexpr ControlRange kEqFrequency{20, 20000, Curve::Logarithmic};

}  // namespace Interchange
