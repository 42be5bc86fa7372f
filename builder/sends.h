// Sends of track channels to the effect channels, and their routing.
#pragma once

#include "interfaces/all.h"

namespace Tessaro {

struct HostSession;
struct SongModel;

// Switches on and levels the sends of a track from its attributes.
void buildSends(const HostSession& host, const SongModel& song, Host::ITrack* track);
// Routes the first three send slots of every audio and synth channel to the effect
// channels.
void routeSends(const HostSession& host);

}  // namespace Tessaro
