// Instrument tracks imported end to end: the module loaded as a host loads it, a project
// file from the writer, the reference host's report of each track's instrument.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "refhost/instruments.h"
#include "tests/support/import_harness.h"
#include "tools/writer/writer.h"

using namespace TessaroWriter;

namespace {

struct Track {
    std::uint16_t number;
    std::uint32_t instrumentId;
};

std::vector<std::uint8_t> pattern(std::size_t n, std::uint8_t seed) {
    std::vector<std::uint8_t> data(n);
    for (std::size_t i = 0; i < n; ++i) data[i] = static_cast<std::uint8_t>(seed + i * 3);
    return data;
}

PresetChunk preset(std::uint16_t track, std::vector<std::uint8_t> data, const char* name) {
    PresetChunk c;
    c.trackNumber = track;
    c.name = name;
    c.data = std::move(data);
    return c;
}

ProjectFile project(const std::vector<Track>& tracks) {
    ProjectFile file;
    HeadChunk head;
    head.trackCount = static_cast<std::uint16_t>(tracks.size());
    file.add(head);
    for (const auto& t : tracks) {
        TrackInfoChunk info;
        info.trackNumber = t.number;
        info.instrumentId = t.instrumentId;
        info.name = std::string_view("Track " + std::to_string(t.number));
        file.add(info);
    }
    return file;
}

std::string checksumOf(const std::vector<std::uint8_t>& data) {
    char text[11];
    std::snprintf(text, sizeof text, "0x%08X", RefHost::crc32(data.data(), data.size()));
    return text;
}

TEST(InstrumentImport, EveryKindOfInstrumentTrack) {
    ProjectFile file = project({{1, 152}, {2, 99001}, {3, 160}, {4, 99001}, {5, 153}, {6, 1432126748}});
    file.add(preset(2, pattern(300, 7), "Bright Saw"));
    file.add(preset(2, pattern(40, 9), "Later state of track 2"));
    file.add(preset(4, {}, "Empty state"));

    struct Expect {
        const char* effectType;
        const char* preset;  // null: none
    };
    const struct {
        const char* host;
        Expect tracks[6];
    } cases[] = {
        {"Ombrel 8.0.1",
         {{"Sampler - Miravox Lite", "Frozen Lake"},
          {"Synth - Analora", nullptr},
          {"Drums - Beatwright Lite", nullptr},
          {"Synth - Analora", nullptr},
          {"No Instrument", nullptr},
          {"Sampler - Miravox Lite", "[GM 005] Electric Piano 1"}}},
        {"Ombrel Kip 6.9.9",
         {{"Sampler - Miravox Lite", "Frozen Lake"},
          {"Synth - Analora", nullptr},
          {"Drums - Beatwright Mini", nullptr},
          {"Synth - Analora", nullptr},
          {"No Instrument", nullptr},
          {"Sampler - Miravox Lite", "[GM 005] Electric Piano 1"}}},
    };
    TessaroTest::ImportHarness harness;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        const auto run = harness.importBytes(file.bytes(), TessaroTest::ImportOptions().onHost(c.host));
        ASSERT_EQ(run.result, 0) << run.error;
        EXPECT_EQ(run.messages, std::vector<std::string>{"The Tessaro import was completed."});
        EXPECT_TRUE(run.clean()) << run.findingsText();
        const auto& tracks = run.report["tracks"];
        ASSERT_EQ(tracks.size(), 6u);
        for (std::size_t i = 0; i < 6; ++i) {
            SCOPED_TRACE(i);
            const auto& instrument = tracks[i]["instrument"];
            EXPECT_EQ(instrument["effectType"], c.tracks[i].effectType);
            if (c.tracks[i].preset)
                EXPECT_EQ(instrument["preset"], c.tracks[i].preset);
            else
                EXPECT_TRUE(instrument["preset"].is_null());
            EXPECT_TRUE(instrument["refusedPresets"].empty());
        }
        // The synth of track 2 loaded the first state stored for it; that of track 4, whose
        // only record is empty, kept its default.
        const auto& state = tracks[1]["instrument"]["state"];
        EXPECT_EQ(state["name"], "Bright Saw");
        EXPECT_EQ(state["size"], 300);
        EXPECT_EQ(state["checksum"], checksumOf(pattern(300, 7)));
        EXPECT_EQ(state["classId"], "7E21A4C03B5D4F96A8C2D17E5F09B3A4");
        EXPECT_TRUE(tracks[3]["instrument"]["state"].is_null());
    }
}

TEST(InstrumentImport, LargestStoredState) {
    ProjectFile file = project({{1, 99001}});
    file.add(preset(1, pattern(1000000, 3), "Big"));
    TessaroTest::ImportHarness harness;
    const auto run = harness.importBytes(file.bytes());
    ASSERT_EQ(run.result, 0) << run.error;
    EXPECT_TRUE(run.clean()) << run.findingsText();
    const auto& state = run.report["tracks"][0]["instrument"]["state"];
    EXPECT_EQ(state["size"], 1000000);
    EXPECT_EQ(state["checksum"], checksumOf(pattern(1000000, 3)));
}

TEST(InstrumentImport, ADamagedPresetChunkFailsTheImport) {
    ProjectFile file = project({{1, 99001}});
    PresetChunk c = preset(1, pattern(10, 1), "Cut");
    c.dataLengthOverride = 1000000;
    file.add(c);
    TessaroTest::ImportHarness harness;
    const auto run = harness.importBytes(file.bytes());
    ASSERT_EQ(run.result, 1) << run.error;
    EXPECT_EQ(run.messages,
              std::vector<std::string>{"Cannot read Tessaro project file. Reason: unknown format."});
    EXPECT_TRUE(run.clean()) << run.findingsText();
}

}  // namespace
