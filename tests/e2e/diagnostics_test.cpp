// What the module tells a host that asks (IImportDiagnostics), through the loaded module and
// the reference host: the chunk, field and byte of a failed import, and the notes of what
// an import could not carry. Offsets are counted by the format's tables: the magic takes 8
// bytes, the song header of file version 22 (the writer's default) 8 + 70, so the second
// chunk begins at byte 86, its size field at 90 and its body at 94.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/import_harness.h"
#include "tools/writer/writer.h"

using namespace TessaroTest;
using namespace TessaroWriter;

namespace {

const char* kUnknownFormat = "Cannot read Tessaro project file. Reason: unknown format.";

ImportHarness& harness() {
    static ImportHarness h;
    return h;
}

// A project with a song header of trackCount tracks and then the chunks given.
template <class... Chunks>
ProjectFile project(std::uint16_t trackCount, Chunks... chunks) {
    ProjectFile file;
    file.add(HeadChunk{}).trackCount = trackCount;
    (file.add(std::move(chunks)), ...);
    return file;
}

TrackInfoChunk track(std::uint16_t number, std::uint8_t type = kInstrumentTrack) {
    TrackInfoChunk t;
    t.trackNumber = number;
    t.trackType = type;
    return t;
}

EffectChunk effect(EffectParams params, std::int16_t bus) {
    EffectChunk e;
    e.params = std::move(params);
    e.bus = bus;
    return e;
}

const RefHost::Diagnostics& told(const ImportResult& run) {
    static const RefHost::Diagnostics none;
    return run.host->records().diagnostics ? *run.host->records().diagnostics : none;
}

struct Noted {
    Host::int32 kind;
    Host::int32 track;
    std::string text;
    friend bool operator==(const Noted&, const Noted&) = default;
};

std::vector<Noted> notesOf(const ImportResult& run) {
    std::vector<Noted> notes;
    for (const auto& n : told(run).notes) notes.push_back({n.kind, n.track, n.text});
    return notes;
}

void PrintTo(const Noted& n, std::ostream* out) {
    *out << "{" << n.kind << ", " << n.track << ", \"" << n.text << "\"}";
}

}  // namespace

// One damaged file per chunk reader: the failure names the chunk being read, its place among
// the file's chunks, the reader's text and the first byte of the field that failed.
TEST(Diagnostics, EveryReaderNamesItsChunkFieldAndByte) {
    struct Case {
        const char* name;
        ProjectFile file;
        const char* chunk;
        Host::int32 index;
        const char* text;
        Host::int64 offset;
    };
    HeadChunk fastHead;
    fastHead.tempo = 2000;
    OutputBusChunk loudBus;
    loudBus.gain = 200;
    KeyboardChunk keyboard;
    keyboard.transposition = 60;
    TrackInfoChunk loudTrack = track(1);
    loudTrack.volume = 150;
    RegionChunk shortAudio;
    AudioData audio;
    audio.sizeOverride = 26;
    shortAudio.regions.push_back(Region{.content = audio});
    PadChunk pads;
    pads.drumPadKeys = {36, 38};
    pads.drumPadCountOverride = 5;
    PresetChunk preset;
    preset.dataLengthOverride = 2000000;
    AutomationChunk curve;
    curve.enabled = 2;
    BrickwallParams brickwall;
    brickwall.threshold = 0.5f;

    ProjectFile headOnly;
    headOnly.add(fastHead);
    const Case cases[] = {
        // The song header: the tempo behind version, length in seconds, ticks and length.
        {"HEAD", headOnly, "HEAD", 0, "Cannot read song tempo", 28},
        // Channel, mute, then the gain.
        {"OUTB", project(0, loudBus), "OUTB", 1, "cannot read output bus gain", 96},
        // Row count, four keys, label mode, velocity mode, then the transposition.
        {"KEYB", project(0, keyboard), "KEYB", 1, "cannot read keyboard transposition", 101},
        // Number, type, the name "Track" (2 + 10 bytes), instrument, colour, four flags.
        {"TINF", project(1, loudTrack), "TINF", 1, "cannot read volume of track", 121},
        // The audio track's chunk is 8 + 75 bytes: the regions begin at 169 + 16, the
        // sub-chunk behind the region header of 23 bytes and the name "Region" (12 bytes).
        {"TREG", project(1, track(1, kAudioTrack), shortAudio), "TREG", 2,
         "TREG audio sub chunk size too short", 220},
        // Track number, no chord buttons, the drum pad count; 3 of the 5 keys are there.
        {"TPAD", project(0, pads), "TPAD", 1, "cannot read drum pad keys of track", 101},
        // Header size, track, plug-in id, the name "Preset" (2 + 12 bytes), data length.
        {"QPLP", project(0, preset), "QPLP", 1, "Cannot read preset data length in QPLP chunk.",
         114},
        // Type and target id, then the enabled flag.
        {"AUTO", project(0, curve), "AUTO", 1, "cannot read automation enabled flag", 100},
        // Parameters 17 bytes behind the size field (version 9 and later).
        {"EFFX", project(0, effect(brickwall, kMasterBus)), "EFFX", 1,
         "cannot read brickwall threshold", 111},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto run = harness().importBytes(c.file.bytes());
        ASSERT_EQ(run.result, 1) << run.error;
        EXPECT_EQ(run.messages, std::vector<std::string>{kUnknownFormat});
        EXPECT_TRUE(run.clean()) << run.findingsText();
        ASSERT_TRUE(told(run).failure);
        const auto& failure = *told(run).failure;
        EXPECT_EQ(failure.chunkId, c.chunk);
        EXPECT_EQ(failure.chunkIndex, c.index);
        EXPECT_EQ(failure.text, c.text);
        EXPECT_EQ(failure.byteOffset, c.offset);
        EXPECT_EQ(run.report["diagnostics"]["failure"],
                  RefHost::Report({{"text", c.text},
                                   {"chunk", c.chunk},
                                   {"chunkIndex", c.index},
                                   {"byteOffset", c.offset}}));
    }
}

