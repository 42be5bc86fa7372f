// Outputs that cannot be written: a disk that takes no more bytes (a file-size limit), no
// descriptor left, a folder put where the file goes. Each is the output's error, names the
// file, and leaves nothing behind; the other output is written all the same.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <set>

#include "interchange/export.h"
#include "interchange/output_file.h"
#include "interchange/smf.h"
#include "tests/support/folder_names.h"
#include "tests/support/import_harness.h"

using namespace TessaroTest;
using namespace Interchange;
namespace fs = std::filesystem;

namespace {

// Lowers a limit of this process (its soft value) for as long as it lives, with SIGXFSZ
// ignored so that a write past a file-size limit fails instead of ending the process.
class LoweredLimit {
public:
    LoweredLimit(int resource, rlim_t value) : resource_(resource) {
        getrlimit(resource_, &before_);
        rlimit lowered = before_;
        lowered.rlim_cur = value;
        setrlimit(resource_, &lowered);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~LoweredLimit() {
        setrlimit(resource_, &before_);
        std::signal(SIGXFSZ, previous_);
    }
    LoweredLimit(const LoweredLimit&) = delete;
    LoweredLimit& operator=(const LoweredLimit&) = delete;

private:
    int resource_;
    rlimit before_{};
    void (*previous_)(int) = nullptr;
};

// One instrument track of notes: about 8 bytes of MIDI file a note.
Song songOfNotes(int count) {
    Song song;
    song.title = {"Notes", false};
    Track keys;
    keys.kind = Track::Kind::Instrument;
    keys.name = {"Keys", false};
    Clip part;
    part.name = {"Part", false};
    for (int i = 0; i < count; ++i) part.notes.push_back({i * 0.25, 0.25, 60 + i % 12, 100});
    keys.clips.push_back(part);
    song.tracks.push_back(keys);
    return song;
}

}  // namespace

TEST(ExportWriteFailures, AFullDiskFailsTheOutputItCutsAndLeavesNoFile) {
    struct Case {
        const char* label;
        int notes;
        bool dawproject;  // else the MIDI file
        std::string error;  // after "cannot write <target>: "
    };
    // A small MIDI file fails as its stream closes, a large one as it is written; the
    // container fails as libzip closes it.
    const Case cases[] = {{"small MIDI file", 10, false, "File too large"},
                          {"large MIDI file", 5000, false, "File too large"},
                          {"DAWproject file", 5000, true, "Write error: File too large"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TempFolder folder;
        const fs::path target = folder.path() / (c.dawproject ? "out.dawproject" : "out.mid");
        ExportRequest request{{}, {}, {"tessaro-import", "2.1.0"}};
        (c.dawproject ? request.dawproject : request.midi) = target;
        const Song song = songOfNotes(c.notes);
        ExportOutcome outcome;
        {
            const LoweredLimit limit(RLIMIT_FSIZE, 64);
            outcome = exportSong(song, folder.path() / "Notes.tsp", request);
        }
        ASSERT_EQ(outcome.outputs.size(), 1u);
        EXPECT_FALSE(outcome.ok());
        EXPECT_FALSE(outcome.outputs[0].written);
        EXPECT_EQ(outcome.outputs[0].error, "cannot write " + target.string() + ": " + c.error);
        EXPECT_EQ(namesIn(folder.path()), std::set<std::string>{});
    }
}

TEST(ExportWriteFailures, NoDescriptorLeftIsAnErrorNamingTheFolder) {
    TempFolder folder;
    const int lowest = ::dup(0);
    ASSERT_GE(lowest, 0);
    ::close(lowest);
    std::string error;
    // The limit is back before the error is looked at: a sanitizer's checks open files too.
    try {
        const LoweredLimit limit(RLIMIT_NOFILE, static_cast<rlim_t>(lowest));
        OutputFile output(folder.path() / "out.mid");
    } catch (const ExportError& e) {
        error = e.what();
    }
    EXPECT_EQ(error, "cannot write into the folder " + folder.path().string() + ": Too many open files");
    EXPECT_EQ(namesIn(folder.path()), std::set<std::string>{});
}

TEST(ExportWriteFailures, AFolderMadeAtTheTargetWhileWritingFailsTheCommit) {
    TempFolder folder;
    const fs::path target = folder.path() / "out.mid";
    std::string error;
    {
        OutputFile output(target);
        std::fputs("MThd", output.stream());
        fs::create_directories(target / "inside");
        try {
            output.commit();
        } catch (const ExportError& e) {
            error = e.what();
        }
    }
    EXPECT_EQ(error, "cannot write " + target.string() + ": Is a directory");
    EXPECT_EQ(namesIn(folder.path()), std::set<std::string>{"out.mid"});
    EXPECT_TRUE(fs::is_directory(target));
}

TEST(ExportWriteFailures, ASongThatCouldNotBeReadFailsEveryOutputAskedFor) {
    const struct {
        const char* label;
        fs::path dawproject, midi;
        std::vector<std::string> formats;
    } cases[] = {{"both", "a.dawproject", "a.mid", {"dawproject", "midi"}},
                 {"the MIDI file", "", "a.mid", {"midi"}},
                 {"none", "", "", {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const ExportOutcome outcome = songNotRead({c.dawproject, c.midi, {}}, "no memory");
        std::vector<std::string> formats;
        for (const auto& output : outcome.outputs) {
            formats.push_back(output.format);
            EXPECT_FALSE(output.written);
            EXPECT_EQ(output.error, "cannot read the song: no memory");
            EXPECT_EQ(output.path, output.format == "midi" ? c.midi : c.dawproject);
        }
        EXPECT_EQ(formats, c.formats);
        EXPECT_EQ(outcome.ok(), c.formats.empty());
    }
    TempFolder folder;
    const ExportOutcome written =
        exportSong(songOfNotes(1), folder.path() / "Notes.tsp", {{}, folder.path() / "a.mid", {}});
    EXPECT_TRUE(written.ok());
    EXPECT_EQ(written.report()["midi"]["written"], true);
}
