// Every count and length of the format at its largest value, in a file that ends behind
// the count (or a few bytes later): the import must fail at the first missing byte with
// the one failure message, allocate nothing from the count before its bytes are there
// (its peak stays far below what the count would cost), and hold no host reference.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/hostile/allocation_meter.h"
#include "tests/hostile/hostile_import.h"
#include "tools/writer/writer.h"

using namespace TessaroWriter;
using namespace TessaroHostile;

namespace {

constexpr std::size_t kMemoryLimit = 64u << 20;
constexpr std::uint32_t kU32Max = 0xFFFFFFFF;
constexpr std::uint32_t kMostNotes = 100000000;  // the largest note or event count allowed

struct HostileCase {
    const char* what;
    std::function<ProjectFile()> file;
    // Bytes cut from the end of the file, so that it ends right behind the count.
    std::size_t cut;
    const char* readError;
};

ProjectFile withTrack(std::uint16_t version, std::uint8_t type = kInstrumentTrack) {
    ProjectFile f;
    HeadChunk head;
    head.version = version;
    head.trackCount = 1;
    f.add(head);
    TrackInfoChunk track;
    track.trackType = type;
    f.add(track);
    return f;
}

ProjectFile songOnly(std::uint16_t version = kLatestVersion) {
    ProjectFile f;
    HeadChunk head;
    head.version = version;
    f.add(head);
    return f;
}

RegionChunk oneMidiRegion(MidiData midi) {
    RegionChunk regions;
    Region region;
    region.content = std::move(midi);
    regions.regions = {region};
    return regions;
}

const HostileCase kCases[] = {
    {"region count", [] {
         auto f = withTrack(kLatestVersion);
         RegionChunk regions;
         regions.regionCountOverride = kU32Max;
         f.add(regions);
         return f;
     }, 0, "cannot read region pos of track"},
    {"note count", [] {
         auto f = withTrack(kLatestVersion);
         MidiData midi;
         midi.noteCountOverride = kMostNotes;
         f.add(oneMidiRegion(midi));
         return f;
     }, 5, "cannot read note position in track"},  // cut: event record size and count
    {"note count beyond the limit", [] {
         auto f = withTrack(kLatestVersion);
         MidiData midi;
         midi.noteCountOverride = kU32Max;
         f.add(oneMidiRegion(midi));
         return f;
     }, 5, "cannot read note count of track"},
    {"event count", [] {
         auto f = withTrack(kLatestVersion);
         MidiData midi;
         midi.eventCountOverride = kMostNotes;
         f.add(oneMidiRegion(midi));
         return f;
     }, 0, "cannot read event position in track"},
    {"note record size", [] {
         auto f = withTrack(kLatestVersion);
         MidiData midi;
         midi.noteRecordSize = 255;
         midi.notes = {Note{}};
         midi.noteCountOverride = kMostNotes;
         f.add(oneMidiRegion(midi));
         return f;
     }, 5 + 245, "cannot read note position in track"},
    {"send count", [] {
         auto f = withTrack(5);  // no field behind the sends before version 6
         std::get<TrackInfoChunk>(f.chunks[1]).sendCountOverride = 255;
         return f;
     }, 0, "cannot read send bus ID of track"},
    {"output count", [] {
         auto f = withTrack(7);  // the outputs end the chunk in version 7
         auto& track = std::get<TrackInfoChunk>(f.chunks[1]);
         track.outputs = {};
         track.outputCountOverride = 64;
         return f;
     }, 0, "cannot read output bus channel of track"},
    {"output count beyond the limit", [] {
         auto f = withTrack(7);
         auto& track = std::get<TrackInfoChunk>(f.chunks[1]);
         track.outputs = {};
         track.outputCountOverride = 255;
         return f;
     }, 0, "cannot read output count of track"},
    {"track name length", [] {
         auto f = withTrack(5);
         std::get<TrackInfoChunk>(f.chunks[1]).name.countOverride = 0xFFFF;
         return f;
     }, 10 + 39, "cannot read instrument ID of track"},  // ends behind the count
    {"region name length", [] {
         auto f = withTrack(kLatestVersion);
         RegionChunk regions = oneMidiRegion(MidiData{});
         regions.regions[0].name.countOverride = 0xFFFF;
         f.add(regions);
         return f;
     }, 12 + 26, "TREG midi sub chunk size too short"},  // ends behind the count
    {"wave file name length", [] {
         auto f = withTrack(kLatestVersion, kAudioTrack);
         RegionChunk regions;
         Region region;
         AudioData audio;
         audio.fileName.countOverride = 0xFFFF;
         region.content = audio;
         regions.regions = {region};
         f.add(regions);
         return f;
     }, 18 + 20, "audioEvent.setMedium - setFilePath fails"},  // ends behind the count
    {"Audio Unit state size", [] {
         auto f = songOnly();
         EffectChunk effect;
         AudioUnitParams unit;
         unit.stateSizeOverride = kU32Max;
         effect.params = unit;
         f.add(effect);
         return f;
     }, 0, "cannot read AUStateByteSize"},
    {"automation point count", [] {
         auto f = withTrack(kLatestVersion);
         AutomationChunk curve;
         curve.countOverride = kU32Max;
         f.add(curve);
         return f;
     }, 0, "cannot read automation position"},
    {"chord button count", [] {
         auto f = songOnly();
         PadChunk pads;
         pads.chordButtonCountOverride = 255;
         f.add(pads);
         return f;
     }, 0, "cannot read chord button key count"},
    {"chord button key count", [] {
         auto f = songOnly();
         RawChunk pads;
         pads.id = "TPAD";
         pads.body = {1, 0, 1, 255};  // one chord button of 255 keys, and no key
         pads.sizeOverride = 5;        // the smallest pad chunk
         f.add(pads);
         return f;
     }, 0, "cannot read chord button key"},
    {"drum pad count", [] {
         auto f = songOnly();
         PadChunk pads;
         pads.drumPadCountOverride = 255;
         f.add(pads);
         return f;
     }, 1, "cannot read drum pad keys of track"},
    {"chord pad count", [] {
         auto f = songOnly();
         PadChunk pads;
         pads.chordPadCountOverride = 255;
         f.add(pads);
         return f;
     }, 0, "cannot read chord key count of track"},
    {"preset data length beyond the limit", [] {
         auto f = withTrack(kLatestVersion);
         PresetChunk preset;
         preset.dataLengthOverride = kU32Max;
         f.add(preset);
         return f;
     }, 0, "Cannot read preset data length in QPLP chunk."},
    {"preset data length", [] {
         auto f = withTrack(kLatestVersion);
         PresetChunk preset;
         preset.dataLengthOverride = 1000000;  // the largest allowed
         f.add(preset);
         return f;
     }, 0, "Cannot read preset data in QPLP chunk."},
    {"preset name length", [] {
         auto f = withTrack(kLatestVersion);
         PresetChunk preset;
         preset.name.countOverride = 0xFFFF;
         f.add(preset);
         return f;
     }, 12 + 4, "Cannot read preset data length in QPLP chunk."},  // ends behind the count
};

// The same case with the chunk's size field telling the truth about the short body, and
// with the largest size field: neither may lead the reader further.
enum class SizeField { AsWritten, Largest };

std::vector<std::uint8_t> hostileBytes(const HostileCase& c, SizeField size) {
    ProjectFile f = c.file();
    if (size == SizeField::Largest) {
        std::visit([](auto& chunk) {
            if constexpr (requires { chunk.sizeOverride; }) chunk.sizeOverride = kU32Max;
        }, f.chunks.back());
    }
    auto bytes = f.bytes();
    bytes.resize(bytes.size() - c.cut);
    return bytes;
}

}  // namespace

