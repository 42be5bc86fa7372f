#include "tools/import/batch.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <iostream>
#include <mutex>
#include <optional>
#include <thread>

#include "refhost/file_io.h"
#include "tools/import/options.h"
#include "tools/import/summary.h"

namespace ImportTool {

namespace fs = std::filesystem;

namespace {

// One project imported, rendered, exported and reported, on the calling thread; kept keeps
// the import for the project's page.
ProjectResult importAndWrite(const BatchSettings& settings, const OutputNames& names,
                             std::size_t index, const fs::path& file,
                             const RefHost::AudioWriteWatcher& watcher, const RenderWatcher& rendering,
                             std::optional<ImportedProject>& kept) {
    ProjectResult result;
    if (const auto problem = inputProblem(file)) {
        result.reason = *problem;
        return result;
    }
    ImportedProject& imported = kept.emplace(importProject(settings.setup, file, watcher));
    if (!imported.outcome.error.empty()) {
        result.reason = imported.outcome.error;
        return result;
    }
    if (imported.outcome.result == 0) {
        result.status = ProjectResult::Status::Imported;
    } else if (const auto& told = imported.host->records().diagnostics; told && told->failure) {
        result.reason = told->failure->line();
    }

    const fs::path dawproject = names.pathFor(settings.dawproject, index, ".dawproject");
    RenderResult rendered;
    if (settings.renderSettings) {
        const fs::path stems = settings.stems.kind == OutputOption::Kind::Folder
                                   ? settings.stems.path / RefHost::FileIo::fromUtf8(names.name(index))
                                   : fs::path();
        rendered = renderProject(imported, file,
                                 {names.pathFor(settings.render, index, ".wav"), stems,
                                  settings.withStems ? dawproject : fs::path()},
                                 *settings.renderSettings, rendering);
    }
    ExportResult exported = exportProject(
        imported, file,
        {dawproject, names.pathFor(settings.midi, index, ".mid"), std::move(rendered.extraTracks)});
    result.outputs = std::move(rendered.written);
    result.mix = rendered.mix;
    for (const auto& written : exported.written) result.outputs.push_back(written.path);
    std::vector<std::string> errors = std::move(rendered.errors);
    errors.insert(errors.end(), exported.errors.begin(), exported.errors.end());
    if (!errors.empty()) {
        result.status = ProjectResult::Status::Failed;
        for (const auto& error : errors)
            result.reason += (result.reason.empty() ? "" : "; ") + error;
    }

    if (settings.json.kind == OutputOption::Kind::Folder) {
        const fs::path report = names.pathFor(settings.json, index, ".json");
        if (const auto problem = writeReportFile(report, imported)) {
            result.status = ProjectResult::Status::Failed;
            result.reason += (result.reason.empty() ? "" : "; ") + *problem;
        } else {
            result.outputs.insert(result.outputs.begin(), report);
        }
    }
    return result;
}

// One project from its argument to its result and its page.
ProjectResult runProject(const BatchSettings& settings, const OutputNames& names,
                         const OutputNames& pageNames, std::size_t index, const fs::path& file,
                         const RefHost::AudioWriteWatcher& watcher, const RenderWatcher& rendering) {
    std::optional<ImportedProject> imported;
    ProjectResult result = importAndWrite(settings, names, index, file, watcher, rendering, imported);
    if (settings.html.kind == OutputOption::Kind::Folder) {
        // The page's name comes after the index's: a project called "index" gets another.
        const PageTarget page{pageNames.pathFor(settings.html, index + 1, ".html"), result.outputs, result.mix};
        if (const auto problem = writeProjectPage(page, imported ? &*imported : nullptr, file,
                                                  result.reason, result.page)) {
            result.status = ProjectResult::Status::Failed;
            result.reason += (result.reason.empty() ? "" : "; ") + *problem;
        } else {
            result.outputs.push_back(page.page);
        }
    }
    return result;
}

// The inputs with the index first, so that the pages' names leave the index's free.
std::vector<fs::path> withIndex(std::vector<fs::path> inputs) {
    inputs.insert(inputs.begin(), fs::path(std::string(kIndexName) + ".tsp"));
    return inputs;
}

}  // namespace

std::string resultLine(const std::string& file, const ProjectResult& result) {
    std::string line =
        file + (result.status == ProjectResult::Status::Imported ? ": imported" : ": failed");
    if (!result.reason.empty()) line += ": " + result.reason;
    for (std::size_t i = 0; i < result.outputs.size(); ++i)
        line += (i == 0 ? " -> " : ", ") + RefHost::FileIo::utf8(result.outputs[i]);
    return line;
}

int runBatch(const std::vector<std::string>& files, const BatchSettings& settings) {
    std::vector<fs::path> inputs;
    for (const auto& f : files) inputs.push_back(RefHost::FileIo::fromUtf8(f));
    const OutputNames names(inputs);
    const OutputNames pageNames(withIndex(inputs));
    const std::size_t workers = std::clamp<std::size_t>(settings.jobs, 1, files.size());
    // The cores imports do not take render each project's tracks side by side.
    BatchSettings run = settings;
    if (run.renderSettings)
        run.renderSettings->threads =
            static_cast<unsigned>(std::max<std::size_t>(1, settings.jobs / workers));
    Progress progress(files, workers, settings.quiet ? Progress::Display::Off : settings.display,
                      Progress::delayBeforeShowing());

    std::mutex mutex;
    std::condition_variable ready;
    std::vector<std::optional<ProjectResult>> results(files.size());
    std::atomic<std::size_t> next{0};

    const auto work = [&](std::size_t slot) {
        const RefHost::AudioWriteWatcher watcher =
            [&progress, slot](const RefHost::AudioWriteProgress& block) {
                progress.wrote(slot, block);
            };
        const RenderWatcher rendering = [&progress, slot](double seconds, double song) {
            progress.rendered(slot, seconds, song);
        };
        for (std::size_t i; (i = next++) < files.size();) {
            progress.started(slot, i);
            ProjectResult result;
            try {
                result = runProject(run, names, pageNames, i, inputs[i], watcher, rendering);
            } catch (const std::exception& e) {
                result = ProjectResult{};
                result.reason = e.what();
            } catch (...) {
                result = ProjectResult{};
                result.reason = "an unexpected error";
            }
            progress.finished(slot);
            {
                std::lock_guard lock(mutex);
                results[i] = std::move(result);
            }
            ready.notify_one();
        }
    };
    std::vector<std::thread> threads;
    for (std::size_t slot = 0; slot < workers; ++slot) threads.emplace_back(work, slot);

    std::size_t imported = 0;
    std::vector<IndexEntry> index;
    for (std::size_t i = 0; i < files.size(); ++i) {
        ProjectResult result;
        {
            std::unique_lock lock(mutex);
            ready.wait(lock, [&] { return results[i].has_value(); });
            result = *results[i];
        }
        const bool ok = result.status == ProjectResult::Status::Imported;
        imported += ok;
        if (!settings.quiet || !ok) progress.print(resultLine(files[i], result) + "\n");
        index.push_back({files[i], ok, result.reason, result.outputs, result.page});
    }
    for (auto& t : threads) t.join();
    progress.stop();
    bool indexWritten = true;
    if (settings.html.kind == OutputOption::Kind::Folder) {
        if (const auto problem = writeRunIndex(settings.html.path, index)) {
            std::cerr << "tessaro-import: " << *problem << "\n";
            indexWritten = false;
        }
    }
    if (!settings.quiet)
        progress.print(std::to_string(files.size()) + " projects: " + std::to_string(imported) +
                       " imported, " + std::to_string(files.size() - imported) + " failed\n");
    return imported == files.size() && indexWritten ? kImported : kFailed;
}

}  // namespace ImportTool
