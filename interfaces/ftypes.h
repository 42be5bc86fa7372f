// Basic types of the host's interface set: integers, result codes and the 16-byte
// interface and class identifiers.
#pragma once

#include <cstdint>
#include <cstring>

namespace Host {

using int8 = std::int8_t;
using uint8 = std::uint8_t;
using int16 = std::int16_t;
using uint16 = std::uint16_t;
using int32 = std::int32_t;
using uint32 = std::uint32_t;
using int64 = std::int64_t;
using uint64 = std::uint64_t;
using tresult = std::int32_t;
using tbool = std::uint8_t;
using char8 = char;
using char16 = char16_t;

// Result codes shared by every interface.
inline constexpr tresult kResultOk = 0;
inline constexpr tresult kResultTrue = 0;
inline constexpr tresult kResultFalse = 1;
inline constexpr tresult kInvalidArgument = static_cast<tresult>(0x80070057u);
inline constexpr tresult kNotImplemented = static_cast<tresult>(0x80004001u);
inline constexpr tresult kNoInterface = static_cast<tresult>(0x80004002u);

// A 16-byte identifier stored in the byte order of the Windows GUID structure: a
// little-endian 32-bit group, two little-endian 16-bit groups, then eight bytes as
// they stand.
struct FUID {
    uint8 bytes[16];

    static constexpr FUID make(uint32 l1, uint16 w1, uint16 w2, uint8 b0, uint8 b1, uint8 b2,
                               uint8 b3, uint8 b4, uint8 b5, uint8 b6, uint8 b7) {
        return FUID{{static_cast<uint8>(l1), static_cast<uint8>(l1 >> 8),
                     static_cast<uint8>(l1 >> 16), static_cast<uint8>(l1 >> 24),
                     static_cast<uint8>(w1), static_cast<uint8>(w1 >> 8), static_cast<uint8>(w2),
                     static_cast<uint8>(w2 >> 8), b0, b1, b2, b3, b4, b5, b6, b7}};
    }

    bool operator==(const FUID& other) const {
        return std::memcmp(bytes, other.bytes, sizeof bytes) == 0;
    }
    bool operator!=(const FUID& other) const { return !(*this == other); }
};
static_assert(sizeof(FUID) == 16);

}  // namespace Host
