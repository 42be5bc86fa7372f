// The instrument set-up of one track against the reference host: the plug-in chosen in the
// instrument slot, the preset of the multi-sound plug-in, and stored synth states handed to
// the synth as preset files.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/iptr.h"
#include "instruments/instrument_setup.h"
#include "instruments/preset_table.h"
#include "module/import_run.h"
#include "presets/preset_file.h"
#include "refhost/instruments.h"
#include "tests/support/host_access.h"
#include "tests/support/import_harness.h"

using Tessaro::IPtr;
using Tessaro::queryTo;

namespace {

constexpr const char* kFullEdition = "Ombrel 8.0.1";     // Beatwright Lite, Miravox
constexpr const char* kSmallEdition = "Ombrel Tarn 7.0.1";  // Beatwright Lite, no Miravox
constexpr const char* kOlderEdition = "Ombrel Fold 6.9.9";  // Beatwright Mini

// A reference host, an importer over its context, and instrument tracks to set up.
class Bench {
public:
    explicit Bench(const std::string& profile,
                   const std::function<void(RefHost::Profile&)>& adjust = {})
        : host(TessaroTest::makeHost(profile, adjust)) {
        context_ = queryTo<Host::IHostContext>(host->lendContext());
        importer = std::make_unique<Tessaro::TessaroImporter>(nullptr, nullptr, context_.get());
    }

    // A new instrument track with the attributes given; returns its host node.
    RefHost::Node& addTrack(std::optional<std::int64_t> ciid, std::optional<std::int64_t> cinr) {
        auto object = TessaroTest::addTrack(*host, "instrument", u"Keys");
        IPtr<Host::ITrack> track;
        object->getTrack(track.put());
        IPtr<Host::IAttributeList> attributes;
        track->getAttributes(attributes.put());
        if (ciid) attributes->setInt("ciid", *ciid, 0);
        if (cinr) attributes->setInt("cinr", *cinr, 0);
        tracks_.push_back(track);
        return *host->document().tracks().back().node;
    }

    // Sets up the track added as number index with the plug-in the mapping gives (or the
    // one named).
    std::int32_t setup(std::size_t index, const std::string& plugin) {
        Host::ITrack* track = tracks_.at(index).get();
        auto channel = queryTo<Host::IChannel>(track);
        return Tessaro::setupInstrument(importer->host, importer->notes, importer->song, track,
                                        plugin, channel.get());
    }

    void addRecord(std::uint16_t track, std::vector<std::uint8_t> data, std::u16string name) {
        Tessaro::PresetRecord r;
        r.trackNumber = track;
        r.name = std::move(name);
        r.data = std::move(data);
        importer->song.lists.presets.push_back(std::move(r));
    }

    // Ends the module's part: everything it took must be back.
    RefHost::Findings finish() {
        tracks_.clear();
        importer.reset();
        context_.reset();
        return host->account().findings();
    }

