// The benchmark's thin counting host (bench/counting_host.h): the module runs a MIDI import
// through it to the end, every object the import makes is counted, and the module gives
// back every reference it took.
#include <gtest/gtest.h>

#include "base/iptr.h"
#include "bench/counting_host.h"
#include "refhost/module_loader.h"
#include "tests/support/import_harness.h"
#include "tools/writer/writer.h"

namespace {

using namespace TessaroWriter;
using Tessaro::IPtr;
using Tessaro::queryTo;

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
    EXPECT_GE(counts.calls, 6u * 6u);
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

TEST(CountingHost, ObjectsAnswerTheirInterfacesAndKeepNothing) {
    TessaroTest::TempFolder folder;
    const std::vector<std::uint8_t> bytes = {1, 2, 3, 4, 5, 6, 7};
    TessaroBench::CountingHost host(folder.write("seven.tsp", bytes));
    {
        auto context = queryTo<Host::IHostContext>(host.context());
        ASSERT_TRUE(context);
        EXPECT_TRUE(queryTo<Host::IEditContext>(context));
        EXPECT_FALSE(queryTo<Host::IProject>(context));
        EXPECT_EQ(queryTo<Host::FUnknown>(context).get(), host.context());
        EXPECT_EQ(host.counts().held, 1);

        // The file is read for real, and the stream's reference comes back with close.
        auto files = queryTo<Host::IFileAccess>(context);
        Host::IBStream* stream = nullptr;
        ASSERT_EQ(files->open(host.path(), Host::IFileAccess::kRead, &stream), Host::kResultOk);
        std::uint8_t read[8] = {};
        Host::int32 got = 0;
        EXPECT_EQ(stream->read(read, 8, &got), Host::kResultOk);
        EXPECT_EQ(got, 7);
        EXPECT_EQ(read[6], 7);
        Host::int64 at = 0;
        EXPECT_EQ(stream->seek(2, Host::IBStream::kSeekSet, &at), Host::kResultOk);
        EXPECT_EQ(at, 2);
        EXPECT_EQ(files->close(stream), Host::kResultOk);

        // One object stands for every note: counted, and answering only a note's interfaces.
        auto factory = queryTo<Host::IObjectFactory>(host.importTarget());
        IPtr<Host::FUnknown> first, second, track;
        EXPECT_EQ(factory->createObject("note", first.put()), Host::kResultOk);
        EXPECT_EQ(factory->createObject("note", second.put()), Host::kResultOk);
        EXPECT_EQ(first.get(), second.get());
        EXPECT_TRUE(queryTo<Host::INoteEvent>(first));
        EXPECT_FALSE(queryTo<Host::IControlEvent>(first));
        EXPECT_EQ(factory->createObject("banjo", track.put()), Host::kInvalidArgument);

        // The tree lists as many tracks as were made; nothing is kept on them.
        IPtr<Host::IObjectTree> root;
        ASSERT_EQ(queryTo<Host::IProject>(factory)->getRoot(0, root.put()), Host::kResultOk);
        IPtr<Host::IObjectIterator> none;
        EXPECT_EQ(root->getChildren(none.put()), Host::kResultFalse);
        for (int t = 0; t < 2; ++t)
            EXPECT_EQ(factory->createObject("instrument", track.put()), Host::kResultOk);
        IPtr<Host::IObjectIterator> children;
        ASSERT_EQ(root->getChildren(children.put()), Host::kResultOk);
        int listed = 0;
        for (IPtr<Host::IProjectObject> item; !children->atEnd(); ++listed) {
            ASSERT_EQ(children->next(item.put()), Host::kResultOk);
            EXPECT_TRUE(item->isKind("instrument"));
            auto attributes = queryTo<Host::IAttributeList>(item);
            EXPECT_EQ(attributes->setInt("cinr", 3, 1), Host::kResultOk);
            EXPECT_EQ(attributes->hasAttribute("cinr"), Host::kResultFalse);
        }
        EXPECT_EQ(listed, 2);
    }
    const auto& counts = host.counts();
    EXPECT_EQ(counts.notes, 2u);
    EXPECT_EQ(counts.tracks, 2u);
    EXPECT_EQ(counts.held, 0);
}

}  // namespace
