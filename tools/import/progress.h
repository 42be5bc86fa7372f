// The progress line tessaro-import keeps on standard error while a run takes more than a
// moment, when standard error is a terminal:
//
//     2 of 64 projects, Song 3.tsp: 132096 of 264600 frames, Song 4.tsp: 12 of 191 s rendered
//
// the projects done of all, then each project being imported and, while its import
// converts a wave file, the frames written of the frames the writer was configured with,
// or, while its song is rendered, the seconds rendered of the song's seconds.
// The line is rewritten in place and cleared when the run ends; lines printed through
// print() appear above it. Nothing else is written, so standard output is the same with
// it or without it. Imports report from their own threads.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "refhost/audio.h"

namespace ImportTool {

class Progress {
public:
    enum class Display { Off, Terminal };

    // How long a run goes before the line appears: half a second, or the seconds of
    // $TESSARO_PROGRESS_AFTER.
    static std::chrono::milliseconds delayBeforeShowing();
    // Terminal when standard error is a terminal.
    static Display displayForStandardError();

    // names: how each project of the run is shown (its file as given); slots: how many
    // imports run at once.
    Progress(std::vector<std::string> names, std::size_t slots, Display display,
             std::chrono::milliseconds delay);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // From an import's thread: the slot begins a project, its writer wrote a block, the
    // slot's project is done.
    void started(std::size_t slot, std::size_t project);
    void wrote(std::size_t slot, const RefHost::AudioWriteProgress& block);
    void rendered(std::size_t slot, double seconds, double songSeconds);
    void finished(std::size_t slot);

    // Writes text (whole lines) to standard output, the progress line out of its way.
    void print(std::string_view text);
    // Clears the line for good; nothing is shown after it.
    void stop();

private:
    enum class Change { Shape, Count };  // what a redraw shows: a new shape, or new numbers

    struct Slot {
        std::optional<std::size_t> project;
        std::filesystem::path file;  // the file its writer writes
        long long written = 0;
        long long frames = 0;
        std::optional<double> rendered;  // seconds, while the song is rendered
        double songSeconds = 0;
    };

    std::string text() const;
    // Draws the line when the run has gone on long enough; numbers alone at most ten
    // times a second. The mutex is held.
    void redraw(Change change);
    void clearLine();
    void tick();

    const std::vector<std::string> names_;
    const bool shown_;
    const std::chrono::steady_clock::time_point showFrom_;
    const std::size_t width_;
    std::vector<Slot> slots_;
    std::size_t done_ = 0;

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopped_ = false;
    std::size_t drawn_ = 0;  // the characters the line holds on the terminal
    std::string last_;
    std::chrono::steady_clock::time_point lastDraw_{};
    std::thread clock_;  // draws the line when nothing else happens
};

}  // namespace ImportTool
