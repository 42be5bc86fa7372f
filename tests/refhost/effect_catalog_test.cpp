// The effect plug-ins of the reference host: the instance a slot's list parameter chooses,
// the channel strip's modules, and the channel layouts of the editions.
#include <gtest/gtest.h>

#include "refhost/effect_catalog.h"
#include "tests/support/host_access.h"
#include "tests/support/import_harness.h"

namespace {

using Tessaro::IPtr;
using Tessaro::queryTo;
using namespace TessaroTest;

IPtr<Host::IParamNode> rootOf(Host::FUnknown* track) {
    IPtr<Host::IParamNode> root;
    queryTo<Host::IChannel>(track)->getParamRoot(root.put());
    return root;
}

IPtr<Host::IParamNode> childAt(Host::IParamNode* node, Host::int32 index) {
    IPtr<Host::IParamNode> c;
    node->getChild(index, c.put());
    return c;
}

IPtr<Host::IParamNode> child(Host::IParamNode* node, const char* name) {
    IPtr<Host::IParamNode> c;
    node->findChild(name, c.put());
    return c;
}

IPtr<Host::IParameter> param(Host::IParamNode* node, const char* name) {
    IPtr<Host::IParameter> p;
    node->findParameter(name, p.put());
    return p;
}

std::vector<std::string> childNames(Host::IParamNode* node) {
    std::vector<std::string> names;
    for (Host::int32 i = 0; i < node->getChildCount(); ++i) names.push_back(nameOf(childAt(node, i).get()));
    return names;
}

}  // namespace

TEST(EffectCatalog, TheChosenPluginIsTheSlotsFirstChild) {
    auto host = makeHost("ombrel-7.0.1");
    auto track = addTrack(*host, "audio", u"Guitar");
    {
        auto root = rootOf(track.get());
        auto slot = childAt(child(root.get(), "Inserts").get(), 3);
        auto type = param(slot.get(), "effectType");
        EXPECT_EQ(slot->getChildCount(), 0);  // "No Effect"

        type->setValue(7);  // "Dynamics - Compressor"
        ASSERT_EQ(slot->getChildCount(), 1);
        auto plugin = childAt(slot.get(), 0);
        EXPECT_EQ(nameOf(plugin.get()), "Compressor");
        IPtr<Host::IParameter> makeup;
        ASSERT_EQ(plugin->findParameterByTag(4205, makeup.put()), Host::kResultOk);
        EXPECT_EQ(makeup->getMax(), 100);
        makeup->setValue(80);

        // Choosing the same entry again keeps the instance and its values.
        type->setValue(7);
        EXPECT_EQ(childAt(slot.get(), 0)->findParameterByTag(4205, makeup.put()),
                  Host::kResultOk);
        EXPECT_EQ(makeup->getValue(), 80.0);

        // Another plug-in replaces it with a fresh instance.
        type->setValue(3);  // "Delay - Echolet"
        ASSERT_EQ(slot->getChildCount(), 1);
        auto delay = childAt(slot.get(), 0);
        EXPECT_EQ(nameOf(delay.get()), "Echolet");
        IPtr<Host::IParameter> note;
        ASSERT_EQ(delay->findParameterByTag(4219, note.put()), Host::kResultOk);
        EXPECT_EQ(note->getMax(), 18);
        EXPECT_TRUE(queryTo<Host::IListParameter>(note));

        type->setValue(0);
        EXPECT_EQ(slot->getChildCount(), 0);
    }
    track.reset();
    EXPECT_TRUE(host->account().findings().clean());
}

TEST(EffectCatalog, StripSlotsHoldTheirModules) {
    auto host = makeHost("ombrel-7.0.1");
    auto track = addTrack(*host, "instrument", u"Keys");
    {
        auto strips = child(rootOf(track.get()).get(), "Strips");
        ASSERT_TRUE(strips);
        std::vector<std::string> modules;
        for (Host::int32 i = 0; i < strips->getChildCount(); ++i)
            modules.push_back(nameOf(childAt(childAt(strips.get(), i).get(), 0).get()));
        EXPECT_EQ(modules, (std::vector<std::string>{"Filter", "Gate", "Compressor", "EQ",
                                                      "Saturation"}));
        // The gate slot starts as an expander; the noise gate has more to set.
        auto gateSlot = childAt(strips.get(), 1);
        auto gate = childAt(gateSlot.get(), 0);
        IPtr<Host::IParameter> sidechain;
        EXPECT_NE(gate->findParameterByTag(4617, sidechain.put()), Host::kResultOk);
        param(gateSlot.get(), "moduleType")->setValue(0);
        gate = childAt(gateSlot.get(), 0);
        EXPECT_EQ(nameOf(gate.get()), "Gate");
        EXPECT_EQ(gate->findParameterByTag(4617, sidechain.put()), Host::kResultOk);
        EXPECT_EQ(gateSlot->getChildCount(), 1);
    }
    track.reset();
    EXPECT_TRUE(host->account().findings().clean());
}

TEST(EffectCatalog, ChannelLayoutsByEdition) {
    struct Case {
        const char* host;
        std::vector<std::string> children;
        std::vector<std::string> strip;  // the sub-node's children
        bool inputPhaseOnChannel;
    };
    const Case cases[] = {
        {"ombrel-6.5.5", {"Panner", "Inserts", "Sends", "EQ"}, {}, true},
        {"ombrel-fold-6.9.9", {"Panner", "Inserts", "Sends", "EQ"}, {}, true},
        {"ombrel-7.0.1", {"InputFilter", "Panner", "Inserts", "Sends", "Strips"},
         {"Channel Limiter"}, false},
        {"ombrel-kip-7.0.0", {"InputFilter", "Panner", "Inserts", "Sends", "Strips"},
         {"Channel Limiter"}, false},
        {"larkwin-6.5.0", {"InputFilter", "Panner", "Inserts", "Sends", "Strips"},
         {"Channel Limiter Slot"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        auto host = makeHost(c.host);
        auto track = addTrack(*host, "audio", u"Guitar");
        {
            auto root = rootOf(track.get());
            EXPECT_EQ(childNames(root.get()), c.children);
            IPtr<Host::IParamNode> strip;
            root->getSubNode(strip.put());
            EXPECT_EQ(strip ? childNames(strip.get()) : std::vector<std::string>{}, c.strip);
            EXPECT_EQ(static_cast<bool>(param(root.get(), "inputPhase")), c.inputPhaseOnChannel);
        }
        track.reset();
        EXPECT_TRUE(host->account().findings().clean());
    }
}

TEST(EffectCatalog, EveryEntryOfTheEffectListsNamesAPlugin) {
    const RefHost::Profile profile = loadProfile("ombrel-7.0.1");
    for (const char* list : {"insertEffects", "stripFilters", "stripGates", "stripCompressors",
                             "stripEqs", "stripSaturations"}) {
        for (const auto& entry : profile.list(list)) {
            if (entry.name == u"No Effect") {
                EXPECT_FALSE(RefHost::pluginTemplate(profile, entry.name));
                continue;
            }
            const auto plugin = RefHost::pluginTemplate(profile, entry.name);
            ASSERT_TRUE(plugin) << Tessaro::toUtf8(entry.name);
            EXPECT_FALSE(plugin->params.empty());
            for (const auto& p : plugin->params) EXPECT_GE(p.max, 1) << p.name;
        }
    }
}
