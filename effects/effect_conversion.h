// The conversions of the app's effect values onto the host's plug-ins, channel EQs,
// channel limiter and channel strip. Each takes the host node (borrowed) and the record;
// a missing parameter skips its row, nothing is reported.
#pragma once

#include "interfaces/all.h"

namespace Tessaro {

struct EffectRecord;

// The plug-in of an insert slot (the slot's first child), by the record's kind.
void convertInsertParameters(Host::IParamNode* plugin, const EffectRecord& record);
// A brickwall limiter onto the channel limiter (or its slot).
void convertBrickwall(Host::IParamNode* limiter, const EffectRecord& record);
// A Tonalix EQ onto the channel's own "EQ" node, or onto the strip's "EQ" module.
void convertChannelEq(Host::IParamNode* eq, const EffectRecord& record);
void convertStripEq(Host::IParamNode* eq, const EffectRecord& record);
// The app's Lanefix strip onto the modules of the channel's strip ("Strips" below the
// channel's root).
void convertLanefixStrip(Host::IParamNode* channelRoot, const EffectRecord& record);

}  // namespace Tessaro
