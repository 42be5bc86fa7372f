// The import run: gathers the host interfaces of the import, learns the host's name and
// version, opens the project file through the host, reads and builds, and tells the user
// the outcome.
#include "module/import_run.h"

#include "builder/build_driver.h"
#include "builder/sends.h"
#include "hostkit/edition.h"
#include "reader/project_file.h"

namespace Tessaro {

TessaroImporter::TessaroImporter(Host::IPath* importPath, Host::FUnknown* importTarget,
                                 Host::IHostContext* hostContext)
    : host(importPath, importTarget, hostContext) {}

std::int32_t TessaroImporter::run() {
    if (!host.learnHost()) {
        failure = ImportFailure::beforeReading(host.context
                                                   ? "the host gives no application information"
                                                   : "the filter has no host context");
        return 1;
    }

    std::int32_t result = 1;
    IPtr<Host::IBStream> stream;
    if (!host.files || !host.path ||
        host.files->open(host.path, Host::IFileAccess::kRead, stream.put()) != Host::kResultOk ||
        !stream) {
        stream.reset();
        failure = ImportFailure::beforeReading("the file cannot be opened");
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

std::int32_t TessaroImporter::readAndBuild(Host::IBStream* stream) {
    const ReadScope reading(host);
    song = SongModel{};
    const ReadOutcome outcome = readProjectFile(stream, host, notes, song);
    readError = outcome.error;
    failure = outcome.failure;
    if (!outcome.read) {
        // What the readers already made in the host stays.
        host.showMessage("Cannot read Tessaro project file. Reason: unknown format.");
        return 1;
    }
    handOver();
    return 0;
}

ImportDiagnostics TessaroImporter::diagnostics() const { return {failure, notes.list()}; }

void TessaroImporter::handOver() {
    if (host.edit) host.edit->finishStep(host.project.get(), u"Import Tessaro Project");
    if (hostAllows(host, HostFeature::EffectChannels)) routeSends(host);
    buildProject(host, notes, song);
}

}  // namespace Tessaro
