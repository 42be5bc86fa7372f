// The values and kinds automation points take on the host's side.
#include <cmath>
#include <limits>
#include <optional>

#include <gtest/gtest.h>

#include "builder/automation.h"

namespace {

using Tessaro::automationKind;
using Tessaro::automationValue;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct ValueCase {
    const char* what;
    std::int32_t type;
    float value;
    double expected;
};

// The volume root is taken in single precision: 1 gives 0x1.6a77dep-1 where a double
// root would give 0.7079457843...
constexpr ValueCase kValueCases[] = {
    {"volume at +12 dB", 1, 3.981071706f, 1.0},
    {"volume silent", 1, 0.0f, 0.0},
    {"volume at 0 dB", 1, 1.0f, 0x1.6a77dep-1},
    {"volume at half", 1, 0.5f, 0x1.30cc5ap-1},
    {"volume above the top", 1, 10.0f, 0x1.4248fp+0},
    {"volume negative", 1, -0.5f, 0.0},
    {"volume negative zero", 1, -0.0f, 0.0},
    {"volume NaN", 1, kNaN, 0.0},
    {"pan left", 2, -1.0f, 0.0},
    {"pan centre", 2, 0.0f, 0.5},
    {"pan right", 2, 1.0f, 1.0},
    {"pan between", 2, 0.25f, 0.625},
    {"pan NaN", 2, kNaN, 0.0},
    {"third kind unchanged", 3, 0.37f, 0.37000000476837158},
    {"third kind negative unchanged", 3, -2.5f, -2.5},
    {"third kind NaN", 3, kNaN, 0.0},
};

TEST(AutomationValue, MapsEachTypeToTheHostScale) {
    for (const auto& c : kValueCases) {
        SCOPED_TRACE(c.what);
        const double got = automationValue(c.type, c.value);
        EXPECT_FALSE(std::isnan(got));
        EXPECT_EQ(got, c.expected);
        EXPECT_FALSE(std::signbit(got) && got == 0.0) << "a negative zero reached the host";
    }
}

TEST(AutomationKind, MapsTheThreeTypesAndNothingElse) {
    EXPECT_EQ(automationKind(1), std::optional<std::int32_t>(0));
    EXPECT_EQ(automationKind(2), std::optional<std::int32_t>(1));
    EXPECT_EQ(automationKind(3), std::optional<std::int32_t>(2));
    for (std::int32_t other : {0, 4, -1, 65535})
        EXPECT_EQ(automationKind(other), std::nullopt) << other;
}

}  // namespace
