#include "tools/import/project_import.h"

#include <system_error>

#include "refhost/report.h"

#if TESSARO_WITH_INTERCHANGE
#include "interchange/export.h"
#include "interchange/host_song.h"
#endif

#ifndef TESSARO_VERSION
#define TESSARO_VERSION "0"
#endif

namespace ImportTool {

namespace fs = std::filesystem;

ImportedProject importProject(const ImportSetup& setup, const fs::path& file,
                              RefHost::AudioWriteWatcher watcher) {
    ImportedProject imported;
    imported.host = std::make_unique<RefHost::ReferenceHost>(setup.profile);
    if (!setup.projectFolder.empty())
        imported.host->setProjectFolder(fs::absolute(setup.projectFolder));
    imported.host->watchAudioWrites(std::move(watcher));
    imported.outcome = RefHost::runImport(setup.module, *imported.host, file);
    return imported;
}

const Interchange::Song* songOf(ImportedProject& imported, const fs::path& file) {
#if TESSARO_WITH_INTERCHANGE
    if (!imported.song && imported.songError.empty()) {
        try {
            imported.song = Interchange::readSong(*imported.host, file);
        } catch (const std::exception& e) {
            imported.songError = e.what();
        }
    }
    return imported.song ? &*imported.song : nullptr;
#else
    (void)file;
    imported.songError = "the command is built without the song's outputs";
    return nullptr;
#endif
}

ExportResult exportProject(ImportedProject& imported, const fs::path& file,
                           const ExportTargets& targets) {
    ExportResult result;
#if TESSARO_WITH_INTERCHANGE
    if (imported.outcome.result != 0 || !imported.outcome.error.empty()) return result;
    if (targets.dawproject.empty() && targets.midi.empty()) return result;
    const Interchange::ExportRequest request{targets.dawproject, targets.midi,
                                             {"tessaro-import", TESSARO_VERSION},
                                             targets.extraTracks};
    const Interchange::Song* song = songOf(imported, file);
    const auto exported = song ? Interchange::exportSong(*song, file, request)
                               : Interchange::songNotRead(request, imported.songError);
    imported.reportSections.push_back({"export", [section = exported.report()](
                                                     RefHost::ReportWriter& out) {
        out.document(section);
    }});
    for (const auto& output : exported.outputs) {
        if (output.written)
            result.written.push_back({output.format, output.path, output.leftOut.size()});
        else
            result.errors.push_back(output.error);
    }
#else
    (void)imported;
    (void)file;
    (void)targets;
#endif
    return result;
}

void writeReport(RefHost::ReportWriter& out, const ImportedProject& imported) {
    out.beginObject();
    RefHost::writeHostReport(*imported.host, imported.outcome.result, out);
    for (const auto& section : imported.reportSections) {
        out.key(section.name);
        section.write(out);
    }
    out.end();
}

void leaveToProcessEnd(ImportedProject& imported) {
#if defined(__SANITIZE_ADDRESS__)
    (void)imported;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    (void)imported;
#else
    static_cast<void>(imported.host.release());
#endif
#else
    static_cast<void>(imported.host.release());
#endif
}

std::optional<std::string> inputProblem(const fs::path& file) {
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (!fs::exists(status)) return "no such file";
    if (fs::is_directory(status)) return "a folder, not a project file";
    if (!fs::is_regular_file(status)) return "not a regular file";
    return std::nullopt;
}

}  // namespace ImportTool
