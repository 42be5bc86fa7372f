// The render a run asks for of each project (--render, --stems, --with-stems): the song of
// a successful import as a mix and stems (render/), the report's "render" section, and the
// stems the DAWproject file holds. Where the command is built without the render library
// (the Windows build) none can be asked for: main says so before any import.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "interchange/dawproject.h"
#include "tools/import/project_import.h"

namespace ImportTool {

// Whether this build renders.
bool renderBuilt();

// The soundfont of a run: found (--soundfont, $TESSARO_SOUNDFONT, the Debian packages'
// files) and loaded before the first import, and held until the run ends, so that every
// project's synthesizers share its samples.
class RunSoundfont {
public:
    // named: --soundfont as given (empty: none). Throws std::runtime_error with the message
    // that names what was tried and how to install one.
    explicit RunSoundfont(const std::string& named);
    ~RunSoundfont();
    RunSoundfont(const RunSoundfont&) = delete;
    RunSoundfont& operator=(const RunSoundfont&) = delete;
    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
    std::shared_ptr<void> held_;
};

struct RenderSettings {
    std::filesystem::path soundfont;  // the run's, checked
    bool floatSamples = false;        // 32-bit float, else 24-bit PCM
    unsigned threads = 1;             // for one project's tracks
};

// What a run renders of one project.
struct RenderTargets {
    std::filesystem::path mix;    // the mix's file; empty: none
    std::filesystem::path stems;  // the stems' folder; empty: none
    // The DAWproject file that holds the instrument tracks' stems; empty: none.
    std::filesystem::path dawprojectWithStems;

    bool any() const { return !mix.empty() || !stems.empty() || !dawprojectWithStems.empty(); }
};

// A hidden folder that holds stems only the DAWproject file needs; removed with its files
// when the last owner goes.
class ScratchFolder {
public:
    ScratchFolder() = default;
    explicit ScratchFolder(std::filesystem::path path);
    ~ScratchFolder();
    ScratchFolder(ScratchFolder&& other) noexcept;
    ScratchFolder& operator=(ScratchFolder&& other) noexcept;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

struct RenderResult {
    std::vector<std::filesystem::path> written;        // the mix, then the stems' folder
    std::filesystem::path mix;                         // the mix, when written
    std::vector<std::string> errors;                   // why a render could not be written
    std::vector<Interchange::ExtraTrack> extraTracks;  // the stems for the DAWproject
    ScratchFolder scratch;
};

// Told the seconds rendered and the song's seconds as the render goes.
using RenderWatcher = std::function<void(double rendered, double song)>;

// After a successful import, renders what targets asks and adds the report's "render"
// section; after a failed import nothing is rendered.
RenderResult renderProject(ImportedProject& imported, const std::filesystem::path& file,
                           const RenderTargets& targets, const RenderSettings& settings,
                           const RenderWatcher& watcher = {});

}  // namespace ImportTool
