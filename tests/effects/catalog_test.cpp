// The module's effect tables against the host editions' plug-ins: every plug-in the module
// asks for is offered by every edition, and every tag a conversion row sets is a parameter
// of the node it is set on. A row whose tag the host lacks would be skipped silently, so
// this is where a typo in a table shows.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <type_traits>

#include "effects/effect_tables.h"
#include "model/effect_kinds.h"
#include "hostkit/host_helpers.h"
#include "refhost/effect_catalog.h"
#include "tests/support/import_harness.h"

using namespace Tessaro;

namespace {

std::set<Host::int32> tagsOf(const RefHost::NodeTemplate& node) {
    std::set<Host::int32> tags;
    for (const auto& p : node.params) tags.insert(p.tag);
    return tags;
}

template <class S>
void expectTags(std::span<const Row<S>> rows, const std::set<Host::int32>& tags,
                const std::string& where, const std::set<Host::int32>& optional = {}) {
    for (const auto& row : rows) {
        if (optional.contains(row.tag)) continue;
        EXPECT_TRUE(tags.contains(row.tag)) << where << " lacks tag " << row.tag;
    }
}

const RefHost::NodeTemplate* childTemplate(const RefHost::NodeTemplate& node,
                                           std::string_view name) {
    for (const auto& c : node.children)
        if (c.name == name) return &c;
    return nullptr;
}

const char* kHosts[] = {"Ombrel 6.5.5", "Ombrel 7.0.1", "Ombrel Fold 6.9.9",
                        "Ombrel Kip 7.0.0", "Larkwin 5.5.6", "Larkwin 6.5.0"};

}  // namespace

TEST(Catalog, EveryEditionOffersEveryPluginWithTheConvertedTags) {
    for (const char* host : kHosts) {
        SCOPED_TRACE(host);
        const RefHost::Profile profile = TessaroTest::loadProfile(host);
        for (const auto& [kind, name] : kPluginNames) {
            const RefHost::ListEntry* entry = nullptr;
            for (const auto& e : profile.list("insertEffects"))
                if (withoutCategory(e.name) == name && !entry) entry = &e;
            ASSERT_TRUE(entry) << "kind " << kind;
            const auto plugin = RefHost::pluginTemplate(profile, entry->name);
            ASSERT_TRUE(plugin) << "kind " << kind;
            const std::string where = "plug-in of kind " + std::to_string(kind);
            // The rows of the kind's parameters, as the kind's table names them.
            EXPECT_TRUE(visitEffectKind(kind, [&](const auto& table) {
                using P = typename std::decay_t<decltype(table)>::Parameters;
                if constexpr (std::is_same_v<P, TonalixParameters>) {
                    for (const auto& band : kTonalixInsertRows)
                        expectTags<TonalixBand>(band, tagsOf(*plugin), where);
                } else {
                    expectTags<P>(kInsertRows<P>, tagsOf(*plugin), where);
                }
            }));
        }
    }
}

TEST(Catalog, ChannelEqStripAndLimiterHaveTheConvertedTags) {
    for (const char* host : kHosts) {
        SCOPED_TRACE(host);
        const RefHost::Profile profile = TessaroTest::loadProfile(host);
        const RefHost::NodeTemplate& channel = profile.layout("AudioChannel");
        if (const auto* eq = childTemplate(channel, "EQ")) {
            EXPECT_TRUE(tagsOf(*eq).contains(kChannelEqLayout.onTag));
            for (const auto& band : kChannelEqRows)
                expectTags<TonalixBand>(band, tagsOf(*eq), "channel EQ");
        }
        if (const auto* strips = childTemplate(channel, "Strips")) {
            // Every module the Lanefix mapping chooses, and the strip's EQ module.
            for (const char16_t* module :
                 {u"Filter - Channel Filter", u"Gate - Noise Gate",
                  u"Compressor - Standard Compressor", u"Saturation - Tube Saturation"}) {
                const auto node = RefHost::pluginTemplate(profile, module);
                ASSERT_TRUE(node);
                bool found = false;
                for (const auto& m : kLanefixModules) {
                    if (node->name != m.module) continue;
                    expectTags<LanefixParameters>(m.rows, tagsOf(*node), node->name);
                    found = true;
                }
                EXPECT_TRUE(found) << node->name;
            }
            const auto eq = RefHost::pluginTemplate(profile, u"EQ - Channel EQ");
            ASSERT_TRUE(eq);
            EXPECT_EQ(eq->name, "EQ");
            // The inner bands of the strip EQ have no type.
            const std::set<Host::int32> innerTypes = {4521, 4531};
            for (const auto& band : kStripEqRows)
                expectTags<TonalixBand>(band, tagsOf(*eq), "strip EQ", innerTypes);
            EXPECT_EQ(strips->children.size(), 5u);
        }
        if (!channel.subNode.empty()) {
            const auto& strip = channel.subNode.front();
            const auto* limiter = childTemplate(strip, "Channel Limiter");
            if (!limiter) limiter = childTemplate(strip, "Channel Limiter Slot");
            ASSERT_TRUE(limiter);
            expectTags<BrickwallParameters>(EffectTables::kBrickwall, tagsOf(*limiter), "limiter");
        }
    }
}
