// Preset files from the writer loaded by the reference host's instrument plug-ins: the
// round trip, and the files a plug-in refuses.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "base/iptr.h"
#include "hostkit/host_helpers.h"
#include "presets/preset_file.h"
#include "refhost/instruments.h"
#include "test_stream.h"
#include "tests/support/host_access.h"
#include "tests/support/import_harness.h"

using Tessaro::IPtr;
using Tessaro::queryTo;

namespace {

// An instrument track whose slot holds the plug-in named, reached as the module does.
class Instrument {
public:
    explicit Instrument(const char* plugin) : host(TessaroTest::makeHost("Ombrel 8.0.1")) {
        auto object = TessaroTest::addTrack(*host, "instrument", u"Synth");
        IPtr<Host::ITrack> track;
        object->getTrack(track.put());
        auto root = Tessaro::channelRoot(track.get());
        IPtr<Host::IParamNode> slot;
        for (Host::int32 i = 0; i < root->getChildCount() && !slot; ++i) {
            auto child = Tessaro::childAt(root.get(), i);
            if (Tessaro::nodeName(child.get()).starts_with("InstS")) slot = child;
        }
        auto type = Tessaro::paramNamed(slot.get(), "effectType");
        Tessaro::chooseListEntry(type.get(), Tessaro::toUtf16(plugin));
        auto instanceNode = Tessaro::childAt(slot.get(), 0);
        loader = queryTo<Host::IPresetLoader>(instanceNode);
        component = queryTo<Host::IComponent>(instanceNode);
        instance = RefHost::instrumentInstanceOf(
            *RefHost::instrumentSlotOf(*host->document().tracks().front().node->channel));
        auto context = TessaroTest::contextAs<Host::IHostContext>(*host);
        context->createInstance(Host::kMemoryStreamClass, Host::IBStream::iid, stream.putVoid());
    }

    // Writes bytes at the stream's start, rewinds and loads them.
    Host::tresult load(const std::vector<std::uint8_t>& bytes, const char16_t* name = u"P") {
        Host::int32 written = 0;
        Host::int64 at = 0;
        stream->seek(0, Host::IBStream::kSeekSet, &at);
        stream->write(bytes.data(), static_cast<Host::int32>(bytes.size()), &written);
        stream->seek(0, Host::IBStream::kSeekSet, &at);
        return loader->loadPreset(stream.get(), name);
    }

    RefHost::Findings finish() {
        loader.reset();
        component.reset();
        stream.reset();
        return host->account().findings();
    }

    std::unique_ptr<RefHost::ReferenceHost> host;
    IPtr<Host::IPresetLoader> loader;
    IPtr<Host::IComponent> component;
    IPtr<Host::IBStream> stream;
    RefHost::InstrumentInstance* instance = nullptr;
};

std::vector<std::uint8_t> pattern(std::size_t n) {
    std::vector<std::uint8_t> data(n);
    for (std::size_t i = 0; i < n; ++i) data[i] = static_cast<std::uint8_t>(i * 5 + 1);
    return data;
}

// A synth preset file of data, as bytes.
std::vector<std::uint8_t> synthFile(const std::vector<std::uint8_t>& data) {
    PresetTests::TestStream out;
    EXPECT_TRUE(Qpl::PresetFile::writeSynthPreset(&out, data.data(),
                                                  static_cast<std::int32_t>(data.size())));
    return out.bytes;
}

void storeLE(std::vector<std::uint8_t>& b, std::size_t at, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (8 * i));
}

TEST(PresetLoading, WriterToSynthRoundTrip) {
    for (const std::size_t n : {1u, 333u, 1000000u}) {
        SCOPED_TRACE(n);
        Instrument synth("Analora");
        ASSERT_TRUE(synth.loader && synth.component && synth.stream && synth.instance);
        const auto data = pattern(n);
        ASSERT_TRUE(Qpl::PresetFile::writeSynthPreset(synth.stream.get(), data.data(),
                                                      static_cast<std::int32_t>(n)));
        Host::int64 at = -1;
        synth.stream->seek(0, Host::IBStream::kSeekSet, &at);
        EXPECT_EQ(synth.loader->loadPreset(synth.stream.get(), u"Round \u00E9"), Host::kResultOk);
        ASSERT_EQ(synth.instance->loads.size(), 1u);
        const auto& load = synth.instance->loads[0];
        EXPECT_TRUE(load.loaded) << load.refusal;
        EXPECT_EQ(load.name, "Round \u00E9");
        EXPECT_EQ(load.state, data);
        EXPECT_EQ(load.classId, "7E21A4C03B5D4F96A8C2D17E5F09B3A4");
        // The host's class id of the synth is the one the writer puts in the file.
        Host::FUID cid{};
        EXPECT_EQ(synth.component->getClassId(&cid), Host::kResultOk);
        EXPECT_TRUE(cid == Qpl::kAnaloraClassId);
        EXPECT_TRUE(synth.finish().clean());
    }
}

TEST(PresetLoading, ReadsFromTheStreamsPosition) {
    Instrument synth("Analora");
    std::vector<std::uint8_t> bytes{1, 2, 3, 4, 5};
    const auto file = synthFile(pattern(20));
    bytes.insert(bytes.end(), file.begin(), file.end());
    Host::int32 written = 0;
    Host::int64 at = 0;
    synth.stream->write(bytes.data(), static_cast<Host::int32>(bytes.size()), &written);
    synth.stream->seek(5, Host::IBStream::kSeekSet, &at);
    EXPECT_EQ(synth.loader->loadPreset(synth.stream.get(), u"P"), Host::kResultOk);
    EXPECT_EQ(synth.instance->loadedState()->state, pattern(20));
    EXPECT_TRUE(synth.finish().clean());
}

