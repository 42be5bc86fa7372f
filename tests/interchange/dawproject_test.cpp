// The DAWproject export of the demo and of a project that reaches the format's corners,
// read back from the container and held against the host's document and the schemas.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>

#include "hostkit/fader.h"
#include "interchange/export.h"
#include "refhost/instruments.h"
#include "tests/interchange/export_support.h"
#include "tests/support/import_harness.h"

using namespace TessaroTest;
namespace fs = std::filesystem;

namespace {

struct Exported {
    std::unique_ptr<TempFolder> folder = std::make_unique<TempFolder>();
    ImportResult run;
    Interchange::ExportOutcome outcome;
    std::map<std::string, std::vector<std::uint8_t>> entries;
    std::unique_ptr<XmlDocument> project;
};

void exportTo(Exported& e, const fs::path& projectFile) {
    ASSERT_EQ(e.run.result, 0) << (e.run.messages.empty() ? e.run.error : e.run.messages.front());
    ASSERT_TRUE(e.run.clean()) << e.run.findingsText();
    e.outcome = Interchange::exportSong(*e.run.host, projectFile,
                                        {e.folder->path() / "out.dawproject", {}, {"tessaro-import", "2.1.0"}});
    ASSERT_EQ(e.outcome.outputs.size(), 1u);
    ASSERT_TRUE(e.outcome.outputs[0].written) << e.outcome.outputs[0].error;
    e.entries = readContainer(e.folder->path() / "out.dawproject");
    e.project = std::make_unique<XmlDocument>(e.entries["project.xml"]);
    ASSERT_TRUE(e.project->parsed());
}

const Exported& demo() {
    static Exported e = [] {
        Exported x;
        const fs::path file = copyDemo(x.folder->path());
        x.run = ImportHarness().importFile(file);
        exportTo(x, file);
        return x;
    }();
    return e;
}

const Exported& rich() {
    static Exported e = [] {
        Exported x;
        writeRichAudio(x.folder->path());
        const fs::path file = x.folder->path() / "Rich.tsp";
        x.run = ImportHarness().importFile(x.folder->write("Rich.tsp", richProject().bytes()));
        // A folder of the host's own, holding a track: the import makes none.
        RefHost::Document& document = x.run.host->document();
        RefHost::Node& group = document.createFolder(u"Group");
        document.insertTrack(document.trackRoot, group);
        RefHost::Node* inside = document.createTrack("audio");
        inside->name = u"Inside";
        document.insertTrack(group, *inside);
        exportTo(x, file);
        return x;
    }();
    return e;
}

// One instrument track with a part: no send, no muted clip.
const Exported& plain() {
    static Exported e = [] {
        using namespace TessaroWriter;
        Exported x;
        ProjectFile file;
        HeadChunk head;
        head.trackCount = 1;
        file.add(head);
        TrackInfoChunk track;
        track.trackNumber = 1;
        track.name = u"Keys";
        track.instrumentId = 99001;
        file.add(track);
        Region part;
        part.length = 960;
        MidiData notes;
        notes.notes = {{0, 240, 60, 100}};
        part.content = notes;
        RegionChunk regions;
        regions.trackNumber = 1;
        regions.regions = {part};
        file.add(regions);
        const fs::path project = x.folder->write("Plain.tsp", file.bytes());
        x.run = ImportHarness().importFile(project);
        exportTo(x, project);
        return x;
    }();
    return e;
}

std::vector<std::string> names(const std::vector<Element>& elements, const char* key = "name") {
    std::vector<std::string> out;
    for (const auto& e : elements) out.push_back(e.at(key));
    return out;
}

// Ids that repeat and references (destination, track, parameter, reference) that name no id.
std::vector<std::string> referenceProblems(const XmlDocument& doc) {
    std::vector<std::string> problems;
    std::set<std::string> ids;
    for (const auto& element : doc.select("//*[@id]"))
        if (!ids.insert(element.at("id")).second) problems.push_back("twice: " + element.at("id"));
    for (const char* key : {"destination", "track", "parameter", "reference"})
        for (const auto& element : doc.select(std::string("//*[@") + key + "]"))
            if (!ids.contains(element.at(key)))
                problems.push_back(element.name + " " + key + "=" + element.at(key));
    return problems;
}

std::string idOfTrack(const XmlDocument& doc, const std::string& name) {
    const auto tracks = doc.select("//Track[@name='" + name + "']");
    return tracks.empty() ? std::string() : tracks.front().at("id");
}

}  // namespace

