#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <set>
#include <string>

#include "instruments/instrument_setup.h"
#include "instruments/preset_table.h"

namespace {

using Tessaro::instrumentPluginName;
using Tessaro::instrumentPresetName;

struct IdCase {
    std::uint64_t id;
    const char* plugin;
    const char* preset;
};

// Both ends of every range, the ids just outside them, and the rows the format names.
const IdCase kIdCases[] = {
    {0, "", ""},
    {1, "Miravox Lite", "[GM 001] Acoustic Grand Piano"},
    {5, "Miravox Lite", ""},
    {152, "Miravox Lite", "Frozen Lake"},
    {153, "", ""},
    {159, "", ""},
    {160, "Beatwright Lite", "Rock Kit 1"},
    {175, "Beatwright Lite", "8 Bit Kit 2"},
    {176, "Miravox Lite", "[GM 033] Acoustic Bass"},
    {203, "Miravox Lite", "Metallic Kit"},
    {210, "Miravox Lite", "[GM 050] String Ensemble 2"},
    {211, "", ""},
    {99000, "", ""},
    {99001, "Analora", "Analora"},
    {999999999, "Analora", ""},
    {1000000000, "", ""},
    {1432099999, "", ""},
    {1432100000, "Miravox Lite", ""},
    {1432126748, "Miravox Lite", "[GM 005] Electric Piano 1"},
    {1432126829, "Miravox Lite", "[GM 002] Bright Acoustic Piano"},
    {1432599999, "Miravox Lite", ""},
    {1432600000, "Beatwright Lite", ""},
    {1432663097, "Beatwright Lite", "Alive"},
    {1432663369, "Beatwright Lite", "No Worlds"},
    {1432663607, "Beatwright Lite", "Willow Crest"},
    {4294967295u, "Beatwright Lite", ""},
    // Ids are 64-bit: one that equals a table id only in its low 32 bits is another id.
    {4294967296u + 1432663097u, "Beatwright Lite", ""},
    {4294967296u + 1, "Beatwright Lite", ""},
    {std::numeric_limits<std::uint64_t>::max(), "Beatwright Lite", ""},
};

TEST(InstrumentMapping, PluginAndPresetByIdBoundaries) {
    for (const auto& c : kIdCases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(instrumentPluginName(c.id), c.plugin);
        EXPECT_EQ(instrumentPresetName(c.id), c.preset);
    }
}

TEST(InstrumentMapping, NegativeAttributeValuesCompareAsUnsigned) {
    // A track attribute is a signed 64-bit value; -1 is the largest unsigned id.
    EXPECT_EQ(instrumentPluginName(static_cast<std::uint64_t>(std::int64_t{-1})),
              "Beatwright Lite");
}

TEST(InstrumentMapping, PresetTableRowsInOrder) {
    const auto& table = Tessaro::kInstrumentPresets;
    ASSERT_EQ(table.size(), 144u);
    struct Row {
        std::size_t row;
        std::uint32_t id;
        const char* app;
        const char* preset;
    };
    const Row rows[] = {
        {0, 1, "Acoustic Piano", "[GM 001] Acoustic Grand Piano"},
        {22, 61, "R&B Kit", "[GM 133] R&B Kit"},
        {69, 151, "Morning Pad", "Good Morning Vexa"},
        {70, 152, "Frozen Pad", "Frozen Lake"},
        {87, 185, "CP80 Slow", "[GM 003] Electric Grand Piano"},
        {91, 187, "Funky Clavi", "[GM 008] Clavinet"},
        {107, 176, "Double Bass", "[GM 033] Acoustic Bass"},
        {121, 203, "Metallic Kit", "Metallic Kit"},
        {122, 99001, "Synthelle", "Analora"},
        {123, 1432663097, "AM Alive Kit", "Alive"},
        {130, 1432663369, "AM No Words Kit", "No Worlds"},
        {139, 1432126748, "EP Mark I", "[GM 005] Electric Piano 1"},
        {143, 1432126829, "Upright Piano", "[GM 002] Bright Acoustic Piano"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.row);
        EXPECT_EQ(table[r.row].id, r.id);
        EXPECT_STREQ(table[r.row].appName, r.app);
        EXPECT_STREQ(table[r.row].presetName, r.preset);
    }
}

TEST(InstrumentMapping, EveryTableIdIsUniqueAndMapsToAPlugin) {
    std::set<std::uint32_t> ids;
    for (const auto& row : Tessaro::kInstrumentPresets) {
        SCOPED_TRACE(row.id);
        EXPECT_TRUE(ids.insert(row.id).second);
        EXPECT_FALSE(instrumentPluginName(row.id).empty());
        EXPECT_EQ(instrumentPresetName(row.id), row.presetName);
    }
}

}  // namespace
