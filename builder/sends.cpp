#include "builder/sends.h"

#include "reader/importer.h"

namespace Tessaro {

void buildSends(TessaroImporter&, Host::ITrack*) {}
void routeSends(TessaroImporter&) {}

}  // namespace Tessaro
