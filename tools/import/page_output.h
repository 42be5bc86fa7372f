// --html: the page of each project (view/page.h) and, for a run of several, the index of
// them all. Pages link the project's other outputs, relative to where the page is.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/import/project_import.h"

namespace ImportTool {

// What a run's index tells of one project, kept from its page.
struct PageSummary {
    std::filesystem::path page;  // the page written; empty: none
    bool songShown = false;      // the page shows the song: the figures are its
    std::size_t tracks = 0, notes = 0, audioEvents = 0;
    double seconds = 0;
    std::optional<std::size_t> notCarried;  // the module's notes, when it told them
};

struct PageTarget {
    std::filesystem::path page;                  // where the page goes; empty: no page
    std::vector<std::filesystem::path> outputs;  // the project's other outputs, to link
    // A rendered mix of the song to play in the page; empty: none.
    std::filesystem::path mix;
};

// Writes the page of file to target.page: the arrangement after a successful import
// (imported not null, its result 0), else the failure with the module's reason or, where
// the module gave none, reason. Fills summary. Returns why the page could not be written.
std::optional<std::string> writeProjectPage(const PageTarget& target, ImportedProject* imported,
                                            const std::filesystem::path& file, const std::string& reason,
                                            PageSummary& summary);

// Writes index.html into folder: a row per project of the run, in the order of files.
// Returns why it could not be written.
struct IndexEntry {
    std::string file;
    bool imported = false;
    std::string reason;
    std::vector<std::filesystem::path> outputs;  // every output of the project, page included
    PageSummary summary;
};
std::optional<std::string> writeRunIndex(const std::filesystem::path& folder,
                                         const std::vector<IndexEntry>& entries);

// The name of the index in a folder of pages; a project of the same name gets another.
inline constexpr char kIndexName[] = "index";

}  // namespace ImportTool
