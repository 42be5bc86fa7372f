// A track as heard at its fader: its volume and pan, or its volume and pan automation where
// the song holds it, through the fader law and pan law the export reads the host's values
// with (interchange/host_units.*).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "interchange/song.h"
#include "render/timeline.h"

namespace Render {

class Fader {
public:
    Fader(const Interchange::Track& track, const TimeScale& time);

    // Scales the block of frames from frame `at` (left and right channel) by the gains of
    // each frame.
    void apply(float* left, float* right, std::int64_t at, std::int32_t frames) const;

    // The gains of one frame.
    struct Gains {
        double left = 1;
        double right = 1;
    };
    Gains at(std::int64_t frame) const;

private:
    // An automation lane's points by frame; between points the value goes in a straight
    // line, before the first and after the last it stays.
    struct Lane {
        std::vector<std::int64_t> frames;
        std::vector<double> values;
        double at(std::int64_t frame) const;
    };
    static std::optional<Lane> laneOf(const Interchange::Track& track, Interchange::AutomationLane::Kind kind,
                                      const TimeScale& time);

    double volume_ = 1;  // the fader's linear gain
    double pan_ = 0.5;
    std::optional<Lane> volumeLane_;
    std::optional<Lane> panLane_;
};

}  // namespace Render
