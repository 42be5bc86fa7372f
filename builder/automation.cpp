#include "builder/automation.h"

#include "base/text.h"
#include "reader/importer.h"

namespace Tessaro {

void buildAutomation(TessaroImporter& importer) {
    if (importer.edit)
        importer.edit->finishStep(importer.project.get(),
                                  u"Import Tessaro Project Automation");
}

}  // namespace Tessaro