TEST(DawprojectExport, TheDemoBecomesAContainerOfTheSongItsAudioAndItsPluginState) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    const Exported& e = demo();
    ASSERT_EQ(e.run.result, 0);
    EXPECT_TRUE(e.run.clean()) << e.run.findingsText();
    std::set<std::string> entryNames;
    for (const auto& [name, bytes] : e.entries) entryNames.insert(name);
    EXPECT_EQ(entryNames, (std::set<std::string>{"project.xml", "metadata.xml",
                                                 "audio/vocals (44100.0Hz 16bit).wav",
                                                 "plugins/Synth - Analora.state"}));
    // The audio is the converted copy the event plays, byte for byte; the state is the
    // "Comp" chunk the synth loaded (64 bytes, CRC-32 0x72D16391 in the host's report).
    EXPECT_EQ(e.entries.at("audio/vocals (44100.0Hz 16bit).wav"),
              readFile(e.folder->path() / "vocals (44100.0Hz 16bit).wav"));
    const auto& state = e.entries.at("plugins/Synth - Analora.state");
    EXPECT_EQ(state.size(), 64u);
    EXPECT_EQ(RefHost::crc32(state.data(), state.size()), 0x72D16391u);
    const std::string metadata(e.entries.at("metadata.xml").begin(), e.entries.at("metadata.xml").end());
    EXPECT_NE(metadata.find("<Title>Demo</Title>"), std::string::npos) << metadata;
    EXPECT_EQ(XmlDocument(e.entries.at("project.xml")).select("/Project/Application").front().attributes,
              (std::map<std::string, std::string>{{"name", "tessaro-import"}, {"version", "2.1.0"}}));
}

TEST(DawprojectExport, ProjectAndMetadataValidateAgainstTheSchemas) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    if (!schemaFolder())
        GTEST_SKIP() << "the DAWproject schemas are not here (set TESSARO_DAWPROJECT_SCHEMAS to "
                        "their folder): nothing validated";
    for (const Exported* e : {&demo(), &rich()}) {
        EXPECT_EQ(schemaErrors(e->entries.at("project.xml"), "Project.xsd"), "");
        EXPECT_EQ(schemaErrors(e->entries.at("metadata.xml"), "MetaData.xsd"), "");
    }
}

// A reader of the format's 1.0 release validates against that release's schema: its only
// complaints are a send's Enable and a clip's enable, one for each value the export lists as
// not seen by such a reader; a song with neither validates against both schemas.
TEST(DawprojectExport, AReaderOfThe10ReleaseMissesOnlyTheListedSwitches) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    ASSERT_TRUE(schemaFolder()) << "the DAWproject schemas belong in tests/data/dawproject";
    for (const auto& [name, e] : {std::pair{"demo", &demo()}, {"rich", &rich()}, {"plain", &plain()}}) {
        SCOPED_TRACE(name);
        const auto& xml = e->entries.at("project.xml");
        EXPECT_EQ(schemaErrors(xml, "Project.xsd"), "");
        std::size_t complaints = 0;
        std::istringstream lines(schemaErrors(xml, "Project-1.0-release.xsd"));
        for (std::string line; std::getline(lines, line); ++complaints)
            EXPECT_TRUE(line.find("Element 'Enable'") != std::string::npos ||
                        line.find("attribute 'enable'") != std::string::npos)
                << line;
        std::size_t listed = 0;
        for (const auto& l : e->outcome.outputs[0].leftOut)
            if (l.what == "not seen by a DAWproject 1.0 reader") listed += l.count;
        EXPECT_EQ(complaints, listed);
        if (e == &plain()) {
            EXPECT_EQ(listed, 0u);
        }
    }
}

