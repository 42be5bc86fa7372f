// The build driver's track walk and lookup over the reference host's project tree, and the
// track steps it takes.
#include <gtest/gtest.h>

#include <limits>

#include "builder/build_driver.h"
#include "tests/reader/chunk_bench.h"

using namespace TessaroTest;
using Tessaro::collectTracks;
using Tessaro::findTrackByNumber;

namespace {

// Host-made tracks: a track of kind ("instrument", "audio", "FX Channel") or a folder,
// named, put at the end of container (the project when null).
RefHost::Node& add(RefHost::Document& document, const char* kind, const char16_t* name,
                   RefHost::Node* container = nullptr) {
    RefHost::Node* node = std::string_view(kind) == "folder" ? &document.createFolder(name)
                                                             : document.createTrack(kind);
    node->name = name;
    EXPECT_EQ(document.insertTrack(container ? *container : document.trackRoot, *node), "");
    return *node;
}

std::vector<std::string> collectedNames(ChunkBench& bench) {
    std::vector<std::string> names;
    for (const auto& object : collectTracks(bench.session(), bench.session().projectRoot.get()))
        names.push_back(nameOf(object.get()));
    return names;
}

// A project with folders: Drums [Kick, Loops [Loop]], Piano, Bus 2, Snare after the folder.
void buildTree(RefHost::Document& document) {
    RefHost::Node& drums = add(document, "folder", u"Drums");
    add(document, "audio", u"Kick", &drums);
    RefHost::Node& loops = add(document, "folder", u"Loops", &drums);
    add(document, "audio", u"Loop", &loops);
    add(document, "instrument", u"Piano");
    add(document, "FX Channel", u"Bus 2");
    add(document, "audio", u"Snare", &drums);
    add(document, "folder", u"Empty");
}

}  // namespace