TEST(HostileCounts, EveryLargestCountFailsAtTheFirstMissingByteWithinTheMemoryLimit) {
    for (const HostileCase& c : kCases) {
        for (SizeField size : {SizeField::AsWritten, SizeField::Largest}) {
            SCOPED_TRACE(std::string(c.what) +
                         (size == SizeField::Largest ? ", largest size field" : ""));
            const auto bytes = hostileBytes(c, size);
            ASSERT_LT(bytes.size(), 1000u);
            const HostileRun run = importHostile(bytes);
            EXPECT_EQ(run.result, 1);
            EXPECT_EQ(run.readError, c.readError);
            EXPECT_EQ(run.messages, std::vector<std::string>{kUnknownFormat});
            EXPECT_TRUE(run.references.clean());
            EXPECT_LT(run.peakBytes, kMemoryLimit);
        }
    }
}

TEST(HostileCounts, TheMeterSeesWhatACountWouldCost) {
    // The limit means something: a buffer sized by the largest automation point count is
    // far above it.
    AllocationMeter::reset();
    {
        std::vector<std::uint32_t> positions;
        positions.reserve(kMemoryLimit / sizeof(std::uint32_t) + 1);
        EXPECT_GT(AllocationMeter::peakSinceReset(), kMemoryLimit);
    }
}