TEST(DawprojectExport, EveryIdIsUniqueAndEveryReferenceResolves) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    for (const Exported* e : {&demo(), &rich()}) {
        EXPECT_EQ(referenceProblems(*e->project), std::vector<std::string>{});
        EXPECT_GT(e->project->select("//*[@destination or @track or @parameter]").size(), 10u);
    }
}

TEST(DawprojectExport, TheDemoExportsWholeFromEveryHostEdition) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    ImportHarness harness;
    for (const auto& info : RefHost::ProfileStore().list()) {
        SCOPED_TRACE(info.id);
        Exported e;
        const fs::path file = copyDemo(e.folder->path());
        e.run = harness.importFile(file, onHost(info.id));
        exportTo(e, file);
        if (HasFatalFailure()) return;
        EXPECT_EQ(e.project->select("//Note").size(), 40u);
        EXPECT_EQ(e.project->select("//Clip/Audio/File[@path='audio/vocals (44100.0Hz 16bit).wav']").size(), 1u);
        EXPECT_EQ(referenceProblems(*e.project), std::vector<std::string>{});
        if (schemaFolder()) {
            EXPECT_EQ(schemaErrors(e.entries.at("project.xml"), "Project.xsd"), "");
        }
        // Each host's own fader scale: the newer where its mixer reports 4.0.
        const bool newer = e.run.report.at("mixer").at("value") == 4.0;
        const auto volumes = e.project->select("/Project/Structure/Track/Channel/Volume");
        const auto& tracks = e.run.report.at("tracks");
        for (std::size_t i = 0; i < tracks.size(); ++i)
            EXPECT_NEAR(Tessaro::faderValue(newer ? Tessaro::FaderScale::Newer : Tessaro::FaderScale::Older, 22, static_cast<float>(volumes[i].number("value"))),
                        tracks[i].at("channel").at("volume").get<double>(), 0.01);
    }
}

TEST(DawprojectExport, TracksAndChannelsStandInHostOrderWithTheirRolesAndRouting) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    const XmlDocument& doc = *demo().project;
    const auto tracks = doc.select("/Project/Structure/Track");
    EXPECT_EQ(names(tracks), (std::vector<std::string>{"Piano", "Drums", "Synth", "Vocals", "Bus 1", "Stereo Out"}));
    EXPECT_EQ(names(tracks, "contentType"),
              (std::vector<std::string>{"notes", "notes", "notes", "audio", "audio", "audio"}));
    EXPECT_EQ(names(tracks, "color"),
              (std::vector<std::string>{"#e05a47", "#3fa34d", "#8e5bd6", "#f2c14e", "", ""}));
    const auto channels = doc.select("/Project/Structure/Track/Channel");
    EXPECT_EQ(names(channels, "role"),
              (std::vector<std::string>{"regular", "regular", "regular", "regular", "effect", "master"}));
    EXPECT_EQ(names(channels, "solo"), (std::vector<std::string>{"false", "true", "false", "false", "false", "false"}));
    const std::string master = channels.back().at("id");
    for (std::size_t i = 0; i + 1 < channels.size(); ++i) EXPECT_EQ(channels[i].at("destination"), master);
    EXPECT_EQ(channels.back().at("destination"), "");
    EXPECT_EQ(names(doc.select("//Channel/Mute"), "value"),
              (std::vector<std::string>{"false", "false", "true", "false", "false", "false"}));

    // Each routed send feeds "Bus 1", on or off as the host has it.
    const std::string bus = channels[4].at("id");
    const auto sends = doc.select("//Send");
    ASSERT_EQ(sends.size(), 4u);
    for (const auto& send : sends) EXPECT_EQ(send.at("destination"), bus);
    // A send is on unless it says otherwise: only the two that are off carry an Enable.
    EXPECT_EQ(names(doc.select("//Send/Enable"), "value"), (std::vector<std::string>{"false", "false"}));
    EXPECT_EQ(names(doc.select("//Send[Enable]/ancestor::Track")), (std::vector<std::string>{"Drums", "Synth"}));

    // Rich: the folder holds its track; the effect channels are both there.
    const XmlDocument& r = *rich().project;
    EXPECT_EQ(r.select("/Project/Structure/Track[@name='Group' and @contentType='tracks']/Track[@name='Inside']").size(), 1u);
    EXPECT_EQ(names(r.select("/Project/Structure/Track/Channel[@role='effect']/..")),
              (std::vector<std::string>{"Bus 1", "Bus 2"}));
    EXPECT_EQ(r.select("//Track[@name='Group']/Channel").size(), 0u);
}

