// A track channel's pan, mute, solo and volume from the track's attributes.
#pragma once

#include "interfaces/all.h"

namespace Tessaro {

class TessaroImporter;

void applyPan(TessaroImporter& importer, Host::ITrack* track);
void applyMuteSoloVolume(TessaroImporter& importer, Host::ITrack* track);

}  // namespace Tessaro
