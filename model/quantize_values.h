// The app's quantize values. The app stores a quantize value as a grid (the note value's
// denominator) and a tuplet kind (1 straight, 2 dotted, 3 triplet); a code joins the two:
// tuplet × 100 + grid. The same values are the note values of the app's delay effect.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace Tessaro {

struct QuantizeValue {
    std::int32_t code;
    std::string_view name;
    std::int32_t position;  // the row's position in its table
};

// The app's own quantize values, in the app's order. The delay effect's note value is
// the position of its code here (effects/note_values.h).
inline constexpr std::array<QuantizeValue, 19> kAppQuantizeValues = {{
    {101, "1/1", 0},
    {102, "1/2", 1},
    {104, "1/4", 2},
    {108, "1/8", 3},
    {116, "1/16", 4},
    {132, "1/32", 5},
    {301, "1/1 Triplet", 6},
    {302, "1/2 Triplet", 7},
    {304, "1/4 Triplet", 8},
    {308, "1/8 Triplet", 9},
    {316, "1/16 Triplet", 10},
    {332, "1/32 Triplet", 11},
    {201, "1/1 Dotted", 12},
    {202, "1/2 Dotted", 13},
    {204, "1/4 Dotted", 14},
    {208, "1/8 Dotted", 15},
    {216, "1/16 Dotted", 16},
    {232, "1/32 Dotted", 17},
    {264, "1/64 Dotted", 18},
}};

}  // namespace Tessaro
