// The import run: gathers the host interfaces of the import, learns the host's name and
// version, opens the project file through the host, reads and builds, and tells the user
// the outcome.
#include "reader/importer.h"

namespace Tessaro {

TessaroImporter::TessaroImporter(Host::IPath* importPath, Host::FUnknown* importTarget,
                                 Host::IHostContext* hostContext)
    : host(importPath, importTarget, hostContext) {}

std::int32_t TessaroImporter::run() {
    if (!host.learnHost()) return 1;

    std::int32_t result = 1;
    IPtr<Host::IBStream> stream;
    if (!host.files || !host.path ||
        host.files->open(host.path, Host::IFileAccess::kRead, stream.put()) != Host::kResultOk ||
        !stream) {
        stream.reset();
        host.showMessage("Cannot open file.");
    } else {
        result = readAndBuild(stream.get());
        song.lists = {};
        host.files->close(stream.detach());
        if (result == 0) host.showMessage("The Tessaro import was completed.");
    }
    host.endRun();
    return result;
}

}  // namespace Tessaro
