// The build driver: completes the host's tracks from their attributes and the importer's
// model once the whole file has been read.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/iptr.h"
#include "interfaces/all.h"

namespace Tessaro {

class TessaroImporter;

void buildProject(TessaroImporter& importer);

// The tracks of the tree, depth first through folders; effect tracks only when the host
// allows effect channels.
std::vector<IPtr<Host::IProjectObject>> collectTracks(TessaroImporter& importer,
                                                      Host::IObjectTree* tree);
// The host track of the instrument or audio track whose `cinr` is number; empty when none.
IPtr<Host::ITrack> findTrackByNumber(TessaroImporter& importer, std::int64_t number);
// The effect bus an effect channel plays: the decimal number behind the first four
// characters of its name ("Bus 3" gives 3); 0 when no number follows.
std::int32_t effectBusNumber(std::u16string_view channelName);

}  // namespace Tessaro