TEST(DawprojectExport, VolumesAndPansReadBackThroughTheFaderLawToTheHostsValues) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    const Exported& e = demo();
    const auto channels = e.project->select("/Project/Structure/Track/Channel");
    const auto volumes = e.project->select("/Project/Structure/Track/Channel/Volume");
    const auto pans = e.project->select("/Project/Structure/Track/Channel/Pan");
    const auto& reportTracks = e.run.report.at("tracks");
    ASSERT_EQ(volumes.size(), 6u);
    for (std::size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(reportTracks[i].at("name").get<std::string>());
        const auto& hostChannel = reportTracks[i].at("channel");
        // The host's newer scale (its mixer reports 4.0): the gain converts back to the
        // host's integer fader value.
        const double gain = volumes[i].number("value");
        EXPECT_NEAR(Tessaro::faderValue(Tessaro::FaderScale::Newer, 22, static_cast<float>(gain)), hostChannel.at("volume").get<double>(),
                    0.01);
        EXPECT_EQ(volumes[i].at("unit"), "linear");
        EXPECT_NEAR(pans[i].number("value") * 32767, hostChannel.at("pan").get<double>(), 1e-6);
    }
    // The file's values, within one step of the host's fader.
    EXPECT_NEAR(volumes[0].number("value"), 0.8, 2e-4);
    EXPECT_NEAR(volumes[3].number("value"), 1.1, 2e-4);
    EXPECT_EQ(volumes[1].number("value"), 1.0);
    EXPECT_NEAR(volumes[0].number("max"), 4.0, 1e-12);
    EXPECT_NEAR(pans[0].number("value"), 0.35, 1e-7);
    EXPECT_EQ(pans[1].number("value"), 0.5);
    const auto sendVolumes = e.project->select("//Send/Volume");
    EXPECT_NEAR(sendVolumes[0].number("value"), 0.35, 2e-4);
    EXPECT_NEAR(sendVolumes[3].number("value"), 0.25, 2e-4);
}