TEST(Diagnostics, FailuresOutsideEveryChunkHaveNoChunk) {
    ProjectFile noHead;
    noHead.add(KeyboardChunk{});
    ProjectFile tooFewTracks = project(2, track(1));
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* text;
        Host::int64 offset;
    };
    const Case cases[] = {
        {"empty", {}, "Could not read magic number.", 0},
        {"no song header", noHead.bytes(), "HEAD chunk not found.", 8},
        // The count is checked once the file's 169 bytes are read.
        {"too few tracks", tooFewTracks.bytes(), "too few tracks", 169},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto run = harness().importBytes(c.bytes);
        ASSERT_EQ(run.result, 1) << run.error;
        EXPECT_TRUE(run.clean()) << run.findingsText();
        ASSERT_TRUE(told(run).failure);
        EXPECT_EQ(told(run).failure->line(),
                  "at byte " + std::to_string(c.offset) + ": " + c.text);
        EXPECT_EQ(told(run).failure->chunkIndex, -1);
        EXPECT_EQ(run.report["diagnostics"]["failure"]["chunk"], nullptr);
    }
}

// A song header cut three bytes into the eight the reader skips before the sample rate: the
// skip passes the file's end, and the read behind it fails. The failure lies at the file's
// end, where its bytes ran out, not behind it where the reader stood.
TEST(Diagnostics, AReadBehindASkipPastTheEndFailsAtTheFilesEnd) {
    struct Case {
        std::uint16_t version;
        std::size_t behindSelectedTrack;  // the skip, sample rate and size, later skips
    };
    for (const Case& c : {Case{7, 8 + 4 + 1}, Case{11, 8 + 4 + 1 + 8}, Case{22, 8 + 4 + 1 + 8 + 6}}) {
        SCOPED_TRACE(c.version);
        ProjectFile file;
        file.add(HeadChunk{}).version = c.version;
        std::vector<std::uint8_t> bytes = file.bytes();
        bytes.resize(bytes.size() - c.behindSelectedTrack + 3);
        const auto run = harness().importBytes(bytes);
        ASSERT_EQ(run.result, 1) << run.error;
        EXPECT_TRUE(run.clean()) << run.findingsText();
        ASSERT_TRUE(told(run).failure);
        EXPECT_EQ(told(run).failure->line(), "HEAD chunk #0 at byte " + std::to_string(bytes.size()) +
                                                 ": Cannot read sample rate");
    }
}

