// Automation and pad chunks in whole imports through the loaded module and the reference
// host: curves reach their tracks, curves that are not kept and pads leave nothing behind,
// and a curve or pad chunk that cannot be read fails the import without a reference left.
#include <gtest/gtest.h>

#include "tests/support/import_harness.h"
#include "tools/writer/writer.h"

using namespace TessaroTest;
using namespace TessaroWriter;

namespace {

const std::vector<std::string> kCompleted = {"The Tessaro import was completed."};
const std::vector<std::string> kUnknownFormat = {
    "Cannot read Tessaro project file. Reason: unknown format."};

AutomationChunk curve(std::uint16_t type, std::uint32_t targetId,
                      std::vector<AutomationPoint> points) {
    AutomationChunk chunk;
    chunk.type = type;
    chunk.targetId = targetId;
    chunk.points = std::move(points);
    return chunk;
}

PadChunk pads(std::uint16_t track, std::vector<std::uint8_t> drumPadKeys,
              std::vector<std::vector<std::uint8_t>> chordPads) {
    PadChunk chunk;
    chunk.trackNumber = track;
    chunk.chordButtons = {{60, 64, 67}};
    chunk.drumPadKeys = std::move(drumPadKeys);
    chunk.chordPads = std::move(chordPads);
    return chunk;
}

// A song of two tracks: 1 "Piano" (instrument) and 2 "Drums" (audio); 960 ticks make one
// position unit at the header's 480 ticks per whole note and 120 beats per minute.
ProjectFile twoTracks() {
    ProjectFile file;
    file.add(HeadChunk{}).trackCount = 2;
    TrackInfoChunk& piano = file.add(TrackInfoChunk{});
    piano.trackNumber = 1;
    piano.name = u"Piano";
    file.add(pads(1, {36, 38}, {{48, 52, 55}}));
    TrackInfoChunk& drums = file.add(TrackInfoChunk{});
    drums.trackNumber = 2;
    drums.trackType = kAudioTrack;
    drums.name = u"Drums";
    return file;
}

nlohmann::ordered_json automationOf(const ImportResult& run, const char* track) {
    for (const auto& t : run.report["tracks"])
        if (t["name"] == track) return t.value("automation", nlohmann::ordered_json());
    ADD_FAILURE() << "no track " << track;
    return nullptr;
}

TEST(AutomationImport, CurvesReachTheirTracksByKind) {
    ProjectFile file = twoTracks();
    file.add(curve(1, 250, {{0, 3.981071706f, 0}, {960, 0.0f, 1}, {480, -1.0f, 2}}));
    file.add(curve(2, 200, {{0, -1.0f, 0}, {960, 1.0f, 0}}));
    file.add(curve(3, 100, {{480, 0.25f, 0}}));
    // Read and dropped: no kind, no track, no points.
    file.add(curve(0, 100, {{0, 1.0f, 0}}));
    file.add(curve(4, 200, {{0, 1.0f, 0}}));
    file.add(curve(1, 99, {{0, 1.0f, 0}}));
    file.add(curve(1, 100, {}));
    // A curve for a track the file does not hold.
    file.add(curve(1, 900, {{0, 1.0f, 0}}));
    file.add(pads(2, {}, {}));

    ImportHarness harness;
    const auto run = harness.importBytes(file.bytes());
    ASSERT_TRUE(run.result.has_value()) << run.error;
    EXPECT_EQ(*run.result, 0);
    EXPECT_EQ(run.messages, kCompleted);
    EXPECT_EQ(run.report["editSteps"],
              nlohmann::ordered_json::array(
                  {"Import Tessaro Project", "Import Tessaro Project Automation"}));
    EXPECT_EQ(automationOf(run, "Drums"), nlohmann::ordered_json::parse(R"({
        "read": true, "write": false, "shown": true, "kinds": {
            "volume": [{"position": 0.0, "value": 1.0, "flags": 0},
                       {"position": 1.0, "value": 0.0, "flags": 0},
                       {"position": 0.5, "value": 0.0, "flags": 0}],
            "pan": [{"position": 0.0, "value": 0.0, "flags": 0},
                    {"position": 1.0, "value": 1.0, "flags": 0}]}})"));
    EXPECT_EQ(automationOf(run, "Piano"), nlohmann::ordered_json::parse(R"({
        "read": true, "write": false, "shown": true, "kinds": {
            "sendLevel": [{"position": 0.5, "value": 0.25, "flags": 0}]}})"));
    EXPECT_TRUE(run.clean()) << run.findingsText();
}

TEST(AutomationImport, ChunksLongerThanTheirContentAreSkippedToTheirEnd) {
    // Both chunks hold bytes beyond what they declare; the import goes on behind them.
    ProjectFile file = twoTracks();
    PadChunk& padded = file.add(pads(2, {36}, {{50}}));
    padded.extra = {0x41, 0x55, 0x54, 0x4F};  // "AUTO", which must not be read as a chunk
    AutomationChunk& dropped = file.add(curve(0, 200, {{0, 1.0f, 0}, {5, 1.0f, 0}}));
    dropped.extra = {9, 9, 9};
    AutomationChunk& kept = file.add(curve(2, 100, {{960, 0.0f, 0}}));
    kept.extra = {1, 2};

    ImportHarness harness;
    const auto run = harness.importBytes(file.bytes());
    ASSERT_TRUE(run.result.has_value()) << run.error;
    EXPECT_EQ(*run.result, 0);
    EXPECT_EQ(run.messages, kCompleted);
    EXPECT_EQ(automationOf(run, "Piano"), nlohmann::ordered_json::parse(R"({
        "read": true, "write": false, "shown": true, "kinds": {
            "pan": [{"position": 1.0, "value": 0.5, "flags": 0}]}})"));
    EXPECT_EQ(automationOf(run, "Drums"), nullptr);
    EXPECT_TRUE(run.clean()) << run.findingsText();
}

TEST(AutomationImport, UnreadableCurvesAndPadsFailTheImport) {
    struct Case {
        const char* what;
        std::function<void(ProjectFile&)> spoil;
    };
    const std::vector<Case> cases = {
        {"a point count the chunk cannot hold, followed by more chunks",
         [](ProjectFile& f) {
             AutomationChunk& c = f.add(curve(1, 100, {{0, 1.0f, 0}}));
             c.countOverride = 0xFFFFFFFFu;
             f.add(curve(2, 200, {{0, 1.0f, 0}, {1, 1.0f, 0}, {2, 1.0f, 0}}));
         }},
        {"a bad flag on a curve that would be dropped",
         [](ProjectFile& f) { f.add(curve(0, 100, {})).read = 2; }},
        {"a file that ends inside a chord pad",
         [](ProjectFile& f) {
             f.add(pads(1, {}, {{48, 52, 55}}));
             f.truncateAt = f.bytes().size() - 1;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProjectFile file = twoTracks();
        // A curve read before the failure is not built: the import stops at the failure.
        file.add(curve(1, 100, {{0, 1.0f, 0}}));
        c.spoil(file);
        ImportHarness harness;
        const auto run = harness.importBytes(file.bytes());
        ASSERT_TRUE(run.result.has_value()) << run.error;
        EXPECT_EQ(*run.result, 1);
        EXPECT_EQ(run.messages, kUnknownFormat);
        EXPECT_EQ(automationOf(run, "Piano"), nullptr);
        EXPECT_EQ(run.report["editSteps"], nlohmann::ordered_json::array());
        EXPECT_TRUE(run.clean()) << run.findingsText();
    }
}

}  // namespace