TEST(TrackWalk, DepthFirstThroughFoldersEffectsByEdition) {
    const struct {
        const char* host;
        std::vector<std::string> names;
    } cases[] = {
        {"Ombrel 7.0.0", {"Kick", "Loop", "Snare", "Piano"}},
        {"Ombrel 7.0.1", {"Kick", "Loop", "Snare", "Piano", "Bus 2"}},
        {"Ombrel 6.5.4", {"Kick", "Loop", "Snare", "Piano"}},
        {"Ombrel Fold 7.0.0", {"Kick", "Loop", "Snare", "Piano", "Bus 2"}},
        {"Larkwin 6.0.0", {"Kick", "Loop", "Snare", "Piano"}},
        {"Larkwin 6.5.0", {"Kick", "Loop", "Snare", "Piano", "Bus 2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        ChunkBench bench(c.host);
        buildTree(bench.document());
        EXPECT_EQ(collectedNames(bench), c.names);
        EXPECT_TRUE(bench.finish().clean());
    }
}

TEST(TrackWalk, AnEmptyProjectGivesNoTracks) {
    ChunkBench bench;
    EXPECT_TRUE(collectedNames(bench).empty());
    EXPECT_TRUE(collectTracks(bench.session(), nullptr).empty());
    EXPECT_TRUE(bench.finish().clean());
}

TEST(TrackLookup, ByTheIntegerTrackNumber) {
    ChunkBench bench("Ombrel 8.0.1");
    auto& doc = bench.document();
    RefHost::Node& folder = add(doc, "folder", u"Folder");
    add(doc, "audio", u"One").attributes["cinr"] = Host::int64{1};
    add(doc, "instrument", u"Two", &folder).attributes["cinr"] = Host::int64{2};
    add(doc, "FX Channel", u"Bus 3").attributes["cinr"] = Host::int64{3};
    add(doc, "audio", u"Float").attributes["cinr"] = 4.0;
    add(doc, "audio", u"Text").attributes["cinr"] = std::u16string(u"5");
    add(doc, "audio", u"Second Two").attributes["cinr"] = Host::int64{2};
    add(doc, "instrument", u"None");

    const struct {
        std::int64_t number;
        const char* name;  // null: no track
    } cases[] = {
        {1, "One"},
        {2, "Two"},       // the first in the walk's order, inside its folder
        {3, nullptr},     // effect channels are not looked up
        {4, nullptr},     // a float is no track number ...
        {0, "Float"},     // ... it counts as 0, as does text or nothing
        {5, nullptr},
        {9, nullptr},
        {-1, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        auto track = findTrackByNumber(bench.session(), c.number);
        if (!c.name) {
            EXPECT_FALSE(track);
            continue;
        }
        ASSERT_TRUE(track);
        auto object = Tessaro::queryTo<Host::IProjectObject>(track);
        ASSERT_TRUE(object);
        EXPECT_EQ(nameOf(object.get()), c.name);
    }
    EXPECT_TRUE(bench.finish().clean());
}

TEST(TrackLookup, FindsTheTracksTheReaderMade) {
    ChunkBench bench;
    for (std::uint16_t number : {std::uint16_t{12}, std::uint16_t{7}}) {
        TessaroWriter::TrackInfoChunk chunk;
        chunk.trackNumber = number;
        chunk.name = number == 12 ? u"Twelve" : u"Seven";
        bench.song().header.fileVersion = 22;
        ASSERT_EQ(bench.read(Tessaro::readTrackInfo, chunk, 22), std::nullopt);
    }
    auto track = findTrackByNumber(bench.session(), 7);
    ASSERT_TRUE(track);
    EXPECT_EQ(nameOf(Tessaro::queryTo<Host::IProjectObject>(track).get()), "Seven");
    track.reset();
    EXPECT_TRUE(bench.finish().clean());
}

TEST(EffectBusNumber, TheNumberBehindTheFirstFourCharacters) {
    const struct {
        const char16_t* name;
        std::int32_t number;
    } cases[] = {
        {u"Bus 3", 3},
        {u"Bus 12", 12},
        {u"Bus 3a", 3},
        {u"Bus  7", 7},
        {u"Bus +4", 4},
        {u"Bus -2", -2},
        {u"Bus x", 0},
        {u"Bus ", 0},
        {u"Bus", 0},
        {u"", 0},
        {u"FX 15", 5},   // the first four characters go whatever they are
        {u"Bus3", 0},
        {u"Bus 99999999999", std::numeric_limits<std::int32_t>::max()},
        {u"Bus \u0663", 0},  // digits of other scripts do not scan
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Tessaro::toUtf8(c.name));
        EXPECT_EQ(Tessaro::effectBusNumber(c.name), c.number);
    }
}

TEST(BuildDriver, AnInstrumentTrackEndsWithTheFileName) {
    ChunkBench bench;
    bench.song().header.fileVersion = 22;
    for (std::uint8_t type : {std::uint8_t{0}, std::uint8_t{1}}) {
        TessaroWriter::TrackInfoChunk chunk;
        chunk.trackNumber = static_cast<std::uint16_t>(type + 1);
        chunk.trackType = type;
        chunk.name = type == 0 ? u"Piano" : u"Vocals";
        ASSERT_EQ(bench.read(Tessaro::readTrackInfo, chunk, 22), std::nullopt);
    }
    bench.song().track.host.reset();
    // What an instrument set-up may do to a name, or a host to a new track's.
    const auto nodes = trackNodes(bench.document());
    ASSERT_EQ(nodes.size(), 2u);
    nodes[0]->name = u"Grand Piano Preset";
    nodes[1]->name = u"Audio 1";

    Tessaro::buildProject(bench.session(), bench.notes(), bench.song());
    EXPECT_EQ(nodes[0]->name, u"Piano");
    EXPECT_EQ(nodes[1]->name, u"Audio 1");
    EXPECT_EQ(bench.host().records().editSteps,
              std::vector<std::string>{"Import Tessaro Project Automation"});
    EXPECT_TRUE(bench.finish().clean());
}

TEST(BuildDriver, HostMadeTracksWithoutAttributesAreLeftAlone) {
    ChunkBench bench;
    buildTree(bench.document());
    Tessaro::buildProject(bench.session(), bench.notes(), bench.song());
    for (RefHost::Node* node : trackNodes(bench.document())) {
        SCOPED_TRACE(Tessaro::toUtf8(node->name));
        if (!node->channel) continue;
        EXPECT_EQ(node->channel->findParameter("volume")->changes, 0u);
        EXPECT_EQ(node->channel->findChild("Panner")->findParameterByTag(4201)->changes, 0u);
    }
    EXPECT_EQ(bench.host().records().editSteps.size(), 1u);
    EXPECT_TRUE(bench.finish().clean());
}
