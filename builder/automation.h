// Track automation from the "AUTO" records; closes the build's last edit step.
#pragma once

namespace Tessaro {

class TessaroImporter;

void buildAutomation(TessaroImporter& importer);

}  // namespace Tessaro