TEST(DawprojectExport, NotesAndControllerEventsSitWhereTheHostHasThem) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    const Exported& e = demo();
    // 120 bpm: a host position is 8 quarter notes (docs/export.md).
    const double quarters = 8;
    std::map<std::string, std::vector<HostEvent>> notes, events;
    for (const auto& h : hostEvents(e.run.report)) (h.kind == "note" ? notes : events)[h.track].push_back(h);
    std::size_t total = 0;
    for (const auto& [track, hostNotes] : notes) {
        SCOPED_TRACE(track);
        const auto clips = e.project->select("//Lanes[@track='" + idOfTrack(*e.project, track) + "']//Clip");
        ASSERT_EQ(clips.size(), 1u);
        EXPECT_NEAR(clips[0].number("time"), hostNotes[0].partStart * quarters, 1e-6);
        const auto xml = e.project->select("//Lanes[@track='" + idOfTrack(*e.project, track) + "']//Note");
        ASSERT_EQ(xml.size(), hostNotes.size());
        for (std::size_t i = 0; i < xml.size(); ++i) {
            EXPECT_NEAR(xml[i].number("time"), hostNotes[i].start * quarters, 1e-6);
            EXPECT_NEAR(xml[i].number("duration"), hostNotes[i].length * quarters, 1e-6);
            EXPECT_EQ(xml[i].at("key"), std::to_string(hostNotes[i].data[0]));
            EXPECT_EQ(std::lround(xml[i].number("vel") * 127), hostNotes[i].data[1]);
            EXPECT_EQ(xml[i].at("channel"), track == "Drums" ? "9" : track == "Synth" ? "1" : "0");
        }
        total += xml.size();
    }
    EXPECT_EQ(total, 40u);

    // The piano's events: pitch bends as 14-bit values over 16383, controllers over 127.
    const std::string piano = "//Lanes[@track='" + idOfTrack(*e.project, "Piano") + "']//Clip";
    EXPECT_EQ(names(e.project->select(piano + "//Points/Target"), "expression"),
              (std::vector<std::string>{"pitchBend", "channelController", "channelController"}));
    EXPECT_EQ(names(e.project->select(piano + "//Points/Target"), "controller"),
              (std::vector<std::string>{"", "7", "64"}));
    const auto points = e.project->select(piano + "//Points/RealPoint");
    ASSERT_EQ(points.size(), events["Piano"].size());
    const std::vector<std::pair<double, double>> expected = {
        {9, 12288 / 16383.0}, {9.5, 8192 / 16383.0}, {0, 100 / 127.0}, {0, 1}, {15.5, 0}};
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_NEAR(points[i].number("time"), expected[i].first, 1e-9);
        EXPECT_NEAR(points[i].number("value"), expected[i].second, 1e-12);
    }
}

TEST(DawprojectExport, AudioClipsAndTrackAutomationKeepTheirTimesAndTargets) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    const XmlDocument& doc = *demo().project;
    const auto clip = doc.select("//Lanes[@track='" + idOfTrack(doc, "Vocals") + "']//Clip");
    ASSERT_EQ(clip.size(), 1u);
    EXPECT_EQ(clip[0].attributes,
              (std::map<std::string, std::string>{{"name", "vocals (44100.0Hz 16bit)"}, {"time", "4"},
                                                  {"duration", "12"}, {"contentTimeUnit", "seconds"},
                                                  {"playStart", "0"}, {"fadeTimeUnit", "beats"},
                                                  {"fadeInTime", "0.25"}, {"fadeOutTime", "1"}}));
    const auto audio = doc.select("//Clip/Audio");
    ASSERT_EQ(audio.size(), 1u);
    EXPECT_EQ(audio[0].at("channels"), "2");
    EXPECT_EQ(audio[0].at("sampleRate"), "44100");
    EXPECT_EQ(audio[0].at("duration"), "6");
    EXPECT_EQ(doc.select("//Clip/Audio/File").front().at("path"), "audio/vocals (44100.0Hz 16bit).wav");

    // The piano's volume ramp (0.2 to 1 as linear gain) aims at its channel's volume, the
    // vocals' pan sweep at the pan.
    const auto pianoChannel = doc.select("//Track[@name='Piano']/Channel/Volume");
    const auto volumeTarget = doc.select("//Lanes[@track='" + idOfTrack(doc, "Piano") + "']/Points/Target");
    ASSERT_EQ(volumeTarget.size(), 1u);
    EXPECT_EQ(volumeTarget[0].at("parameter"), pianoChannel[0].at("id"));
    const auto ramp = doc.select("//Lanes[@track='" + idOfTrack(doc, "Piano") + "']/Points/RealPoint");
    ASSERT_EQ(ramp.size(), 3u);
    const double rampValues[] = {0.2, 1, 1}, rampTimes[] = {0, 8, 16};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(ramp[i].number("value"), rampValues[i], 1e-6);
        EXPECT_EQ(ramp[i].number("time"), rampTimes[i]);
    }
    const auto panTarget = doc.select("//Lanes[@track='" + idOfTrack(doc, "Vocals") + "']/Points/Target");
    EXPECT_EQ(panTarget[0].at("parameter"), doc.select("//Track[@name='Vocals']/Channel/Pan")[0].at("id"));
    EXPECT_EQ(names(doc.select("//Lanes[@track='" + idOfTrack(doc, "Vocals") + "']/Points/RealPoint"), "value"),
              (std::vector<std::string>{"0", "1", "0", "0.5"}));
}

