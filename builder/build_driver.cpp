#include "builder/build_driver.h"

#include "builder/automation.h"
#include "reader/importer.h"

namespace Tessaro {

void buildProject(TessaroImporter& importer) { buildAutomation(importer); }

std::vector<IPtr<Host::IProjectObject>> collectTracks(TessaroImporter&, Host::IObjectTree*) {
    return {};
}

IPtr<Host::ITrack> findTrackByNumber(TessaroImporter&, std::int64_t) { return {}; }

}  // namespace Tessaro
