#include "tests/interchange/export_support.h"

#include "tests/support/tool_run.h"

#include <cstdio>
#include <cstdlib>

#include "tools/writer/tone_file.h"
#include "tools/writer/writer.h"

namespace TessaroTest {

namespace fs = std::filesystem;

std::optional<fs::path> schemaFolder() {
    if (const char* env = std::getenv("TESSARO_DAWPROJECT_SCHEMAS"); env && *env)
        return fs::exists(fs::path(env) / "Project.xsd") ? std::optional<fs::path>(env) : std::nullopt;
    const fs::path built = TESSARO_DAWPROJECT_SCHEMAS;
    if (!built.empty() && fs::exists(built / "Project.xsd")) return built;
    return std::nullopt;
}

std::string schemaErrors(const std::vector<std::uint8_t>& xml, const std::string& schema) {
    const auto folder = schemaFolder();
    if (!folder) return "no schema folder";
    const Readback::Schema loaded(*folder / schema);
    if (!loaded.loadErrors().empty()) return "cannot read the schema " + schema + ": " + loaded.loadErrors();
    return loaded.errors(xml);
}

// --- The host's events -----------------------------------------------------------------

std::vector<HostEvent> hostEvents(const RefHost::Report& report) {
    std::vector<HostEvent> out;
    for (const auto& track : report.at("tracks")) {
        if (!track.contains("events")) continue;
        for (const auto& part : track.at("events")) {
            if (part.at("kind") != "MIDI part") continue;
            for (const auto& e : part.at("events")) {
                HostEvent h;
                h.track = track.at("name").get<std::string>();
                h.kind = e.at("kind").get<std::string>();
                h.partStart = part.at("start").get<double>();
                h.partMuted = part.at("mute").get<bool>();
                h.start = e.at("start").get<double>();
                if (h.kind == "note") {
                    h.length = e.at("length").get<double>();
                    h.data = {e.at("pitch").get<std::int64_t>(), e.at("velocity").get<std::int64_t>()};
                } else {
                    for (const auto& d : e.at("data")) h.data.push_back(d.get<std::int64_t>());
                }
                out.push_back(std::move(h));
            }
        }
    }
    return out;
}

// --- Projects --------------------------------------------------------------------------

std::vector<std::string> midiMessages(const std::vector<MidiMessage>& track, bool withMeta) {
    std::vector<std::string> out;
    for (const auto& m : track) {
        if (m.bytes[0] == 0xFF && !withMeta) continue;
        std::string line = std::to_string(m.tick) + ":";
        for (const auto b : m.bytes) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02X", b);
            line += hex;
        }
        out.push_back(line);
    }
    return out;
}

fs::path copyDemo(const fs::path& folder) {
    fs::create_directories(folder);
    return writeDemoProject(folder);
}

