// Many projects in one run: each is imported into a fresh host, several at once on threads
// of their own, and reported in one line in the order of the arguments, then a total:
//
//     Songs/Demo.tsp: imported -> Reports/Demo.json
//     Songs/Bad.tsp: failed: HEAD chunk #0 at byte 16: Cannot read version -> Reports/Bad.json
//     Songs/Gone.tsp: failed: no such file
//     3 projects: 1 imported, 2 failed
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/import/outputs.h"
#include "tools/import/page_output.h"
#include "tools/import/progress.h"
#include "tools/import/project_import.h"
#include "tools/import/render_outputs.h"

namespace ImportTool {

// What became of one project of a run.
struct ProjectResult {
    enum class Status { Imported, Failed };
    Status status = Status::Failed;
    // Why it failed: the tool's own finding (no such file, a folder, a module that could not
    // run the import, an output that could not be written) or, when the module gives one,
    // its reason for the failed import ("TREG chunk #7 at byte 1234: ...").
    std::string reason;
    std::vector<std::filesystem::path> outputs;  // the files written for the project
    PageSummary page;                            // what its page showed, for the index
    std::filesystem::path mix;  // the rendered mix among them, if any
};

// The project's line: "<file>: imported" or "<file>: failed", ": <reason>" when there is
// one, " -> <output>, ..." when outputs were written; no line end.
std::string resultLine(const std::string& file, const ProjectResult& result);

struct BatchSettings {
    ImportSetup setup;
    OutputOption json;        // a folder, or none
    OutputOption dawproject;  // a folder, or none
    OutputOption midi;        // a folder, or none
    OutputOption html;        // a folder (a page per project and index.html), or none
    unsigned jobs = 1;
    bool quiet = false;
    Progress::Display display = Progress::Display::Off;
    OutputOption render;  // a folder, or none
    OutputOption stems;   // a folder (each project's stems in a folder of its name), or none
    bool withStems = false;
    std::optional<RenderSettings> renderSettings;  // none: nothing is rendered
};

// Imports every file and prints its line as soon as those before it are printed, then the
// total (with quiet: the lines of failed projects only); with html, writes the index of
// the pages last. Returns kImported when every project imported, else kFailed (also when
// the index cannot be written).
int runBatch(const std::vector<std::string>& files, const BatchSettings& settings);

}  // namespace ImportTool
