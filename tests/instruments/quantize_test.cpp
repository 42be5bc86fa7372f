// The quantize tables and the menu position of a grid and tuplet. The setter itself is
// exercised on real MIDI parts in tests/reader/treg_midi_test.cpp.
#include <gtest/gtest.h>

#include "instruments/quantize.h"

namespace Tessaro {
namespace {

struct PositionCase {
    std::uint8_t grid;
    std::uint8_t tuplet;
    std::int32_t code;
    std::int32_t position;
};

TEST(Quantize, CodeAndMenuPositionOfGridAndTuplet) {
    const PositionCase cases[] = {
        {16, 1, 116, 4},   {8, 3, 308, 10},  {4, 2, 204, 15},  {1, 1, 101, 0},
        {64, 1, 164, 6},   {2, 3, 302, 8},   {64, 3, 364, 13}, {2, 2, 202, 14},
        {64, 2, 264, 19},  {1, 3, 301, -1},  {1, 2, 201, -1},  {128, 1, 228, -1},
        {16, 0, 16, -1},   {0, 1, 100, -1},  {255, 255, 25755, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.grid) << "/" << int(c.tuplet));
        EXPECT_EQ(quantizeCode(c.grid, c.tuplet), c.code);
        EXPECT_EQ(quantizeMenuPosition(c.code), c.position);
    }
    // "1/128" is listed under 1128, which no grid and tuplet reach.
    EXPECT_EQ(quantizeMenuPosition(1128), 7);
    EXPECT_EQ(kHostQuantizeMenu[7].name, "1/128");
}

TEST(Quantize, TablesHoldTheNamesInMenuOrder) {
    const char* hostNames[] = {"1/1",          "1/2",          "1/4",          "1/8",
                               "1/16",         "1/32",         "1/64",         "1/128",
                               "1/2 Triplet",  "1/4 Triplet",  "1/8 Triplet",  "1/16 Triplet",
                               "1/32 Triplet", "1/64 Triplet", "1/2 Dotted",   "1/4 Dotted",
                               "1/8 Dotted",   "1/16 Dotted",  "1/32 Dotted",  "1/64 Dotted"};
    ASSERT_EQ(std::size(hostNames), kHostQuantizeMenu.size());
    for (std::size_t i = 0; i < kHostQuantizeMenu.size(); ++i)
        EXPECT_EQ(kHostQuantizeMenu[i].name, hostNames[i]) << i;

    const std::pair<const char*, std::int32_t> appValues[] = {
        {"1/1", 101},          {"1/2", 102},          {"1/4", 104},
        {"1/8", 108},          {"1/16", 116},         {"1/32", 132},
        {"1/1 Triplet", 301},  {"1/2 Triplet", 302},  {"1/4 Triplet", 304},
        {"1/8 Triplet", 308},  {"1/16 Triplet", 316}, {"1/32 Triplet", 332},
        {"1/1 Dotted", 201},   {"1/2 Dotted", 202},   {"1/4 Dotted", 204},
        {"1/8 Dotted", 208},   {"1/16 Dotted", 216},  {"1/32 Dotted", 232},
        {"1/64 Dotted", 264}};
    ASSERT_EQ(std::size(appValues), kAppQuantizeValues.size());
    for (std::size_t i = 0; i < kAppQuantizeValues.size(); ++i) {
        EXPECT_EQ(kAppQuantizeValues[i].name, appValues[i].first) << i;
        EXPECT_EQ(kAppQuantizeValues[i].code, appValues[i].second) << i;
        EXPECT_EQ(kAppQuantizeValues[i].position, static_cast<std::int32_t>(i));
    }
}

TEST(Quantize, SetterWithoutAHolderOrGridSetsNothing) {
    EXPECT_FALSE(setQuantize(nullptr, 16, 1));
    EXPECT_FALSE(setQuantize(nullptr, 0, 1));
}

}  // namespace
}  // namespace Tessaro
