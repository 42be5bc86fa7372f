// Host editions as profiles: finding, loading and extending them, and what a profile
// decides about the host context.
#include <gtest/gtest.h>

#include <set>

#include "base/text.h"
#include "hostkit/edition.h"
#include "hostkit/host_version.h"
#include "tests/support/host_access.h"
#include "tests/support/import_harness.h"

namespace {

using Tessaro::IPtr;
using Tessaro::queryTo;
using namespace TessaroTest;

TEST(Profiles, AreFoundByIdNameVersionOrFile) {
    const RefHost::ProfileStore store;
    struct Case {
        std::string selector;
        const char* id;
    };
    const Case cases[] = {
        {"", "ombrel-8.0.1"},  // the newest full Ombrel
        {"Ombrel", "ombrel-8.0.1"},
        {"Ombrel Fold", "ombrel-fold-7.0.0"},
        {"Larkwin", "larkwin-6.5.0"},
        {"Larkwin 5.5.6", "larkwin-5.5.6"},
        {"ombrel-tarn-6.5.4", "ombrel-tarn-6.5.4"},
        {(store.folder() / "ombrel-kip-6.9.9.json").string(), "ombrel-kip-6.9.9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selector);
        EXPECT_EQ(store.load(c.selector).id, c.id);
    }
    for (const char* unknown : {"ombrel", "Ombrel 9.9.9", "Ombrel  Fold", "ombrel-8.0.1.json"}) {
        SCOPED_TRACE(unknown);
        EXPECT_THROW(store.load(unknown), RefHost::ProfileError);
    }
    // A base is not a host.
    try {
        store.load((store.folder() / "base/current.json").string());
        ADD_FAILURE() << "a base loaded";
    } catch (const RefHost::ProfileError& e) {
        EXPECT_NE(std::string(e.what()).find("is a base, not a host"), std::string::npos) << e.what();
    }
}

TEST(Profiles, EveryShippedEditionLoadsAndBuildsItsMixer) {
    const RefHost::ProfileStore store;
    std::set<std::string> editions;
    for (const auto& info : store.list()) {
        SCOPED_TRACE(info.id);
        auto host = makeHost(info.id);
        const auto& profile = host->profile();
        EXPECT_EQ(profile.name, info.name);
        EXPECT_EQ(profile.version.substr(0, 8), "Version ");
        const auto v = profile.versionNumbers();
        editions.insert(profile.name + " " + std::to_string(v.major) + "." +
                        std::to_string(v.minor) + "." + std::to_string(v.patch));
        // Every kind of track channel can be made.
        for (const char* kind : {"instrument", "audio", "FX Channel"}) EXPECT_TRUE(addTrack(*host, kind, u"T"));
        EXPECT_EQ(host->account().findings().misuseCount, 0u);
    }
    // Versions on both sides of each edition rule of the importer.
    for (const char* wanted :
         {"Ombrel 6.5.4", "Ombrel 6.5.5", "Ombrel 7.0.0", "Ombrel 7.0.1", "Ombrel 7.5.0",
          "Ombrel 8.0.0", "Ombrel Tarn 6.5.4", "Ombrel Tarn 6.5.5", "Ombrel Tarn 7.0.0",
          "Ombrel Tarn 7.0.1", "Ombrel Fold 5.9.9", "Ombrel Fold 6.9.9", "Ombrel Fold 7.0.0",
          "Ombrel Kip 6.9.9", "Ombrel Kip 7.0.0", "Ombrel Zet 6.9.9", "Ombrel Zet 7.0.0",
          "Larkwin 5.5.5", "Larkwin 5.5.6", "Larkwin 6.0.0", "Larkwin 6.0.1", "Larkwin 6.5.0"})
        EXPECT_TRUE(editions.contains(wanted)) << wanted;
}

TEST(Profiles, VersionNumbersFollowTheEightLeadingCharacters) {
    struct Case {
        const char* text;
        RefHost::VersionNumbers v;
    };
    const Case cases[] = {
        {"Version 7.0.1", {7, 0, 1}},   {"Version 10.12.3", {10, 12, 3}},
        {"Version 7", {7, 0, 0}},       {"Version", {0, 0, 0}},
        {"Version x.1.2", {0, 0, 0}},   {"Release 6.5.5 beta", {6, 5, 5}},
    };
    for (const auto& c : cases) EXPECT_EQ(RefHost::parseVersionNumbers(c.text), c.v) << c.text;
}

TEST(Profiles, TheApplicationInfoGivesTheProfilesNameAndVersion) {
    auto host = makeHost("ombrel-fold-6.9.9");
    auto info = contextAs<Host::IApplicationInfo>(*host);
    ASSERT_TRUE(info);
    EXPECT_EQ(Tessaro::readHostText([&](char16_t* b, Host::int32 n) { return info->getName(b, n); }),
              u"Ombrel Fold");
    EXPECT_EQ(Tessaro::readHostText([&](char16_t* b, Host::int32 n) { return info->getVersion(b, n); }),
              u"Version 6.9.9");
}

TEST(Profiles, AServiceTheProfileDropsIsNotAnswered) {
    struct Case {
        const char* service;
        Host::FUID iid;
    };
    const Case cases[] = {
        {"messageDisplay", Host::IMessageDisplay::iid}, {"fileAccess", Host::IFileAccess::iid},
        {"applicationInfo", Host::IApplicationInfo::iid}, {"mixerAccess", Host::IMixerAccess::iid},
        {"transport", Host::ITransport::iid},           {"editContext", Host::IEditContext::iid},
    };
    for (const auto& dropped : cases) {
        SCOPED_TRACE(dropped.service);
        auto host = makeHost({}, [&](RefHost::Profile& p) { p.services[dropped.service] = false; });
        for (const auto& c : cases) {
            void* out = nullptr;
            const auto result = host->lendContext()->queryInterface(c.iid, &out);
            EXPECT_EQ(result, &c == &dropped ? Host::kNoInterface : Host::kResultOk) << c.service;
            if (out) static_cast<Host::FUnknown*>(out)->release();
        }
        EXPECT_TRUE(host->account().findings().clean());
    }
}

TEST(Profiles, ABrokenProfileIsRefusedWithItsReason) {
    TempFolder folder;
    auto write = [&](const std::string& name, const std::string& text) {
        folder.write(name, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    };
    write("base/a.json", R"({"abstract": true, "extends": "base/b", "name": "A"})");
    write("base/b.json", R"({"abstract": true, "extends": "base/a", "name": "B"})");
    write("loop.json", R"({"extends": "base/a", "name": "Loop", "version": "Version 1.0.0"})");
    write("badlist.json", R"({"name": "X", "version": "Version 1.0.0", "mixer": {"layouts": {
        "AudioChannel": {"name": "C", "params": [{"name": "effectType", "list": "none"}]}}}})");
    write("badalias.json", R"({"name": "Y", "version": "Version 1.0.0",
        "mixer": {"layouts": {"Synth": "AudioChannel"}}})");
    write("badjson.json", R"({"name": "Z", )");
    write("good.json", R"({"name": "Good", "version": "Version 1.2.3", "mixer": {"value": 4.0,
        "outputs": [{"name": "Out", "layout": "Out"}], "layouts": {"Out": {"name": "O"}}}})");

    const RefHost::ProfileStore store(folder.path());
    struct Case {
        std::string selector;
        const char* reason;
    };
    const Case cases[] = {
        {"loop", "extends too deeply"},
        {"badlist", "parameter \"effectType\" names the unknown list \"none\""},
        {"badalias", "layout \"Synth\" names the unknown layout \"AudioChannel\""},
        {(folder.path() / "badjson.json").string(), "cannot read profile"},
        {(folder.path() / "base/a.json").string(), "extends too deeply"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selector);
        try {
            store.load(c.selector);
            ADD_FAILURE() << "loaded";
        } catch (const RefHost::ProfileError& e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
    }
    // The list holds the hosts that load; the broken ones and the bases are left out.
    const auto hosts = store.list();
    ASSERT_EQ(hosts.size(), 1u);
    EXPECT_EQ(hosts[0].id, "good");
    EXPECT_EQ(hosts[0].version, "Version 1.2.3");
    EXPECT_EQ(store.load("Good 1.2.3").outputs.size(), 1u);
}

