// The gain conversion onto the host's two fader scales, the integer scale of a parameter
// and the pan scale.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <span>

#include "hostkit/fader.h"

using namespace Tessaro;

namespace {

constexpr std::int32_t kWide = 1 << 24;  // a parameter scale wide enough for every value
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct FaderCase {
    bool newerScale;
    std::uint16_t fileVersion;
    float gain;
    std::int32_t expected;
};

// The fader value the host receives for each case.
void expectFaderValues(std::span<const FaderCase> cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "newer " << c.newerScale << " version "
                                        << c.fileVersion << " gain " << c.gain);
        const FaderScale scale = c.newerScale ? FaderScale::Newer : FaderScale::Older;
        EXPECT_EQ(toParameterInteger(faderValue(scale, c.fileVersion, c.gain), kWide),
                  c.expected);
    }
}

}  // namespace

TEST(Fader, ConvertsOnBothScales) {
    const FaderCase cases[] = {
        // 0 dB is each scale's centre.
        {true, 9, 1.0f, 24517},
        {false, 9, 1.0f, 25856},
        // Each segment of each curve.
        {true, 9, 0.8f, 23188},
        {false, 9, 0.8f, 22988},
        {true, 9, 1.001f, 24522},
        {false, 9, 1.001f, 25862},
        {true, 9, 0.01f, 4073},
        {false, 9, 0.01f, 2642},
        {true, 9, 1e-5f, 104},
        {false, 9, 1e-5f, 83},
        {true, 9, 100.0f, 51923},
        // Before version 4 the app's 0 dB lay at 0.251185 and gains were power ratios.
        {true, 3, 0.251185f, 24517},
        {false, 3, 0.251185f, 25856},
        {true, 3, 1.0f, 28627},
        {false, 3, 1.0f, 32734},
        {true, 3, 0.5f, 26565},
        {false, 3, 0.5f, 28695},
        {true, 4, 1.0f, 24517},
        // Within 5 of the centre the value snaps to it.
        {true, 9, 0.9996f, 24517},
        {false, 9, 0.9996f, 25850},
        {true, 9, 1.0006f, 24517},
        {false, 9, 1.0006f, 25856},
        {true, 9, 0.999f, 24510},
        {false, 9, 0.999f, 25841},
        // No gain, a negative one and a NaN are the bottom of the scale.
        {true, 9, 0.0f, 0},
        {false, 9, 0.0f, 0},
        {true, 2, 0.0f, 0},
        {true, 9, -1.0f, 0},
        {true, 9, kNaN, 0},
        {false, 9, kNaN, 0},
    };
    expectFaderValues(cases);
}

TEST(Fader, SegmentBoundsOfBothScales) {
    // Gains just either side of every bound between two segments of a curve: there the
    // neighbouring segment's formula gives another value, so a moved bound shows.
    const FaderCase cases[] = {
        // Older scale: -6 dB (-6.1 and -5.9 dB) and 0 dB (-0.05 and +0.05 dB).
        {false, 9, 0.49545f, 18602},
        {false, 9, 0.506991f, 18788},
        {false, 9, 0.99426f, 25773},
        {false, 9, 1.00577f, 25895},
        // Newer scale: -90 dB (-90.5 and -89.5 dB) and -20 dB (-20.5 and -19.5 dB).
        {true, 9, 2.98538e-5f, 310},
        {true, 9, 3.34965e-5f, 345},
        {true, 9, 0.0944061f, 10484},
        {true, 9, 0.105925f, 11155},
    };
    expectFaderValues(cases);
}

TEST(Fader, SnapsExactlyToTheCentre) {
    EXPECT_EQ(faderValue(FaderScale::Newer, 9, 0.9996f), 24517.0);
    EXPECT_EQ(faderValue(FaderScale::Older, 9, 1.0006f), 25856.0);
}

TEST(Fader, ParameterIntegerTruncatesAndClamps) {
    struct Case {
        double value;
        std::int32_t max;
        std::int32_t expected;
    } const cases[] = {
        {24522.99, 65535, 24522},
        {0.99, 65535, 0},
        {-3.5, 65535, 0},
        {65536.0, 65535, 65535},
        {710045.0, 32767, 32767},
        {1e300, 32767, 32767},
        {std::numeric_limits<double>::infinity(), 100, 100},
        {-std::numeric_limits<double>::infinity(), 100, 0},
        {std::numeric_limits<double>::quiet_NaN(), 100, 0},
        {5.0, -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " max " << c.max);
        EXPECT_EQ(toParameterInteger(c.value, c.max), c.expected);
    }
}

TEST(Fader, PanScale) {
    EXPECT_EQ(panValue(-1.0), 0.0);
    EXPECT_EQ(panValue(0.0), 16383.5);
    EXPECT_EQ(panValue(1.0), 32767.0);
    EXPECT_EQ(panValue(0.5), 24575.25);
    EXPECT_EQ(panValue(std::nan("")), 16383.5);
}
