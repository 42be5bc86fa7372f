// Projects with effects, imported through the module's import run into the reference host;
// what landed on each channel is read back from the report's "effects" section.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/import_harness.h"
#include "tools/writer/writer.h"

namespace EffectsTest {

using TessaroTest::ImportResult;
using Json = RefHost::Report;

struct TrackSpec {
    std::uint16_t number;
    std::uint8_t type;  // TessaroWriter::kInstrumentTrack or kAudioTrack
    const char16_t* name;
    std::vector<TessaroWriter::Send> sends = {};
};

inline TessaroWriter::EffectChunk effect(std::int16_t bus, std::uint8_t busOrder,
                                         TessaroWriter::EffectParams params,
                                         std::uint8_t enabled = 1) {
    TessaroWriter::EffectChunk c;
    c.bus = bus;
    c.busOrder = busOrder;
    c.enabled = enabled;
    c.dry = 0.0f;
    c.wet = 1.0f;
    c.params = std::move(params);
    return c;
}

inline std::vector<std::uint8_t> project(const std::vector<TrackSpec>& tracks,
                                         const std::vector<TessaroWriter::EffectChunk>& effects,
                                         std::uint16_t version = 22) {
    TessaroWriter::ProjectFile file;
    TessaroWriter::HeadChunk head;
    head.version = version;
    head.trackCount = static_cast<std::uint16_t>(tracks.size());
    file.add(head);
    for (const auto& t : tracks) {
        TessaroWriter::TrackInfoChunk info;
        info.trackNumber = t.number;
        info.trackType = t.type;
        info.name = t.name;
        info.sends = t.sends;
        file.add(info);
    }
    for (const auto& e : effects) file.add(e);
    return file.bytes();
}

inline ImportResult importOn(const std::string& host, const std::vector<std::uint8_t>& bytes,
                             std::function<void(RefHost::Profile&)> adjust = {}) {
    TessaroTest::ImportOptions options;
    options.host = host;
    options.adjustProfile = std::move(adjust);
    auto run = TessaroTest::importDirect(bytes, options);
    EXPECT_EQ(run.result, 0) << run.error;
    EXPECT_TRUE(run.clean()) << run.findingsText();
    return run;
}

// The "effects" entry of the channel that shows name ("Stereo Out" for the master).
inline Json channel(const ImportResult& run, std::string_view name) {
    for (const auto& c : run.report["effects"])
        if (c["name"] == name) return c;
    ADD_FAILURE() << "no channel " << name;
    return Json::object();
}

// The insert of slot on the channel, or null.
inline Json insertAt(const ImportResult& run, std::string_view name, int slot) {
    const Json entry = channel(run, name);
    for (const auto& i : entry["inserts"])
        if (i["slot"] == slot) return i;
    return nullptr;
}

// The names of the channels of type ("FxChannel" ...), in the mixer's order.
inline std::vector<std::string> channelsOfType(const ImportResult& run, std::string_view type) {
    std::vector<std::string> names;
    for (const auto& c : run.report["effects"])
        if (c["type"] == type) names.push_back(c["name"].get<std::string>());
    return names;
}

}  // namespace EffectsTest
