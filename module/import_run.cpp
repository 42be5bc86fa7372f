// The import run: gathers the host interfaces of the import, learns the host's name and
// version, opens the project file through the host, reads and builds, and tells the user
// the outcome.
#include "module/import_run.h"

#include <new>
#include <utility>

#include "builder/build_driver.h"
#include "builder/sends.h"
#include "hostkit/edition.h"
#include "reader/project_file.h"

namespace Tessaro {

TessaroImporter::TessaroImporter(Host::IPath* importPath, Host::FUnknown* importTarget,
                                 Host::IHostContext* hostContext)
    : host(importPath, importTarget, hostContext) {}

std::int32_t TessaroImporter::run() {
    bool learned = false;
    try {
        learned = host.learnHost();
    } catch (const std::bad_alloc&) {
        failOutOfMemory();
        host.endRun();
        return 1;
    }
    if (!learned) {
        failBecause(host.context ? "the host gives no application information"
                                 : "the filter has no host context");
        return 1;
    }

    std::int32_t result = 1;
    IPtr<Host::IBStream> stream;
    if (!host.files || !host.path ||
        host.files->open(host.path, Host::IFileAccess::kRead, stream.put()) != Host::kResultOk ||
        !stream) {
        stream.reset();
        failBecause("the file cannot be opened");
        host.showMessage("Cannot open file.");
    } else {
        try {
            result = readAndBuild(stream.get());
        } catch (const std::bad_alloc&) {
            // Only the hand-over gets here: the read catches its own.
            host.edit.reset();
            failOutOfMemory();
            result = 1;
        }
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
    ReadOutcome outcome = readProjectFile(stream, host, notes, song);
    // Moved, not copied: nothing here may need memory before the failure message is shown.
    readError = std::move(outcome.error);
    failure = std::move(outcome.failure);
    if (!outcome.read) {
        // What the readers already made in the host stays.
        host.showMessage(kReadFailedMessage);
        return 1;
    }
    handOver();
    return 0;
}

void TessaroImporter::failBecause(const char* reason) {
    try {
        failure = ImportFailure::beforeReading(reason);
    } catch (const std::bad_alloc&) {
        failure = ImportFailure::beforeReading("out of memory");
    }
}

void TessaroImporter::failOutOfMemory() {
    // The text fits a string's own room: recording it needs no memory.
    failure = ImportFailure::beforeReading("out of memory");
    if (!host.messageShown) host.showMessage(kReadFailedMessage);
}

ImportDiagnostics TessaroImporter::diagnostics() const { return {failure, notes.list()}; }

void TessaroImporter::handOver() {
    if (host.edit) host.edit->finishStep(host.project.get(), u"Import Tessaro Project");
    if (hostAllows(host, HostFeature::EffectChannels)) routeSends(host);
    buildProject(host, notes, song);
}

}  // namespace Tessaro
