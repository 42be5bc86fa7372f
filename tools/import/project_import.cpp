#include "tools/import/project_import.h"

#include <system_error>

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
    imported.report = RefHost::makeReport(*imported.host, imported.outcome.result);
    return imported;
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
