#include "builder/channel_settings.h"

#include "reader/importer.h"

namespace Tessaro {

void applyPan(TessaroImporter&, Host::ITrack*) {}
void applyMuteSoloVolume(TessaroImporter&, Host::ITrack*) {}

}  // namespace Tessaro