TEST(DawprojectExport, DevicesAreTheHostsPlugInsWithDynamicsAndEqInRealUnits) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    const XmlDocument& doc = *demo().project;
    const auto instruments = doc.select("//BuiltinDevice[@deviceRole='instrument']");
    EXPECT_EQ(names(instruments, "deviceName"), (std::vector<std::string>{"Miravox Lite", "Beatwright Lite", "Analora"}));
    EXPECT_EQ(names(instruments), (std::vector<std::string>{"[GM 001] Acoustic Grand Piano", "Beatwright Lite", "Warm Pad"}));
    EXPECT_EQ(instruments[2].at("deviceID"), "7E21A4C03B5D4F96A8C2D17E5F09B3A4");
    EXPECT_EQ(doc.select("//BuiltinDevice[@deviceName='Analora']/State").front().at("path"),
              "plugins/Synth - Analora.state");
    EXPECT_EQ(names(doc.select("//Track[@name='Piano']//BuiltinDevice[@deviceRole='audioFX']/Parameters/*")),
              (std::vector<std::string>{"Feedback", "Mix", "Note Value"}));

    struct Row {
        const char* path;
        const char* unit;
        double value;
    };
    // Compressor 40/50/10/30/55 of 100; Tonalix bands 1 and 4 as shelves; the channel
    // limiter's ceiling 195 of 200 and release 48 of 100.
    const Row rows[] = {
        {"//Compressor/Threshold", "decibel", -36},
        {"//Compressor/Ratio", "linear", 4.47213595499958},
        {"//Compressor/Attack", "seconds", 0.00019952623149688798},
        {"//Compressor/Release", "seconds", 0.04901274189394899},
        {"//Compressor/OutputGain", "decibel", 13.2},
        {"//Equalizer/Band[1]/Freq", "hertz", 99.31846429006723},
        {"//Equalizer/Band[1]/Gain", "decibel", 2.4},
        {"//Equalizer/Band[1]/Q", "linear", 1.2},
        {"//Equalizer/Band[4]/Freq", "hertz", 7980.498047242841},
        {"//Equalizer/Band[4]/Gain", "decibel", 1.1},
        {"//Equalizer/OutputGain", "decibel", 0},
        {"//Limiter/Threshold", "decibel", -0.5},
        {"//Limiter/Release", "seconds", 0.04876441880243704},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        const auto found = doc.select(row.path);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].at("unit"), row.unit);
        EXPECT_NEAR(found[0].number("value"), row.value, 1e-9);
    }
    EXPECT_EQ(names(doc.select("//Equalizer/Band"), "type"),
              (std::vector<std::string>{"lowShelf", "bell", "bell", "highShelf"}));
    EXPECT_EQ(names(doc.select("//Equalizer/Band/Enabled"), "value"),
              (std::vector<std::string>{"true", "false", "false", "true"}));
    EXPECT_EQ(names(doc.select("//Track[@name='Stereo Out']/Channel/Devices/*"), "deviceName"),
              (std::vector<std::string>{"Tonalix", "Channel Limiter"}));

    // Rich: the strip's four modules and its EQ, the inserts, the channel limiter.
    const XmlDocument& r = *rich().project;
    const std::vector<std::string> loops = {"Channel Filter", "Noise Gate", "Standard Compressor", "Channel EQ",
                                            "Tube Saturation", "Gate", "Limiter", "Channel Limiter"};
    EXPECT_EQ(names(r.select("//Track[@name='Loops']/Channel/Devices/*"), "deviceName"), loops);
    EXPECT_EQ(names(r.select("//Track[@name='Loops']/Channel/Devices/*"), "name"), loops);
    EXPECT_EQ(names(r.select("//Track[@name='Loops']/Channel/Devices/*/Enabled"), "value"),
              (std::vector<std::string>{"true", "true", "true", "true", "false", "true", "true", "true"}));
    EXPECT_EQ(r.select("//NoiseGate[@deviceName='Noise Gate']/Threshold").front().number("value"), -40);
    EXPECT_EQ(r.select("//Limiter[@deviceName='Channel Limiter']/Threshold").front().number("value"), -6);
}

