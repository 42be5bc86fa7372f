// The quantize tables and the menu position of a grid and tuplet. The setter itself is
// exercised on real MIDI parts in tests/reader/treg_midi_test.cpp.
#include <gtest/gtest.h>

#include <span>
#include <utility>

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

TEST(Quantize, TablesHoldTheCodesAndNamesInMenuOrder) {
    using Row = std::pair<std::int32_t, const char*>;
    const Row hostMenu[] = {
        {101, "1/1"},          {102, "1/2"},          {104, "1/4"},         {108, "1/8"},
        {116, "1/16"},         {132, "1/32"},         {164, "1/64"},        {1128, "1/128"},
        {302, "1/2 Triplet"},  {304, "1/4 Triplet"},  {308, "1/8 Triplet"}, {316, "1/16 Triplet"},
        {332, "1/32 Triplet"}, {364, "1/64 Triplet"}, {202, "1/2 Dotted"},  {204, "1/4 Dotted"},
        {208, "1/8 Dotted"},   {216, "1/16 Dotted"},  {232, "1/32 Dotted"}, {264, "1/64 Dotted"}};
    // The app's own values, which are also the delay's note values.
    const Row appValues[] = {
        {101, "1/1"},          {102, "1/2"},          {104, "1/4"},          {108, "1/8"},
        {116, "1/16"},         {132, "1/32"},         {301, "1/1 Triplet"},  {302, "1/2 Triplet"},
        {304, "1/4 Triplet"},  {308, "1/8 Triplet"},  {316, "1/16 Triplet"}, {332, "1/32 Triplet"},
        {201, "1/1 Dotted"},   {202, "1/2 Dotted"},   {204, "1/4 Dotted"},   {208, "1/8 Dotted"},
        {216, "1/16 Dotted"},  {232, "1/32 Dotted"},  {264, "1/64 Dotted"}};
    const auto expectRows = [](std::span<const QuantizeValue> table, std::span<const Row> rows) {
        ASSERT_EQ(table.size(), rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            SCOPED_TRACE(rows[i].second);
            EXPECT_EQ(table[i].code, rows[i].first);
            EXPECT_EQ(table[i].name, rows[i].second);
        }
    };
    expectRows(kHostQuantizeMenu, hostMenu);
    expectRows(kAppQuantizeValues, appValues);
}

TEST(Quantize, SetterWithoutAHolderOrGridSetsNothing) {
    EXPECT_FALSE(setQuantize(nullptr, 16, 1));
    EXPECT_FALSE(setQuantize(nullptr, 0, 1));
}

}  // namespace
}  // namespace Tessaro
