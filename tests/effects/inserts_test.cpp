// Insert effects after a whole import: the plug-in chosen for each kind and its converted
// parameters, the slot by bus order, the four rules of a track by edition, input phase,
// Lanefix strip, master channel and effect channels. Every import ends with no host object
// held and none released too often.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/effects/effects_bench.h"

using namespace EffectsTest;
using namespace TessaroWriter;

namespace {

constexpr const char* kCurrent = "Ombrel 7.0.1";

std::vector<TrackSpec> oneTrack() { return {{1, kAudioTrack, u"Guitar"}}; }

struct KindCase {
    const char* name;
    EffectChunk chunk;
    const char* plugin;
    std::vector<std::pair<std::string, Json>> expected;
};

EffectChunk withMix(EffectChunk c, float dry, float wet) {
    c.dry = dry;
    c.wet = wet;
    return c;
}

std::vector<KindCase> kindCases() {
    LimiterParams limiter{0.0f, 0.4f, 0.2f, 0.5f};
    ReverbParams reverb{0.7f, 0.15f, 0.4f, 0.5f, 0.6f};
    DelayParams delay{4, 2, 0.35f};
    EqParams eq{0.5f, 0.0f, 1.0f};
    ChorusParams chorus{0.3f, 0.5f, 0.2f};
    FilterParams filter{1, 0.5f, 0.2f};
    CompressorParams compressor{0.55f, 0.4f, 0.5f, 0.1f, 0.3f};
    OverdriveParams overdrive{0.5f, 0.5f, 1.0f};
    AmpSimulatorParams amp{50, 0.5f, 0.2f, 0.5f, 1};
    PhaserParams phaser{0.3f, 0.5f, 0.4f, 0.5f, 1.0f};
    FlangerParams flanger{0.3f, 0.5f, 0.4f, 0.1f};
    TonalixParams tonalix;
    tonalix.bands = {{{1, 2, -6.0f, 80.0f, 0.5f},
                      {0, 0, 3.0f, 400.0f, 1.0f},
                      {1, 0, 0.0f, 1000.0f, 0.7f},
                      {1, 1, 12.0f, 12000.0f, 2.0f}}};
    GateParams gate{0.5f, 0.3f, 0.5f, 0.1f, 0.3f};
    HallvaneLiteParams hallvane{0.1f, 0.5f, 0.875f, 0.5f, 0.5f};
    return {
        {"limiter", effect(1, 1, limiter), "Dynamics - Limiter",
         {{"Drive", 75.0}, {"Release", 50.0}, {"Output", 4.0}, {"Attack", 20.0}}},
        {"reverb", effect(1, 1, reverb), "Reverb - Hallvane Lite",
         {{"Time", 70.0}, {"Pre-Delay", 15.0}, {"Damping", 40.0}, {"Low EQ", 50.0},
          {"High EQ", 60.0}, {"Mix", 100.0}, {"Diffusion", 50.0}}},
        {"delay", withMix(effect(1, 1, delay), 0.7f, 0.3f), "Delay - Echolet",
         {{"Note Value", "1/4 Dotted"}, {"Feedback", 35.0}, {"Mix", 30.0}}},
        {"eq", effect(1, 1, eq), "EQ - Tonalix",
         {{"Band 1 On", 1.0}, {"Band 1 Type", "Shelf"}, {"Band 1 Gain", 120.0},
          {"Band 1 Frequency", 232.0}, {"Band 2 On", 0.0}, {"Band 3 On", 0.0},
          {"Band 4 On", 1.0}, {"Band 4 Type", "Shelf"}, {"Band 4 Gain", 360.0},
          {"Band 4 Frequency", 867.0}, {"Output", 240.0}}},
        {"chorus", effect(1, 1, chorus), "Modulation - Chorus",
         {{"Rate", 30.0}, {"Depth", 50.0}, {"Delay", 20.0}, {"Mix", 100.0}}},
        {"filter", effect(1, 1, filter), "Filter - Sweepel",
         {{"Filter Type", "High Pass"}, {"Cutoff", 500.0}, {"Resonance", 20.0}}},
        {"compressor", effect(1, 1, compressor), "Dynamics - Compressor",
         {{"Threshold", 40.0}, {"Ratio", 50.0}, {"Attack", 10.0}, {"Release", 30.0},
          {"Makeup", 55.0}}},
        {"overdrive", effect(1, 1, overdrive), "Distortion - Distortion",
         {{"Drive", 50.0}, {"Output", 90.0}, {"Mix", 100.0}, {"Tone", 50.0}}},
        {"amp simulator", effect(1, 1, amp), "Distortion - Cabinax",
         {{"Model", 2.0}, {"Drive", 50.0}, {"Feedback", 20.0}, {"Treble", 50.0},
          {"Stereo", 1.0}}},
        {"phaser", effect(1, 1, phaser), "Modulation - Phaser",
         {{"Rate", 30.0}, {"Depth", 50.0}, {"Feedback", 40.0}, {"Width", 50.0},
          {"Phase", 180.0}, {"Mix", 100.0}}},
        {"flanger", effect(1, 1, flanger), "Modulation - Flanger",
         {{"Rate", 30.0}, {"Depth", 50.0}, {"Feedback", 40.0}, {"Delay", 10.0},
          {"Mix", 100.0}}},
        {"tonalix", effect(1, 1, tonalix), "EQ - Tonalix",
         {{"Band 1 On", 1.0}, {"Band 1 Type", "Cut 12"}, {"Band 1 Gain", 180.0},
          {"Band 1 Frequency", 200.0}, {"Band 1 Q", 5.0}, {"Band 2 On", 0.0},
          {"Band 2 Type", "Peak"}, {"Band 2 Gain", 270.0}, {"Band 2 Frequency", 433.0},
          {"Band 2 Q", 10.0}, {"Band 3 Frequency", 566.0}, {"Band 4 Type", "Shelf"},
          {"Band 4 Gain", 360.0}, {"Band 4 Frequency", 926.0}, {"Band 4 Q", 20.0}}},
        {"gate", effect(1, 1, gate), "Dynamics - Gate",
         {{"Threshold", 30.0}, {"Range", 50.0}, {"Attack", 10.0}, {"Release", 30.0}}},
        {"whirlo", effect(1, 1, WhirloParams{0.5f, 2}), "Other - Slicora FX",
         {{"Filter", 0.0}}},
        {"hallvane lite", effect(1, 1, hallvane), "Reverb - Hallvane Lite",
         {{"Pre-Delay", 10.0}, {"Time", 50.0}, {"Diffusion", 87.0}, {"Low EQ", 50.0},
          {"High EQ", 50.0}, {"Mix", 100.0}, {"Damping", 50.0}}},
    };
}

}  // namespace

