// Automation building against the reference host: which track and automation kind each
// record reaches, the values and positions its points take there, the switches, the
// records that are skipped, and the closing edit step.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "builder/automation.h"
#include "refhost/automation.h"
#include "tests/reader/chunk_bench.h"

using namespace TessaroTest;
using Tessaro::AutomationRecord;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
const std::vector<std::string> kClosingStep = {"Import Tessaro Project Automation"};

// A host-made track of kind numbered as the track info reader numbers it.
RefHost::Node& addNumbered(RefHost::Document& document, const char* kind, const char16_t* name,
                           std::int64_t number) {
    RefHost::Node* node = document.createTrack(kind);
    node->name = name;
    node->attributes["cinr"] = Host::int64{number};
    EXPECT_EQ(document.insertTrack(document.trackRoot, *node), "");
    return *node;
}

AutomationRecord record(std::int32_t type, std::int32_t targetId,
                        std::vector<std::uint32_t> positions, std::vector<float> values) {
    AutomationRecord r;
    r.type = type;
    r.targetId = targetId;
    r.positions = std::move(positions);
    r.values = std::move(values);
    return r;
}

struct Point {
    std::optional<double> position;
    std::optional<double> value;
    std::optional<Host::int32> flags;
    bool operator==(const Point&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Point& p) {
    auto show = [&](const auto& v) -> std::ostream& {
        if (v) return out << std::hexfloat << static_cast<double>(*v) << std::defaultfloat;
        return out << "unset";
    };
    out << "{";
    show(p.position) << ", ";
    show(p.value) << ", ";
    return show(p.flags) << "}";
}

// The points of a track's automation track of kind; empty when there is none.
std::vector<Point> pointsOf(const RefHost::Node& track, Host::int32 kind) {
    std::vector<Point> points;
    if (!track.automation) return points;
    if (const RefHost::AutomationLane* lane = track.automation->lane(kind))
        for (const RefHost::AutomationEvent* e : lane->events)
            points.push_back({e->position, e->value, e->flags});
    return points;
}

TEST(AutomationBuild, EachTypeReachesItsKindOnTheNumberedTrack) {
    struct Case {
        const char* what;
        AutomationRecord record;
        Host::int32 kind;
        std::vector<Point> points;  // on track 2
    };
    const std::vector<Case> cases = {
        {"volume at its anchors",
         record(1, 250, {0, 480, 960, 1440, 1920}, {3.981071706f, 0.0f, 1.0f, -2.0f, kNaN}),
         Host::IAutomationTrack::kVolume,
         {{0.0, 1.0, 0}, {0.5, 0.0, 0}, {1.0, 0x1.6a77dep-1, 0}, {0x1.800002p+0, 0.0, 0},
          {2.0, 0.0, 0}}},
        {"pan from -1..1 to 0..1", record(2, 200, {0, 480, 960, 1440}, {-1.0f, 0.0f, 1.0f, kNaN}),
         Host::IAutomationTrack::kPan,
         {{0.0, 0.0, 0}, {0.5, 0.5, 0}, {1.0, 1.0, 0}, {0x1.800002p+0, 0.0, 0}}},
        {"the third kind as it stands", record(3, 299, {0, 960}, {0.37f, kNaN}),
         Host::IAutomationTrack::kSendLevel,
         {{0.0, 0.37000000476837158, 0}, {1.0, 0.0, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ChunkBench bench;
        bench.song().header.tickFactor = 1.0f / 960.0f;
        auto& doc = bench.document();
        RefHost::Node& one = addNumbered(doc, "instrument", u"One", 1);
        RefHost::Node& two = addNumbered(doc, "audio", u"Two", 2);
        RefHost::Node& three = addNumbered(doc, "instrument", u"Three", 3);
        bench.song().lists.automation.push_back(c.record);

        Tessaro::buildAutomation(bench.session(), bench.notes(), bench.song());

        ASSERT_NE(two.automation, nullptr);
        EXPECT_EQ(two.automation->readEnabled, true);
        EXPECT_EQ(two.automation->writeEnabled, false);
        EXPECT_EQ(two.automation->shown, true);
        ASSERT_EQ(two.automation->lanes.size(), 1u);
        EXPECT_EQ(two.automation->lanes.front()->kind, c.kind);
        EXPECT_EQ(pointsOf(two, c.kind), c.points);
        EXPECT_EQ(one.automation, nullptr);
        EXPECT_EQ(three.automation, nullptr);
        EXPECT_EQ(bench.host().records().editSteps, kClosingStep);
        const auto found = bench.finish();
        EXPECT_TRUE(found.clean()) << found.firstMisuse();
    }
}

TEST(AutomationBuild, PositionsTakeTheFactorInSinglePrecision) {
    ChunkBench bench;
    bench.song().header.tickFactor = 1.0f / 3.0f;
    RefHost::Node& track = addNumbered(bench.document(), "instrument", u"One", 1);
    bench.song().lists.automation.push_back(
        record(2, 100, {1000, 3840, 0xFFFFFFFFu}, {0.0f, 0.0f, 0.0f}));
    Tessaro::buildAutomation(bench.session(), bench.notes(), bench.song());
    const std::vector<Point> expected = {
        {333.33334350585938, 0.5, 0}, {1280.0, 0.5, 0}, {1431655808.0, 0.5, 0}};
    EXPECT_EQ(pointsOf(track, Host::IAutomationTrack::kPan), expected);
    EXPECT_TRUE(bench.finish().clean());
}

TEST(AutomationBuild, RecordsForTheSameTrackShareItsAutomationTracks) {
    ChunkBench bench;
    bench.song().header.tickFactor = 1.0f;
    RefHost::Node& track = addNumbered(bench.document(), "audio", u"One", 7);
    auto& records = bench.song().lists.automation;
    records.push_back(record(2, 700, {0}, {1.0f}));
    records.push_back(record(1, 742, {10}, {0.0f}));
    records.push_back(record(2, 799, {20, 30}, {-1.0f, 0.5f}));
    Tessaro::buildAutomation(bench.session(), bench.notes(), bench.song());

    ASSERT_NE(track.automation, nullptr);
    ASSERT_EQ(track.automation->lanes.size(), 2u);
    EXPECT_EQ(pointsOf(track, Host::IAutomationTrack::kPan),
              (std::vector<Point>{{0.0, 1.0, 0}, {20.0, 0.0, 0}, {30.0, 0.75, 0}}));
    EXPECT_EQ(pointsOf(track, Host::IAutomationTrack::kVolume),
              (std::vector<Point>{{10.0, 0.0, 0}}));
    EXPECT_TRUE(bench.finish().clean());
}

TEST(AutomationBuild, RecordsWithoutATrackOrKindAreSkipped) {
    struct Case {
        const char* what;
        AutomationRecord record;
        bool switchesSet;  // the track's automation was reached
    };
    const std::vector<Case> cases = {
        {"target below 100", record(1, 99, {0}, {1.0f}), false},
        {"negative target", record(1, -200, {0}, {1.0f}), false},
        {"no track numbered 3", record(1, 300, {0}, {1.0f}), false},
        {"an effect channel is not looked up", record(1, 500, {0}, {1.0f}), false},
        {"a type without a kind", record(4, 100, {0}, {1.0f}), true},
        {"no points", record(1, 100, {}, {}), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ChunkBench bench("Ombrel Fold 7.0.0");
        bench.song().header.tickFactor = 1.0f;
        auto& doc = bench.document();
        RefHost::Node& one = addNumbered(doc, "instrument", u"One", 1);
        RefHost::Node& bus = addNumbered(doc, "FX Channel", u"Bus 5", 5);
        bench.song().lists.automation.push_back(c.record);
        Tessaro::buildAutomation(bench.session(), bench.notes(), bench.song());

        EXPECT_EQ(bus.automation, nullptr);
        EXPECT_EQ(one.automation != nullptr, c.switchesSet);
        if (one.automation) {
            EXPECT_EQ(one.automation->shown, true);
            for (Host::int32 kind = 0; kind < 3; ++kind) EXPECT_TRUE(pointsOf(one, kind).empty());
        }
        EXPECT_EQ(bench.host().records().editSteps, kClosingStep);
        EXPECT_TRUE(bench.finish().clean());
    }
}

TEST(AutomationBuild, TheClosingStepRunsOnceWithoutRecords) {
    ChunkBench bench;
    addNumbered(bench.document(), "instrument", u"One", 1);
    Tessaro::buildAutomation(bench.session(), bench.notes(), bench.song());
    EXPECT_EQ(bench.host().records().editSteps, kClosingStep);
    EXPECT_EQ(bench.document().tracks().front().node->automation, nullptr);
    EXPECT_TRUE(bench.finish().clean());
}

}  // namespace
