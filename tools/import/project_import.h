// One project imported the way a host runs an import: a fresh reference host with the
// run's profile, the module's filter, the file; on the calling thread from start to end.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "interchange/dawproject.h"
#include "interchange/song.h"
#include "refhost/module_loader.h"
#include "refhost/profile.h"
#include "refhost/reference_host.h"
#include "refhost/report.h"

namespace ImportTool {

// What every import of a run shares. The module and the profile are read once per run;
// each import gets a host of its own with a copy of the profile.
struct ImportSetup {
    RefHost::LoadedModule& module;
    const RefHost::Profile& profile;
    std::filesystem::path projectFolder;  // the folder the host names; empty: the file's
};

struct ImportedProject {
    std::unique_ptr<RefHost::ReferenceHost> host;  // as the import left it
    RefHost::ImportOutcome outcome;
    RefHost::Report report;
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

struct ExportResult {
    std::vector<std::filesystem::path> written;  // the files written, in the order asked
    std::vector<std::string> errors;             // why the others could not be written
};

// After a successful import, writes the exports targets names (each through a temporary
// file renamed into place) and adds the report's "export" section; after a failed import
// nothing is written. Without the interchange library nothing can be asked for.
ExportResult exportProject(ImportedProject& imported, const std::filesystem::path& file,
                           const ExportTargets& targets);

// Why an argument is no project file to import, found before any import: it does not
// exist, it is a folder, it is not a regular file (a named pipe would make a read wait
// for ever). None for a regular file, whose import tells the rest.
std::optional<std::string> inputProblem(const std::filesystem::path& file);

}  // namespace ImportTool
