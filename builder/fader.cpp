// The host's faders take integers on one of two scales, each with its own curve over the
// gain in dB and its own centre (the value of 0 dB). The app stores linear gains; files
// before version 4 stored them on a scale whose 0 dB lies at 0.251185.
#include "builder/fader.h"

#include <algorithm>
#include <cmath>

#include "builder/host_helpers.h"
#include "reader/importer.h"

namespace Tessaro {

namespace {

constexpr double kNewerCentre = 24517;
constexpr double kOlderCentre = 25856;
constexpr double kSnapDistance = 5;
constexpr double kPanCentre = 16383.5;
constexpr double kPanMax = 32767;

double newerScale(double dB, double g) {
    if (dB < -90) return g * 329 / 3.162277660168e-5;
    if (dB < -20) return (-10813 / std::log10(g) - 2138.971057802365) / 0.802185234643266;
    const double e = 20 * std::log10(4.0);
    const double f = (e + 20) / 21954;
    return (std::log10(g) / 0.05 - (e - f * 32767)) / f;
}

double olderScale(double dB, double g) {
    if (dB < -6) return std::sqrt(g / 1.43167471e-9);
    if (dB < 0) return (g + 0.80357142857) / 6.975446428e-5;
    return (g + 2.74128201418) / 0.00014469686;
}

}  // namespace

double faderValue(bool newer, std::uint16_t fileVersion, float gain) {
    if (std::isnan(gain) || gain <= 0) return 0;
    const float dB = fileVersion < 4 ? 10.0f * std::log10(gain / 0.251185f)
                                     : 20.0f * std::log10(gain);
    const double g = std::pow(10.0, static_cast<double>(dB) / 20);
    const double centre = newer ? kNewerCentre : kOlderCentre;
    const double v = newer ? newerScale(dB, g) : olderScale(dB, g);
    return std::fabs(v - centre) < kSnapDistance ? centre : v;
}

double faderValue(const TessaroImporter& importer, float gain) {
    return faderValue(importer.host.mixerValueFlag, importer.song.header.fileVersion, gain);
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

namespace {

// Calls act(channel) for every channel of the mixer that is not a track's or an effect
// channel's: the project's outputs.
template <class Act>
void forEachOutputChannel(TessaroImporter& importer, Act&& act) {
    const auto channels = mixerChannels(importer);
    if (!channels) return;
    const std::int32_t count = channels->getChildCount();
    for (std::int32_t i = 0; i < count; ++i) {
        const auto channel = childAt(channels.get(), i);
        const auto info = queryTo<Host::IChannelInfo>(channel);
        if (info && !info->isTrackChannel()) act(channel.get());
    }
}

}  // namespace

void setOutputVolume(TessaroImporter& importer, float gain) {
    const double value = faderValue(importer, gain);
    forEachOutputChannel(importer, [&](Host::IParamNode* channel) {
        if (const auto volume = paramNamed(channel, "volume"))
            volume->setValue(toParameterInteger(value, volume->getMax()));
    });
}

void setOutputPan(TessaroImporter& importer, float pan) {
    const double value = panValue(pan);
    forEachOutputChannel(importer, [&](Host::IParamNode* channel) {
        const std::int32_t count = channel->getChildCount();
        for (std::int32_t i = 0; i < count; ++i) {
            const auto child = childAt(channel, i);
            if (!child || nodeName(child.get()) != "Panner") continue;
            if (const auto param = paramTagged(child.get(), kPanTag))
                param->setFloatValue(value, false);
        }
    });
}

}  // namespace Tessaro
