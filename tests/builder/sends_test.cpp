// Sends: the routing of the first send slots of every audio and synth channel to the effect
// channels, and the send slots a track switches on and levels from its attributes.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "builder/build_driver.h"
#include "builder/sends.h"
#include "tests/effects/effects_bench.h"
#include "tests/reader/chunk_bench.h"

using namespace EffectsTest;
using namespace TessaroWriter;

namespace {

// What one send slot shows: its on switch, level and destination channel's name.
struct SendView {
    double on;
    double level;
    std::optional<std::string> destination;
    bool operator==(const SendView&) const = default;
};

std::ostream& operator<<(std::ostream& out, const SendView& s) {
    return out << "{on " << s.on << ", level " << s.level << ", to "
               << s.destination.value_or("nothing") << "}";
}

const RefHost::Node& channelNamed(const RefHost::Document& document, std::string_view name) {
    for (const RefHost::Node* c : document.channels.children)
        if (c->shownName8() == name) return *c;
    ADD_FAILURE() << "no channel " << name;
    return *document.channels.children.front();
}

SendView sendOf(const RefHost::Node& channel, std::size_t slot) {
    const RefHost::Node& s = *channel.findChild("Sends")->children.at(slot);
    return {s.findParameterByTag(4096)->value, s.findParameterByTag(4097)->value,
            s.destination ? std::optional(s.destination->shownName8()) : std::nullopt};
}

std::vector<std::optional<std::string>> destinations(const RefHost::Node& channel) {
    std::vector<std::optional<std::string>> out;
    for (const RefHost::Node* s : channel.findChild("Sends")->children)
        out.push_back(s->destination ? std::optional(s->destination->shownName8())
                                     : std::nullopt);
    return out;
}

std::vector<EffectChunk> busEffects(int count) {
    std::vector<EffectChunk> effects;
    for (int n = 1; n <= count; ++n)
        effects.push_back(effect(static_cast<std::int16_t>(-n), 0, GateParams{}));
    return effects;
}

const std::vector<TrackSpec> kTracks = {{1, kAudioTrack, u"Guitar"},
                                        {2, kInstrumentTrack, u"Piano"}};

}  // namespace

TEST(SendRouting, FirstSlotsFeedTheEffectChannelsFromTheEndOfTheMixer) {
    using D = std::vector<std::optional<std::string>>;
    const std::nullopt_t none = std::nullopt;
    struct Case {
        int buses;
        D routed;  // slots 0 to 7 of every audio and synth channel
    };
    const Case cases[] = {
        {0, {none, none, none, none, none, none, none, none}},
        {1, {"Bus 1", none, none, none, none, none, none, none}},
        {2, {"Bus 1", "Bus 2", none, none, none, none, none, none}},
        {3, {"Bus 1", "Bus 2", "Bus 3", none, none, none, none, none}},
        {4, {"Bus 1", "Bus 2", "Bus 3", none, none, none, none, none}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.buses << " effect channels");
        const auto run = importOn("Ombrel 7.0.1", project(kTracks, busEffects(c.buses)));
        const auto& document = run.host->document();
        EXPECT_EQ(destinations(channelNamed(document, "Guitar")), c.routed);
        EXPECT_EQ(destinations(channelNamed(document, "Piano")), c.routed);
        // Effect channels send nowhere themselves.
        for (int n = 1; n <= c.buses; ++n)
            EXPECT_EQ(destinations(channelNamed(document, "Bus " + std::to_string(n))),
                      D(8, none));
    }
}

TEST(SendRouting, SlotZeroFeedsTheLastEffectChannelOfTheMixer) {
    // With the effect channels listed oldest first (A, B, C), slot 0 goes to C.
    auto oldestFirst = [](RefHost::Profile& p) {
        for (auto& group : p.channelGroups) group.newestFirst = false;
    };
    const auto run = importOn("Ombrel 7.0.1", project(kTracks, busEffects(3)), oldestFirst);
    EXPECT_EQ(channelsOfType(run, "FxChannel"),
              (std::vector<std::string>{"Bus 1", "Bus 2", "Bus 3"}));
    const auto routed = destinations(channelNamed(run.host->document(), "Guitar"));
    EXPECT_EQ(routed[0], "Bus 3");
    EXPECT_EQ(routed[1], "Bus 2");
    EXPECT_EQ(routed[2], "Bus 1");
}

TEST(SendRouting, NothingOnHostsWithoutEffectChannels) {
    for (const char* host : {"Ombrel 7.0.0", "Ombrel 6.5.4", "Larkwin 6.0.0"}) {
        SCOPED_TRACE(host);
        const auto run = importOn(host, project(kTracks, busEffects(2)));
        EXPECT_TRUE(channelsOfType(run, "FxChannel").empty());
        for (const char* name : {"Guitar", "Piano"}) {
            const auto found = channel(run, name);
            for (const auto& send : found["sends"]) ADD_FAILURE() << send.dump();
        }
    }
}