TEST(DawprojectExport, WhatTheFormatCannotHoldIsListed) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    auto list = [](const Exported& e) {
        std::vector<std::string> out;
        for (const auto& l : e.outcome.outputs[0].leftOut)
            out.push_back(l.what + " | " + l.track + " | " + l.clip + " | " + l.value + " | " +
                          std::to_string(l.count));
        return out;
    };
    EXPECT_EQ(list(demo()), (std::vector<std::string>{
                                "cycle |  |  | on, 0 to 16 quarter notes | 1",
                                "song length |  |  | 48 quarter notes | 1",
                                "not seen by a DAWproject 1.0 reader | Drums |  | Send 1 off | 1",
                                "not seen by a DAWproject 1.0 reader | Synth |  | Send 1 off | 1",
                                "region gain | Vocals | vocals (44100.0Hz 16bit) | 0.8999999761581421 | 1",
                            }));
    const std::string lead = "Lead\xEF\xBF\xBD\xEF\xBF\xBDx";
    EXPECT_EQ(list(rich()), (std::vector<std::string>{
                                "cycle |  |  | off, 0 to 12 quarter notes | 1",
                                "song length |  |  | 29.76 quarter notes | 1",
                                "characters XML cannot carry, written as U+FFFD | " + lead + " |  | " + lead + " | 1",
                                "not seen by a DAWproject 1.0 reader | " + lead + " |  | Send 2 off | 1",
                                "not seen by a DAWproject 1.0 reader | Pad |  | Send 1 off | 2",
                                "not seen by a DAWproject 1.0 reader | Pad |  | Send 2 off | 2",
                                "not seen by a DAWproject 1.0 reader | Loops |  | Send 1 off | 1",
                                "not seen by a DAWproject 1.0 reader | Loops |  | Send 2 off | 1",
                                "notes with a key outside 0 to 127 | " + lead + " | Riff |  | 1",
                                "program changes above 127 | " + lead + " | Riff |  | 1",
                                "controller-like values above 127, written as 127 | " + lead + " | Riff |  | 1",
                                "controller events with a number above 127 | " + lead + " | Riff |  | 1",
                                "not seen by a DAWproject 1.0 reader | " + lead + " | Muted | muted | 1",
                                "region gain | Loops | loop | 0.5 | 1",
                            }));
}

TEST(DawprojectExport, NamesXmlCannotCarryAndCollidingFilesGetSafeDistinctPaths) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the rich project plays wave files: the host needs audio";
    const Exported& e = rich();
    std::set<std::string> entryNames;
    for (const auto& [name, bytes] : e.entries) entryNames.insert(name);
    // loop.wav is played twice and stored once; Loop.wav differs only in case; a name
    // with leading dots and a character some file systems refuse is made safe.
    EXPECT_EQ(entryNames, (std::set<std::string>{"project.xml", "metadata.xml", "audio/loop.wav",
                                                 "audio/Loop (2).wav", "audio/_.hit_.wav",
                                                 "plugins/Lead\xEF\xBF\xBD\xEF\xBF\xBDx - Analora.state",
                                                 "plugins/Pad - Analora.state", "plugins/Pad - Analora (2).state"}));
    EXPECT_EQ(e.entries.at("audio/Loop (2).wav"), readFile(e.folder->path() / "Loop.wav"));
    EXPECT_EQ(e.entries.at("audio/_.hit_.wav"), readFile(e.folder->path() / "..hit?.wav"));
    EXPECT_EQ(names(e.project->select("//Clip/Audio/File"), "path"),
              (std::vector<std::string>{"audio/loop.wav", "audio/loop.wav", "audio/Loop (2).wav", "audio/_.hit_.wav"}));
    EXPECT_EQ(e.project->select("/Project/Structure/Track").front().at("name"), "Lead\xEF\xBF\xBD\xEF\xBF\xBDx");
    // 90 bpm, 1000 ticks per whole note: the file's ticks come back exactly.
    EXPECT_EQ(names(e.project->select("//Clip[@name='Riff']//Note"), "time"),
              (std::vector<std::string>{"0", "1", "3", "4"}));
    EXPECT_EQ(e.project->select("//Clip[@name='Muted']").front().at("enable"), "false");
    EXPECT_EQ(e.project->select("/Project/Transport/TimeSignature").front().attributes.at("numerator"), "3");
    EXPECT_EQ(e.project->select("/Project/Transport/Tempo").front().at("value"), "90");
}

