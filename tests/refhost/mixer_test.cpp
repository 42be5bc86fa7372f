// The mixer: "QPL Mixer" and its value, the channels of "Channels" as devices, their
// parameter trees, parameters and list parameters, send routing.
#include <gtest/gtest.h>

#include "tests/support/host_access.h"
#include "tests/support/import_harness.h"

namespace {

using Tessaro::IPtr;
using Tessaro::queryTo;
using namespace TessaroTest;

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

IPtr<Host::IParamNode> channelsOf(RefHost::ReferenceHost& host) {
    auto access = contextAs<Host::IMixerAccess>(host);
    auto mixer = IPtr<Host::FUnknown>::share(access->findObject("QPL Mixer", 0));
    return child(queryTo<Host::IParamNode>(mixer).get(), "Channels");
}

TEST(Mixer, TheMixerObjectReportsTheProfilesValue) {
    struct Case {
        const char* host;
        std::optional<double> value;
    };
    const Case cases[] = {{"ombrel-7.0.1", 4.0}, {"ombrel-6.5.5", 3.0}, {"larkwin-6.0.1", 4.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        auto host = makeHost(c.host);
        auto access = contextAs<Host::IMixerAccess>(*host);
        Host::FUnknown* mixer = access->findObject("QPL Mixer", 0);
        ASSERT_NE(mixer, nullptr);
        auto value = queryTo<Host::IValue>(mixer);
        ASSERT_TRUE(value);
        double v = 0;
        EXPECT_EQ(value->getValue(&v), Host::kResultOk);
        EXPECT_EQ(v, *c.value);
        EXPECT_EQ(access->findObject("QPL Mixer ", 0), nullptr);
    }
    // Without a value, or without the mixer object at all.
    auto noValue = makeHost({}, [](RefHost::Profile& p) { p.mixerValue.reset(); });
    EXPECT_FALSE(queryTo<Host::IValue>(contextAs<Host::IMixerAccess>(*noValue)->findObject("QPL Mixer", 0)));
    auto noMixer = makeHost({}, [](RefHost::Profile& p) { p.mixerObject = false; });
    EXPECT_EQ(contextAs<Host::IMixerAccess>(*noMixer)->findObject("QPL Mixer", 0), nullptr);
}

TEST(Mixer, ChannelsStandInTheirGroupsAndKnowTheirPlace) {
    // Effect channels newest first, audio and instrument channels in the order made, the
    // outputs, then the device types no group names (here the instruments').
    auto host = makeHost("ombrel-8.0.1", [](RefHost::Profile& p) {
        for (auto& group : p.channelGroups) std::erase(group.types, "Synth");
    });
    const RefHost::Document& document = host->document();
    const auto listed = [&] {
        std::vector<std::string> names;
        for (const RefHost::Node* channel : document.channels.children) {
            EXPECT_EQ(document.channelIndex(*channel), static_cast<int>(names.size()));
            names.push_back(channel->shownName8());
        }
        return names;
    };
    const std::pair<const char*, const char16_t*> made[] = {
        {"audio", u"A1"}, {"FX Channel", u"F1"}, {"instrument", u"S1"},
        {"audio", u"A2"}, {"FX Channel", u"F2"}, {"instrument", u"S2"}};
    for (const auto& [kind, name] : made) {
        addTrack(*host, kind, name);
        listed();  // asked between additions: each addition moves the places behind it
    }
    EXPECT_EQ(listed(), (std::vector<std::string>{"F2", "F1", "A1", "A2", "Stereo Out", "S1", "S2"}));
    EXPECT_EQ(document.channelIndex(*document.tracks().front().node), -1);
}

TEST(Mixer, ChannelsAreDevicesThatTellOutputsFromTrackChannels) {
    auto host = makeHost("ombrel-8.0.1");
    addTrack(*host, "audio", u"Guitar");
    addTrack(*host, "instrument", u"Piano");
    addTrack(*host, "FX Channel", u"Bus 1");
    auto channels = channelsOf(*host);
    ASSERT_EQ(channels->getChildCount(), 4);
    std::vector<std::string> seen;
    for (Host::int32 i = 0; i < channels->getChildCount(); ++i) {
        IPtr<Host::IParamNode> c;
        ASSERT_EQ(channels->getChild(i, c.put()), Host::kResultOk);
        auto device = queryTo<Host::IDevice>(c);
        auto info = queryTo<Host::IChannelInfo>(c);
        ASSERT_TRUE(device && info);
        seen.push_back(Tessaro::readHostText8([&](char* b, Host::int32 n) {
                           return device->getTypeName(b, n);
                       }) + " " + nameOf(c.get()) + " " + (info->isTrackChannel() ? "track" : "output"));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"FxChannel Bus 1 track", "AudioChannel Guitar track",
                                              "Synth Piano track", "Output Stereo Out output"}));
    IPtr<Host::IParamNode> beyond;
    EXPECT_EQ(channels->getChild(4, beyond.put()), Host::kInvalidArgument);
    EXPECT_EQ(channels->getChild(-1, beyond.put()), Host::kInvalidArgument);
    EXPECT_FALSE(beyond);
}

