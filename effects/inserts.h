// Insert effects on track channels, effect channels and the master channel.
#pragma once

#include <cstdint>

#include "interfaces/all.h"

namespace Tessaro {

struct HostSession;
struct SongModel;
struct EffectRecord;

// The effects of the track's channel (records whose bus is the track's `cinr`), in file
// order: the channel EQ, the channel limiter or an insert slot each.
void buildTrackInserts(const HostSession& host, const SongModel& song, Host::ITrack* track);
// The first effect of effect bus busNumber, on the effect channel's track.
void buildEffectChannelInserts(const HostSession& host, const SongModel& song, Host::ITrack* track,
                               std::int32_t busNumber);
// A master effect, placed while the file is read.
void buildMasterInsert(const HostSession& host, const EffectRecord& record);
void buildMasterBrickwall(const HostSession& host, const EffectRecord& record);

// One effect into the insert slot of its bus order on the track's channel.
void insertEffect(const HostSession& host, Host::ITrack* track, const EffectRecord& record);
// A brickwall onto the track channel's limiter; a Tonalix EQ onto the channel's own EQ.
void channelLimiter(Host::ITrack* track, const EffectRecord& record);
void channelEq(Host::ITrack* track, const EffectRecord& record);

}  // namespace Tessaro
