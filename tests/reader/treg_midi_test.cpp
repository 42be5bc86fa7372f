// The region chunk on an instrument track: its frame, MIDI parts with notes and
// controller-like events, and the quantize menu of each part.
#include <gtest/gtest.h>

#include "tests/reader/region_run.h"

using namespace TessaroTest;
using namespace TessaroWriter;

namespace {

using Report = RefHost::Report;

RegionChunk chunkOf(std::vector<Region> regions) {
    RegionChunk chunk;
    chunk.regions = std::move(regions);
    return chunk;
}

ProjectFile midiProject(MidiData data, std::uint16_t version = kLatestVersion,
                        std::uint32_t position = 0) {
    return oneTrack(kInstrumentTrack, chunkOf({midiRegion(position, std::move(data))}), version);
}

// The events of the first part.
const Report& partEvents(const RegionRun& run) { return run.events()[0]["events"]; }

}  // namespace

TEST(RegionChunk, FrameAndRegionHeader) {
    struct Case {
        const char* name;
        ProjectFile file;
        const char* error;
    };
    RegionChunk shortChunk = chunkOf({});
    shortChunk.sizeOverride = 7;
    RegionChunk header22 = chunkOf({midiRegion(0, {})});
    header22.regionHeaderSize = 22;
    RegionChunk otherTrack = chunkOf({midiRegion(0, {})});
    otherTrack.trackNumber = 2;
    ProjectFile noTrack;
    noTrack.add(HeadChunk{});
    noTrack.add(chunkOf({midiRegion(0, {})}));
    Region loudRegion = midiRegion(0, {});
    loudRegion.gain = 100.5f;
    Region mute2 = midiRegion(0, {});
    mute2.mute = 2;

    Case cases[] = {
        {"size 7", oneTrack(kInstrumentTrack, shortChunk), "TREG chunk size too short"},
        {"header 22", oneTrack(kInstrumentTrack, header22), "TREG sub chunk offset too short"},
        {"other track", oneTrack(kInstrumentTrack, otherTrack),
         "track is NULL or invalied tracknumber"},
        {"no track", noTrack, "track is NULL or invalied tracknumber"},
        {"gain", oneTrack(kInstrumentTrack, chunkOf({loudRegion})),
         "cannot read region gain of track"},
        {"mute", oneTrack(kInstrumentTrack, chunkOf({mute2})), "cannot read region mute of track"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RegionRun run = readProject(c.file);
        EXPECT_EQ(run.result, 1);
        EXPECT_EQ(run.error, c.error);
        EXPECT_TRUE(run.references.clean()) << run.references.firstMisuse();
    }
}

TEST(RegionChunk, ATruncatedRegionFailsAtTheFieldItEndsIn) {
    // The region header behind the chunk frame: position 4, length 4, gain 4, mute 1,
    // attack 4, release 4, then the name.
    const ProjectFile whole = midiProject({});
    const std::size_t body = whole.offsetOf(2) + 8;  // behind the region chunk's id and size
    const std::pair<std::size_t, const char*> cases[] = {
        {1, "TREG sub chunk offset too short"},
        {3, "Cannot read track number in TREG chunk."},
        {4, "cannot read region count of track"},
        {8, "cannot read region pos of track"},
        {12, "cannot read region length of track"},
        {16, "cannot read region gain of track"},
        {20, "cannot read region mute of track"},
        {21, "cannot read region attack of track"},
        {25, "cannot read region release of track"},
        // A name that cannot be read is empty; the sub-chunk then cannot be read.
        {29, "TREG midi sub chunk size too short"},
        {31 + 2 * 4, "TREG midi sub chunk size too short"},
        {31 + 2 * 4 + 4, "cannot read midi region transposition of track"},
    };
    for (const auto& [cut, error] : cases) {
        ProjectFile file = whole;
        file.truncateAt = body + cut;
        const RegionRun run = readProject(file);
        EXPECT_EQ(run.error, error) << cut;
    }
}

TEST(RegionChunk, RegionHeadersOfAnySizeAndTheChunkAfterThem) {
    struct Case {
        std::uint16_t headerSize;
        std::uint32_t regionCount;
    };
    for (const Case c : {Case{23, 2}, Case{27, 2}, Case{23, 0}, Case{200, 1}}) {
        SCOPED_TRACE(c.headerSize);
        MidiData data;
        data.notes = {{100, 10, 60, 90}};
        std::vector<Region> regions;
        for (std::uint32_t i = 0; i < c.regionCount; ++i)
            regions.push_back(midiRegion(i * 960, data, i == 0 ? u"First" : u"Second"));
        RegionChunk chunk = chunkOf(regions);
        chunk.regionHeaderSize = c.headerSize;
        const RegionRun run = readProject(oneTrack(kInstrumentTrack, chunk));
        ASSERT_EQ(run.result, 0) << run.error;
        EXPECT_TRUE(run.references.clean()) << run.references.firstMisuse();
        ASSERT_EQ(run.events().size(), c.regionCount);
        for (std::uint32_t i = 0; i < c.regionCount; ++i) {
            const Report& part = run.events()[i];
            EXPECT_EQ(part["name"], i == 0 ? "First" : "Second");
            EXPECT_EQ(part["start"], run.at(i * 960));
            EXPECT_EQ(part["events"].size(), 1u);
            EXPECT_EQ(part["events"][0]["pitch"], 60);
        }
        EXPECT_TRUE(run.probeRead);
    }
}

TEST(RegionChunk, PartTakesNamePositionLengthAndMute) {
    Region region = midiRegion(480, {}, u"Chorus \u00e9");
    region.length = 1920;
    region.mute = 1;
    const RegionRun run = readProject(oneTrack(kInstrumentTrack, chunkOf({region})));
    ASSERT_EQ(run.result, 0) << run.error;
    const Report& part = run.events()[0];
    EXPECT_EQ(part["kind"], "MIDI part");
    EXPECT_EQ(part["name"], "Chorus \u00e9");
    EXPECT_EQ(part["start"], run.at(480));
    EXPECT_EQ(part["length"], run.at(1920));
    EXPECT_EQ(part["mute"], true);
    EXPECT_EQ(part["events"], Report::array());
}

TEST(RegionChunk, MidiSubChunkSizeByVersion) {
    struct Case {
        std::uint16_t version;
        std::uint32_t size;
        const char* error;  // empty: read
    };
    const Case cases[] = {
        {1, 25, ""}, {1, 24, "TREG midi sub chunk size too short"},
        {2, 26, ""}, {2, 25, "TREG midi sub chunk size too short"},
        {22, 26, ""}, {22, 0, "TREG midi sub chunk size too short"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.version << " " << c.size);
        MidiData data;
        data.quantizeGrid = 8;
        data.quantizeTuplet = 3;  // written from version 2 only
        data.sizeOverride = c.size;
        const RegionRun run = readProject(midiProject(data, c.version));
        EXPECT_EQ(run.error, c.error);
        if (*c.error) continue;
        EXPECT_TRUE(run.probeRead);
        // Version 1 knows straight quantization only.
        EXPECT_EQ(run.events()[0]["quantize"]["value"], c.version == 1 ? 3 : 10);
    }
}

TEST(RegionChunk, QuantizeFieldsAreChecked) {
    struct Case {
        const char* name;
        void (*change)(MidiData&);
        const char* error;
    };
    const Case cases[] = {
        {"transposition 0x80", [](MidiData& d) { d.transposition = -128; },
         "cannot read midi region transposition of track"},
        {"transposition 0x7F", [](MidiData& d) { d.transposition = 127; }, ""},
        {"transposition 0x81", [](MidiData& d) { d.transposition = -127; }, ""},
        {"grid 64", [](MidiData& d) { d.quantizeGrid = 64; }, ""},
        {"grid 65", [](MidiData& d) { d.quantizeGrid = 65; },
         "cannot read midi region quantization grid of track"},
        {"tuplet 3", [](MidiData& d) { d.quantizeTuplet = 3; }, ""},
        {"tuplet 4", [](MidiData& d) { d.quantizeTuplet = 4; },
         "cannot read midi region quantization tuplet of track"},
        {"ends 2", [](MidiData& d) { d.quantizeEnds = 2; },
         "cannot read midi region quantize ends of track"},
        {"swing 1.01", [](MidiData& d) { d.quantizeSwing = 1.01f; },
         "cannot read midi region quantize swing of track"},
        {"amount -0.01", [](MidiData& d) { d.quantizeAmount = -0.01f; },
         "cannot read midi region quantize amount of track"},
        {"note size 9", [](MidiData& d) { d.noteRecordSize = 9; },
         "cannot read note byte size of track"},
        {"note count", [](MidiData& d) { d.noteCountOverride = 100'000'001; },
         "cannot read note count of track"},
        {"event size 5", [](MidiData& d) { d.eventRecordSize = 5; },
         "cannot read pitch event byte size of track"},
        {"event count", [](MidiData& d) { d.eventCountOverride = 100'000'001; },
         "cannot read pitch count of track"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MidiData data;
        c.change(data);
        const RegionRun run = readProject(midiProject(data));
        EXPECT_EQ(run.error, c.error);
        EXPECT_EQ(run.result, *c.error ? 1 : 0);
        EXPECT_TRUE(run.references.clean()) << run.references.firstMisuse();
    }
}

TEST(RegionChunk, CountsBeyondTheFileAllocateNothingAndFailAtTheMissingRecord) {
    // The largest counts the format allows, with no records behind them. (The five bytes
    // of the event size and count behind the notes are read as the first note's position.)
    MidiData notes;
    notes.noteCountOverride = 100'000'000;
    MidiData events;
    events.eventCountOverride = 100'000'000;
    // Three bytes more complete that note's length, and the file ends at its key.
    MidiData cutAtKey = notes;
    cutAtKey.extra = {0, 0, 0};
    for (const auto& [data, error] :
         {std::pair{notes, "cannot read note length in track"},
          std::pair{cutAtKey, "cannot read note key in track"},
          std::pair{events, "cannot read event position in track"}}) {
        const RegionRun run = readProject(midiProject(data));
        EXPECT_EQ(run.error, error);
        EXPECT_TRUE(run.references.clean()) << run.references.firstMisuse();
    }
}

TEST(RegionChunk, NotesStartRelativeToTheirRegion) {
    struct Case {
        std::uint32_t region;
        std::uint32_t note;
        std::int64_t start;  // ticks
    };
    const Case cases[] = {
        {480, 960, 480},
        {0, 0x1000000, 0x1000000},
        {480, 480, 0},
        // A note before its region starts before the part: negative, not wrapped.
        {960, 480, -480},
        {0xFFFFFFFF, 0, -0xFFFFFFFFll},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        MidiData data;
        data.notes = {{c.note, 240, 64, 100}};
        const RegionRun run = readProject(midiProject(data, kLatestVersion, c.region));
        ASSERT_EQ(run.result, 0) << run.error;
        const Report& note = partEvents(run)[0];
        EXPECT_EQ(note["start"], run.at(c.start));
        EXPECT_EQ(note["length"], run.at(240));
    }
}

TEST(RegionChunk, NoteFieldsAreChecked) {
    struct Case {
        Note note;
        const char* error;
    };
    const Case cases[] = {
        {{0x1000000, 0x1000000, 0, 0}, ""},
        {{0x1000001, 1, 60, 100}, "cannot read note position in track"},
        {{0, 0x1000001, 60, 100}, "cannot read note length in track"},
        {{0, 1, 255, 127}, ""},
        {{0, 1, 60, 128}, "cannot read note velocity in track"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        MidiData data;
        data.notes = {c.note};
        const RegionRun run = readProject(midiProject(data));
        EXPECT_EQ(run.error, c.error);
        if (*c.error) continue;
        const Report& note = partEvents(run)[0];
        EXPECT_EQ(note["pitch"], c.note.key);
        EXPECT_EQ(note["velocity"], c.note.velocity);
    }
}

TEST(RegionChunk, RecordsLargerThanTheirFieldsAreSkipped) {
    struct Case {
        std::uint8_t noteSize;
        std::uint8_t eventSize;
    };
    for (const Case c : {Case{10, 8}, Case{12, 8}, Case{255, 9}, Case{10, 200}}) {
        SCOPED_TRACE(testing::Message() << int(c.noteSize) << " " << int(c.eventSize));
        MidiData data;
        data.noteRecordSize = c.noteSize;
        data.eventRecordSize = c.eventSize;
        data.notes = {{0, 120, 60, 100}, {120, 120, 62, 101}, {240, 120, 64, 102}};
        data.events = {{0, 5, 5, 7}, {60, 90, 3, 0}};
        const RegionRun run = readProject(midiProject(data));
        ASSERT_EQ(run.result, 0) << run.error;
        const Report& events = partEvents(run);
        ASSERT_EQ(events.size(), 5u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(events[i]["pitch"], 60 + 2 * i);
            EXPECT_EQ(events[i]["velocity"], 100 + i);
            EXPECT_EQ(events[i]["start"], run.at(120 * i));
        }
        EXPECT_EQ(events[3]["data"], Report::parse("[7, 5]"));
        EXPECT_EQ(events[4]["data"], Report::parse("[90]"));
        EXPECT_TRUE(run.probeRead);
    }
}

TEST(RegionChunk, EventKindsAndTheirValues) {
    MidiData data;
    data.events = {
        {960, 0x2ABC, 2, 9},   // pitch bend: bits 0-6, then bits 7-13
        {1000, 77, 3, 9},      // one value
        {1100, 12, 4, 9},      // one value
        {1200, 100, 5, 64},    // key, then value
        {1300, 1, 7, 0},       // no event
        {1400, 0xFFFF, 2, 0},  // only 14 bits reach the host
    };
    const RegionRun run = readProject(midiProject(data, kLatestVersion, 480));
    ASSERT_EQ(run.result, 0) << run.error;
    const Report expected = {
        {{"kind", "pitchbend"}, {"start", run.at(960)}, {"data", {0x3C, 0x55}}},
        {{"kind", "aftertouch"}, {"start", run.at(1000)}, {"data", {77}}},
        {{"kind", "program change"}, {"start", run.at(1100)}, {"data", {12}}},
        {{"kind", "controller"}, {"start", run.at(1200)}, {"data", {64, 100}}},
        {{"kind", "pitchbend"}, {"start", run.at(1400)}, {"data", {0x7F, 0x7F}}},
    };
    EXPECT_EQ(partEvents(run), expected);
    EXPECT_TRUE(run.probeRead);
}

TEST(RegionChunk, EventFieldsAreChecked) {
    const std::pair<Event, const char*> cases[] = {
        {{0x1000000, 1, 3, 0}, ""},
        {{0x1000001, 1, 3, 0}, "cannot read event position in track"},
    };
    for (const auto& [event, error] : cases) {
        MidiData data;
        data.events = {event};
        EXPECT_EQ(readProject(midiProject(data)).error, error);
    }
    // Each field of a record that the file ends in.
    MidiData data;
    data.events = {{1, 2, 3, 4}};
    const ProjectFile whole = midiProject(data);
    const std::size_t record = whole.bytes().size() - 8;
    const std::pair<std::size_t, const char*> cuts[] = {
        {0, "cannot read event position in track"}, {4, "cannot read event value in track"},
        {6, "cannot read event type in track"},     {7, "cannot read event key in track"},
    };
    for (const auto& [cut, error] : cuts) {
        ProjectFile file = whole;
        file.truncateAt = record + cut;
        EXPECT_EQ(readProject(file).error, error) << cut;
    }
}

TEST(RegionChunk, EventsBeforeVersion10AreBendsOnTheOldScale) {
    MidiData data;
    data.events = {{10, 8192}, {20, 4096}, {30, 0}, {40, 16383}};
    const RegionRun run = readProject(midiProject(data, 9));
    ASSERT_EQ(run.result, 0) << run.error;
    // 8192 stays, 4096 becomes 0, 0 becomes 57345 (0xE001), 16383 becomes 24574 (0x5FFE).
    const Report expected = {
        {{"kind", "pitchbend"}, {"start", run.at(10)}, {"data", {0, 64}}},
        {{"kind", "pitchbend"}, {"start", run.at(20)}, {"data", {0, 0}}},
        {{"kind", "pitchbend"}, {"start", run.at(30)}, {"data", {1, 64}}},
        {{"kind", "pitchbend"}, {"start", run.at(40)}, {"data", {0x7E, 0x3F}}},
    };
    EXPECT_EQ(partEvents(run), expected);
    EXPECT_TRUE(run.probeRead);
}

TEST(RegionChunk, ShortEventRecordsFromVersion10StayInStep) {
    // A record size of 6 is accepted from version 10 although 8 bytes are read; the
    // records then follow each other every 8 bytes, and the chunk after the region chunk is
    // still found.
    MidiData data;
    data.eventRecordSize = 6;
    data.events = {{10, 100, 5, 1}, {20, 50, 4, 0}};
    ProjectFile file = midiProject(data);
    file.add(KeyboardChunk{});
    const RegionRun run = readProject(file);
    ASSERT_EQ(run.result, 0) << run.error;
    const Report expected = {
        {{"kind", "controller"}, {"start", run.at(10)}, {"data", {1, 100}}},
        {{"kind", "program change"}, {"start", run.at(20)}, {"data", {50}}},
    };
    EXPECT_EQ(partEvents(run), expected);
    EXPECT_TRUE(run.probeRead);
}

TEST(RegionChunk, ExtraBytesOfASubChunkAreSkipped) {
    MidiData first;
    first.notes = {{0, 10, 50, 60}};
    first.extra = {1, 2, 3, 4, 5};
    MidiData second;
    second.notes = {{960, 10, 51, 61}};
    const RegionRun run = readProject(oneTrack(
        kInstrumentTrack, chunkOf({midiRegion(0, first), midiRegion(960, second)})));
    ASSERT_EQ(run.result, 0) << run.error;
    ASSERT_EQ(run.events().size(), 2u);
    EXPECT_EQ(run.events()[1]["events"][0]["pitch"], 51);
    EXPECT_EQ(run.events()[1]["events"][0]["start"], 0.0);
    EXPECT_TRUE(run.probeRead);
}

TEST(RegionChunk, QuantizeMenuOfTheParts) {
    struct Case {
        std::uint8_t grid;
        std::uint8_t tuplet;
        double value;
        const char* entry;
        int changes;
    };
    const Case cases[] = {
        {16, 1, 4, "1/16", 1},        {8, 3, 10, "1/8 Triplet", 1},
        {4, 2, 15, "1/4 Dotted", 1},  {64, 2, 19, "1/64 Dotted", 1},
        {1, 3, 0, "1/1", 0},          {0, 2, 0, "1/1", 0},
        {16, 0, 0, "1/1", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.grid) << "/" << int(c.tuplet));
        MidiData data;
        data.quantizeGrid = c.grid;
        data.quantizeTuplet = c.tuplet;
        const RegionRun run = readProject(midiProject(data));
        ASSERT_EQ(run.result, 0) << run.error;
        const Report& quantize = run.events()[0]["quantize"];
        EXPECT_EQ(quantize["value"], c.value);
        EXPECT_EQ(quantize["entry"], c.entry);
        EXPECT_EQ(quantize["changes"], c.changes);
    }
}

TEST(RegionChunk, ThroughTheLoadedModuleEveryReferenceIsReturned) {
    MidiData data;
    data.quantizeGrid = 16;
    data.quantizeTuplet = 1;
    data.notes = {{0, 120, 60, 100}, {120, 120, 64, 90}};
    data.events = {{0, 8192, 2, 0}, {10, 64, 5, 7}};
    ImportHarness harness;
    for (const ProjectFile& file : {midiProject(data), [&] {
                                        MidiData bad = data;
                                        bad.notes[1].velocity = 200;
                                        return midiProject(bad);
                                    }()}) {
        const auto run = harness.importBytes(file.bytes());
        ASSERT_TRUE(run.result.has_value()) << run.error;
        EXPECT_TRUE(run.clean()) << run.findingsText();
        const Report& part = run.report["tracks"][0]["events"][0];
        if (*run.result == 0) {
            EXPECT_EQ(part["events"].size(), 4u);
            EXPECT_EQ(part["quantize"]["entry"], "1/16");
        } else {
            // What was made before the failing record stays; of the failing record, whose
            // velocity is out of range, nothing reaches the host.
            ASSERT_EQ(part["events"].size(), 1u);
            EXPECT_EQ(part["events"][0]["pitch"], 60);
            EXPECT_EQ(part["events"][0]["velocity"], 100);
        }
    }
}

TEST(RegionChunk, ARecordCountTheChunkCannotHoldMakesNoRecord) {
    // The records of a count must lie in the region chunk, whatever follows it: a count
    // the chunk cannot hold fails before any of its records is made, at the field in
    // which the chunk's bytes run out.
    struct Case {
        const char* what;
        MidiData data;
        std::optional<std::size_t> cutBytes;  // bytes cut from the end of the file
        const char* error;
        std::size_t made;  // notes and events in the part
    };
    MidiData notes;
    notes.notes = {{0, 10, 60, 100}, {10, 10, 62, 100}};
    MidiData threeNotes = notes;
    threeNotes.noteCountOverride = 3;  // 25 bytes left: two notes, the event size and count
    MidiData threeEvents;
    threeEvents.events = {{0, 1, 3, 0}, {5, 2, 3, 0}};
    threeEvents.eventCountOverride = 3;  // 16 bytes left: two events
    const Case cases[] = {
        {"a third note", threeNotes, std::nullopt, "cannot read note length in track", 0},
        {"a third event", threeEvents, std::nullopt, "cannot read event position in track", 0},
        // The file ends in the second note's key (its velocity, the event size and count
        // are cut): not even the first note is made.
        {"a note cut at its key", notes, 1 + 5 + 1, "cannot read note key in track", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProjectFile file = midiProject(c.data);
        if (c.cutBytes) file.truncateAt = file.bytes().size() - *c.cutBytes;
        const RegionRun run = readProject(file);
        EXPECT_EQ(run.error, c.error);
        EXPECT_EQ(partEvents(run).size(), c.made);
        EXPECT_TRUE(run.references.clean()) << run.references.firstMisuse();
    }
}

TEST(RegionChunk, ARegionCutInItsFieldsLeavesNoPart) {
    const ProjectFile whole = midiProject({});
    ProjectFile file = whole;
    // Cut two bytes into the quantize amount: 2 + 1 + 4 + 1 + 4 bytes are missing.
    file.truncateAt = whole.bytes().size() - 12;
    const RegionRun run = readProject(file);
    EXPECT_EQ(run.error, "cannot read midi region quantize amount of track");
    EXPECT_EQ(run.events().size(), 0u);
}

TEST(RegionChunk, ASubChunkSizeNeitherTheChunkNorTheFileCanHoldMakesNoPart) {
    // A sub-chunk that would end behind the region chunk and behind the end of the file is
    // refused at its size field, before a part is made.
    MidiData data;
    data.notes = {{0, 10, 60, 100}};
    data.sizeOverride = 0xFFFFFFF0u;
    const RegionRun run = readProject(midiProject(data));
    EXPECT_EQ(run.error, "TREG midi sub chunk size too short");
    EXPECT_EQ(run.events(), Report::array());
    EXPECT_TRUE(run.references.clean()) << run.references.firstMisuse();
}