// One import per kind of note, each of which imports; the notes are all the import made.
TEST(Diagnostics, EachKindOfNoteTellsWhatWasNotCarried) {
    struct Case {
        const char* name;
        ProjectFile file;
        const char* host;
        std::vector<Noted> notes;
        std::function<void(RefHost::Profile&)> adjust = {};
    };
    PadChunk pads;
    pads.drumPadKeys = {36};
    TrackInfoChunk drums = track(1);
    drums.instrumentId = 160;  // a drum kit
    TrackInfoChunk synth = track(1);
    synth.instrumentId = 99001;
    PresetChunk state;
    state.name = u"Bright Saw";
    state.data = std::vector<std::uint8_t>(64, 7);
    TrackInfoChunk unknownInstrument = track(1);
    unknownInstrument.instrumentId = 7777;
    TrackInfoChunk silent = track(1);
    silent.volume = std::numeric_limits<float>::quiet_NaN();
    TrackInfoChunk frozen = track(1);
    frozen.freeze = 1;
    TrackInfoChunk sending = track(1);
    sending.sends = {Send{}};
    AutomationChunk unknownCurve;
    unknownCurve.type = 4;
    unknownCurve.points = {AutomationPoint{}};
    AutomationChunk noTrack;
    noTrack.targetId = 200;
    noTrack.points = {AutomationPoint{}};
    RegionChunk transposed;
    MidiData midi;
    midi.transposition = 5;
    transposed.regions.push_back(Region{.content = midi});
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    TrackInfoChunk sendingNaN = track(1);
    sendingNaN.sends = {Send{.level = kNaN}};
    EffectChunk twoNaN = effect(LimiterParams{kNaN, kNaN, 0.2f, 0.4f}, 1);
    EffectChunk oneNaN = effect(ReverbParams{kNaN, 0.15f, 0.4f, 0.5f, 0.6f}, 1);
    oneNaN.busOrder = 1;
    EffectChunk channelTonalix = effect(TonalixParams{}, 1);
    channelTonalix.busOrder = 0;
    // An audio channel with neither an EQ of its own nor an EQ module among its strip's.
    const auto withoutEq = [](RefHost::Profile& p) {
        auto& children = p.layouts.at("AudioChannel").children;
        std::erase_if(children, [](const RefHost::NodeTemplate& n) { return n.name == "EQ"; });
        for (auto& node : children)
            std::erase_if(node.children, [](const RefHost::NodeTemplate& slot) {
                return !slot.params.empty() && slot.params.back().list == "stripEqs";
            });
    };

    const Case cases[] = {
        {"pads", project(1, track(1), pads), "",
         {{Host::kNotePadsNotBuilt, 1,
           "pads (chord buttons, drum pads, chord pads): not built; the host has no pads"}}},
        {"brickwall without a channel limiter",
         project(1, track(1), effect(BrickwallParams{}, 1)), "Ombrel 6.5.5",
         {{Host::kNoteEffectNotAllowed, 1,
           "brickwall limiter: not built; this host edition has no channel limiter"}}},
        {"effect of a track the file lacks", project(1, track(1), effect(ReverbParams{}, 3)),
         "", {{Host::kNoteEffectNotBuilt, 3, "reverb: not built; the file has no track of this number"}}},
        {"second master brickwall",
         project(0, effect(BrickwallParams{}, kMasterBus), effect(BrickwallParams{}, kMasterBus)),
         "", {{Host::kNoteBrickwallBeyondFirst, -1,
               "master: brickwall limiter: not built; the master takes only its first"}}},
        {"Audio Unit", project(0, effect(AudioUnitParams{}, kMasterBus)), "",
         {{Host::kNoteAudioUnitState, -1,
           "master: Audio Unit effect: not built; the host cannot load its stored state"}}},
        {"stand-in drums", project(1, drums), "Ombrel Kip 6.9.9",
         {{Host::kNoteInstrumentStandIn, 1,
           "instrument \"Beatwright Lite\": \"Beatwright Mini\" stands in; this host offers no "
           "\"Beatwright Lite\""}}},
        {"refused state", project(1, synth, state), "",
         {{Host::kNotePresetRefused, 1, "stored synth state \"Bright Saw\": refused by the plug-in"}},
         [](RefHost::Profile& p) {
             p.data["instruments"]["plugins"]["Analora"]["classId"] =
                 "00000000000000000000000000000001";
         }},
        {"effect channel", project(0, effect(ReverbParams{}, -1)), "Ombrel 7.0.0",
         {{Host::kNoteEffectChannelsNotAllowed, -1,
           "effect bus 1: reverb: not built; this host edition has no effect channels"}}},
        {"sends", project(1, sending), "Ombrel 7.0.0",
         {{Host::kNoteEffectChannelsNotAllowed, 1,
           "sends: not built; this host edition has no effect channels"}}},
        {"automation of an unknown kind", project(1, track(1), unknownCurve), "",
         {{Host::kNoteAutomationDropped, 1,
           "automation curve of type 4: not built; the host has no automation of this kind"}}},
        {"automation without its track", project(1, track(1), noTrack), "",
         {{Host::kNoteAutomationDropped, 2,
           "volume automation: not built; the file has no track of this number"}}},
        {"volume not a number", project(1, silent), "",
         {{Host::kNoteValueReplaced, 1,
           "volume: not a number in the file; the fader is set to its bottom"}}},
        {"instrument without a plug-in", project(1, unknownInstrument), "",
         {{Host::kNoteInstrumentMissing, 1,
           "instrument id 7777: not built; the host has no instrument for it"}}},
        {"frozen track", project(1, frozen), "",
         {{Host::kNoteTrackChanged, 1,
           "frozen track: imported muted; its sound lives in the app's freeze file"}}},
        {"transposed MIDI region", project(1, track(1), transposed), "",
         {{Host::kNoteMidiNotCarried, 1,
           "MIDI region transposition: not carried; the host's part has none"}}},
        {"effect values not a number", project(1, track(1), twoNaN, oneNaN), "",
         {{Host::kNoteValueReplaced, 1,
           "limiter: 2 values are not a number in the file; taken as 0"},
          {Host::kNoteValueReplaced, 1,
           "reverb: 1 value is not a number in the file; taken as 0"}}},
        {"send level not a number", project(1, sendingNaN), "",
         {{Host::kNoteValueReplaced, 1,
           "send level: not a number in the file; the send is set to its bottom"}}},
        {"brickwall on an effect bus without a channel limiter",
         project(0, effect(BrickwallParams{}, -1)), "Ombrel Kip 7.0.0",
         {{Host::kNoteEffectNotAllowed, -1,
           "effect bus 1: brickwall limiter: not built; this host edition has no channel "
           "limiter"}}},
        {"Tonalix EQ on a channel without an EQ", project(1, track(1, kAudioTrack), channelTonalix),
         "", {{Host::kNoteEffectNotBuilt, 1, "Tonalix EQ: not built; the channel has no EQ"}},
         withoutEq},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto run =
            harness().importBytes(c.file.bytes(), ImportOptions().onHost(c.host).adjust(c.adjust));
        ASSERT_EQ(run.result, 0) << run.error;
        EXPECT_TRUE(run.clean()) << run.findingsText();
        EXPECT_FALSE(told(run).failure);
        EXPECT_EQ(notesOf(run), c.notes);
        ASSERT_EQ(run.report["diagnostics"]["notes"].size(), c.notes.size());
        EXPECT_EQ(run.report["diagnostics"]["notes"][0],
                  RefHost::Report({{"kind", c.notes[0].kind},
                                   {"track", c.notes[0].track >= 0 ? RefHost::Report(c.notes[0].track)
                                                                    : RefHost::Report(nullptr)},
                                   {"text", c.notes[0].text}}));
    }
}