TEST(Inserts, EveryKindTakesItsPluginAndConvertedValues) {
    for (const auto& c : kindCases()) {
        SCOPED_TRACE(c.name);
        const auto run = importOn(kCurrent, project(oneTrack(), {c.chunk}));
        const Json insert = insertAt(run, "Guitar", 1);
        ASSERT_FALSE(insert.is_null());
        EXPECT_EQ(insert["plugin"], c.plugin);
        EXPECT_EQ(insert["on"], 1.0);
        for (const auto& [param, value] : c.expected)
            EXPECT_EQ(insert["parameters"][param], value) << param;
        EXPECT_EQ(channel(run, "Guitar")["inserts"].size(), 1u);
    }
}

TEST(Inserts, SlotByBusOrderOnTheTrackOfTheBusOnly) {
    const auto run = importOn(
        kCurrent, project({{2, kAudioTrack, u"Two"}, {3, kInstrumentTrack, u"Three"}},
                          {effect(3, 4, GateParams{}), effect(2, 0, ChorusParams{}),
                           effect(3, 0, CompressorParams{}, 0), effect(3, 7, PhaserParams{}),
                           effect(3, 8, FlangerParams{})}));
    const Json three = channel(run, "Three");
    ASSERT_EQ(three["inserts"].size(), 3u);
    EXPECT_EQ(three["inserts"][0]["slot"], 0);
    EXPECT_EQ(three["inserts"][0]["plugin"], "Dynamics - Compressor");
    EXPECT_EQ(three["inserts"][0]["on"], 0.0);  // the record is off
    EXPECT_EQ(three["inserts"][1]["slot"], 4);
    EXPECT_EQ(three["inserts"][1]["plugin"], "Dynamics - Gate");
    EXPECT_EQ(three["inserts"][2]["slot"], 7);
    EXPECT_EQ(three["inserts"][2]["plugin"], "Modulation - Phaser");
    // A bus order beyond the eight slots finds none.
    const Json two = channel(run, "Two");
    ASSERT_EQ(two["inserts"].size(), 1u);
    EXPECT_EQ(two["inserts"][0]["plugin"], "Modulation - Chorus");
}

