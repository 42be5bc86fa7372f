// The Standard MIDI File export, read back by the independent reader of export_support.
#include <gtest/gtest.h>

#include <fstream>

#include "interchange/export.h"
#include "interchange/smf.h"
#include "tests/interchange/export_support.h"
#include "tests/support/import_harness.h"

using namespace TessaroTest;
namespace fs = std::filesystem;

namespace {

struct Exported {
    std::unique_ptr<TempFolder> folder = std::make_unique<TempFolder>();
    ImportResult run;
    Interchange::OutputOutcome outcome;
    MidiFile file;
};

Exported exportFile(const std::function<fs::path(const fs::path&)>& prepare) {
    Exported e;
    const fs::path project = prepare(e.folder->path());
    e.run = ImportHarness().importFile(project);
    const auto outcome = Interchange::exportSong(*e.run.host, project, {{}, e.folder->path() / "out.mid", {}});
    e.outcome = outcome.outputs.at(0);
    if (e.outcome.written) e.file = readMidiFile(readFile(e.folder->path() / "out.mid"));
    return e;
}

const Exported& demo() {
    static const Exported e = exportFile(copyDemo);
    return e;
}

const Exported& rich() {
    static const Exported e = exportFile([](const fs::path& folder) {
        writeRichAudio(folder);
        const auto bytes = richProject().bytes();
        const fs::path file = folder / "Rich.tsp";
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return file;
    });
    return e;
}

// The text of a meta event (the reader keeps FF, its type and its data).
std::string text(const MidiMessage& m) { return std::string(m.bytes.begin() + 2, m.bytes.end()); }


}  // namespace

TEST(MidiFileExport, TheDemoIsAFormatOneFileWithATempoTrackAndOneTrackPerAudibleInstrument) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    const Exported& e = demo();
    ASSERT_TRUE(e.outcome.written) << e.outcome.error;
    EXPECT_EQ(e.file.format, 1);
    EXPECT_EQ(e.file.division, 960);
    ASSERT_EQ(e.file.tracks.size(), 3u);  // the muted "Synth" stays out
    const auto& conductor = e.file.tracks[0];
    ASSERT_EQ(conductor.size(), 4u);
    EXPECT_EQ(text(conductor[0]), "Demo");
    EXPECT_EQ(conductor[1].bytes, (std::vector<std::uint8_t>{0xFF, 0x58, 4, 2, 24, 8}));
    EXPECT_EQ(conductor[2].bytes, (std::vector<std::uint8_t>{0xFF, 0x51, 0x07, 0xA1, 0x20}));
    EXPECT_EQ(conductor[3].tick, 48 * 960);  // the end of the song as the host holds it
    EXPECT_EQ(text(e.file.tracks[1][0]), "Piano");
    EXPECT_EQ(text(e.file.tracks[1][1]), "Miravox Lite");
    EXPECT_EQ(text(e.file.tracks[2][0]), "Drums");

    // The piano's General MIDI program first, then what the part holds at its ticks.
    const auto piano = midiMessages(e.file.tracks[1], false);
    ASSERT_EQ(piano.size(), 1u + 24 + 5);
    EXPECT_EQ(piano[0], "0: C0 00");
    EXPECT_EQ(std::vector<std::string>(piano.begin() + 1, piano.begin() + 6),
              (std::vector<std::string>{"0: B0 40 7F", "0: B0 07 64", "0: 90 3C 60", "0: 90 40 60", "0: 90 43 60"}));
    EXPECT_EQ(piano.back(), "15360: 80 40 00");
    EXPECT_NE(std::find(piano.begin(), piano.end(), "8640: E0 00 60"), piano.end());
    EXPECT_NE(std::find(piano.begin(), piano.end(), "14880: B0 40 00"), piano.end());
}

