// A track channel's pan, mute, solo and volume from the track's attributes.
#pragma once

#include "interfaces/all.h"

namespace Tessaro {

struct HostSession;
struct SongModel;

void applyPan(Host::ITrack* track);
void applyMuteSoloVolume(const HostSession& host, const SongModel& song, Host::ITrack* track);

}  // namespace Tessaro