TEST(Inserts, EffectsWithoutAPluginChangeNothing) {
    // An IAA or AU effect, an input phase that is off, and a kind the importer skips.
    const auto run = importOn(
        kCurrent, project(oneTrack(), {effect(1, 0, InterAppAudioParams{}),
                                       effect(1, 1, AudioUnitParams{{}, std::vector<std::uint8_t>(
                                                                            100, 7), {}}),
                                       effect(1, 2, InputPhaseParams{}, 0),
                                       effect(1, 3, OpaqueParams{20, std::nullopt})}));
    const Json guitar = channel(run, "Guitar");
    EXPECT_TRUE(guitar["inserts"].empty());
    EXPECT_TRUE(guitar["inputFilter"].is_null());
    const auto& channels = run.report["mixer"]["channels"];
    for (const auto& c : channels) {
        if (c["name"] != "Guitar") continue;
        for (const auto& node : c["children"]) {
            if (node["name"] != "Inserts") continue;
            for (const auto& slot : node["children"]) {
                EXPECT_EQ(slot["parameters"][0]["entry"], "No Effect");
                EXPECT_EQ(slot["parameters"][1]["value"], 1.0);  // the on switch untouched
            }
        }
    }
}

TEST(Inserts, InputPhaseByEdition) {
    const std::vector<EffectChunk> effects = {effect(1, 5, InputPhaseParams{})};
    // Older hosts switch the channel itself.
    auto run = importOn("Ombrel 6.5.5", project(oneTrack(), effects));
    EXPECT_EQ(channel(run, "Guitar")["inputFilter"], Json({{"inputPhase", 1.0}}));
    run = importOn("Larkwin 6.5.0", project(oneTrack(), effects));
    EXPECT_EQ(channel(run, "Guitar")["inputFilter"], Json({{"inputPhase", 1.0}}));
    // Newer ones have the input filter.
    run = importOn(kCurrent, project(oneTrack(), effects));
    EXPECT_EQ(channel(run, "Guitar")["inputFilter"],
              Json({{"inputPhase", 1.0}, {"lowCutOn", 1.0}, {"lowCutFreq", 1111.0}}));
    EXPECT_TRUE(channel(run, "Guitar")["inserts"].empty());
}

