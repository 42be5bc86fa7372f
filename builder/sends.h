// Sends of track channels to the effect channels, and their routing.
#pragma once

#include "interfaces/all.h"

namespace Tessaro {

class TessaroImporter;

// Switches on and levels the sends of a track from its attributes.
void buildSends(TessaroImporter& importer, Host::ITrack* track);
// Routes the first three send slots of every audio and synth channel to the effect
// channels.
void routeSends(TessaroImporter& importer);

}  // namespace Tessaro