TEST(MidiFileExport, EveryNoteOfTheHostComesBackAtItsTicks) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    const Exported& e = demo();
    // Pair note-ons and note-offs per track and key, first in first out.
    std::vector<std::tuple<std::string, std::int64_t, std::int64_t, int, int>> found;
    for (std::size_t t = 1; t < e.file.tracks.size(); ++t) {
        std::map<int, std::vector<std::pair<std::int64_t, int>>> open;
        for (const auto& m : e.file.tracks[t]) {
            const int kind = m.bytes[0] & 0xF0;
            if (kind == 0x90 && m.bytes[2] > 0) open[m.bytes[1]].push_back({m.tick, m.bytes[2]});
            if (kind == 0x80 || (kind == 0x90 && m.bytes[2] == 0)) {
                auto& list = open[m.bytes[1]];
                ASSERT_FALSE(list.empty());
                found.emplace_back(text(e.file.tracks[t][0]), list.front().first, m.tick, m.bytes[1], list.front().second);
                list.erase(list.begin());
            }
        }
        for (const auto& [key, list] : open) EXPECT_TRUE(list.empty()) << "key " << key << " left on";
    }
    std::vector<std::tuple<std::string, std::int64_t, std::int64_t, int, int>> expected;
    for (const auto& h : hostEvents(e.run.report)) {
        if (h.kind != "note" || h.track == "Synth") continue;
        // 120 bpm: a host position is 8 quarter notes, 7680 ticks.
        const double on = (h.partStart + h.start) * 7680, off = (h.partStart + h.start + h.length) * 7680;
        expected.emplace_back(h.track, std::llround(on), std::llround(off), static_cast<int>(h.data[0]),
                              static_cast<int>(h.data[1]));
        EXPECT_NEAR(on, static_cast<double>(std::llround(on)), 1e-3);
    }
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found.size(), 36u);
    EXPECT_EQ(found, expected);
}

TEST(MidiFileExport, TheResolutionIsTheProjectsOwnWhere960CannotHoldItsTicks) {
    struct Case {
        std::optional<std::int32_t> ticksPerWholeNote;
        std::int32_t division;
    };
    const Case cases[] = {{480, 960}, {768, 960}, {16, 960}, {1000, 250}, {100, 25}, {17, 17}, {std::nullopt, 960}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ticksPerWholeNote.value_or(0));
        Interchange::Song song;
        song.ticksPerWholeNote = c.ticksPerWholeNote;
        EXPECT_EQ(Interchange::midiDivision(song), c.division);
    }
}

TEST(MidiFileExport, MutedPartsAndWhatMidiCannotCarryStayOutAndAreListed) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the rich project plays wave files: the host needs audio";
    const Exported& e = rich();
    ASSERT_TRUE(e.outcome.written) << e.outcome.error;
    EXPECT_EQ(e.file.division, 250);
    ASSERT_EQ(e.file.tracks.size(), 4u);  // tempo, "Lead…", "Pad", "Pad"
    EXPECT_EQ(e.file.tracks[0][1].bytes, (std::vector<std::uint8_t>{0xFF, 0x58, 3, 2, 24, 8}));
    // 90 bpm: 666667 microseconds per quarter note.
    EXPECT_EQ(e.file.tracks[0][2].bytes, (std::vector<std::uint8_t>{0xFF, 0x51, 0x0A, 0x2C, 0x2B}));
    // Ticks of the file (1000 a whole note) are ticks of ours (250 a quarter note). The
    // note without length starts and ends at 250; velocity 0 and key 200 are gone; the
    // program change of 200 and controller 130 are gone, controller 11's 300 is 127.
    EXPECT_EQ(midiMessages(e.file.tracks[1], false),
              (std::vector<std::string>{"0: E0 00 40", "0: 90 3C 64", "100: D0 40", "200: C0 05",
                                        "250: 80 3C 00", "250: 90 3E 5A", "250: 80 3E 00", "400: B0 07 64",
                                        "500: B0 0B 7F", "1000: 90 43 7F", "1500: 80 43 00"}));
    std::vector<std::string> listed;
    for (const auto& l : e.outcome.leftOut)
        listed.push_back(l.what + " | " + l.track + " | " + l.clip + " | " + l.value + " | " + std::to_string(l.count));
    const std::string lead = "Lead\xEF\xBF\xBD\xEF\xBF\xBDx";
    EXPECT_EQ(listed, (std::vector<std::string>{
                          "cycle |  |  | off, 0 to 12 quarter notes | 1",
                          "notes with a key outside 0 to 127 | " + lead + " | Riff |  | 1",
                          "notes of velocity 0 (a note-off in MIDI) | " + lead + " | Riff |  | 1",
                          "program changes above 127 | " + lead + " | Riff |  | 1",
                          "controller-like values above 127, written as 127 | " + lead + " | Riff |  | 1",
                          "controller events with a number above 127 | " + lead + " | Riff |  | 1",
                          "muted part | " + lead + " | Muted |  | 1",
                          "audio track | Loops |  | 4 clips | 1",
                      }));
}
