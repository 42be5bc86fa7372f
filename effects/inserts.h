// Insert effects on track channels, effect channels and the master channel.
#pragma once

#include <cstdint>

#include "interfaces/all.h"

namespace Tessaro {

class TessaroImporter;
struct EffectRecord;

void buildTrackInserts(TessaroImporter& importer, Host::ITrack* track);
void buildEffectChannelInserts(TessaroImporter& importer, Host::ITrack* track,
                               std::int32_t busNumber);
void buildMasterInsert(TessaroImporter& importer, const EffectRecord& record);
void buildMasterBrickwall(TessaroImporter& importer, const EffectRecord& record);

}  // namespace Tessaro
