#include "reader/chunks.h"
#include "reader/file_reader.h"
#include "reader/importer.h"

namespace Tessaro {

// Not read yet: the chunk loop skips the body.
void readAutomation(TessaroImporter& importer, FileReader& in) {
    readChunkSize(importer, in, 0, "AUTO chunk size too short");
}

}  // namespace Tessaro
