// One project imported the way a host runs an import: a fresh reference host with the
// run's profile, the module's filter, the file; on the calling thread from start to end.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "interchange/dawproject.h"
#include "interchange/song.h"
#include "refhost/module_loader.h"
#include "refhost/profile.h"
#include "refhost/reference_host.h"
#include "refhost/report_writer.h"

namespace ImportTool {

// What every import of a run shares. The module and the profile are read once per run;
// each import gets a host of its own with a copy of the profile.
struct ImportSetup {
    RefHost::LoadedModule& module;
    const RefHost::Profile& profile;
    std::filesystem::path projectFolder;  // the folder the host names; empty: the file's
};

// A section that an output run after the import adds to the project's report, behind the
// host's sections ("export"); written when the report is.
struct ReportSection {
    std::string name;
    std::function<void(RefHost::ReportWriter&)> write;
};

struct ImportedProject {
    std::unique_ptr<RefHost::ReferenceHost> host;  // as the import left it
    RefHost::ImportOutcome outcome;
    // What the outputs run after the import add to the report, in the order they ran.
    std::vector<ReportSection> reportSections;
    // The plain song every output of a successful import draws on (the exports, the render,
    // the view): read from the host by the first output that asks (songOf), kept for the
    // others. songError: why it could not be read.
    std::optional<Interchange::Song> song;
    std::string songError;
};

// Imports file into a fresh host; watcher (may be empty) is told of each block an audio
// file writer writes.
ImportedProject importProject(const ImportSetup& setup, const std::filesystem::path& file,
                              RefHost::AudioWriteWatcher watcher = {});

// The song of a successful import, read from its host at the first call and kept; null
// when it cannot be read (imported.songError says why) or the command is built without
// the interchange library.
const Interchange::Song* songOf(ImportedProject& imported, const std::filesystem::path& file);

// The exports a run asks for of one project: where its DAWproject file and its Standard
// MIDI File go (empty: none).
struct ExportTargets {
    std::filesystem::path dawproject;
    std::filesystem::path midi;
    // Tracks the DAWproject file holds beside the song's: the rendered stems.
    std::vector<Interchange::ExtraTrack> extraTracks;
};

// An export written: what the summary says of it.
struct ExportedFile {
    std::string format;  // "dawproject", "midi"
    std::filesystem::path path;
    std::size_t leftOutKinds = 0;  // the kinds of values it left out
};

struct ExportResult {
    std::vector<ExportedFile> written;  // the files written, in the order asked
    std::vector<std::string> errors;    // why the others could not be written
};

// After a successful import, writes the exports targets names (each through a temporary
// file renamed into place) and adds the report's "export" section; after a failed import
// nothing is written. Without the interchange library nothing can be asked for.
ExportResult exportProject(ImportedProject& imported, const std::filesystem::path& file,
                           const ExportTargets& targets);

// Writes the project's report into out: its object with the host's sections, then the
// sections the outputs added.
void writeReport(RefHost::ReportWriter& out, const ImportedProject& imported);

// For the last project of a process, once everything is printed and written: leaves its
// host to the operating system, which takes a host of thousands of tracks back at once,
// where destroying it object by object costs a sixth of such a run. Built with the
// sanitizers, the host is destroyed as usual, so that they see everything given back.
void leaveToProcessEnd(ImportedProject& imported);

// Why an argument is no project file to import, found before any import: it does not
// exist, it is a folder, it is not a regular file (a named pipe would make a read wait
// for ever). None for a regular file, whose import tells the rest.
std::optional<std::string> inputProblem(const std::filesystem::path& file);

}  // namespace ImportTool
