// A track channel's pan, mute, solo and volume after an import, from the values of the
// file's track info chunks, on both fader scales.
#include <gtest/gtest.h>

#include <limits>

#include "builder/build_driver.h"
#include "tests/reader/chunk_bench.h"

using namespace TessaroTest;
using TessaroWriter::TrackInfoChunk;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct Channel {
    double volume;
    double pan;
    double mute;
    double solo;
};

RefHost::Parameter& pan(RefHost::Node& channel) {
    return *channel.findChild("Panner")->findParameterByTag(4201);
}

RefHost::NodeTemplate panner(const char* param, Host::int32 tag) {
    RefHost::NodeTemplate node;
    node.name = "Panner";
    node.params.push_back({param, tag, 32767, 16383.5, ""});
    return node;
}

// A file of one track: the song header and its track info chunk.
std::vector<std::uint8_t> oneTrack(const TrackInfoChunk& track, std::uint16_t version = 22) {
    TessaroWriter::ProjectFile file;
    TessaroWriter::HeadChunk head;
    head.version = version;
    head.trackCount = 1;
    file.add(head);
    file.add(track);
    return file.bytes();
}

ImportResult importWith(const TrackInfoChunk& track, const char* host,
                        std::function<void(RefHost::Profile&)> adjust) {
    ImportOptions options;
    options.host = host;
    options.adjustProfile = std::move(adjust);
    return importDirect(oneTrack(track), options);
}

// Imports a file of one track through the module's import run.
ImportResult importTrack(const char* host, const TrackInfoChunk& track,
                         std::uint16_t version = 22) {
    ImportOptions options;
    options.host = host;
    return importDirect(oneTrack(track, version), options);
}

}  // namespace

