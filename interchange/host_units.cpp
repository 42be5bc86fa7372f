// The host's scales read back into real units. The fader pieces are the inverses of the
// builder's gain conversion, piece by piece. The ranges of the dynamics controls are the host's control
// ranges as docs/effects.md and docs/export.md give them.
#include "interchange/host_units.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace Interchange {

namespace {

constexpr double kNewerCentre = 24517;
constexpr double kOlderCentre = 25856;

// dB to linear gain.
double gainOf(double dB) { return std::pow(10.0, dB / 20); }

// A fader value is the truncated result of the builder's conversion, so the gain it
// stands for lies between the gains of it and of the next value. Each piece of the law is
// tried from the top: a piece whose gain at the next value reaches into its range of gains
// is the one that made the value, and the gain is at least the lower end of that range.
template <class Piece>
std::optional<double> fromPiece(Piece piece, double v, double lowest) {
    const double next = piece(v + 1);
    if (!(next >= lowest)) return std::nullopt;
    return std::max(piece(v), lowest);
}

double newerGain(double v) {
    // Top piece (-20 dB and above): v = (log10(g) / 0.05 - (e - f · 32767)) / f.
    const double e = 20 * std::log10(4.0);
    const double f = (e + 20) / 21954;
    auto top = [&](double x) { return std::pow(10.0, 0.05 * (x * f + e - f * kFaderTop)); };
    if (const auto g = fromPiece(top, v, gainOf(-20))) return *g;
    // Middle piece (-90 to -20 dB): v = (-10813 / log10(g) - 2138.97...) / 0.80218...
    auto middle = [](double x) {
        const double denominator = x * 0.802185234643266 + 2138.971057802365;
        return denominator > 0 ? std::pow(10.0, -10813 / denominator) : 0.0;
    };
    if (const auto g = fromPiece(middle, v, gainOf(-90))) return *g;
    // Bottom piece (below -90 dB): v = g · 329 / 3.162277660168e-5.
    return v * 3.162277660168e-5 / 329;
}

double olderGain(double v) {
    // Top piece (0 dB and above): v = (g + 2.74128201418) / 0.00014469686.
    auto top = [](double x) { return x * 0.00014469686 - 2.74128201418; };
    if (const auto g = fromPiece(top, v, 1.0)) return *g;
    // Middle piece (-6 to 0 dB): v = (g + 0.80357142857) / 6.975446428e-5.
    auto middle = [](double x) { return x * 6.975446428e-5 - 0.80357142857; };
    if (const auto g = fromPiece(middle, v, gainOf(-6))) return *g;
    // Bottom piece (below -6 dB): v = sqrt(g / 1.43167471e-9).
    return v * v * 1.43167471e-9;
}

// The dynamics controls of each host device (tags from the profiles' "plugins").
constexpr ControlRange kThreshold60{-60, 0, Curve::Linear};
constexpr ControlRange kThreshold80{-80, 0, Curve::Linear};
constexpr ControlRange kRatio{1, 20, Curve::Logarithmic};
constexpr ControlRange kAttack{0.0001, 0.1, Curve::Logarithmic};
constexpr ControlRange kRelease{0.01, 2, Curve::Logarithmic};
constexpr ControlRange kLimiterRelease{0.003, 1, Curve::Logarithmic};
constexpr ControlRange kMakeup{0, 24, Curve::Linear};
constexpr ControlRange kSwitch{0, 1, Curve::Linear};

constexpr DynamicsControl kCompressor[] = {
    {4201, Quantity::Threshold, kThreshold60}, {4202, Quantity::Ratio, kRatio},
    {4203, Quantity::Attack, kAttack},         {4204, Quantity::Release, kRelease},
    {4205, Quantity::OutputGain, kMakeup},
};
constexpr DynamicsControl kStripCompressor[] = {
    {4621, Quantity::Ratio, kRatio},        {4622, Quantity::Threshold, kThreshold60},
    {4623, Quantity::Attack, kAttack},      {4624, Quantity::Release, kRelease},
    {4625, Quantity::AutoMakeup, kSwitch},  {4626, Quantity::OutputGain, kMakeup},
};
constexpr DynamicsControl kGate[] = {
    {4201, Quantity::Threshold, kThreshold80}, {4202, Quantity::Attack, kAttack},
    {4203, Quantity::Release, kRelease},       {4243, Quantity::Range, kThreshold80},
};
constexpr DynamicsControl kNoiseGate[] = {
    {4611, Quantity::Threshold, kThreshold80}, {4612, Quantity::Attack, kAttack},
    {4613, Quantity::Release, kRelease},       {4614, Quantity::Range, kThreshold80},
};
constexpr DynamicsControl kLimiter[] = {
    {4202, Quantity::Attack, kAttack},
    {4203, Quantity::Release, kLimiterRelease},
    {4205, Quantity::OutputGain, {-30, 0, Curve::Linear}},
    {4210, Quantity::InputGain, {0, 24, Curve::Linear}},
};
constexpr DynamicsControl kChannelLimiter[] = {
    {4801, Quantity::Threshold, {-20, 0, Curve::Linear}},
    {4802, Quantity::Release, kLimiterRelease},
};

constexpr DeviceReading kReadings[] = {
    {"Compressor", GenericDevice::Compressor, kCompressor},
    {"Standard Compressor", GenericDevice::Compressor, kStripCompressor},
    {"Vintage Compressor", GenericDevice::Compressor, kStripCompressor},
    {"Gate", GenericDevice::NoiseGate, kGate},
    {"Noise Gate", GenericDevice::NoiseGate, kNoiseGate},
    {"Limiter", GenericDevice::Limiter, kLimiter},
    {"Channel Limiter", GenericDevice::Limiter, kChannelLimiter},
    {"Tonalix", GenericDevice::Equalizer, {}},
    {"EQ", GenericDevice::Equalizer, {}},
    {"Channel EQ", GenericDevice::Equalizer, {}},
};

struct NamedEq {
    std::string_view plugin;
    EqReading reading;
};
constexpr NamedEq kEqs[] = {
    {"Tonalix", {4300, 24, 0, 12, 0, 4301}},
    {"EQ", {4400, 24, 0, 12, 4400, 0}},
    {"Channel EQ", {4500, 20, 0.5, 10, 4500, 0}},
};

}  // namespace

