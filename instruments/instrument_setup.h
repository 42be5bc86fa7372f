// Instrument mapping: the app's instrument ids onto the host's instrument plug-ins and
// presets, and the set-up of an instrument track's plug-in.
#pragma once

#include <cstdint>
#include <string>

#include "interfaces/all.h"

namespace Tessaro {

struct HostSession;
class ImportNotes;
struct SongModel;

// The host's instrument plug-ins.
inline constexpr const char* kMiravoxLite = "Miravox Lite";      // multi-sound, GM presets
inline constexpr const char* kMiravox = "Miravox";               // its full edition
inline constexpr const char* kBeatwrightLite = "Beatwright Lite";  // drums
inline constexpr const char* kBeatwrightMini = "Beatwright Mini";  // older drums, some editions
inline constexpr const char* kAnalora = "Analora";               // synth, loads preset files

// The name of an instrument slot in a channel's parameter tree begins with this tag.
inline constexpr char kInstrumentSlotTag[] = "InstS";
// The slot's list parameter that chooses its plug-in.
inline constexpr const char* kEffectTypeParam = "effectType";
// The multi-sound plug-in's list parameter of preset names.
inline constexpr const char* kPresetListParam = "crateluxPresetSyncronous";

// The host instrument plug-in for an instrument id; empty when none.
std::string instrumentPluginName(std::uint64_t id);
// The preset name for an instrument id; empty when none.
std::string instrumentPresetName(std::uint64_t id);
// Chooses the plug-in in the track's instrument slot and its preset, noting what the host
// did not take. Returns 1.
std::int32_t setupInstrument(const HostSession& host, ImportNotes& notes, const SongModel& song,
                             Host::ITrack* track, const std::string& pluginName,
                             Host::IChannel* channel);

}  // namespace Tessaro
