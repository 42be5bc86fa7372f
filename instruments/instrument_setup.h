// Instrument mapping: the app's instrument ids onto the host's instrument plug-ins and
// presets, and the set-up of an instrument track's plug-in.
#pragma once

#include <cstdint>
#include <string>

#include "interfaces/all.h"

namespace Tessaro {

class TessaroImporter;

// The host instrument plug-in for an instrument id; empty when none.
std::string instrumentPluginName(std::uint64_t id);
// The preset name for an instrument id; empty when none.
std::string instrumentPresetName(std::uint64_t id);
// Chooses the plug-in in the track's instrument slot and its preset. Returns 1.
std::int32_t setupInstrument(TessaroImporter& importer, Host::ITrack* track,
                             const std::string& pluginName, Host::IChannel* channel);

}  // namespace Tessaro