TEST(ChannelSettings, ValuesOnBothScales) {
    const struct {
        const char* host;
        std::uint16_t version;
        std::uint8_t type;
        float volume;
        float pan;
        std::uint8_t mute;
        std::uint8_t solo;
        std::uint16_t freeze;
        Channel expected;
    } cases[] = {
        {"Ombrel 7.5.0", 22, 0, 0.8f, -1.0f, 0, 0, 0, {23188, 0, 0, 0}},
        {"Ombrel 6.5.5", 22, 0, 0.8f, -1.0f, 0, 0, 0, {22988, 0, 0, 0}},
        {"Ombrel 7.5.0", 22, 1, 0.01f, 1.0f, 1, 1, 0, {4073, 32767, 1, 1}},
        {"Ombrel 6.5.5", 22, 1, 0.01f, 1.0f, 1, 0, 0, {2642, 32767, 1, 0}},
        {"Larkwin 6.5.0", 22, 0, 1.0f, 0.0f, 0, 1, 0, {24517, 16383.5, 0, 1}},
        {"Larkwin 5.5.6", 22, 1, 1.0f, 0.5f, 0, 0, 0, {25856, 24575.25, 0, 0}},
        // Files before version 4 kept gains on the scale whose 0 dB lies at 0.251185.
        {"Ombrel 7.5.0", 3, 1, 1.0f, 0.0f, 0, 0, 0, {28627, 16383.5, 0, 0}},
        {"Ombrel 6.5.5", 3, 1, 0.251185f, 0.0f, 0, 0, 0, {25856, 16383.5, 0, 0}},
        // The top of the app's scale is beyond the fader's: it stops at the largest value.
        {"Ombrel 7.5.0", 22, 1, 100.0f, 0.0f, 0, 0, 0, {32767, 16383.5, 0, 0}},
        {"Ombrel 6.5.5", 22, 1, 100.0f, 0.0f, 0, 0, 0, {32767, 16383.5, 0, 0}},
        {"Ombrel 7.5.0", 22, 1, 0.0f, 0.0f, 0, 0, 0, {0, 16383.5, 0, 0}},
        // A NaN passes the file's checks: no gain and the centre.
        {"Ombrel 7.5.0", 22, 0, kNaN, kNaN, 0, 0, 0, {0, 16383.5, 0, 0}},
        {"Ombrel 6.5.5", 22, 1, kNaN, kNaN, 0, 0, 0, {0, 16383.5, 0, 0}},
        // A frozen track comes muted.
        {"Ombrel 7.5.0", 22, 1, 1.0f, 0.0f, 0, 0, 3, {24517, 16383.5, 1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.host << " version " << c.version << " volume "
                                        << c.volume << " pan " << c.pan);
        TrackInfoChunk track;
        track.trackType = c.type;
        track.volume = c.volume;
        track.pan = c.pan;
        track.mute = c.mute;
        track.solo = c.solo;
        track.freeze = c.freeze;
        const auto run = importTrack(c.host, track, c.version);
        ASSERT_EQ(run.result, 0) << run.error;
        EXPECT_TRUE(run.clean()) << run.findingsText();
        const auto nodes = trackNodes(run.host->document());
        ASSERT_EQ(nodes.size(), 1u);
        RefHost::Node& channel = *nodes[0]->channel;
        EXPECT_EQ(channel.findParameter("volume")->value, c.expected.volume);
        EXPECT_EQ(channel.findParameter("volume")->changes, 1u);
        EXPECT_EQ(pan(channel).value, c.expected.pan);
        EXPECT_EQ(pan(channel).changes, 1u);
        EXPECT_EQ(channel.findParameter("mute")->value, c.expected.mute);
        EXPECT_EQ(channel.findParameter("solo")->value, c.expected.solo);
    }
}

TEST(ChannelSettings, EveryPannerOfTheTreeAndNoOtherTag) {
    TrackInfoChunk track;
    track.trackType = TessaroWriter::kAudioTrack;
    track.pan = 1.0f;
    const auto run = importWith(track, "Ombrel 7.5.0", [](RefHost::Profile& p) {
        RefHost::NodeTemplate surround;
        surround.name = "Surround";
        surround.children.push_back(panner("pan", 4201));
        surround.children.push_back(panner("width", 4202));
        p.layouts.at("AudioChannel").children.push_back(surround);
    });
    ASSERT_EQ(run.result, 0) << run.error;
    RefHost::Node& channel = *trackNodes(run.host->document())[0]->channel;
    EXPECT_EQ(pan(channel).value, 32767.0);
    RefHost::Node& surround = *channel.findChild("Surround");
    ASSERT_EQ(surround.children.size(), 2u);
    EXPECT_EQ(surround.children[0]->findParameterByTag(4201)->value, 32767.0);
    EXPECT_EQ(surround.children[1]->findParameterByTag(4202)->changes, 0u);
    EXPECT_TRUE(run.clean()) << run.findingsText();
}

TEST(ChannelSettings, AMissingParameterSkipsOnlyItself) {
    TrackInfoChunk track;
    track.trackType = TessaroWriter::kAudioTrack;
    track.mute = 1;
    track.solo = 1;
    track.volume = 0.8f;
    const auto run = importWith(track, "Ombrel 7.5.0", [](RefHost::Profile& p) {
        auto& params = p.layouts.at("AudioChannel").params;
        std::erase_if(params, [](const auto& param) { return param.name == "mute"; });
    });
    ASSERT_EQ(run.result, 0) << run.error;
    RefHost::Node& channel = *trackNodes(run.host->document())[0]->channel;
    EXPECT_EQ(channel.findParameter("mute"), nullptr);
    EXPECT_EQ(channel.findParameter("solo")->value, 1.0);
    EXPECT_EQ(channel.findParameter("volume")->value, 23188.0);
    EXPECT_TRUE(run.clean()) << run.findingsText();
}

TEST(ChannelSettings, OnlyPresentAttributesAreApplied) {
    // Host-made tracks with a few attributes of their own: absent ones set nothing, values
    // of another type count as 0.
    ChunkBench bench("Ombrel 7.5.0");
    auto& doc = bench.document();
    const auto make = [&](std::map<std::string, RefHost::AttributeValue> attributes) {
        RefHost::Node* track = doc.createTrack("audio");
        EXPECT_EQ(doc.insertTrack(doc.trackRoot, *track), "");
        track->attributes = std::move(attributes);
        return track->channel;
    };
    RefHost::Node* none = make({});
    RefHost::Node* panOnly = make({{"trPa", -1.0}});
    RefHost::Node* wrongTypes = make({{"trPa", Host::int64{1}},
                                      {"trVo", Host::int64{1}},
                                      {"trMu", 1.0},
                                      {"trSo", std::u16string(u"1")}});
    Tessaro::buildProject(bench.session(), bench.notes(), bench.song());

    for (RefHost::Node* channel : {none, panOnly}) {
        EXPECT_EQ(channel->findParameter("volume")->changes, 0u);
        EXPECT_EQ(channel->findParameter("mute")->changes, 0u);
        EXPECT_EQ(channel->findParameter("solo")->changes, 0u);
    }
    EXPECT_EQ(pan(*none).changes, 0u);
    EXPECT_EQ(pan(*panOnly).value, 0.0);

    EXPECT_EQ(pan(*wrongTypes).value, 16383.5);
    EXPECT_EQ(pan(*wrongTypes).changes, 1u);
    EXPECT_EQ(wrongTypes->findParameter("volume")->value, 0.0);
    EXPECT_EQ(wrongTypes->findParameter("volume")->changes, 1u);
    EXPECT_EQ(wrongTypes->findParameter("mute")->value, 0.0);
    EXPECT_EQ(wrongTypes->findParameter("mute")->changes, 1u);
    EXPECT_EQ(wrongTypes->findParameter("solo")->changes, 1u);
    EXPECT_TRUE(bench.finish().clean());
}

TEST(ChannelSettings, HostValuesBeyondTheFileRangesStayInTheScale) {
    ChunkBench bench("Ombrel 7.5.0");
    auto& doc = bench.document();
    RefHost::Node* track = doc.createTrack("instrument");
    ASSERT_EQ(doc.insertTrack(doc.trackRoot, *track), "");
    track->attributes = {{"trVo", 1e300},
                         {"trPa", std::numeric_limits<double>::infinity()},
                         {"trMu", Host::int64{1} << 40},
                         {"trSo", Host::int64{-5}}};
    Tessaro::buildProject(bench.session(), bench.notes(), bench.song());
    RefHost::Node& channel = *track->channel;
    EXPECT_EQ(channel.findParameter("volume")->value, 32767.0);
    EXPECT_EQ(pan(channel).value, 32767.0);
    EXPECT_EQ(channel.findParameter("mute")->value, 1.0);
    EXPECT_EQ(channel.findParameter("solo")->value, 0.0);
    EXPECT_TRUE(bench.finish().clean());
}
