// The attributes under which the track info reader stores a track's settings on the host
// track, and from which the builders read them back: four-character keys, the file
// format's own.
#pragma once

#include <cstddef>
#include <string>

namespace Tessaro::TrackAttribute {

inline constexpr char kName[] = "trNa";          // UTF-16 text: the track's name
inline constexpr char kInstrumentId[] = "ciid";  // integer: the app's instrument id
inline constexpr char kNumber[] = "cinr";        // integer: the file's track number
inline constexpr char kMute[] = "trMu";          // integer 0 or 1 (1 for a frozen track)
inline constexpr char kSolo[] = "trSo";          // integer 0 or 1
inline constexpr char kVolume[] = "trVo";        // float: the app's gain, 0 to 100
inline constexpr char kPan[] = "trPa";           // float: -1 to 1

// The three keys of send n are the prefix followed by n in decimal ("tSBI0", "tSBI1" ...).
inline constexpr char kSendBus[] = "tSBI";      // integer: the bus id, 0 to 100
inline constexpr char kSendEnabled[] = "tSBE";  // integer 0 or 1
inline constexpr char kSendLevel[] = "tSBL";    // float: 0 to 1

// The key of send n under prefix: kSendBus and 0 give "tSBI0".
inline std::string sendKey(const char* prefix, std::size_t n) {
    return std::string(prefix) + std::to_string(n);
}

}  // namespace Tessaro::TrackAttribute
