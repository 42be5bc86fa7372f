// Songs built by hand that reach the corners of both writers: what each format cannot hold,
// the values they hold at their limits, the devices and names only a host's song can have.
#include <gtest/gtest.h>

#include <set>

#include "interchange/dawproject.h"
#include "interchange/smf.h"
#include "tests/interchange/export_support.h"
#include "tests/support/import_harness.h"

using namespace TessaroTest;
using namespace Interchange;
namespace fs = std::filesystem;

namespace {

Track instrument(std::string name, std::int32_t mixerIndex, std::vector<Clip> clips = {}) {
    Track t;
    t.kind = Track::Kind::Instrument;
    t.name = {std::move(name), false};
    t.channel = Channel{};
    t.channel->mixerIndex = mixerIndex;
    t.clips = std::move(clips);
    return t;
}

Clip notes(std::string name, double time, std::vector<Note> n, std::vector<ControlEvent> events = {}) {
    Clip c;
    c.name = {std::move(name), false};
    c.time = time;
    c.duration = 4;
    c.notes = std::move(n);
    c.events = std::move(events);
    return c;
}

// What was left out, one "what | track | clip | value | count" line each.
std::vector<std::string> listed(const LeftOutList& leftOut) {
    std::vector<std::string> out;
    for (const auto& l : leftOut.entries())
        out.push_back(l.what + " | " + l.track + " | " + l.clip + " | " + l.value + " | " +
                      std::to_string(l.count));
    return out;
}


std::vector<std::string> attributes(const std::vector<Element>& elements, const char* key) {
    std::vector<std::string> out;
    for (const auto& e : elements) out.push_back(e.attributes.contains(key) ? e.at(key) : "-");
    return out;
}

}  // namespace