TEST(Mixer, EditionsLayOutTheirChannelsAsTheirProfilesSay) {
    struct Case {
        const char* host;
        bool inputPhaseOnRoot;
        bool inputFilter;
        const char* limiter;  // the child of the strip (getSubNode), or none
    };
    const Case cases[] = {
        {"ombrel-6.5.5", true, false, nullptr},
        {"ombrel-7.0.0", false, true, "Channel Limiter"},
        {"larkwin-6.0.1", true, true, "Channel Limiter Slot"},
        {"ombrel-fold-6.9.9", true, false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        auto host = makeHost(c.host);
        auto track = addTrack(*host, "audio", u"Guitar");
        IPtr<Host::IParamNode> root;
        ASSERT_EQ(queryTo<Host::IChannel>(track)->getParamRoot(root.put()), Host::kResultOk);
        EXPECT_EQ(bool(param(root.get(), "inputPhase")), c.inputPhaseOnRoot);
        EXPECT_EQ(bool(child(root.get(), "InputFilter")), c.inputFilter);
        IPtr<Host::IParamNode> strip;
        root->getSubNode(strip.put());
        EXPECT_EQ(bool(strip), c.limiter != nullptr);
        if (c.limiter) {
            EXPECT_TRUE(child(strip.get(), c.limiter));
        }
        for (const char* name : {"Panner", "Inserts", "Sends"}) EXPECT_TRUE(child(root.get(), name)) << name;
        for (const char* name : {"mute", "solo", "volume"}) EXPECT_TRUE(param(root.get(), name)) << name;
    }
}

TEST(Mixer, ParametersClampAndTakeFloatValues) {
    auto host = makeHost("ombrel-8.0.1");
    auto track = addTrack(*host, "audio", u"Guitar");
    IPtr<Host::IParamNode> root;
    queryTo<Host::IChannel>(track)->getParamRoot(root.put());
    auto volume = param(root.get(), "volume");
    ASSERT_TRUE(volume);
    EXPECT_EQ(volume->getMax(), 32767);
    EXPECT_EQ(volume->getValue(), 24517.0);  // 0 dB on the newer scale

    struct Case {
        std::function<void()> set;
        double expected;
    };
    const Case cases[] = {
        {[&] { volume->setValue(40000); }, 32767.0},
        {[&] { volume->setValue(-1); }, 0.0},
        {[&] { volume->setValue(1234); }, 1234.0},
        {[&] { volume->setFloatValue(0.5, 1); }, 0.5},
        {[&] { volume->setFloatValue(99.25, 0); }, 99.25},
        {[&] { volume->setFloatValue(40000.0, 1); }, 32767.0},
    };
    for (const auto& c : cases) {
        c.set();
        EXPECT_EQ(volume->getValue(), c.expected);
    }

    // The pan of the "Panner" by its tag.
    IPtr<Host::IParameter> pan;
    ASSERT_EQ(child(root.get(), "Panner")->findParameterByTag(4201, pan.put()), Host::kResultOk);
    EXPECT_EQ(pan->getValue(), 16383.5);
    IPtr<Host::IParameter> none;
    EXPECT_EQ(root->findParameterByTag(4201, none.put()), Host::kResultFalse);
    EXPECT_EQ(root->findParameter("pan", none.put()), Host::kResultFalse);
    EXPECT_FALSE(none);

    const auto report = RefHost::makeReport(*host, std::nullopt);
    EXPECT_EQ(report["tracks"][0]["channel"]["volume"], 32767.0);
    EXPECT_EQ(report["tracks"][0]["channel"]["pan"], 16383.5);
}

TEST(Mixer, ListParametersOfferEntriesSelectedByValue) {
    auto host = makeHost("ombrel-8.0.1");
    auto track = addTrack(*host, "audio", u"Guitar");
    IPtr<Host::IParamNode> root;
    queryTo<Host::IChannel>(track)->getParamRoot(root.put());
    IPtr<Host::IParamNode> slot;
    ASSERT_EQ(child(root.get(), "Inserts")->getChild(2, slot.put()), Host::kResultOk);
    auto type = param(slot.get(), "effectType");
    auto list = queryTo<Host::IListParameter>(type);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->refresh(), Host::kResultOk);
    IPtr<Host::IEntryList> entries;
    ASSERT_EQ(list->getEntries(entries.put()), Host::kResultOk);
    ASSERT_EQ(entries->getCount(), 14);
    EXPECT_EQ(type->getMax(), 13);
    std::u16string name = Tessaro::readHostText(
        [&](char16_t* b, Host::int32 n) { return entries->getEntryName(7, b, n); });
    EXPECT_EQ(name, u"Dynamics - Compressor");
    EXPECT_EQ(entries->getEntryValue(7), 7);
    EXPECT_EQ(entries->getEntryValue(14), -1);
    EXPECT_EQ(entries->getEntryValue(-1), -1);
    char16_t buffer[8];
    EXPECT_EQ(entries->getEntryName(14, buffer, 8), Host::kInvalidArgument);

    type->setValue(entries->getEntryValue(7));
    // The slot's on switch, and the report naming the chosen entry.
    IPtr<Host::IParameter> on;
    ASSERT_EQ(slot->findParameterByTag(4098, on.put()), Host::kResultOk);
    on->setValue(0);
    const auto report = RefHost::makeReport(*host, std::nullopt);
    const auto& reported = report["mixer"]["channels"][0]["children"][2]["children"][2];
    EXPECT_EQ(reported["name"], "Slot");
    EXPECT_EQ(reported["parameters"][0]["entry"], "Dynamics - Compressor");
    EXPECT_EQ(reported["parameters"][1]["value"], 0.0);
    // A plain parameter answers no list.
    EXPECT_FALSE(queryTo<Host::IListParameter>(on));
}