TEST(Sends, SlotOfTheBusIdTakesOnStateAndLevel) {
    struct Case {
        const char* host;
        int buses;
        std::vector<Send> sends;
        std::vector<std::pair<std::size_t, SendView>> expected;  // slots that change
    };
    const Case cases[] = {
        // One send per effect bus of the file: the third send finds no bus.
        {"Ombrel 7.0.1", 2, {{0, 1, 1.0f}, {1, 0, 0.5f}, {2, 1, 1.0f}},
         {{0, {1, 24517, "Bus 1"}}, {1, {0, 20391, "Bus 2"}}}},
        {"Ombrel 7.0.1", 3, {{5, 1, 0.25f}}, {{5, {1, 16266, std::nullopt}}}},
        // A bus id beyond the slots sets nothing.
        {"Ombrel 7.0.1", 2, {{9, 1, 1.0f}, {8, 1, 1.0f}}, {}},
        // No effect bus in the file: no send at all.
        {"Ombrel 7.0.1", 0, {{0, 1, 1.0f}}, {}},
        // The older fader scale.
        {"Larkwin 5.5.6", 1, {{0, 1, 0.25f}}, {{0, {1, 13214, "Bus 1"}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.host << ", " << c.buses << " buses, "
                                        << c.sends.size() << " sends");
        std::vector<TrackSpec> tracks = {{1, kAudioTrack, u"Guitar", c.sends}};
        const auto run = importOn(c.host, project(tracks, busEffects(c.buses)));
        const RefHost::Node& guitar = channelNamed(run.host->document(), "Guitar");
        for (std::size_t slot = 0; slot < 8; ++slot) {
            std::optional<SendView> wanted;
            for (const auto& [s, view] : c.expected)
                if (s == slot) wanted = view;
            const SendView got = sendOf(guitar, slot);
            if (wanted) {
                EXPECT_EQ(got, *wanted) << "slot " << slot;
            } else {
                const RefHost::Node& s = *guitar.findChild("Sends")->children.at(slot);
                EXPECT_EQ(s.findParameterByTag(4096)->changes, 0u) << "slot " << slot;
                EXPECT_EQ(s.findParameterByTag(4097)->changes, 0u) << "slot " << slot;
            }
        }
    }
}

namespace {

// A track made by the host with the attributes given, and an importer whose effect-bus
// list has `buses` records; buildSends runs on it directly.
struct SendBench {
    TessaroTest::ChunkBench bench{"Ombrel 7.0.1"};
    RefHost::Node* track = nullptr;

    explicit SendBench(std::size_t buses) {
        auto& document = bench.document();
        track = document.createTrack("audio");
        track->attributes["cinr"] = Host::int64{4};
        EXPECT_EQ(document.insertTrack(document.trackRoot, *track), "");
        bench.song().lists.effectsOnBuses.resize(buses);
        bench.song().header.fileVersion = 22;
    }
    void build() {
        auto host = Tessaro::findTrackByNumber(bench.session(), 4);
        ASSERT_TRUE(host);
        Tessaro::buildSends(bench.session(), bench.song(), host.get());
    }
    std::vector<std::size_t> changedSlots() const {
        std::vector<std::size_t> slots;
        const auto& sends = track->channel->findChild("Sends")->children;
        for (std::size_t i = 0; i < sends.size(); ++i)
            if (sends[i]->findParameterByTag(4096)->changes > 0) slots.push_back(i);
        return slots;
    }
};

}  // namespace

TEST(Sends, StopAtTheFirstIncompleteSend) {
    SendBench s(3);
    auto& a = s.track->attributes;
    a["tSBI0"] = Host::int64{0};
    a["tSBL0"] = 1.0;  // tSBE0 is missing
    a["tSBI1"] = Host::int64{1};
    a["tSBE1"] = Host::int64{1};
    a["tSBL1"] = 1.0;
    s.build();
    EXPECT_TRUE(s.changedSlots().empty());
    EXPECT_TRUE(s.bench.finish().clean());
}

TEST(Sends, ValuesOfAnotherTypeCountAsZero) {
    SendBench s(3);
    auto& a = s.track->attributes;
    a["tSBI0"] = 3.0;                      // a float bus id: bus 0
    a["tSBE0"] = std::u16string(u"on");    // a text: off
    a["tSBL0"] = Host::int64{1};           // an integer level: no gain
    a["tSBI1"] = Host::int64{2};
    a["tSBE1"] = Host::int64{1};
    a["tSBL1"] = 1.0;
    a["tSBI2"] = Host::int64{-1};  // below the slots: nothing
    a["tSBE2"] = Host::int64{1};
    a["tSBL2"] = 1.0;
    s.build();
    EXPECT_EQ(s.changedSlots(), (std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(sendOf(*s.track->channel, 0), (SendView{0, 0, std::nullopt}));
    EXPECT_EQ(sendOf(*s.track->channel, 2), (SendView{1, 24517, std::nullopt}));
    EXPECT_TRUE(s.bench.finish().clean());
}

TEST(Sends, OnlyWhileTheEffectListHasEntries) {
    SendBench s(1);
    auto& a = s.track->attributes;
    for (int n = 0; n < 3; ++n) {
        a["tSBI" + std::to_string(n)] = Host::int64{n};
        a["tSBE" + std::to_string(n)] = Host::int64{1};
        a["tSBL" + std::to_string(n)] = 1.0;
    }
    s.build();
    EXPECT_EQ(s.changedSlots(), (std::vector<std::size_t>{0}));
    EXPECT_TRUE(s.bench.finish().clean());
}
