#include "tools/writer/demo_project.h"

namespace TessaroWriter {
namespace {

constexpr std::uint32_t kBar = 480;  // ticks per whole note, one 4/4 bar
constexpr std::uint32_t kQuarter = kBar / 4;
constexpr std::uint32_t kEighth = kBar / 8;

std::vector<Note> chord(std::uint32_t position, std::uint32_t length,
                        std::initializer_list<std::uint8_t> keys, std::uint8_t velocity) {
    std::vector<Note> notes;
    for (std::uint8_t key : keys) notes.push_back({position, length, key, velocity});
    return notes;
}

void append(std::vector<Note>& to, const std::vector<Note>& notes) {
    to.insert(to.end(), notes.begin(), notes.end());
}

Region pianoRegion() {
    MidiData midi;
    midi.quantizeGrid = 16;
    midi.quantizeAmount = 0.8f;
    append(midi.notes, chord(0, kQuarter * 3, {60, 64, 67}, 96));          // C
    append(midi.notes, chord(kBar, kQuarter * 3, {57, 60, 65}, 90));       // F
    append(midi.notes, chord(2 * kBar, kQuarter * 3, {59, 62, 67}, 100));  // G
    append(midi.notes, chord(3 * kBar, kBar, {55, 60, 64}, 84));           // C
    midi.events = {
        {0, 127, kControllerEvent, 64},             // sustain on
        {0, 100, kControllerEvent, 7},              // channel volume
        {2 * kBar + kQuarter, 12288, kPitchBendEvent, 0},
        {2 * kBar + kQuarter + kEighth, 8192, kPitchBendEvent, 0},
        {4 * kBar - kEighth, 0, kControllerEvent, 64},  // sustain off
    };
    Region region;
    region.position = 0;
    region.length = 4 * kBar;
    region.name = u"Piano Chords";
    region.content = midi;
    return region;
}

Region drumRegion() {
    MidiData midi;
    midi.quantizeGrid = 8;
    for (std::uint32_t bar = 0; bar < 2; ++bar) {
        const std::uint32_t start = bar * kBar;
        for (std::uint32_t beat = 0; beat < 4; ++beat) {
            const std::uint32_t at = start + beat * kQuarter;
            midi.notes.push_back({at, kEighth, beat % 2 == 0 ? std::uint8_t{36} : std::uint8_t{38},
                                  beat % 2 == 0 ? std::uint8_t{110} : std::uint8_t{104}});
        }
        for (std::uint32_t eighth = 0; eighth < 8; ++eighth) {
            midi.notes.push_back({start + eighth * kEighth, kEighth / 2, 42,
                                  static_cast<std::uint8_t>(eighth % 2 == 0 ? 90 : 64)});
        }
    }
    Region region;
    region.position = 0;
    region.length = 2 * kBar;
    region.name = u"Beat";
    region.content = midi;
    return region;
}

Region synthRegion() {
    MidiData midi;
    append(midi.notes, chord(2 * kBar, 2 * kBar, {48, 55, 60, 63}, 70));
    midi.events = {{2 * kBar, 64, kControllerEvent, 1}, {3 * kBar, 100, kControllerEvent, 1}};
    Region region;
    region.position = 2 * kBar;
    region.length = 2 * kBar;
    region.name = u"Pad";
    region.content = midi;
    return region;
}

Region vocalRegion() {
    AudioData audio;
    audio.inPoint = 0;
    audio.fileName = u"vocals.wav";
    Region region;
    region.position = kBar;
    region.length = 3 * kBar;
    region.gain = 0.9f;
    region.attack = kEighth / 2;
    region.release = kQuarter;
    region.name = u"Vocals Take 1";
    region.content = audio;
    return region;
}

RegionChunk regions(std::uint16_t track, Region region) {
    RegionChunk chunk;
    chunk.trackNumber = track;
    chunk.regions = {std::move(region)};
    return chunk;
}

EffectChunk effect(int bus, std::uint8_t busOrder, float dry, float wet, EffectParams params) {
    EffectChunk chunk;
    chunk.bus = static_cast<std::int16_t>(bus);
    chunk.busOrder = busOrder;
    chunk.dry = dry;
    chunk.wet = wet;
    chunk.params = std::move(params);
    return chunk;
}

std::vector<std::uint8_t> synthPresetData() {
    // An opaque block as the app stores it: a small tag, then parameter bytes.
    std::vector<std::uint8_t> data = {'A', 'N', 'L', 'R', 1, 0, 0, 0};
    for (int i = 0; i < 56; ++i) data.push_back(static_cast<std::uint8_t>((i * 37 + 11) & 0xFF));
    return data;
}

}  // namespace

ProjectFile demoProject() {
    ProjectFile file;

    HeadChunk head;
    head.version = 22;
    head.ticksPerWholeNote = kBar;
    head.tempo = 120.0f;
    head.numerator = 4;
    head.denominator = 4;
    head.songLengthTicks = 8 * kBar;
    head.songLengthSeconds = 16.0f;
    head.looping = 1;
    head.leftMarker = 0;
    head.rightMarker = 4 * kBar;
    head.rulerEndTick = 8 * kBar;
    head.trackCount = 4;
    head.selectedTrack = kDemoPiano;
    head.sampleRate = 44100;
    head.sampleSize = 16;
    file.add(head);

    OutputBusChunk output;
    output.channel = 1;
    output.gain = 0.8f;
    output.pan = 0.1f;
    file.add(output);

    KeyboardChunk keyboard;
    keyboard.rowCount = 2;
    keyboard.transposition = -12;
    keyboard.autoQuantization = 16;
    file.add(keyboard);

    TrackInfoChunk piano;
    piano.trackNumber = kDemoPiano;
    piano.trackType = kInstrumentTrack;
    piano.name = u"Piano";
    piano.instrumentId = 1;
    piano.colour = 0xE05A47;
    piano.volume = 0.8f;
    piano.pan = -0.3f;
    piano.sends = {{0, 1, 0.35f}};
    file.add(piano);
    file.add(regions(kDemoPiano, pianoRegion()));
    PadChunk pianoPads;
    pianoPads.trackNumber = kDemoPiano;
    pianoPads.chordButtons = {{60, 64, 67}, {65, 69, 72}, {67, 71, 74}};
    pianoPads.chordPads = {{57, 60, 64}};
    file.add(pianoPads);

    TrackInfoChunk drums;
    drums.trackNumber = kDemoDrums;
    drums.name = u"Drums";
    drums.instrumentId = 160;
    drums.colour = 0x3FA34D;
    drums.volume = 1.0f;
    drums.pan = 0.0f;
    drums.solo = 1;
    drums.midiOutputChannel = 9;
    file.add(drums);
    file.add(regions(kDemoDrums, drumRegion()));
    PadChunk drumPads;
    drumPads.trackNumber = kDemoDrums;
    drumPads.drumPadKeys = {36, 38, 42, 46, 49, 51};
    file.add(drumPads);

    TrackInfoChunk synth;
    synth.trackNumber = kDemoSynth;
    synth.name = u"Synth";
    synth.instrumentId = 99001;
    synth.colour = 0x8E5BD6;
    synth.volume = 0.63f;
    synth.pan = 0.4f;
    synth.mute = 1;
    synth.pitchBendRange = 12.0f;
    file.add(synth);
    file.add(regions(kDemoSynth, synthRegion()));
    PresetChunk preset;
    preset.trackNumber = kDemoSynth;
    preset.pluginId = 1;
    preset.name = u"Warm Pad";
    preset.data = synthPresetData();
    file.add(preset);

    TrackInfoChunk vocals;
    vocals.trackNumber = kDemoVocals;
    vocals.trackType = kAudioTrack;
    vocals.name = u"Vocals";
    vocals.instrumentId = 0;
    vocals.colour = 0xF2C14E;
    vocals.volume = 1.1f;
    vocals.pan = 0.15f;
    vocals.monitoring = 1;
    vocals.sends = {{0, 1, 0.25f}};
    file.add(vocals);
    file.add(regions(kDemoVocals, vocalRegion()));

    AutomationChunk volumeRamp;
    volumeRamp.type = kVolumeAutomation;
    volumeRamp.targetId = kDemoPiano * 100u;
    volumeRamp.points = {{0, 0.2f, 0}, {2 * kBar, 1.0f, 0}, {4 * kBar, 1.0f, 0}};
    file.add(volumeRamp);
    AutomationChunk panSweep;
    panSweep.type = kPanAutomation;
    panSweep.targetId = kDemoVocals * 100u;
    panSweep.points = {{kBar, -1.0f, 0}, {2 * kBar, 1.0f, 0}, {3 * kBar, -1.0f, 0},
                       {4 * kBar, 0.0f, 0}};
    file.add(panSweep);

    file.add(effect(effectBus(1), 0, 0.0f, 1.0f,
                    ReverbParams{.time = 0.7f, .preDelay = 0.15f, .damp = 0.4f, .lowEq = 0.5f,
                                 .highEq = 0.6f}));
    file.add(effect(kDemoPiano, 0, 0.7f, 0.3f,
                    DelayParams{.beat = 4, .timing = 2, .feedback = 0.35f}));
    file.add(effect(kDemoVocals, 0, 0.0f, 1.0f,
                    CompressorParams{.gain = 0.55f, .threshold = 0.4f, .ratio = 0.5f,
                                     .attack = 0.1f, .release = 0.3f}));
    file.add(effect(kMasterBus, 0, 0.0f, 1.0f,
                    EqParams{.gain = 0.5f, .bass = 0.6f, .treble = 0.55f}));
    file.add(effect(kMasterBus, 1, 0.0f, 1.0f,
                    BrickwallParams{.threshold = -0.5f, .release = 50.0f}));
    return file;
}

}  // namespace TessaroWriter
