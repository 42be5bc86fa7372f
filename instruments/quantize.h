// Quantize settings. The app stores a quantize value as a grid (the note value's
// denominator: 1, 2, 4 ... 128) and a tuplet kind (1 straight, 2 dotted, 3 triplet); the
// host offers quantize values as the menu parameter "quantMenu". A quantize code joins the
// two: tuplet × 100 + grid (1/16 straight is 116, 1/8 triplet 308, 1/4 dotted 204).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "interfaces/all.h"
#include "model/quantize_values.h"

namespace Tessaro {

// The host's quantize menu, in menu order. "1/128" carries the code 1128, which no grid
// and tuplet of the file reach.
inline constexpr std::array<QuantizeValue, 20> kHostQuantizeMenu = {{
    {101, "1/1", 0},
    {102, "1/2", 1},
    {104, "1/4", 2},
    {108, "1/8", 3},
    {116, "1/16", 4},
    {132, "1/32", 5},
    {164, "1/64", 6},
    {1128, "1/128", 7},
    {302, "1/2 Triplet", 8},
    {304, "1/4 Triplet", 9},
    {308, "1/8 Triplet", 10},
    {316, "1/16 Triplet", 11},
    {332, "1/32 Triplet", 12},
    {364, "1/64 Triplet", 13},
    {202, "1/2 Dotted", 14},
    {204, "1/4 Dotted", 15},
    {208, "1/8 Dotted", 16},
    {216, "1/16 Dotted", 17},
    {232, "1/32 Dotted", 18},
    {264, "1/64 Dotted", 19},
}};

// The code of a grid and tuplet, both taken as unsigned 8-bit values.
constexpr std::int32_t quantizeCode(std::uint8_t grid, std::uint8_t tuplet) {
    return tuplet * 100 + grid;
}

// The host menu position of a code: the first row with that code, or -1.
constexpr std::int32_t quantizeMenuPosition(std::int32_t code) {
    for (const auto& row : kHostQuantizeMenu)
        if (row.code == code) return row.position;
    return -1;
}

// Sets the "quantMenu" parameter of holder (borrowed; an object that answers IParamNode,
// such as a MIDI part) to the menu position of grid and tuplet. A grid of 0 means no
// quantize, and a code the menu lacks sets nothing. True when the parameter was set.
bool setQuantize(Host::FUnknown* holder, std::uint8_t grid, std::uint8_t tuplet);

}  // namespace Tessaro
