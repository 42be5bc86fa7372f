#include "builder/edition.h"

#include "reader/importer.h"

namespace Tessaro {

bool hostAllows(const TessaroImporter&, HostFeature) { return false; }

}  // namespace Tessaro
