#include "tools/import/page_output.h"

#include <system_error>

#if TESSARO_WITH_VIEW
#include "interchange/output_file.h"
#include "view/html.h"
#include "view/page.h"
#endif

namespace ImportTool {

namespace fs = std::filesystem;

#if TESSARO_WITH_VIEW

namespace {

std::string generator() { return std::string("tessaro-import ") + TESSARO_VERSION; }

std::vector<View::Link> linksFrom(const fs::path& folder, const std::vector<fs::path>& outputs) {
    std::vector<View::Link> links;
    for (const fs::path& output : outputs)
        links.push_back({output.filename().string(), View::relativeTo(output, folder)});
    return links;
}

}  // namespace

std::optional<std::string> writeProjectPage(const PageTarget& target, ImportedProject* imported,
                                            const fs::path& file, const std::string& reason,
                                            PageSummary& summary) {
    if (target.page.empty()) return std::nullopt;
    std::error_code ec;
    if (fs::equivalent(target.page, file, ec))
        return "cannot write " + target.page.string() + ": it is the project file";
    const fs::path folder = target.page.parent_path();
    View::PageRequest request;
    request.projectFile = file;
    request.reason = reason;
    request.outputs = linksFrom(folder, target.outputs);
    request.generator = generator();
    if (!target.mix.empty()) request.mix = View::relativeTo(target.mix, folder);
    if (imported) {
        if (request.reason.empty()) request.reason = imported->outcome.error;
        const auto& told = imported->host->records().diagnostics;
        if (told) {
            request.diagnostics = &*told;
            summary.notCarried = told->notes.size();
        }
        if (imported->outcome.error.empty() && imported->outcome.result == 0) {
            request.song = songOf(*imported, file);
            if (!request.song) request.reason = "the song could not be read: " + imported->songError;
        }
    }
    summary.songShown = request.song != nullptr;
    if (request.song) {
        const View::Figures figures = View::figuresOf(*request.song);
        summary.tracks = figures.tracks;
        summary.notes = figures.notes;
        summary.audioEvents = figures.audioEvents;
        summary.seconds = figures.seconds;
    }
    try {
        View::writePage(target.page, View::pageHtml(request));
    } catch (const Interchange::ExportError& e) {
        return e.what();
    }
    summary.page = target.page;
    return std::nullopt;
}

std::optional<std::string> writeRunIndex(const fs::path& folder, const std::vector<IndexEntry>& entries) {
    std::vector<View::IndexRow> rows;
    for (const IndexEntry& e : entries) {
        View::IndexRow row;
        row.project = e.file;
        row.imported = e.imported;
        row.reason = e.reason;
        if (e.summary.songShown) {
            View::Figures f;
            f.tracks = e.summary.tracks;
            f.notes = e.summary.notes;
            f.audioEvents = e.summary.audioEvents;
            f.seconds = e.summary.seconds;
            row.figures = f;
        }
        row.notCarried = e.summary.notCarried;
        if (!e.summary.page.empty()) row.page = View::relativeTo(e.summary.page, folder);
        std::vector<fs::path> others;
        for (const fs::path& output : e.outputs)
            if (output != e.summary.page) others.push_back(output);
        row.outputs = linksFrom(folder, others);
        rows.push_back(std::move(row));
    }
    try {
        View::writePage(folder / (std::string(kIndexName) + ".html"), View::indexHtml(rows, generator()));
    } catch (const Interchange::ExportError& e) {
        return e.what();
    }
    return std::nullopt;
}

#else

std::optional<std::string> writeProjectPage(const PageTarget&, ImportedProject*, const fs::path&,
                                            const std::string&, PageSummary&) {
    return std::nullopt;
}

std::optional<std::string> writeRunIndex(const fs::path&, const std::vector<IndexEntry>&) {
    return std::nullopt;
}

#endif

}  // namespace ImportTool