    std::unique_ptr<RefHost::ReferenceHost> host;
    std::unique_ptr<Tessaro::TessaroImporter> importer;

private:
    IPtr<Host::IHostContext> context_;
    std::vector<IPtr<Host::ITrack>> tracks_;
};

std::string entryText(const RefHost::Parameter* p) {
    const RefHost::ListEntry* e = p ? p->chosenEntry() : nullptr;
    return e ? Tessaro::toUtf8(e->name) : std::string("(none)");
}

struct Seen {
    std::string effectType;  // the chosen entry's text
    std::string plugin;      // the instance in the slot
    std::string preset;      // the multi-sound plug-in's preset entry
    unsigned presetChanges = 0;
};

Seen seen(const RefHost::Node& track) {
    Seen s;
    const RefHost::Node* slot = RefHost::instrumentSlotOf(*track.channel);
    if (!slot) return {"(no slot)", "", "", 0};
    s.effectType = entryText(slot->findParameter("effectType"));
    const auto* instance = RefHost::instrumentInstanceOf(*slot);
    s.plugin = instance ? instance->shownName8() : "(none)";
    const RefHost::Parameter* preset =
        instance ? instance->findParameter("crateluxPresetSyncronous") : nullptr;
    s.preset = entryText(preset);
    s.presetChanges = preset ? preset->changes : 0;
    return s;
}

std::vector<std::uint8_t> pattern(std::size_t n, std::uint8_t seed) {
    std::vector<std::uint8_t> data(n);
    for (std::size_t i = 0; i < n; ++i) data[i] = static_cast<std::uint8_t>(seed ^ (i * 31));
    return data;
}

TEST(InstrumentSetup, PluginAndPresetByInstrumentId) {
    struct Case {
        const char* host;
        std::int64_t ciid;
        const char* effectType;
        const char* plugin;
        const char* preset;
    };
    const Case cases[] = {
        {kFullEdition, 1, "Sampler - Miravox Lite", "Miravox Lite", "[GM 001] Acoustic Grand Piano"},
        // The list holds "Frozen Lake Deep" before "Frozen Lake": the match is exact.
        {kFullEdition, 152, "Sampler - Miravox Lite", "Miravox Lite", "Frozen Lake"},
        {kFullEdition, 153, "No Instrument", "(none)", "(none)"},
        {kFullEdition, 160, "Drums - Beatwright Lite", "Beatwright Lite", "(none)"},
        {kOlderEdition, 160, "Drums - Beatwright Mini", "Beatwright Mini", "(none)"},
        {kOlderEdition, 175, "Drums - Beatwright Mini", "Beatwright Mini", "(none)"},
        {kSmallEdition, 203, "Sampler - Miravox Lite", "Miravox Lite", "Metallic Kit"},
        {kFullEdition, 1000000000, "No Instrument", "(none)", "(none)"},
        {kFullEdition, 1432126748, "Sampler - Miravox Lite", "Miravox Lite",
         "[GM 005] Electric Piano 1"},
        {kOlderEdition, 1432663097, "Drums - Beatwright Mini", "Beatwright Mini", "(none)"},
        {kFullEdition, 1432663097, "Drums - Beatwright Lite", "Beatwright Lite", "(none)"},
        {kFullEdition, 99001, "Synth - Analora", "Analora", "(none)"},
        // In the multi-sound range but not in the table: the plug-in's own default.
        {kFullEdition, 5, "Sampler - Miravox Lite", "Miravox Lite", "Init"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.host << " id " << c.ciid);
        Bench bench(c.host);
        RefHost::Node& track = bench.addTrack(c.ciid, 1);
        EXPECT_EQ(bench.setup(0, Tessaro::instrumentPluginName(static_cast<std::uint64_t>(c.ciid))), 1);
        const Seen s = seen(track);
        EXPECT_EQ(s.effectType, c.effectType);
        EXPECT_EQ(s.plugin, c.plugin);
        EXPECT_EQ(s.preset, c.preset);
        const auto found = bench.finish();
        EXPECT_TRUE(found.clean()) << found.firstMisuse() << " held " << found.held;
    }
}

TEST(InstrumentSetup, EveryTablePresetOfTheMultiSoundRangesIsOffered) {
    // The host's preset list holds every preset the table names for the multi-sound ids.
    for (const auto& row : Tessaro::kInstrumentPresets) {
        if (Tessaro::instrumentPluginName(row.id) != "Miravox Lite") continue;
        SCOPED_TRACE(row.id);
        Bench bench(kFullEdition);
        RefHost::Node& track = bench.addTrack(row.id, 1);
        bench.setup(0, "Miravox Lite");
        EXPECT_EQ(seen(track).preset, row.presetName);
        EXPECT_TRUE(bench.finish().clean());
    }
}

TEST(InstrumentSetup, FullEditionNameOfTheMultiSoundPlugin) {
    struct Case {
        const char* host;
        const char* effectType;
        const char* preset;
    };
    const Case cases[] = {
        {kFullEdition, "Sampler - Miravox", "[GM 034] Electric Bass (Finger)"},
        // An edition without it leaves the slot as it was.
        {kSmallEdition, "No Instrument", "(none)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        Bench bench(c.host);
        RefHost::Node& track = bench.addTrack(20, 1);
        bench.setup(0, "Miravox");
        EXPECT_EQ(seen(track).effectType, c.effectType);
        EXPECT_EQ(seen(track).preset, c.preset);
        EXPECT_TRUE(bench.finish().clean());
    }
}

TEST(InstrumentSetup, MissingPiecesEndTheSetUpQuietly) {
    {
        SCOPED_TRACE("no track number");
        Bench bench(kFullEdition);
        RefHost::Node& track = bench.addTrack(1, std::nullopt);
        EXPECT_EQ(bench.setup(0, "Miravox Lite"), 1);
        EXPECT_EQ(seen(track).effectType, "No Instrument");
        EXPECT_EQ(RefHost::instrumentSlotOf(*track.channel)->findParameter("effectType")->changes, 0u);
        EXPECT_TRUE(bench.finish().clean());
    }
    {
        SCOPED_TRACE("no instrument id: the plug-in is chosen, its preset stays");
        Bench bench(kFullEdition);
        RefHost::Node& track = bench.addTrack(std::nullopt, 1);
        EXPECT_EQ(bench.setup(0, "Miravox Lite"), 1);
        EXPECT_EQ(seen(track).plugin, "Miravox Lite");
        EXPECT_EQ(seen(track).preset, "Init");
        EXPECT_EQ(seen(track).presetChanges, 0u);
        EXPECT_TRUE(bench.finish().clean());
    }
    {
        SCOPED_TRACE("no slot whose name begins with the tag");
        Bench bench(kFullEdition, [](RefHost::Profile& p) {
            p.data["instruments"]["slot"]["name"] = "Instrument";
        });
        RefHost::Node& track = bench.addTrack(1, 1);
        EXPECT_EQ(bench.setup(0, "Miravox Lite"), 1);
        EXPECT_EQ(seen(track).effectType, "No Instrument");
        EXPECT_TRUE(bench.finish().clean());
    }
    {
        SCOPED_TRACE("a plug-in the edition does not offer");
        Bench bench(kFullEdition);
        RefHost::Node& track = bench.addTrack(1, 1);
        EXPECT_EQ(bench.setup(0, "Theremin"), 1);
        EXPECT_EQ(seen(track).effectType, "No Instrument");
        EXPECT_TRUE(bench.finish().clean());
    }
    {
        SCOPED_TRACE("an empty plug-in name");
        Bench bench(kFullEdition);
        RefHost::Node& track = bench.addTrack(153, 1);
        EXPECT_EQ(bench.setup(0, ""), 1);
        EXPECT_EQ(RefHost::instrumentSlotOf(*track.channel)->findParameter("effectType")->changes, 0u);
        EXPECT_TRUE(bench.finish().clean());
    }
}

TEST(InstrumentSetup, SynthLoadsTheFirstRecordOfItsTrack) {
    Bench bench(kFullEdition);
    RefHost::Node& track = bench.addTrack(99001, 3);
    bench.addRecord(2, pattern(50, 1), u"Other track");
    bench.addRecord(3, pattern(700, 2), u"Glass Pad");
    bench.addRecord(3, pattern(90, 3), u"Second of track 3");
    EXPECT_EQ(bench.setup(0, "Analora"), 1);

    const auto* instance = RefHost::instrumentInstanceOf(*RefHost::instrumentSlotOf(*track.channel));
    ASSERT_NE(instance, nullptr);
    ASSERT_EQ(instance->loads.size(), 1u);
    const RefHost::PresetLoad& load = instance->loads[0];
    EXPECT_TRUE(load.loaded) << load.refusal;
    EXPECT_EQ(load.name, "Glass Pad");
    EXPECT_EQ(load.classId, "7E21A4C03B5D4F96A8C2D17E5F09B3A4");
    EXPECT_EQ(load.state, pattern(700, 2));

    const RefHost::Report report = RefHost::makeReport(*bench.host, 0);
    const auto& entry = report["tracks"][0]["instrument"];
    EXPECT_EQ(entry["plugin"], "Analora");
    EXPECT_EQ(entry["effectType"], "Synth - Analora");
    EXPECT_EQ(entry["classId"], "7E21A4C03B5D4F96A8C2D17E5F09B3A4");
    EXPECT_EQ(entry["state"]["name"], "Glass Pad");
    EXPECT_EQ(entry["state"]["size"], 700);
    EXPECT_EQ(entry["state"]["classId"], "7E21A4C03B5D4F96A8C2D17E5F09B3A4");
    const auto data = pattern(700, 2);
    char checksum[11];
    std::snprintf(checksum, sizeof checksum, "0x%08X", RefHost::crc32(data.data(), data.size()));
    EXPECT_EQ(entry["state"]["checksum"], checksum);
    EXPECT_TRUE(entry["refusedPresets"].empty());
    // One memory stream was made for it, and given back.
    EXPECT_TRUE(bench.finish().clean());
}

TEST(InstrumentSetup, SynthWithoutAStoredStateKeepsItsDefault) {
    struct Case {
        const char* name;
        std::uint16_t recordTrack;
        std::size_t dataSize;
    };
    const Case cases[] = {
        {"no record at all", 0, 0},
        {"a record of another track", 4, 10},
        {"a record without data", 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bench bench(kFullEdition);
        RefHost::Node& track = bench.addTrack(99001, 1);
        if (c.recordTrack) bench.addRecord(c.recordTrack, pattern(c.dataSize, 5), u"State");
        EXPECT_EQ(bench.setup(0, "Analora"), 1);
        const auto* instance =
            RefHost::instrumentInstanceOf(*RefHost::instrumentSlotOf(*track.channel));
        ASSERT_NE(instance, nullptr);
        EXPECT_TRUE(instance->loads.empty());
        const RefHost::Report report = RefHost::makeReport(*bench.host, 0);
        EXPECT_TRUE(report["tracks"][0]["instrument"]["state"].is_null());
        EXPECT_TRUE(bench.finish().clean());
    }
}

TEST(InstrumentSetup, ReportOfTracksWithoutAnInstrumentSlot) {
    Bench bench(kFullEdition);
    TessaroTest::addTrack(*bench.host, "audio", u"Vocals");
    const RefHost::Report report = RefHost::makeReport(*bench.host, 0);
    EXPECT_TRUE(report["tracks"][0]["instrument"].is_null());
    EXPECT_TRUE(bench.finish().clean());
}

TEST(InstrumentSetup, EveryProfileNamesItsSlotWithTheTag) {
    const RefHost::ProfileStore store;
    const auto profiles = store.list();
    ASSERT_FALSE(profiles.empty());
    for (const auto& info : profiles) {
        SCOPED_TRACE(info.id);
        const RefHost::Profile profile = store.load(info.id);
        const std::string name = profile.data.at("instruments").at("slot").at("name");
        EXPECT_TRUE(name.starts_with(Tessaro::kInstrumentSlotTag)) << name;
        EXPECT_EQ(std::string(Tessaro::kInstrumentSlotTag).size(), 5u);
    }
}

}  // namespace