TessaroWriter::ProjectFile richProject() {
    using namespace TessaroWriter;
    constexpr std::uint32_t kBar = 750;  // 3/4 at 1000 ticks per whole note
    ProjectFile file;
    HeadChunk head;
    head.ticksPerWholeNote = 1000;
    head.tempo = 90.0f;
    head.numerator = 3;
    head.denominator = 4;
    head.songLengthTicks = 8 * kBar;
    head.trackCount = 4;
    head.rightMarker = 4 * kBar;
    file.add(head);

    TrackInfoChunk lead;
    lead.trackNumber = 1;
    lead.name = std::u16string(u"Lead\u0001") + char16_t(0xD800) + u"x";
    lead.instrumentId = 99001;
    lead.sends = {{0, 1, 0.5f}, {1, 0, 0.25f}};
    file.add(lead);
    MidiData part;
    part.notes = {{0, 250, 60, 100}, {250, 0, 62, 90}, {500, 250, 200, 90}, {750, 250, 64, 0},
                  {1000, 500, 67, 127}};
    part.events = {{0, 8192, kPitchBendEvent, 0}, {100, 64, kEventType3, 0},
                   {200, 5, kEventType4, 0},     {300, 200, kEventType4, 0},
                   {400, 100, kControllerEvent, 7}, {500, 300, kControllerEvent, 11},
                   {600, 10, kControllerEvent, 130}};
    Region a;
    a.position = 0;
    a.length = 2 * kBar;
    a.name = u"Riff";
    a.content = part;
    MidiData quiet;
    quiet.notes = {{2 * kBar, 250, 72, 80}};
    Region b;
    b.position = 2 * kBar;
    b.length = kBar;
    b.mute = 1;
    b.name = u"Muted";
    b.content = quiet;
    RegionChunk leadRegions;
    leadRegions.trackNumber = 1;
    leadRegions.regions = {a, b};
    file.add(leadRegions);
    PresetChunk leadPreset;
    leadPreset.trackNumber = 1;
    leadPreset.name = u"Lead Sound";
    leadPreset.data = {'L', 'E', 'A', 'D', 1, 2, 3, 4};
    file.add(leadPreset);

    for (std::uint16_t number : {std::uint16_t{2}, std::uint16_t{3}}) {
        TrackInfoChunk pad;
        pad.trackNumber = number;
        pad.name = u"Pad";
        pad.instrumentId = 99001;
        file.add(pad);
        PresetChunk preset;
        preset.trackNumber = number;
        preset.name = u"Pad Sound";
        preset.data = {'P', 'A', 'D', static_cast<std::uint8_t>(number)};
        file.add(preset);
    }

    TrackInfoChunk loops;
    loops.trackNumber = 4;
    loops.trackType = kAudioTrack;
    loops.name = u"Loops";
    loops.instrumentId = 0;
    file.add(loops);
    RegionChunk loopRegions;
    loopRegions.trackNumber = 4;
    const std::u16string names[] = {u"loop.wav", u"loop.wav", u"Loop.wav", u"..hit?.wav"};
    for (std::uint32_t i = 0; i < 4; ++i) {
        AudioData audio;
        audio.fileName = names[i];
        Region r;
        r.position = i * kBar;
        r.length = kBar;
        r.gain = i == 0 ? 0.5f : 1.0f;
        r.name = u"Loop";
        r.content = audio;
        loopRegions.regions.push_back(r);
    }
    file.add(loopRegions);

    AutomationChunk sendLevel;
    sendLevel.type = kThirdAutomation;
    sendLevel.targetId = 100;
    sendLevel.points = {{0, 0.5f, 0}, {kBar, 0.25f, 0}};
    file.add(sendLevel);
    sendLevel.targetId = 200;
    file.add(sendLevel);

    auto effect = [&](int bus, std::uint8_t order, EffectParams params) {
        EffectChunk chunk;
        chunk.bus = static_cast<std::int16_t>(bus);
        chunk.busOrder = order;
        chunk.params = std::move(params);
        file.add(chunk);
    };
    effect(effectBus(1), 0, ReverbParams{});
    effect(effectBus(2), 0, HallvaneLiteParams{});
    LanefixParams strip;
    strip.gateBypass = 0;
    effect(4, 0, strip);
    effect(4, 0, TonalixParams{});
    effect(4, 1, GateParams{});
    effect(4, 2, LimiterParams{});
    effect(4, 3, BrickwallParams{.threshold = -6.0f, .release = 30.0f});
    return file;
}

void writeRichAudio(const fs::path& folder) {
    TessaroWriter::Tone tone;
    tone.seconds = 0.5;
    TessaroWriter::writeToneFile(folder / "loop.wav", tone);
    tone.frequencies = {330.0};
    TessaroWriter::writeToneFile(folder / "Loop.wav", tone);
    tone.frequencies = {880.0};
    TessaroWriter::writeToneFile(folder / "..hit?.wav", tone);
}

}  // namespace TessaroTest
