// tessaro-import: imports Tessaro project files through the importer module, the way a host
// does, into the reference host. With one project it prints what the host was asked to
// show and a summary of the imported project, and writes the JSON report; with several it
// imports them into fresh hosts, several at once, and prints one line per project and a
// total (tools/import/batch.h).
//
// Exit status: 0 when every import succeeded, 1 when any failed, 2 for bad usage, an
// unknown host profile, an output folder that cannot be written or a module that cannot
// be loaded or used.
#include <csignal>
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

#include "base/iptr.h"
#include "base/text.h"
#include "refhost/file_io.h"
#include "refhost/module_loader.h"
#include "refhost/profile.h"
#include "refhost/reference_host.h"
#include "refhost/report_writer.h"
#include "tools/import/batch.h"
#include "tools/import/locations.h"
#include "tools/import/options.h"
#include "tools/import/outputs.h"
#include "tools/import/page_output.h"
#include "tools/import/progress.h"
#include "tools/import/project_import.h"
#include "tools/import/render_outputs.h"
#include "tools/import/summary.h"

#ifndef TESSARO_VERSION
#define TESSARO_VERSION "0"
#endif

using namespace ImportTool;
namespace fs = std::filesystem;
namespace FileIo = RefHost::FileIo;

namespace {

// The module's project filter and its version ("\"Tessaro Project\" 2.1.0.1").
std::string filterVersion(RefHost::LoadedModule& module) {
    const auto factory = Tessaro::queryTo<Host::IPluginFactory2>(module.factory());
    if (!factory) return "no class information of its own";
    for (Host::int32 i = 0; i < factory->countClasses(); ++i) {
        Host::PClassInfo2 info{};
        if (factory->getClassInfo2(i, &info) != Host::kResultOk) continue;
        if (Tessaro::fromBuffer(info.category, sizeof info.category) != "Project Filter") continue;
        return "\"" + Tessaro::fromBuffer(info.name, sizeof info.name) + "\" " +
               Tessaro::fromBuffer(info.version, sizeof info.version);
    }
    return "no class of category \"Project Filter\"";
}

int printVersion(const fs::path& modulePath, const fs::path& profiles) {
    std::cout << "tessaro-import " << TESSARO_VERSION << "\n";
    int status = kImported;
    try {
        RefHost::LoadedModule module(modulePath);
        std::cout << "module:   " << filterVersion(module) << ", " << FileIo::utf8(module.file())
                  << "\n";
    } catch (const RefHost::ModuleError& e) {
        std::cout << "module:   none: " << e.what() << "\n";
        status = kUsage;
    }
    std::cout << "profiles: " << FileIo::utf8(profiles) << "\n";
    return status;
}

// Where a run writes what it makes of its projects.
struct RunOutputs {
    OutputOption json;
    OutputOption dawproject;
    OutputOption midi;
    OutputOption html;
    OutputOption render;
    OutputOption stems;  // always a folder
    bool withStems = false;
};

// One project, reported in full: the host, the module, the messages, the result and the
// summary, the report, the render and the exports. render: how to render (null: nothing is).
int runSingle(const Options& options, const RunOutputs& outputs, const RefHost::Profile& profile,
              const RenderSettings* render) {
    const std::string& file = options.files.front();
    const OutputOption& json = outputs.json;
    // The summary goes to standard error when the report takes standard output.
    std::ostream& out = json.kind == OutputOption::Kind::StandardOutput ? std::cerr : std::cout;

    std::optional<RefHost::LoadedModule> module;
    std::optional<ImportedProject> imported;
    int status = kUsage;
    Progress progress({file}, 1,
                      options.quiet ? Progress::Display::Off : Progress::displayForStandardError(),
                      Progress::delayBeforeShowing());
    try {
        module.emplace(findModule(options.module));
        const ImportSetup setup{*module, profile, FileIo::fromUtf8(options.projectFolder)};
        progress.started(0, 0);
        imported = importProject(setup, FileIo::fromUtf8(file),
                                 [&progress](const RefHost::AudioWriteProgress& block) {
                                     progress.wrote(0, block);
                                 });
    } catch (const RefHost::ModuleError& e) {
        std::cerr << "tessaro-import: " << e.what() << "\n";
    }

    std::optional<Host::int32> result;
    ExportResult exported;
    std::vector<fs::path> writtenExports;
    fs::path mix;
    if (imported && !imported->outcome.error.empty()) {
        std::cerr << "tessaro-import: " << module->file().string() << ": "
                  << imported->outcome.error << "\n";
    } else if (imported) {
        result = imported->outcome.result;
        status = *result == 0 ? kImported : kFailed;
        const OutputNames names({FileIo::fromUtf8(file)});
        const fs::path dawproject = names.pathFor(outputs.dawproject, 0, ".dawproject");
        RenderResult rendered;
        if (render)
            rendered = renderProject(*imported, FileIo::fromUtf8(file),
                                     {names.pathFor(outputs.render, 0, ".wav"), outputs.stems.path,
                                      outputs.withStems ? dawproject : fs::path()},
                                     *render, [&progress](double seconds, double song) {
                                         progress.rendered(0, seconds, song);
                                     });
        exported = exportProject(*imported, FileIo::fromUtf8(file),
                                 {dawproject, names.pathFor(outputs.midi, 0, ".mid"),
                                  std::move(rendered.extraTracks)});
        writtenExports = rendered.written;
        for (const auto& e : exported.written) writtenExports.push_back(e.path);
        mix = rendered.mix;
        for (const auto& error : rendered.errors) std::cerr << "tessaro-import: " << error << "\n";
        for (const auto& error : exported.errors) std::cerr << "tessaro-import: " << error << "\n";
        if (!rendered.errors.empty() || !exported.errors.empty()) status = kUsage;
    }
    progress.finished(0);
    progress.stop();

    // Quiet: the reason of a failed import, nothing else.
    if (options.quiet && result)
        printDiagnostics(out, imported->host->records().diagnostics, *result == 0,
                         DiagnosticsShown::ReasonOnly);
    if (!options.quiet && result) {
        const RefHost::ReferenceHost& host = *imported->host;
        const auto& outcome = imported->outcome;
        out << "Host:       " << host.profile().name << ", " << host.profile().version
            << " (profile " << host.profile().id << ")\n";
        out << "Module:     " << module->file().string() << ": \"" << outcome.filter.name
            << "\", file type \""
            << Tessaro::fromBuffer(outcome.fileType.extension, sizeof outcome.fileType.extension)
            << "\"\n";
        for (const auto& m : host.records().messages) out << "Message:    " << m.text << "\n";
        printDiagnostics(out, host.records().diagnostics, *result == 0,
                         DiagnosticsShown::Everything);
        out << "Result:     " << *result << (*result == 0 ? " (imported)" : " (failed)") << "\n";
        printSummary(out, host, exported.written);
    }

    // The report is written as the host is walked, and only when it is asked for; without a
    // module it is the report of a host that saw no import.
    const OutputNames names({FileIo::fromUtf8(file)});
    std::vector<fs::path> written = writtenExports;
    if (json.kind != OutputOption::Kind::None) {
        std::optional<ImportedProject> noImport;
        if (!imported) {
            noImport.emplace();
            noImport->host = std::make_unique<RefHost::ReferenceHost>(profile);
        }
        const ImportedProject& reported = imported ? *imported : *noImport;
        if (json.kind == OutputOption::Kind::StandardOutput) {
            RefHost::ReportText text(std::cout);
            writeReport(text, reported);
            text.finish();
        } else {
            const fs::path reportFile = names.pathFor(json, 0, ".json");
            if (const auto problem = writeReportFile(reportFile, reported)) {
                std::cerr << "tessaro-import: " << *problem << "\n";
                return kUsage;
            }
            written.insert(written.begin(), reportFile);
        }
    }
    // The page, once the outputs it links are written.
    if (imported) {
        PageSummary summary;
        const PageTarget page{names.pathFor(outputs.html, 0, ".html"), written, mix};
        if (const auto problem = writeProjectPage(page, &*imported, FileIo::fromUtf8(file), {}, summary)) {
            std::cerr << "tessaro-import: " << *problem << "\n";
            return kUsage;
        }
    }
    if (imported) leaveToProcessEnd(*imported);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
#if !defined(_WIN32)
    // Under a file-size limit a write beyond it fails (and the import says so) instead of
    // the signal ending the whole run.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    Options options;
    if (const auto status = parseOptions(argc, argv, options)) return *status;

    const fs::path profilesFolder = findProfiles(options.profiles);
    if (options.version) return printVersion(findModule(options.module), profilesFolder);
    const RefHost::ProfileStore store(profilesFolder);
    if (options.listHosts) {
        for (const auto& info : store.list())
            std::cout << info.id << "\t" << info.name << "\t" << info.version << "\t"
                      << info.description << "\n";
        return kImported;
    }
    if (options.files.empty()) {
        std::cerr << "tessaro-import: a project file is required\n" << helpText();
        return kUsage;
    }

    // Everything that can stop the run stops it before the first import.
    if (rendering(options)) {
        // GCOVR_EXCL_START: only a build without the render (the Windows build) takes this way.
        if (!renderBuilt()) {
            std::cerr << "tessaro-import: this build cannot render audio (it is built without "
                         "FluidSynth): --render, --stems and --with-stems are left out\n";
            return kUsage;
        }
        // GCOVR_EXCL_STOP
        if (options.withStems && options.dawproject.empty()) {
            std::cerr << "tessaro-import: --with-stems puts the stems into the DAWproject file: it "
                         "needs --dawproject\n";
            return kUsage;
        }
    }
    // The soundfont is found and loaded before anything is made, and held to the end.
    std::optional<RunSoundfont> soundfont;
    std::optional<RenderSettings> render;
    if (rendering(options)) {
        try {
            soundfont.emplace(options.soundfont);
        } catch (const std::exception& e) {
            std::cerr << "tessaro-import: " << e.what() << "\n";
            return kUsage;
        }
        render = RenderSettings{soundfont->file(), options.renderFormat == "float", options.jobs};
    }
    OutputOption stems;
    if (!options.stems.empty()) stems = {OutputOption::Kind::Folder, FileIo::fromUtf8(options.stems)};
    const RunOutputs outputs{outputOption(options.json), outputOption(options.dawproject),
                             outputOption(options.midi), outputOption(options.html),
                             outputOption(options.render), stems, options.withStems};
    const bool several = options.files.size() > 1;
    const std::tuple<const char*, const std::string&, const OutputOption&> given[] = {
        {"--json", options.json, outputs.json},
        {"--dawproject", options.dawproject, outputs.dawproject},
        {"--midi", options.midi, outputs.midi},
        {"--html", options.html, outputs.html},
        {"--render", options.render, outputs.render},
        {"--stems", options.stems, outputs.stems}};
    for (const auto& [name, text, option] : given) {
        // With several projects an output is a folder; an export is never standard output.
        const bool standardOutput = option.kind == OutputOption::Kind::StandardOutput;
        if ((several && (option.kind == OutputOption::Kind::File || standardOutput)) ||
            (standardOutput && name != std::string_view("--json"))) {
            std::cerr << "tessaro-import: " << (several ? "with several projects, " : "") << name
                      << " takes " << (several ? "a folder (a path ending in /)" : "a file or a folder")
                      << ", not \"" << text << "\"\n";
            return kUsage;
        }
        if (const auto problem = prepareOutputFolder(option)) {
            std::cerr << "tessaro-import: cannot write into the folder " << text << ": "
                      << *problem << "\n";
            return kUsage;
        }
    }
    std::optional<RefHost::Profile> profile;
    try {
        profile = store.load(options.host);
    } catch (const RefHost::ProfileError& e) {
        std::cerr << "tessaro-import: " << e.what() << "\n";
        return kUsage;
    }

    if (options.files.size() == 1) {
        try {
            return runSingle(options, outputs, *profile, render ? &*render : nullptr);
        } catch (const std::bad_alloc&) {
            std::cerr << "tessaro-import: out of memory\n";
            return kFailed;
        }
    }

    try {
        RefHost::LoadedModule module(findModule(options.module));
        BatchSettings settings{ImportSetup{module, *profile, FileIo::fromUtf8(options.projectFolder)},
                               outputs.json, outputs.dawproject, outputs.midi, outputs.html,
                               options.jobs,
                               options.quiet,
                               Progress::displayForStandardError(),
                               outputs.render, outputs.stems, outputs.withStems, render};
        return runBatch(options.files, settings);
    } catch (const RefHost::ModuleError& e) {
        std::cerr << "tessaro-import: " << e.what() << "\n";
        return kUsage;
    }
}
