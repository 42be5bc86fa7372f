// The benchmark's thin counting host (bench/counting_host.h): the module runs a MIDI import
// through it to the end, every object the import makes is counted, and the module gives
// back every reference it took.
#include <gtest/gtest.h>

#include "bench/counting_host.h"
#include "refhost/module_loader.h"
#include "tests/support/import_harness.h"
#include "tools/writer/writer.h"

namespace {

using namespace TessaroWriter;

TEST(CountingHost, CountsWhatAMidiImportMakesAndTheReferencesComeBack) {
    ProjectFile file;
    HeadChunk head;
    head.trackCount = 2;
    file.add(head);
    for (std::uint16_t t = 1; t <= 2; ++t) {
        TrackInfoChunk track;
        track.trackNumber = t;
        track.trackType = kInstrumentTrack;
        file.add(track);
    }
    RegionChunk regions;
    regions.trackNumber = 2;
    for (int p = 0; p < 2; ++p) {
        MidiData midi;
        midi.quantizeGrid = 16;
        midi.notes = {{0, 120, 60, 100}, {120, 120, 64, 90}, {240, 120, 67, 80}};
        midi.events = {{0, 8192, kPitchBendEvent, 0}, {60, 7, kControllerEvent, 64}};
        Region region;
        region.content = midi;
        regions.regions.push_back(region);
    }
    file.add(regions);
    TessaroTest::TempFolder folder;
    const auto path = folder.write("midi.tsp", file.bytes());

    TessaroBench::CountingHost host(path);
    RefHost::LoadedModule module{std::filesystem::path(TESSARO_MODULE_PATH)};
    const auto run = TessaroBench::runCountingImport(module, host);
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.result, 0);
    const auto& counts = host.counts();
    EXPECT_EQ(counts.tracks, 2u);
    EXPECT_EQ(counts.parts, 2u);
    EXPECT_EQ(counts.notes, 6u);
    EXPECT_EQ(counts.controls, 4u);
    EXPECT_EQ(counts.inserted, 2u + 2u + 6u + 4u);
    EXPECT_EQ(counts.held, 0);
    // Each note alone takes a creation, an insertion and its four values.
    EXPECT_GT(counts.calls, 6u * 6u);
}

TEST(CountingHost, AFileThatIsNotAProjectFailsAndStillGivesEverythingBack) {
    TessaroTest::TempFolder folder;
    const std::vector<std::uint8_t> bytes = {'n', 'o', 't', ' ', 'a', ' ', 't', 's', 'p'};
    TessaroBench::CountingHost host(folder.write("bad.tsp", bytes));
    RefHost::LoadedModule module{std::filesystem::path(TESSARO_MODULE_PATH)};
    EXPECT_EQ(TessaroBench::runCountingImport(module, host).result, 1);
    EXPECT_EQ(host.counts().tracks, 0u);
    EXPECT_EQ(host.counts().held, 0);
}

}  // namespace
