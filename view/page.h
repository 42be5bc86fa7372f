// The view: a project's import as one self-contained HTML page (inline style, inline SVG,
// a small inline script; nothing loaded from anywhere), drawn from the plain song the
// exports read (interchange/song.h) and from what the module told of the import. After a
// successful import the page is an arrangement window (ruler, a lane per track with its
// parts and audio events, automation, the mixer, what was not carried); after a failed
// one it names the reason and shows the file's bytes around the failing field. A run of
// several projects gets an index page besides.
//
// The page's template, style and script are files of view/assets, built into the program.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "interchange/song.h"
#include "refhost/diagnostics.h"

namespace View {

// Another file of the same project: its label ("JSON report") and where it is, relative to
// the page or absolute.
struct Link {
    std::string label;
    std::filesystem::path path;
};

struct PageRequest {
    std::filesystem::path projectFile;  // the project file as given
    // The song after a successful import; null when the import failed or did not run.
    const Interchange::Song* song = nullptr;
    // What the module told of the import (the failure, the notes); null when it told nothing.
    const RefHost::Diagnostics* diagnostics = nullptr;
    // Why the project was not imported when the module gave no failure of its own (no such
    // file, a module that could not run it); empty otherwise.
    std::string reason;
    // A rendered mix of the song, relative to the page: played in the page with a playhead
    // over the arrangement; empty for none.
    std::filesystem::path mix;
    std::vector<Link> outputs;  // the run's other outputs of this project
    std::string generator;      // the program that wrote the page ("tessaro-import 2.1.0")
};

// How much a page draws one by one: beyond notesDrawnExactly notes in a song, a part of
// more than fewNotes notes is drawn aggregated (rolls.h), at the resolution of a window
// overviewWidth pixels wide that shows the whole song, twice over.
struct Drawing {
    std::size_t notesDrawnExactly = 50000;
    std::size_t fewNotes = 32;
    double overviewWidth = 1000;
};

// The page of one project.
std::string pageHtml(const PageRequest& request, const Drawing& drawing = {});

// What the index tells of a song.
struct Figures {
    std::size_t tracks = 0;  // the tracks of the project tree (not the outputs)
    std::size_t parts = 0;
    std::size_t notes = 0;
    std::size_t audioEvents = 0;
    double length = 0;   // quarter notes: the song's length, or where its last event ends
    double seconds = 0;  // the same at the song's tempo
};
Figures figuresOf(const Interchange::Song& song);

// A row of the index: one project of the run.
struct IndexRow {
    std::string project;  // as given
    bool imported = false;
    std::string reason;   // why it failed
    std::optional<Figures> figures;          // after a successful import
    std::optional<std::size_t> notCarried;   // the module's notes, when it told them
    std::filesystem::path page;              // its page, relative to the index; empty: none
    std::vector<Link> outputs;               // its other outputs, relative to the index
};

// The index of a run: a table of every project, in the order given.
std::string indexHtml(const std::vector<IndexRow>& rows, const std::string& generator);

// Writes html to target through a temporary file beside it, renamed into place; throws
// Interchange::ExportError (naming the file) when it cannot.
void writePage(const std::filesystem::path& target, const std::string& html);

}  // namespace View
