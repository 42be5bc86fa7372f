#include "tests/reader/region_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "module/import_run.h"
#include "refhost/events.h"
#include "tests/support/test_streams.h"

namespace TessaroTest {

namespace fs = std::filesystem;

RegionRun readProject(const TessaroWriter::ProjectFile& file, Delivery delivery,
                      const ImportOptions& options) {
    constexpr std::uint16_t kProbeTrack = 0xFFFF;
    RegionRun run;
    TessaroWriter::ProjectFile probed = file;
    if (!file.truncateAt) {
        TessaroWriter::PresetChunk probe;
        probe.trackNumber = kProbeTrack;
        probe.data = {0x5A};
        probed.add(probe);
    }
    const std::vector<std::uint8_t> bytes = probed.bytes();
    run.folder = std::make_shared<TempFolder>();
    run.folder->write(options.fileName, bytes);
    for (const auto& [name, content] : options.files) run.folder->write(name, content);
    run.host = makeHost(options.host, options.adjustProfile);
    RefHost::ReferenceHost& host = *run.host;
    if (options.adjustHost) options.adjustHost(host);
    host.setProjectFolder(run.folder->path());

    Host::IHostContext* context = nullptr;
    host.lendContext()->queryInterface(Host::IHostContext::iid, reinterpret_cast<void**>(&context));
    {
        Tessaro::TessaroImporter importer(host.lendPath(run.folder->path() / options.fileName),
                                          host.lendImportTarget(), context);
        // What the import run takes before it hands the stream to the reader.
        importer.host.files = Tessaro::queryTo<Host::IFileAccess>(importer.host.context);
        std::unique_ptr<BufferStream> stream;
        if (delivery == Delivery::Whole)
            stream = std::make_unique<BufferStream>(bytes);
        else
            stream = std::make_unique<PieceStream>(bytes);
        run.result = importer.readAndBuild(stream.get());
        EXPECT_EQ(stream->count(), 1u) << "the importer must not keep the stream";
        run.error = importer.readError;
        for (const auto& preset : importer.song.lists.presets)
            run.probeRead = run.probeRead || preset.trackNumber == kProbeTrack;
        run.tickFactor = importer.song.header.tickFactor;
    }
    if (context) context->release();
    run.report = RefHost::makeReport(host, run.result);
    run.references = host.account().findings();
    return run;
}

RegionRun readProject(const TessaroWriter::ProjectFile& file, const ImportOptions& options) {
    RegionRun whole = readProject(file, Delivery::Whole, options);
    const RegionRun pieces = readProject(file, Delivery::Pieces, options);
    EXPECT_EQ(whole.result, pieces.result);
    EXPECT_EQ(whole.error, pieces.error);
    EXPECT_EQ(whole.probeRead, pieces.probeRead);
    EXPECT_EQ(whole.report["tracks"], pieces.report["tracks"]);
    EXPECT_TRUE(pieces.references.clean());
    return whole;
}

TessaroWriter::ProjectFile oneTrack(std::uint8_t trackType, TessaroWriter::RegionChunk regions,
                                    std::uint16_t version) {
    using namespace TessaroWriter;
    ProjectFile file;
    HeadChunk head;
    head.version = version;
    head.trackCount = 1;
    file.add(head);
    TrackInfoChunk track;
    track.trackNumber = 1;
    track.trackType = trackType;
    track.name = trackType == kAudioTrack ? u"Audio" : u"Keys";
    file.add(track);
    file.add(std::move(regions));
    return file;
}

TessaroWriter::Region midiRegion(std::uint32_t position, TessaroWriter::MidiData data,
                                 const char16_t* name) {
    TessaroWriter::Region region;
    region.position = position;
    region.name = name;
    region.content = std::move(data);
    return region;
}

TessaroWriter::Region audioRegion(std::uint32_t position, const char16_t* fileName,
                                  std::uint32_t inPoint) {
    TessaroWriter::AudioData audio;
    audio.fileName = fileName;
    audio.inPoint = inPoint;
    TessaroWriter::Region region;
    region.position = position;
    region.name = u"Take";
    region.content = audio;
    return region;
}

std::vector<std::uint8_t> toneBytes(const TessaroWriter::Tone& tone) {
    TempFolder scratch;
    const fs::path path = scratch.path() / "tone.wav";
    if (!TessaroWriter::writeToneFile(path, tone)) {
        ADD_FAILURE() << "cannot write a tone";
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace TessaroTest
