// The host's note values, keyed by the app's timing and beat: key = timing × 100 + beat,
// with timing 1 straight, 2 dotted, 3 triplet, and the beat the note's division (4 is a
// quarter note). The same names serve the quantize menus.
#pragma once

#include <cstdint>

namespace Tessaro {

struct NoteValue {
    std::int32_t key;
    const char* name;
    std::int32_t index;  // the host's note value index
};

inline constexpr NoteValue kNoteValues[] = {
    {101, "1/1", 0},          {102, "1/2", 1},          {104, "1/4", 2},
    {108, "1/8", 3},          {116, "1/16", 4},         {132, "1/32", 5},
    {301, "1/1 Triplet", 6},  {302, "1/2 Triplet", 7},  {304, "1/4 Triplet", 8},
    {308, "1/8 Triplet", 9},  {316, "1/16 Triplet", 10}, {332, "1/32 Triplet", 11},
    {201, "1/1 Dotted", 12},  {202, "1/2 Dotted", 13},  {204, "1/4 Dotted", 14},
    {208, "1/8 Dotted", 15},  {216, "1/16 Dotted", 16}, {232, "1/32 Dotted", 17},
    {264, "1/64 Dotted", 18},
};

// The note value index for key; -1 when the table has no such key.
constexpr std::int32_t noteValueIndex(std::int32_t key) {
    for (const auto& note : kNoteValues)
        if (note.key == key) return note.index;
    return -1;
}

}  // namespace Tessaro