// A wave file that is in neither place ends the import: the failure names the region's file
// name field and a note the file.
TEST(Diagnostics, AMissingWaveFileIsNotedAndNamedByItsField) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "a host without audio has no reader to ask";
    RegionChunk region;
    AudioData audio;
    audio.fileName = u"gone.wav";
    region.regions.push_back(Region{.content = audio});
    const auto run = harness().importBytes(project(1, track(1, kAudioTrack), region).bytes());
    ASSERT_EQ(run.result, 1) << run.error;
    EXPECT_TRUE(run.clean()) << run.findingsText();
    ASSERT_TRUE(told(run).failure);
    // The name's count follows the sub-chunk size (220) and the in-point.
    EXPECT_EQ(told(run).failure->line(),
              "TREG chunk #2 at byte 228: audioEvent.setMedium - setFilePath fails");
    EXPECT_EQ(notesOf(run),
              (std::vector<Noted>{{Host::kNoteWaveFileMissing, 1,
                                  "wave file \"gone.wav\": not found in the project folder nor "
                                  "readable in its Audio folder"}}));
}

// A host that was never told of a clean import sees no failure and no notes.
TEST(Diagnostics, ACleanImportHasNoFailureAndNoNotes) {
    const auto run = harness().importBytes(project(1, track(1)).bytes());
    ASSERT_EQ(run.result, 0) << run.error;
    EXPECT_TRUE(run.clean()) << run.findingsText();
    EXPECT_EQ(run.report["diagnostics"],
              RefHost::Report({{"failure", nullptr}, {"notes", RefHost::Report::array()}}));
}
