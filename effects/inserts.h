// Insert effects on track channels, effect channels and the master channel.
#pragma once

#include <cstdint>

#include "interfaces/all.h"

namespace Tessaro {

class TessaroImporter;
struct EffectRecord;

// The effects of the track's channel (records whose bus is the track's `cinr`), in file
// order: the channel EQ, the channel limiter or an insert slot each.
void buildTrackInserts(TessaroImporter& importer, Host::ITrack* track);
// The first effect of effect bus busNumber, on the effect channel's track.
void buildEffectChannelInserts(TessaroImporter& importer, Host::ITrack* track,
                               std::int32_t busNumber);
// A master effect, placed while the file is read.
void buildMasterInsert(TessaroImporter& importer, const EffectRecord& record);
void buildMasterBrickwall(TessaroImporter& importer, const EffectRecord& record);

// One effect into the insert slot of its bus order on the track's channel.
void insertEffect(TessaroImporter& importer, Host::ITrack* track, const EffectRecord& record);
// A brickwall onto the track channel's limiter; a Tonalix EQ onto the channel's own EQ.
void channelLimiter(TessaroImporter& importer, Host::ITrack* track, const EffectRecord& record);
void channelEq(TessaroImporter& importer, Host::ITrack* track, const EffectRecord& record);

}  // namespace Tessaro