TEST(Inserts, TonalixAndEqRulesByEdition) {
    TonalixParams first;
    first.bands[0].gain = 12.0f;  // band 1 gain: three quarters of the scale
    TonalixParams second;
    second.bands[0].gain = -24.0f;
    struct Case {
        const char* host;
        std::vector<EffectChunk> effects;
        Json eq;                // the channel EQ's band 1 gain, or null when untouched
        Json stripEq;           // the strip EQ's band 1 gain, or null
        std::vector<std::pair<int, const char*>> inserts;
    };
    const Case cases[] = {
        // The first Tonalix at order 0 takes the channel EQ; a second one is not built.
        {"Ombrel 6.5.5", {effect(1, 0, first), effect(1, 0, second)}, 360.0, nullptr, {}},
        {kCurrent, {effect(1, 0, first), effect(1, 0, second)}, nullptr, 320.0, {}},
        // Elsewhere it is an insert, except on the small editions while the EQ is free.
        {"Ombrel 6.5.5", {effect(1, 2, first)}, nullptr, nullptr, {{2, "EQ - Tonalix"}}},
        {"Ombrel Fold 6.9.9", {effect(1, 2, first)}, 360.0, nullptr, {}},
        {"Ombrel Kip 7.0.0", {effect(1, 2, first), effect(1, 3, second)}, nullptr, 320.0,
         {{3, "EQ - Tonalix"}}},
        // A disabled EQ at order 0 leaves the channel EQ free for a later one.
        {"Ombrel Zet 6.9.9", {effect(1, 0, first, 0), effect(1, 2, second)}, 0.0, nullptr, {}},
        {"Ombrel Zet 6.9.9", {effect(1, 0, first), effect(1, 2, second)}, 360.0, nullptr,
         {{2, "EQ - Tonalix"}}},
        // The app's EQ at order 0 is not built, at order 1 it is a Tonalix insert.
        {kCurrent, {effect(1, 0, EqParams{}), effect(1, 1, EqParams{})}, nullptr, nullptr,
         {{1, "EQ - Tonalix"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        const auto run = importOn(c.host, project(oneTrack(), c.effects));
        const Json guitar = channel(run, "Guitar");
        if (c.eq.is_null()) EXPECT_TRUE(guitar["eq"].is_null());
        else EXPECT_EQ(guitar["eq"]["Band 1 Gain"], c.eq);
        Json stripEq = nullptr;
        for (const auto& m : guitar["strip"])
            if (m["module"] == "EQ - Channel EQ") stripEq = m["parameters"]["Band 1 Gain"];
        EXPECT_EQ(stripEq, c.stripEq);
        ASSERT_EQ(guitar["inserts"].size(), c.inserts.size());
        for (std::size_t i = 0; i < c.inserts.size(); ++i) {
            EXPECT_EQ(guitar["inserts"][i]["slot"], c.inserts[i].first);
            EXPECT_EQ(guitar["inserts"][i]["plugin"], c.inserts[i].second);
        }
    }
}

TEST(Inserts, ChannelEqTakesBandsAndOnState) {
    TonalixParams p;
    p.bands = {{{1, 3, -6.0f, 80.0f, 0.5f},
                {0, 0, 3.0f, 400.0f, 1.0f},
                {1, 0, 0.0f, 1000.0f, 6.0f},
                {1, 2, 24.0f, 20000.0f, 12.0f}}};
    // The older editions' own EQ: types Peak, Shelf, Cut.
    auto run = importOn("Ombrel 6.5.5", project(oneTrack(), {effect(1, 0, p)}));
    Json eq = channel(run, "Guitar")["eq"];
    EXPECT_EQ(eq["EQ On"], 1.0);
    EXPECT_EQ(eq["Band 1 Type"], "Cut");
    EXPECT_EQ(eq["Band 1 Gain"], 180.0);
    EXPECT_EQ(eq["Band 2 On"], 0.0);
    EXPECT_EQ(eq["Band 3 Q"], 60.0);
    EXPECT_EQ(eq["Band 4 Type"], "Cut");
    EXPECT_EQ(eq["Band 4 Frequency"], 1000.0);
    // The strip's EQ module: ±20 dB, Q 0.5 to 10, types only on the outer bands.
    run = importOn(kCurrent, project(oneTrack(), {effect(1, 0, p, 0)}));
    Json strip = nullptr;
    const Json guitar = channel(run, "Guitar");
    for (const auto& m : guitar["strip"])
        if (m["module"] == "EQ - Channel EQ") strip = m["parameters"];
    ASSERT_FALSE(strip.is_null());
    EXPECT_EQ(strip["EQ On"], 0.0);
    EXPECT_EQ(strip["Band 1 Type"], "Cut 24");
    EXPECT_EQ(strip["Band 1 Gain"], 140.0);
    EXPECT_EQ(strip["Band 3 Q"], 55.0);
    EXPECT_EQ(strip["Band 4 Type"], "Cut 12");
    EXPECT_EQ(strip["Band 4 Gain"], 400.0);
    EXPECT_FALSE(strip.contains("Band 2 Type"));
}

TEST(Inserts, BrickwallBecomesTheChannelLimiter) {
    BrickwallParams first{-10.0f, 100.0f};
    BrickwallParams second{-20.0f, 3.0f};
    const std::vector<EffectChunk> effects = {effect(1, 2, first), effect(1, 3, second)};
    // Too old for a channel limiter: a brickwall is never an insert.
    auto run = importOn("Ombrel 6.5.5", project(oneTrack(), effects));
    EXPECT_TRUE(channel(run, "Guitar")["limiter"].is_null());
    EXPECT_TRUE(channel(run, "Guitar")["inserts"].empty());
    // The first becomes the channel limiter, the second is dropped.
    run = importOn("Ombrel 7.0.0", project(oneTrack(), effects));
    EXPECT_EQ(channel(run, "Guitar")["limiter"], Json({{"Ceiling", 100.0}, {"Release", 60.0}}));
    EXPECT_TRUE(channel(run, "Guitar")["inserts"].empty());
    // Larkwin's limiter slot is switched by its bypass.
    run = importOn("Larkwin 6.5.0", project(oneTrack(), effects));
    EXPECT_EQ(channel(run, "Guitar")["limiter"],
              Json({{"bypass", 1.0}, {"Ceiling", 100.0}, {"Release", 60.0}}));
    // Kip has no channel limiter rule.
    run = importOn("Ombrel Kip 7.0.0", project(oneTrack(), effects));
    EXPECT_TRUE(channel(run, "Guitar")["limiter"].is_null());
}

TEST(Inserts, LanefixOntoTheChannelStrip) {
    LanefixParams p;
    p.filterBypass = 1;
    p.filterLowCut = 0.25f;
    p.compBypass = 0;
    p.compAutoMakeup = 1;
    p.compRatio = 0.4f;
    p.compMakeup = 5.0f;
    p.compAutoRelease = 1;
    p.gateBypass = 0;
    p.gateThreshold = -40.0f;
    p.gateRange = -60.0f;
    p.gateListen = 1;
    p.satBypass = 0;
    p.satType = 1;
    p.satDrive = 0.3f;
    auto run = importOn(kCurrent, project(oneTrack(), {effect(1, 2, p)}));
    const Json strip = channel(run, "Guitar")["strip"];
    ASSERT_EQ(strip.size(), 4u);
    EXPECT_EQ(strip[0]["module"], "Filter - Channel Filter");
    EXPECT_EQ(strip[0]["bypass"], 1.0);
    EXPECT_EQ(strip[0]["parameters"]["Low Cut"], 25.0);
    EXPECT_EQ(strip[1]["module"], "Gate - Noise Gate");
    EXPECT_EQ(strip[1]["bypass"], 0.0);
    EXPECT_EQ(strip[1]["parameters"]["Threshold"], 400.0);
    EXPECT_EQ(strip[1]["parameters"]["Range"], 200.0);
    EXPECT_EQ(strip[1]["parameters"]["Listen"], 1.0);
    EXPECT_EQ(strip[2]["module"], "Compressor - Standard Compressor");
    EXPECT_EQ(strip[2]["parameters"]["Ratio"], 40.0);
    EXPECT_EQ(strip[2]["parameters"]["Makeup"], 50.0);
    EXPECT_EQ(strip[2]["parameters"]["Auto Makeup"], 1.0);
    EXPECT_EQ(strip[2]["parameters"]["Auto Release"], 1.0);
    EXPECT_EQ(strip[3]["module"], "Saturation - Tape Saturation");
    EXPECT_EQ(strip[3]["parameters"]["Drive"], 30.0);
    // No plug-in is chosen for the slot the effect names.
    EXPECT_TRUE(channel(run, "Guitar")["inserts"].empty());
    // Without a channel strip nothing is built.
    run = importOn("Ombrel 6.5.5", project(oneTrack(), {effect(1, 2, p)}));
    EXPECT_TRUE(channel(run, "Guitar")["strip"].empty());
    EXPECT_TRUE(channel(run, "Guitar")["inserts"].empty());
}

TEST(Inserts, PluginChosenByNameWithoutItsCategory) {
    struct Case {
        const char* name;
        std::vector<std::u16string> entries;  // after "No Effect"
        const char* chosen;                   // the entry chosen, or "No Effect"
    };
    const Case cases[] = {
        {"with a category", {u"Dynamics - Compressor"}, "Dynamics - Compressor"},
        {"without a category", {u"Compressor"}, "Compressor"},
        {"letter case differs", {u"Dynamics - compressor", u"compressor"}, "No Effect"},
        {"cut at the first separator", {u"A - B - Compressor"}, "No Effect"},
        {"first match in list order", {u"X - Gate", u"Old - Compressor", u"New - Compressor"},
         "Old - Compressor"},
        {"more than the name", {u"Dynamics - Compressor 2"}, "No Effect"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto adjust = [&](RefHost::Profile& profile) {
            auto& list = profile.lists["insertEffects"];
            list.resize(1);
            Host::int32 value = 1;
            for (const auto& e : c.entries) list.push_back({e, value++});
        };
        const auto run = importOn(kCurrent, project(oneTrack(), {effect(1, 0, CompressorParams{}, 0)}),
                                  adjust);
        for (const auto& ch : run.report["mixer"]["channels"]) {
            if (ch["name"] != "Guitar") continue;
            const auto& slot = ch["children"][2]["children"][0];
            EXPECT_EQ(slot["parameters"][0]["entry"], c.chosen);
            // The on switch is set whether or not an entry fits.
            EXPECT_EQ(slot["parameters"][1]["value"], 0.0);
        }
    }
}

TEST(Inserts, MasterEffectsWhileReading) {
    const std::vector<EffectChunk> effects = {
        effect(0, 1, CompressorParams{}), effect(0, 0, BrickwallParams{-10.0f, 100.0f}),
        effect(0, 0, BrickwallParams{-20.0f, 3.0f}), effect(0, 3, InputPhaseParams{})};
    auto run = importOn("Ombrel 7.0.0", project({}, effects));
    Json master = channel(run, "Stereo Out");
    ASSERT_EQ(master["inserts"].size(), 1u);
    EXPECT_EQ(master["inserts"][0]["slot"], 1);
    EXPECT_EQ(master["inserts"][0]["plugin"], "Dynamics - Compressor");
    // Only the first brickwall is placed.
    EXPECT_EQ(master["limiter"], Json({{"Ceiling", 100.0}, {"Release", 60.0}}));
    run = importOn("Larkwin 6.0.0", project({}, effects));
    master = channel(run, "Stereo Out");
    EXPECT_EQ(master["inserts"].size(), 1u);
    EXPECT_EQ(master["limiter"], Json({{"bypass", 1.0}, {"Ceiling", 100.0}, {"Release", 60.0}}));
    // Hosts before the master test have no channel limiter: the brickwall alone waits for
    // the test; the master's inserts go into its slots.
    run = importOn("Ombrel 6.5.5", project({}, effects));
    master = channel(run, "Stereo Out");
    ASSERT_EQ(master["inserts"].size(), 1u);
    EXPECT_EQ(master["inserts"][0]["slot"], 1);
    EXPECT_EQ(master["inserts"][0]["plugin"], "Dynamics - Compressor");
    EXPECT_TRUE(master["limiter"].is_null());
}

TEST(EffectChannels, OnePerBusRecordNamedByCounter) {
    const std::vector<EffectChunk> effects = {
        effect(-2, 0, ChorusParams{}), effect(-1, 1, GateParams{}),
        effect(-2, 0, PhaserParams{}), effect(-3, 0, BrickwallParams{-10.0f, 100.0f})};
    auto run = importOn(kCurrent, project({}, effects));
    // The host lists the newest effect channel first.
    EXPECT_EQ(channelsOfType(run, "FxChannel"),
              (std::vector<std::string>{"Bus 4", "Bus 3", "Bus 2", "Bus 1"}));
    for (const auto& t : run.report["tracks"]) {
        EXPECT_EQ(t["kind"], "effect");
        EXPECT_EQ(t["channel"]["mode"], 2);
    }
    // Each channel gets the first effect of the bus its number names.
    Json bus = channel(run, "Bus 1");
    ASSERT_EQ(bus["inserts"].size(), 1u);
    EXPECT_EQ(bus["inserts"][0]["slot"], 1);
    EXPECT_EQ(bus["inserts"][0]["plugin"], "Dynamics - Gate");
    bus = channel(run, "Bus 2");
    ASSERT_EQ(bus["inserts"].size(), 1u);
    EXPECT_EQ(bus["inserts"][0]["plugin"], "Modulation - Chorus");
    bus = channel(run, "Bus 3");
    EXPECT_TRUE(bus["inserts"].empty());
    EXPECT_EQ(bus["limiter"], Json({{"Ceiling", 100.0}, {"Release", 60.0}}));
    EXPECT_TRUE(channel(run, "Bus 4")["inserts"].empty());

    // A host without effect channels makes none.
    run = importOn("Ombrel 7.0.0", project({}, effects));
    EXPECT_TRUE(channelsOfType(run, "FxChannel").empty());
    EXPECT_TRUE(run.report["tracks"].empty());
}

TEST(EffectChannels, ThroughTheLoadedModule) {
    TessaroTest::ImportHarness harness;
    TessaroTest::ImportOptions options;
    options.host = "Ombrel Fold 7.0.0";
    const auto run = harness.importBytes(
        project({}, {effect(-1, 0, DelayParams{}), effect(-2, 0, FlangerParams{}),
                     effect(-3, 0, ReverbParams{})}),
        options);
    ASSERT_EQ(run.result, 0) << run.error;
    EXPECT_TRUE(run.clean()) << run.findingsText();
    EXPECT_EQ(channelsOfType(run, "FxChannel"),
              (std::vector<std::string>{"Bus 3", "Bus 2", "Bus 1"}));
    EXPECT_EQ(insertAt(run, "Bus 1", 0)["plugin"], "Delay - Echolet");
    EXPECT_EQ(insertAt(run, "Bus 2", 0)["plugin"], "Modulation - Flanger");
    EXPECT_EQ(insertAt(run, "Bus 3", 0)["plugin"], "Reverb - Hallvane Lite");
}