TEST(DawprojectExport, ASongOfTheAdaptersModelListsWhatOnlyTheHostCanHold) {
    using namespace Interchange;
    Song song;
    song.title = {"Hand", false};
    Track keys;
    keys.kind = Track::Kind::Instrument;
    keys.name = {"Keys", false};
    keys.channel = Channel{};
    keys.channel->mixerIndex = 0;
    keys.channel->volume = 1;
    keys.automation.push_back({AutomationLane::Kind::SendLevel, {{0, 0.5}, {4, 0.25}}});
    Clip part;
    part.name = {"Part", false};
    part.duration = 4;
    part.quantize = "1/16";
    part.notes = {{0, 1, 60, 100}};
    part.events = {{2, ControlKind::ProgramChange, 0, 5}, {1, ControlKind::Aftertouch, 0, 64}};
    keys.clips.push_back(part);
    Track tape;
    tape.name = {"Tape", false};
    Clip noFile;
    noFile.kind = Clip::Kind::Audio;
    noFile.name = {"Silent", false};
    Clip gone = noFile;
    gone.name = {"Gone", false};
    gone.file = AudioFile{"/nonexistent/take.wav", 48000, 1, 48000};
    tape.clips = {noFile, gone};
    Track master;
    master.kind = Track::Kind::Master;
    master.name = {"Out", false};
    master.channel = Channel{};
    master.channel->role = Channel::Role::Master;
    master.channel->mixerIndex = 1;
    song.tracks = {keys, tape, master};

    TempFolder folder;
    LeftOutList leftOut;
    writeDawproject(song, folder.path() / "hand.dawproject", {"tessaro-import", "2.1.0"}, leftOut);
    std::vector<std::string> listed;
    for (const auto& l : leftOut.entries())
        listed.push_back(l.what + " | " + l.track + " | " + l.clip + " | " + l.value);
    EXPECT_EQ(listed, (std::vector<std::string>{
                          "audio file not readable, referenced outside the container | Tape | Gone | /nonexistent/take.wav",
                          "quantize | Keys | Part | 1/16",
                          "send level automation without a send | Keys |  | 2 points",
                          "audio event without a file | Tape | Silent | ",
                      }));
    const auto entries = readContainer(folder.path() / "hand.dawproject");
    EXPECT_EQ(entries.size(), 2u);
    const XmlDocument doc(entries.at("project.xml"));
    EXPECT_EQ(doc.select("//File").front().attributes,
              (std::map<std::string, std::string>{{"path", "/nonexistent/take.wav"}, {"external", "true"}}));
    EXPECT_EQ(names(doc.select("//Points/Target"), "expression"),
              (std::vector<std::string>{"channelPressure", "programChange"}));
    EXPECT_EQ(doc.select("//Points/IntegerPoint").front().attributes,
              (std::map<std::string, std::string>{{"time", "2"}, {"value", "5"}}));
    if (schemaFolder()) {
        EXPECT_EQ(schemaErrors(entries.at("project.xml"), "Project.xsd"), "");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}