TEST(Profiles, ANameFindsTheNewestOfItsProfilesThatLoads) {
    TempFolder folder;
    auto write = [&](const std::string& name, const std::string& text) {
        folder.write(name, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    };
    const std::string mixer = R"("mixer": {"outputs": [{"name": "Out", "layout": "Out"}],
        "layouts": {"Out": {"name": "O"}}})";
    write("good-1.json", R"({"name": "Good", "version": "Version 1.2.3", )" + mixer + "}");
    write("good-1b.json", R"({"name": "Good", "version": "Version 1.2.3", )" + mixer + "}");
    // Newer, but it does not load.
    write("good-2.json", R"({"name": "Good", "version": "Version 2.0.0", "mixer": {"layouts": {
        "Synth": "AudioChannel"}}})");
    // A profile that takes its name from its base.
    write("base/named.json", R"({"abstract": true, "name": "Named", )" + mixer + "}");
    write("named-1.json", R"({"extends": "base/named", "version": "Version 1.0.0"})");
    write("named-3.json", R"({"extends": "base/named", "version": "Version 3.0.0"})");

    const RefHost::ProfileStore store(folder.path());
    const struct {
        const char* selector;
        const char* id;  // null: none loads
    } cases[] = {{"Good", "good-1b"},   {"Good 1.2.3", "good-1"}, {"Good 2.0.0", nullptr},
                 {"Named", "named-3"},  {"Named 1.0.0", "named-1"}, {"Goo", nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selector);
        if (c.id)
            EXPECT_EQ(store.load(c.selector).id, c.id);
        else
            EXPECT_THROW(store.load(c.selector), RefHost::ProfileError);
    }
}

// What a profile's description says of effect channels is what the edition rules give its
// host.
TEST(Profiles, DescriptionsAgreeWithTheEffectChannelRule) {
    const RefHost::ProfileStore store;
    for (const auto& info : store.list()) {
        SCOPED_TRACE(info.id);
        const std::u16string version = Tessaro::toUtf16(info.version);
        const bool allowed = Tessaro::hostAllows(Tessaro::toUtf16(info.name),
                                                 Tessaro::parseHostVersion(version),
                                                 Tessaro::HostFeature::EffectChannels);
        const auto says = [&](const char* text) {
            return info.description.find(text) != std::string::npos;
        };
        const bool saysNone = says("no effect channels") || says("below the effect channel rule");
        const bool saysSome = says("effect channels and sends");
        if (saysNone || saysSome) {
            EXPECT_EQ(saysSome, allowed) << info.description;
        }
    }
}

}  // namespace
