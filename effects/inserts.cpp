#include "effects/inserts.h"

#include "reader/importer.h"

namespace Tessaro {

void buildTrackInserts(TessaroImporter&, Host::ITrack*) {}
void buildEffectChannelInserts(TessaroImporter&, Host::ITrack*, std::int32_t) {}
void buildMasterInsert(TessaroImporter&, const EffectRecord&) {}
void buildMasterBrickwall(TessaroImporter&, const EffectRecord&) {}

}  // namespace Tessaro