TEST(HandSongMidi, TheConductorHoldsTheMeterAndTempoOnlyWithinWhatTheFileCanCarry) {
    struct Case {
        const char* label;
        std::int32_t numerator, denominator;
        double tempo;
        std::int32_t signatures;
        std::vector<std::string> conductor;  // after the name
        std::vector<std::string> leftOut;
    };
    const Case cases[] = {
        {"3/8 at 120", 3, 8, 120, 1, {"0: FF 58 03 03 18 08", "0: FF 51 07 A1 20", "0: FF 2F"}, {}},
        {"a denominator no power of two", 3, 5, 120, 1, {"0: FF 51 07 A1 20", "0: FF 2F"},
         {"time signature |  |  | 3/5 | 1"}},
        {"no beats", 0, 4, 120, 1, {"0: FF 51 07 A1 20", "0: FF 2F"}, {"time signature |  |  | 0/4 | 1"}},
        {"too many beats", 256, 4, 120, 1, {"0: FF 51 07 A1 20", "0: FF 2F"},
         {"time signature |  |  | 256/4 | 1"}},
        {"slower than the file can say", 4, 4, 1, 1, {"0: FF 58 04 02 18 08", "0: FF 51 FF FF FF", "0: FF 2F"},
         {"tempo, held at the nearest the file can carry |  |  | 1 bpm | 1"}},
        {"faster than the file can say", 4, 4, 1e9, 1, {"0: FF 58 04 02 18 08", "0: FF 51 00 00 01", "0: FF 2F"},
         {"tempo, held at the nearest the file can carry |  |  | 1e+09 bpm | 1"}},
        {"three signatures", 4, 4, 120, 3, {"0: FF 58 04 02 18 08", "0: FF 51 07 A1 20", "0: FF 2F"},
         {"time signatures after the first |  |  | 2 | 1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Song song;
        song.title = {"T", false};
        song.numerator = c.numerator;
        song.denominator = c.denominator;
        song.tempo = c.tempo;
        song.signatures = c.signatures;
        LeftOutList leftOut;
        const MidiFile file = readMidiFile(midiFileBytes(song, leftOut));
        ASSERT_EQ(file.tracks.size(), 1u);
        std::vector<std::string> expected{"0: FF 03 54"};
        expected.insert(expected.end(), c.conductor.begin(), c.conductor.end());
        EXPECT_EQ(midiMessages(file.tracks[0], true), expected);
        EXPECT_EQ(listed(leftOut), c.leftOut);
    }
}

TEST(HandSongMidi, TheDivisionIsTheProjectsOwnOnlyWhereItIsNeededAndFits) {
    const struct {
        std::optional<std::int32_t> ticksPerWhole;
        std::int32_t division;
    } cases[] = {{std::nullopt, 960}, {0, 960}, {-4, 960}, {3840, 960}, {1000, 250},
                 {7, 7},              {131068, 32767}, {131072, 960}, {1000003, 960}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ticksPerWhole.value_or(-1));
        Song song;
        song.ticksPerWholeNote = c.ticksPerWhole;
        EXPECT_EQ(midiDivision(song), c.division);
    }
}

TEST(HandSongMidi, EventsOutsideWhatMidiCarriesAreListedAndTheRestKeepTheirTicks) {
    Song song;
    song.title = {"Events", false};
    std::vector<Note> keys = {{0, 1, 60, 100}, {1, 0, 62, 200}, {0, 1, -1, 100}, {0, 1, 128, 100},
                              {0, 1, 64, 0},   {-2, 1, 65, 100}, {1e6, 1, 66, 100}};
    std::vector<ControlEvent> events = {
        {0, ControlKind::PitchBend, 0, 0x2001},  {0.5, ControlKind::Aftertouch, 0, 200},
        {1, ControlKind::ProgramChange, 0, 5},    {1, ControlKind::ProgramChange, 0, 200},
        {1, ControlKind::Controller, 7, 100},     {1, ControlKind::Controller, 200, 1},
        {1, ControlKind::Controller, -1, 1},      {-1, ControlKind::Controller, 7, 1},
    };
    Track keysTrack = instrument("Keys", 0, {notes("", 0, keys, events)});
    keysTrack.midiChannel = 3;
    keysTrack.gmProgram = 33;
    Clip take;
    take.kind = Clip::Kind::Audio;
    keysTrack.clips.push_back(take);  // an audio clip on an instrument track has no notes
    Track bare = instrument("Bare", 1, {notes("Solo", 2, {{0, 1, 70, 90}})});
    bare.channel.reset();
    Track quiet = instrument("Quiet", 2, {notes("Hush", 0, {{0, 1, 70, 90}})});
    quiet.channel->mute = true;
    Track tape;
    tape.name = {"Tape", false};
    tape.clips = {take, take};
    Track bus;
    bus.kind = Track::Kind::Effect;
    bus.name = {"Bus", false};
    song.tracks = {keysTrack, bare, quiet, tape, bus};

    LeftOutList leftOut;
    const MidiFile file = readMidiFile(midiFileBytes(song, leftOut));
    ASSERT_EQ(file.tracks.size(), 3u);
    EXPECT_EQ(midiMessages(file.tracks[1], true),
              (std::vector<std::string>{"0: FF 03 4B 65 79 73", "0: C3 21", "0: E3 01 40", "0: 93 3C 64",
                                        "480: D3 7F", "960: 83 3C 00", "960: C3 05", "960: B3 07 64",
                                        "960: 93 3E 7F", "960: 83 3E 00", "960: FF 2F"}));
    EXPECT_EQ(midiMessages(file.tracks[2], true),
              (std::vector<std::string>{"0: FF 03 42 61 72 65", "1920: 90 46 5A", "2880: 80 46 00",
                                        "2880: FF 2F"}));
    EXPECT_EQ(listed(leftOut),
              (std::vector<std::string>{
                  "notes with a key outside 0 to 127 | Keys | clip 1 |  | 2",
                  "notes of velocity 0 (a note-off in MIDI) | Keys | clip 1 |  | 1",
                  "notes beyond the file's time range | Keys | clip 1 |  | 2",
                  "controller-like values above 127, written as 127 | Keys | clip 1 |  | 1",
                  "program changes above 127 | Keys | clip 1 |  | 1",
                  "controller events with a number above 127 | Keys | clip 1 |  | 2",
                  "controller-like events beyond the file's time range | Keys | clip 1 |  | 1",
                  "muted track | Quiet |  |  | 1",
                  "audio track | Tape |  | 2 clips | 1",
              }));
}

TEST(HandSongMidi, InstrumentTracksBeyondTheFilesTrackCountAreListed) {
    Song song;
    song.tracks.assign(65536, instrument("T", 0));
    LeftOutList leftOut;
    const auto bytes = midiFileBytes(song, leftOut);
    ASSERT_GE(bytes.size(), 14u);
    EXPECT_EQ(bytes[10], 0xFF);  // 65535 tracks: the conductor and 65534 instruments
    EXPECT_EQ(bytes[11], 0xFF);
    EXPECT_EQ(listed(leftOut), (std::vector<std::string>{"tracks beyond the file's 65535 | T |  |  | 2"}));
}

TEST(HandSongDawproject, DevicesNamesAndTracksOnlyAHostsSongHasComeOutAsTheFormatReadsThem) {
    TempFolder folder;
    // Audio files whose names a container cannot hold as they are.
    const std::vector<std::string> fileNames = {"a\x01" "b.wav", "take. .", "...", ".hidden", "noext",
                                                "sub/noext"};
    Song song;
    song.title = {"Corners", false};
    song.signatures = 2;

    // Two EQs of the host, their bands of every type, one band without its frequency.
    auto eqParameter = [](std::int32_t tag, std::optional<std::string> entry = {}) {
        return HostParameter{"p" + std::to_string(tag), tag, 50, 100, std::move(entry), entry ? 4 : 0};
    };
    Device channelEq;
    channelEq.plugin = "Channel EQ";
    channelEq.name = {"Channel EQ", false};
    channelEq.parameters = {eqParameter(4511, "Cut 12"), eqParameter(4513), eqParameter(4521, "Cut 24"),
                            eqParameter(4523), eqParameter(4531, "Cut 6"), eqParameter(4533),
                            eqParameter(4541, "Notch"), eqParameter(4543)};
    Device tonalix;
    tonalix.plugin = "Tonalix";
    tonalix.name = {"Tonalix", false};
    tonalix.parameters = {eqParameter(4331, "Shelf"), eqParameter(4333), eqParameter(4341, "Peak")};
    Device gate;  // a dynamics device without its controls
    gate.plugin = "Noise Gate";
    gate.name = {"Noise Gate", false};
    Device unknown;
    unknown.plugin = "Mystery";
    unknown.name = {"Mystery\xEF\xBF\xBD", true};

    Track keys = instrument("Keys", 0, {notes("", 0, {{0, 1, 60, 100}, {0, 1, 200, 100}},
                                              {{0, ControlKind::PitchBend, 0, 16383},
                                               {1, ControlKind::Controller, -1, 5},
                                               {2, ControlKind::ProgramChange, 0, -5}})});
    keys.channel->devices = {channelEq, tonalix, gate, unknown};
    keys.channel->pan = 0.25;
    keys.colour = 0x123456;
    // The channel shows a pan and no volume: only the pan's lane has a parameter to aim at.
    keys.automation = {{AutomationLane::Kind::Pan, {{0, 0.5}}}, {AutomationLane::Kind::Volume, {{0, 1}}}};

    Track tape;
    tape.name = {"Tape", false};
    tape.channel = Channel{};
    tape.channel->mixerIndex = 1;
    for (const std::string& name : fileNames) {
        const fs::path path = folder.write(name, std::vector<std::uint8_t>{1, 2, 3});
        Clip clip;
        clip.kind = Clip::Kind::Audio;
        clip.file = AudioFile{path, 0, 1, 10};
        tape.clips.push_back(clip);
    }
    Track group;
    group.kind = Track::Kind::Folder;
    group.name = {"Group", false};
    Track inner = instrument("Inner", 2);
    inner.depth = 1;
    Track out = instrument("Out", 3);
    out.kind = Track::Kind::Master;
    out.channel->role = Channel::Role::Master;
    Track alsoOut = out;
    alsoOut.name = {"Also out", false};
    alsoOut.channel->mixerIndex = 4;
    // The folder's track comes last: the structure closes it at the end.
    song.tracks = {keys, tape, out, alsoOut, group, inner};

    LeftOutList leftOut;
    const fs::path target = folder.path() / "corners.dawproject";
    writeDawproject(song, target, {"tessaro-import", "2.1.0"}, leftOut);
    EXPECT_EQ(listed(leftOut),
              (std::vector<std::string>{
                  "time signatures after the first |  |  | 1 | 1",
                  "characters XML cannot carry, written as U+FFFD | Keys |  | Mystery\xEF\xBF\xBD | 1",
                  "notes with a key outside 0 to 127 | Keys | clip 1 |  | 1",
                  "controller events with a number above 127 | Keys | clip 1 |  | 1",
                  "program changes above 127 | Keys | clip 1 |  | 1",
                  "volume automation without a volume | Keys |  | 1 points | 1",
              }));
    const auto entries = readContainer(target);
    std::set<std::string> names;
    for (const auto& [name, bytes] : entries) names.insert(name);
    EXPECT_EQ(names, (std::set<std::string>{"project.xml", "metadata.xml", "audio/a_b.wav", "audio/take",
                                            "audio/file", "audio/_hidden", "audio/noext", "audio/noext (2)"}));
    const XmlDocument doc(entries.at("project.xml"));
    ASSERT_TRUE(doc.parsed());
    EXPECT_EQ(attributes(doc.select("//Equalizer/Band"), "type"),
              (std::vector<std::string>{"highPass", "highPass", "lowPass", "bell", "highShelf"}));
    EXPECT_EQ(attributes(doc.select("//Equalizer/Band"), "order"),
              (std::vector<std::string>{"2", "4", "-", "-", "-"}));
    EXPECT_EQ(attributes(doc.select("//Track[@name='Keys']/Channel/Devices/*"), "deviceName"),
              (std::vector<std::string>{"Channel EQ", "Tonalix", "Noise Gate", "Mystery"}));
    EXPECT_TRUE(doc.select("//NoiseGate/*[not(self::Enabled)]").empty());
    EXPECT_EQ(doc.select("//BuiltinDevice").size(), 1u);
    EXPECT_EQ(doc.select("//Track[@name='Keys']").front().at("color"), "#123456");
    // The first master is where the others go; the folder holds its track.
    EXPECT_EQ(attributes(doc.select("//Channel"), "role"),
              (std::vector<std::string>{"regular", "regular", "master", "master", "regular"}));
    const std::string master = doc.select("//Track[@name='Out']/Channel").front().at("id");
    EXPECT_EQ(attributes(doc.select("//Channel"), "destination"),
              (std::vector<std::string>{master, master, "-", "-", master}));
    EXPECT_EQ(doc.select("//Track[@name='Group']/Track").front().at("name"), "Inner");
    EXPECT_EQ(attributes(doc.select("//Points/Target"), "expression"),
              (std::vector<std::string>{"pitchBend", "-"}));
    EXPECT_EQ(doc.select("//Points/RealPoint").front().at("value"), "1");
    EXPECT_EQ(attributes(doc.select("//Audio"), "duration"), std::vector<std::string>(6, "0"));
    EXPECT_EQ(attributes(doc.select("//Clip"), "name"), std::vector<std::string>(7, "-"));
    EXPECT_EQ(referenceProblems(doc), std::vector<std::string>{});
    if (schemaFolder()) {
        EXPECT_EQ(schemaErrors(entries.at("project.xml"), "Project.xsd"), "");
    }
}
