#include "render/fader.h"

#include <algorithm>
#include <numeric>

#include "interchange/host_units.h"

namespace Render {

using Interchange::AutomationLane;

Fader::Fader(const Interchange::Track& track, const TimeScale& time) {
    if (track.channel) {
        volume_ = track.channel->volume.value_or(1);
        pan_ = track.channel->pan.value_or(0.5);
    }
    volumeLane_ = laneOf(track, AutomationLane::Kind::Volume, time);
    panLane_ = laneOf(track, AutomationLane::Kind::Pan, time);
}

std::optional<Fader::Lane> Fader::laneOf(const Interchange::Track& track, AutomationLane::Kind kind,
                                         const TimeScale& time) {
    for (const AutomationLane& lane : track.automation) {
        if (lane.kind != kind || lane.points.empty()) continue;
        std::vector<std::size_t> order(lane.points.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return lane.points[a].time < lane.points[b].time;
        });
        Lane out;
        for (const std::size_t i : order) {
            out.frames.push_back(time.frame(lane.points[i].time));
            out.values.push_back(lane.points[i].value);
        }
        return out;
    }
    return std::nullopt;
}

double Fader::Lane::at(std::int64_t frame) const {
    const auto after = std::upper_bound(frames.begin(), frames.end(), frame);
    if (after == frames.begin()) return values.front();
    if (after == frames.end()) return values.back();
    const auto i = static_cast<std::size_t>(after - frames.begin());
    const double span = static_cast<double>(frames[i] - frames[i - 1]);
    const double t = static_cast<double>(frame - frames[i - 1]) / span;
    return values[i - 1] + (values[i] - values[i - 1]) * t;
}

Fader::Gains Fader::at(std::int64_t frame) const {
    const double volume = volumeLane_ ? Interchange::volumeAutomationGain(volumeLane_->at(frame)) : volume_;
    const Interchange::PanGains pan = Interchange::panGains(panLane_ ? panLane_->at(frame) : pan_);
    return {volume * pan.left, volume * pan.right};
}

void Fader::apply(float* left, float* right, std::int64_t at, std::int32_t frames) const {
    if (!volumeLane_ && !panLane_) {
        const Gains g = this->at(at);
        const auto l = static_cast<float>(g.left), r = static_cast<float>(g.right);
        for (std::int32_t i = 0; i < frames; ++i) {
            left[i] *= l;
            right[i] *= r;
        }
        return;
    }
    for (std::int32_t i = 0; i < frames; ++i) {
        const Gains g = this->at(at + i);
        left[i] = static_cast<float>(left[i] * g.left);
        right[i] = static_cast<float>(right[i] * g.right);
    }
}

}  // namespace Render