TEST(Mixer, SendsRouteToChannelsOfTheMixerOnly) {
    auto host = makeHost("ombrel-8.0.1");
    auto guitar = addTrack(*host, "audio", u"Guitar");
    auto bus = addTrack(*host, "FX Channel", u"Bus 1");
    auto channels = channelsOf(*host);
    IPtr<Host::IParamNode> fx;
    channels->getChild(0, fx.put());

    IPtr<Host::IParamNode> root;
    queryTo<Host::IChannel>(guitar)->getParamRoot(root.put());
    IPtr<Host::IParamNode> send;
    child(root.get(), "Sends")->getChild(1, send.put());
    auto routing = queryTo<Host::ISendRouting>(send);
    ASSERT_TRUE(routing);
    EXPECT_EQ(routing->setDestination(fx.get()), Host::kResultOk);
    // A track is not a channel; neither is an insert slot.
    EXPECT_EQ(routing->setDestination(bus.get()), Host::kInvalidArgument);
    IPtr<Host::IParamNode> insert;
    child(root.get(), "Inserts")->getChild(0, insert.put());
    EXPECT_FALSE(queryTo<Host::ISendRouting>(insert));

    const auto report = RefHost::makeReport(*host, std::nullopt);
    const auto& sends = report["mixer"]["channels"][1]["children"][3];
    EXPECT_EQ(sends["name"], "Sends");
    EXPECT_EQ(sends["children"][0]["destination"], nullptr);
    EXPECT_EQ(sends["children"][1]["destination"].dump(), R"({"channel":0,"name":"Bus 1"})");
    const auto found = host->account().findings();
    ASSERT_EQ(found.misuseCount, 1u);
    EXPECT_EQ(found.firstMisuse(),
              "ISendRouting::setDestination on node \"QPL Mixer/Channels/Guitar/Sends/Slot[1]\": "
              "effect track \"Bus 1\" is not a channel of \"Channels\"");

    // setMode on the effect channel's IChannel shows in the report.
    queryTo<Host::IChannel>(bus)->setMode(2);
    EXPECT_EQ(RefHost::makeReport(*host, std::nullopt)["mixer"]["channels"][0]["mode"], 2);
}

}  // namespace
