#include "tests/support/import_harness.h"

#include <stdlib.h>

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "module/import_run.h"

#ifndef TESSARO_MODULE_PATH
#error "TESSARO_MODULE_PATH names the built module"
#endif

namespace TessaroTest {

namespace fs = std::filesystem;

// --- TempFolder ----------------------------------------------------------------------

TempFolder::TempFolder() {
#if defined(_WIN32)
    // No mkdtemp on Windows: new names until one is free.
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() / ("tessaro-test-" + std::to_string(random()));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) path_ = candidate;
    }
    if (path_.empty()) throw std::runtime_error("cannot make a temporary folder");
#else
    std::string pattern = (fs::temp_directory_path() / "tessaro-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
#endif
}

TempFolder::~TempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

fs::path TempFolder::write(const std::string& relative, std::span<const std::uint8_t> bytes) {
    const fs::path file = path_ / relative;
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
    return file;
}

// --- Hosts ---------------------------------------------------------------------------

RefHost::Profile loadProfile(std::string_view selector) { return RefHost::ProfileStore().load(selector); }

std::unique_ptr<RefHost::ReferenceHost> makeHost(
    std::string_view selector, const std::function<void(RefHost::Profile&)>& adjust) {
    RefHost::Profile profile = loadProfile(selector);
    if (adjust) adjust(profile);
    return std::make_unique<RefHost::ReferenceHost>(std::move(profile));
}

std::string ImportResult::findingsText() const {
    std::ostringstream out;
    out << references.held << " held, " << references.overReleased << " released too often, "
        << references.misuseCount << " misuses";
    if (filterCountAtRelease.value_or(0) != 0)
        out << "\n  the filter kept " << *filterCountAtRelease << " references";
    for (const auto& h : references.heldDetails) out << "\n  held: " << h.facet << " x" << h.count;
    for (const auto& o : references.overReleaseDetails)
        out << "\n  released too often: " << o.facet << " x" << o.times;
    for (const auto& m : references.misuses) out << "\n  misuse: " << m;
    return out.str();
}

namespace {

// The project folder with the project file and the further files of options.
std::shared_ptr<TempFolder> projectFolder(std::span<const std::uint8_t> bytes,
                                          const ImportOptions& options) {
    auto folder = std::make_shared<TempFolder>();
    folder->write(options.fileName, bytes);
    for (const auto& [name, content] : options.files) folder->write(name, content);
    return folder;
}

void finish(ImportResult& run) {
    for (const auto& m : run.host->records().messages) run.messages.push_back(m.text);
    run.report = RefHost::makeReport(*run.host, run.result);
    run.references = run.host->account().findings();
}

}  // namespace

// --- ImportHarness -------------------------------------------------------------------

ImportHarness::ImportHarness() : ImportHarness(fs::path(TESSARO_MODULE_PATH)) {}

ImportHarness::ImportHarness(const fs::path& module)
    : module_(std::make_unique<RefHost::LoadedModule>(module)) {}

ImportHarness::~ImportHarness() = default;

ImportResult ImportHarness::importFile(const fs::path& file, const ImportOptions& options) {
    ImportResult run;
    run.host = makeHost(options.host, options.adjustProfile);
    if (options.adjustHost) options.adjustHost(*run.host);
    const RefHost::ImportOutcome outcome = RefHost::runImport(*module_, *run.host, file);
    run.result = outcome.result;
    run.error = outcome.error;
    run.filterCountAtRelease = outcome.filterCountAtRelease;
    finish(run);
    return run;
}

ImportResult ImportHarness::importBytes(std::span<const std::uint8_t> bytes,
                                        const ImportOptions& options) {
    auto folder = projectFolder(bytes, options);
    ImportResult run = importFile(folder->path() / options.fileName, options);
    run.folder = std::move(folder);
    return run;
}

// --- importDirect --------------------------------------------------------------------

ImportResult importDirect(std::span<const std::uint8_t> bytes, const ImportOptions& options) {
    ImportResult run;
    run.folder = projectFolder(bytes, options);
    run.host = makeHost(options.host, options.adjustProfile);
    if (options.adjustHost) options.adjustHost(*run.host);
    RefHost::ReferenceHost& host = *run.host;
    host.setProjectFolder(run.folder->path());

    // What the filter does: its initialize takes the host context, importProject makes an
    // importer over the path and the target, terminate lets the context go.
    Host::IHostContext* context = nullptr;
    host.lendContext()->queryInterface(Host::IHostContext::iid, reinterpret_cast<void**>(&context));
    {
        Tessaro::TessaroImporter importer(host.lendPath(run.folder->path() / options.fileName),
                                          host.lendImportTarget(), context);
        run.result = importer.run();
        // What the filter would hand a host that asks (IImportDiagnostics).
        const Tessaro::ImportDiagnostics told = importer.diagnostics();
        RefHost::Diagnostics& kept = host.records().diagnostics.emplace();
        if (const auto& f = told.failure)
            kept.failure = RefHost::DiagnosticFailure{f->text, f->chunkId, f->chunkIndex,
                                                      f->byteOffset};
        for (const auto& note : told.notes)
            kept.notes.push_back({note.kind, note.track, note.text});
    }
    if (context) context->release();
    finish(run);
    return run;
}

}  // namespace TessaroTest
