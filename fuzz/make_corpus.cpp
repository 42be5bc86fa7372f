// tessaro-make-corpus: writes the seed corpus of the fuzz target, one small project file
// per chunk kind and file version whose layout differs, every effect kind, and the demo
// project. Each file is a sound project that imports completely.
//
//     tessaro-make-corpus <folder>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/writer/demo_project.h"
#include "tools/writer/writer.h"

namespace {

namespace fs = std::filesystem;
using namespace TessaroWriter;
using Versions = std::initializer_list<std::uint16_t>;

struct Seed {
    std::string name;
    ProjectFile file;
};

HeadChunk head(std::uint16_t version, std::uint16_t tracks = 0) {
    HeadChunk h;
    h.version = version;
    h.trackCount = tracks;
    return h;
}

// A file of one version: its song header, then the chunks.
ProjectFile fileOf(std::uint16_t version, std::uint16_t tracks = 0) {
    ProjectFile f;
    f.add(head(version, tracks));
    return f;
}

TrackInfoChunk instrumentTrack(std::uint16_t number = 1) {
    TrackInfoChunk t;
    t.trackNumber = number;
    t.name = u"Keys";
    t.sends = {{1, 1, 0.5f}, {2, 0, 0.25f}};
    t.outputs = {1, 2};
    t.extraText1 = u"x";
    return t;
}

TrackInfoChunk audioTrack(std::uint16_t number = 1) {
    TrackInfoChunk t = instrumentTrack(number);
    t.trackType = kAudioTrack;
    t.name = u"Audio";
    return t;
}

Region midiRegion(std::uint16_t version) {
    MidiData midi;
    midi.quantizeGrid = 16;
    midi.quantizeTuplet = 1;
    midi.noteRecordSize = 12;
    midi.notes = {{0, 120, 60, 100}, {240, 120, 64, 90}, {480, 240, 67, 127}};
    midi.events = {{0, 8192, kPitchBendEvent, 0}, {120, 4096, kPitchBendEvent, 0}};
    if (version >= 10) {
        midi.events.push_back({240, 64, kEventType3, 0});
        midi.events.push_back({360, 100, kEventType4, 0});
        midi.events.push_back({480, 127, kControllerEvent, 64});
        midi.events.push_back({600, 1, 7, 0});  // a type that creates nothing
    }
    Region r;
    r.position = 0;
    r.length = 960;
    r.attack = 10;
    r.content = midi;
    return r;
}

Region audioRegion(const char16_t* fileName, std::uint32_t position) {
    AudioData audio;
    audio.fileName = fileName;
    audio.inPoint = 100;
    Region r;
    r.position = position;
    r.length = 480;
    r.attack = 20;
    r.release = 30;
    r.name = u"Take";
    r.content = audio;
    return r;
}

std::vector<Seed> seeds() {
    std::vector<Seed> out;
    auto add = [&](std::string name, ProjectFile f) { out.push_back({std::move(name), std::move(f)}); };

    // "HEAD": every version whose layout differs (3, 7, 11 and 18 add fields).
    for (std::uint16_t v : Versions{1, 2, 3, 6, 7, 10, 11, 17, 18, 22}) {
        ProjectFile f = fileOf(v);
        if (v == 1) f.find<HeadChunk>()->looping = 1;
        add("head-v" + std::to_string(v), f);
    }
    // "OUTB" and "KEYB".
    for (std::uint16_t v : Versions{8, 9}) {
        ProjectFile f = fileOf(v);
        f.add(OutputBusChunk{});
        OutputBusChunk bus2;
        bus2.channel = 2;
        f.add(bus2);
        add("outb-v" + std::to_string(v), f);
    }
    {
        ProjectFile f = fileOf(kLatestVersion);
        KeyboardChunk k;
        k.rowCount = 2;
        k.transposition = -12;
        f.add(k);
        add("keyb", f);
    }
    // "TINF": every version whose layout differs.
    for (std::uint16_t v : Versions{5, 6, 7, 8, 9, 10, 13, 14, 22}) {
        ProjectFile f = fileOf(v, 2);
        TrackInfoChunk a = instrumentTrack(1);
        a.freeze = 1;
        f.add(a);
        f.add(audioTrack(2));
        add("tinf-v" + std::to_string(v), f);
    }
    // "TREG", MIDI: versions 1 (no tuplet), 2, 9 (six-byte events), 10 (typed events).
    for (std::uint16_t v : Versions{1, 2, 9, 10, 22}) {
        ProjectFile f = fileOf(v, 1);
        f.add(instrumentTrack());
        RegionChunk regions;
        regions.regions = {midiRegion(v)};
        if (v == 22) regions.regionHeaderSize = 27;
        f.add(regions);
        add("treg-midi-v" + std::to_string(v), f);
    }
    // "TREG", audio: versions 14, 15, 19 and 22 add reserved blocks; each wave file of the
    // fuzz target's set (same format, other rate, other size, only in "Audio").
    for (std::uint16_t v : Versions{14, 15, 19, 22}) {
        ProjectFile f = fileOf(v, 1);
        f.add(audioTrack());
        RegionChunk regions;
        regions.regions = {audioRegion(u"audio.wav", 0), audioRegion(u"drums48k.wav", 480),
                           audioRegion(u"pad24.wav", 960), audioRegion(u"loop.wav", 1440)};
        f.add(regions);
        add("treg-audio-v" + std::to_string(v), f);
    }
    // "TPAD", "QPLP", "AUTO".
    {
        ProjectFile f = fileOf(kLatestVersion, 1);
        f.add(instrumentTrack());
        PadChunk pads;
        pads.chordButtons = {{60, 64, 67}, {62, 65}};
        pads.drumPadKeys = {36, 38, 42, 46};
        pads.chordPads = {{48, 55}};
        f.add(pads);
        add("tpad", f);
    }
    {
        ProjectFile f = fileOf(kLatestVersion, 1);
        f.add(instrumentTrack());
        PresetChunk preset;
        for (int i = 0; i < 64; ++i) preset.data.push_back(static_cast<std::uint8_t>(i * 7));
        preset.headerSize = 8 + 2 * 6 + 2;
        f.add(preset);
        PresetChunk empty;
        empty.name = u"";
        f.add(empty);
        add("qplp", f);
    }
    for (std::uint16_t type : {kVolumeAutomation, kPanAutomation, kThirdAutomation}) {
        ProjectFile f = fileOf(kLatestVersion, 1);
        f.add(instrumentTrack());
        AutomationChunk curve;
        curve.type = type;
        curve.points = {{0, 0.2f, 0}, {480, 0.8f, 1}, {960, 0.5f, 0}};
        f.add(curve);
        AutomationChunk skipped;  // a target below 100 keeps no record
        skipped.targetId = 99;
        skipped.points = {{0, 0.5f, 0}};
        f.add(skipped);
        add("auto-type" + std::to_string(type), f);
    }
    // "EFFX": every kind code on the master, in the latest version; kinds that have a
    // parameter layout also on a track and on an effect bus.
    for (std::uint16_t kind = 0; kind <= 32; ++kind) {
        ProjectFile f = fileOf(kLatestVersion, 1);
        f.add(instrumentTrack());
        for (std::int16_t bus : {kMasterBus, std::int16_t{1}, effectBus(1)}) {
            if (bus != kMasterBus && (kind >= 16 && kind != 28 && kind < 29)) continue;
            EffectChunk effect;
            effect.bus = bus;
            effect.params = defaultParams(kind);
            if (kind == kAudioUnit)
                std::get<AudioUnitParams>(effect.params).state = {1, 2, 3, 4, 5, 6, 7, 8};
            f.add(effect);
        }
        add("effx-kind" + std::to_string(kind), f);
    }
    // "EFFX" headers of versions 8 (16 bytes) and 9 (17), a parameter offset beyond the
    // header, and Lanefix before and from version 21.
    for (std::uint16_t v : Versions{8, 9, 20, 21}) {
        ProjectFile f = fileOf(v);
        EffectChunk effect;
        effect.params = LanefixParams{};
        effect.parameterOffset = 20;
        f.add(effect);
        EffectChunk bus;
        bus.bus = effectBus(1);
        bus.params = DelayParams{};
        f.add(bus);
        add("effx-v" + std::to_string(v), f);
    }
    // An unknown chunk id, passed over, and a chunk with bytes beyond what its reader reads.
    {
        ProjectFile f = fileOf(kLatestVersion);
        RawChunk unknown;
        unknown.id = "ABCD";
        unknown.withSize = false;
        f.add(unknown);
        OutputBusChunk longer;
        longer.extra = {1, 2, 3, 4, 5};
        f.add(longer);
        add("unknown-and-longer", f);
    }
    add("magic-only", ProjectFile{});
    add("demo", demoProject());
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tessaro-make-corpus <folder>\n");
        return 2;
    }
    const fs::path folder = argv[1];
    for (const Seed& seed : seeds()) {
        const fs::path file = folder / (seed.name + ".tsp");
        if (!seed.file.writeTo(file)) {
            std::fprintf(stderr, "tessaro-make-corpus: cannot write %s\n", file.c_str());
            return 1;
        }
    }
    return 0;
}
