// The conversions of the app's effect values onto the host's plug-ins, channel EQs,
// channel limiter and channel strip. Each takes the host node (borrowed) and the record;
// a missing parameter skips its row. Each returns how many of the values it set were not
// numbers in the file (each taken as 0), for the import's notes.
#pragma once

#include <cstddef>
#include <optional>

#include "interfaces/all.h"

namespace Tessaro {

struct EffectRecord;

// The effect's mix as the conversions take it: the record's mix, or 0.5 for a delay the
// reader marked.
double effectMix(const EffectRecord& record);
// The plug-in of an insert slot (the slot's first child), by the record's kind.
std::size_t convertInsertParameters(Host::IParamNode* plugin, const EffectRecord& record);
// A brickwall limiter onto the channel limiter (or its slot).
std::size_t convertBrickwall(Host::IParamNode* limiter, const EffectRecord& record);
// A Tonalix EQ onto the channel's own "EQ" node, or onto the strip's "EQ" module.
std::size_t convertChannelEq(Host::IParamNode* eq, const EffectRecord& record);
std::size_t convertStripEq(Host::IParamNode* eq, const EffectRecord& record);
// The app's Lanefix strip onto the modules of the channel's strip ("Strips" below the
// channel's root); none when the channel has no strip.
std::optional<std::size_t> convertLanefixStrip(Host::IParamNode* channelRoot,
                                               const EffectRecord& record);

}  // namespace Tessaro