TEST(PresetLoading, MalformedFilesAreRefused) {
    const auto good = synthFile(pattern(10));
    const std::size_t list = 48 + 10 + Qpl::synthPresetMetaText().size();
    using Change = std::function<void(std::vector<std::uint8_t>&)>;
    struct Case {
        const char* name;
        Change change;
        std::string refusal;
    };
    const Case cases[] = {
        {"47 bytes", [](auto& b) { b.resize(47); }, "shorter than the 48-byte header"},
        {"magic", [](auto& b) { b[3] = '2'; }, "no \"QPL3\" magic"},
        {"version 2", [](auto& b) { storeLE(b, 4, 2, 4); }, "format version 2"},
        {"lower-case class id", [](auto& b) { b[9] = 'e'; },
         "class id is not 32 upper-case hexadecimal digits"},
        {"class id of another plug-in",
         [](auto& b) { std::memcpy(b.data() + 8, "5A3C91E2F0B84D17A6E2C39B0D4F7E18", 32); },
         "class id 5A3C91E2F0B84D17A6E2C39B0D4F7E18 is not the plug-in's "
         "7E21A4C03B5D4F96A8C2D17E5F09B3A4"},
        {"list offset 0 (never patched)", [](auto& b) { storeLE(b, 40, 0, 8); },
         "chunk list offset 0 outside the file"},
        {"list offset at the end", [](auto& b) { storeLE(b, 40, b.size() - 7, 8); },
         "chunk list offset " + std::to_string(good.size() - 7) + " outside the file"},
        {"list offset on the data", [](auto& b) { storeLE(b, 40, 48, 8); },
         "no \"List\" at the chunk list offset"},
        {"129 entries", [&](auto& b) { storeLE(b, list + 4, 129, 4); }, "chunk list count 129"},
        {"more entries than bytes", [&](auto& b) { storeLE(b, list + 4, 3, 4); },
         "chunk list count 3"},
        {"negative count", [&](auto& b) { storeLE(b, list + 4, 0xFFFFFFFFu, 4); },
         "chunk list count -1"},
        {"data reaching into the list", [&](auto& b) { storeLE(b, list + 16, list - 47, 8); },
         "chunk \"Comp\" lies outside the chunk data"},
        {"data in the header", [&](auto& b) { storeLE(b, list + 12, 40, 8); },
         "chunk \"Comp\" lies outside the chunk data"},
        {"negative size", [&](auto& b) { storeLE(b, list + 16, ~std::uint64_t{0}, 8); },
         "chunk \"Comp\" lies outside the chunk data"},
        {"two state chunks", [&](auto& b) { std::memcpy(b.data() + list + 28, "Comp", 4); },
         "two \"Comp\" chunks"},
        {"no state chunk", [&](auto& b) { std::memcpy(b.data() + list + 8, "Cont", 4); },
         "no \"Comp\" chunk"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Instrument synth("Analora");
        auto bytes = good;
        c.change(bytes);
        EXPECT_EQ(synth.load(bytes, u"Bad"), Host::kResultFalse);
        ASSERT_EQ(synth.instance->loads.size(), 1u);
        EXPECT_FALSE(synth.instance->loads[0].loaded);
        EXPECT_EQ(synth.instance->loads[0].refusal, c.refusal);
        EXPECT_EQ(synth.instance->loadedState(), nullptr);
        const auto report = RefHost::makeReport(*synth.host, 0);
        const auto& entry = report["tracks"][0]["instrument"];
        EXPECT_TRUE(entry["state"].is_null());
        ASSERT_EQ(entry["refusedPresets"].size(), 1u);
        EXPECT_EQ(entry["refusedPresets"][0]["name"], "Bad");
        EXPECT_EQ(entry["refusedPresets"][0]["reason"], c.refusal);
        EXPECT_TRUE(synth.finish().clean());
    }
}

TEST(PresetLoading, ASynthPresetSuitsNoOtherPlugin) {
    Instrument sampler("Miravox Lite");
    EXPECT_EQ(sampler.load(synthFile(pattern(4))), Host::kResultFalse);
    EXPECT_EQ(sampler.instance->loads.at(0).refusal,
              "class id 7E21A4C03B5D4F96A8C2D17E5F09B3A4 is not the plug-in's "
              "5A3C91E2F0B84D17A6E2C39B0D4F7E18");
    EXPECT_TRUE(sampler.finish().clean());
}

TEST(PresetLoading, ClassIdTextAndChecksum) {
    EXPECT_EQ(RefHost::classIdText(Qpl::kAnaloraClassId), Qpl::classIdText(Qpl::kAnaloraClassId));
    const auto back = RefHost::classIdFromText("7E21A4C03B5D4F96A8C2D17E5F09B3A4");
    ASSERT_TRUE(back);
    EXPECT_TRUE(*back == Qpl::kAnaloraClassId);
    EXPECT_FALSE(RefHost::classIdFromText("7E21A4C03B5D4F96A8C2D17E5F09B3A"));
    EXPECT_FALSE(RefHost::classIdFromText("7E21A4C03B5D4F96A8C2D17E5F09B3AG"));
    const std::string check = "123456789";
    EXPECT_EQ(RefHost::crc32(reinterpret_cast<const std::uint8_t*>(check.data()), check.size()),
              0xCBF43926u);
    EXPECT_EQ(RefHost::crc32(nullptr, 0), 0u);
}

}  // namespace