double faderCentre(FaderScale scale) {
    return scale == FaderScale::Newer ? kNewerCentre : kOlderCentre;
}

double faderGain(FaderScale scale, double value) {
    if (!(value > 0)) return 0;  // also a NaN
    if (value == faderCentre(scale)) return 1;
    value = std::min(value, kFaderTop);
    return scale == FaderScale::Newer ? newerGain(value) : olderGain(value);
}

double panPosition(double value, double max) {
    if (!(max > 0) || std::isnan(value)) return 0.5;
    return std::clamp(value / max, 0.0, 1.0);
}

double volumeAutomationGain(double value) {
    // +12 dB. The import's automation builder sets the values with the same gain
    // (kVolumeAtTop, builder/automation.cpp); the export stands beside the module and shares
    // no header with it, so a change there changes it here.
    constexpr double kTop = 3.981071706;
    return kTop * std::pow(std::max(value, 0.0), 4);
}

PanGains panGains(double position) {
    constexpr double kQuarterTurn = 1.5707963267948966;
    const double p = std::isnan(position) ? 0.5 : std::clamp(position, 0.0, 1.0);
    return {std::cos(p * kQuarterTurn), std::sin(p * kQuarterTurn)};
}

double ControlRange::at(double value, double max) const {
    const double t = max > 0 && value > 0 ? std::min(value / max, 1.0) : 0.0;
    if (curve == Curve::Logarithmic) return lo * std::pow(hi / lo, t);
    return lo + (hi - lo) * t;
}

const DeviceReading* deviceReading(std::string_view plugin) {
    for (const auto& reading : kReadings)
        if (reading.plugin == plugin) return &reading;
    return nullptr;
}

std::optional<EqReading> eqReading(std::string_view plugin) {
    for (const auto& eq : kEqs)
        if (eq.plugin == plugin) return eq.reading;
    return std::nullopt;
}

}  // namespace Interchange
