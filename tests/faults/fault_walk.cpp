#include "tests/faults/fault_walk.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "fuzz/fuzz_support.h"
#include "refhost/reference_host.h"
#include "tests/faults/module_allocations.h"
#include "tools/writer/demo_project.h"
#include "tools/writer/writer.h"

namespace TessaroFaults {

namespace fs = std::filesystem;
using namespace TessaroWriter;

namespace {

constexpr const char* kCannotOpen = "Cannot open file.";

TessaroWriter::Tone tone(double rate, int bits, int channels, std::vector<int> map = {}) {
    TessaroWriter::Tone t;
    t.sampleRate = rate;
    t.sampleSize = bits;
    t.channels = channels;
    t.seconds = 0.05;
    t.frequencies = {220.0, 330.0};
    t.channelMap = std::move(map);
    return t;
}

HeadChunk head(std::uint16_t tracks) {
    HeadChunk h;
    h.trackCount = tracks;
    h.looping = 1;
    return h;
}

TrackInfoChunk track(std::uint16_t number, std::uint8_t type, const char16_t* name,
                     std::uint32_t instrument, std::vector<Send> sends = {}) {
    TrackInfoChunk t;
    t.trackNumber = number;
    t.trackType = type;
    t.name = name;
    t.instrumentId = instrument;
    t.sends = std::move(sends);
    return t;
}

// A region with fades.
Region regionOf(std::uint32_t position, std::uint32_t length,
                std::variant<MidiData, AudioData> content) {
    Region r;
    r.position = position;
    r.length = length;
    r.attack = 20;
    r.release = 30;
    r.content = std::move(content);
    return r;
}

Region midiRegion(std::uint32_t position) {
    MidiData midi;
    midi.quantizeGrid = 16;
    midi.notes = {{0, 120, 60, 100}, {120, 120, 64, 90}, {240, 240, 67, 127}};
    midi.events = {{0, 8192, kPitchBendEvent, 0}, {60, 64, kEventType3, 0},
                   {90, 100, kEventType4, 0}, {120, 127, kControllerEvent, 64}};
    return regionOf(position, 480, std::move(midi));
}

Region audioRegion(const char16_t* file, std::uint32_t position) {
    AudioData audio;
    audio.fileName = file;
    audio.inPoint = 10;
    return regionOf(position, 240, std::move(audio));
}

RegionChunk regionsOf(std::uint16_t trackNumber, std::vector<Region> regions) {
    RegionChunk chunk;
    chunk.trackNumber = trackNumber;
    chunk.regions = std::move(regions);
    return chunk;
}

EffectChunk effectOn(std::int16_t bus, std::uint16_t kind, std::uint8_t order) {
    EffectChunk effect;
    effect.bus = bus;
    effect.busOrder = order;
    effect.dry = 0.2f;
    effect.wet = 0.8f;
    effect.params = defaultParams(kind);
    if (kind == kAudioUnit) std::get<AudioUnitParams>(effect.params).state = {1, 2, 3, 4, 5, 6};
    return effect;
}

AutomationChunk curve(std::uint16_t type, std::uint32_t target) {
    AutomationChunk c;
    c.type = type;
    c.targetId = target;
    c.points = {{0, 0.2f, 0}, {480, 0.8f, 1}, {960, 0.5f, 0}};
    return c;
}

// The demo, its wave file short.
WalkProject demo() {
    WalkProject p{"demo", demoProject(), {}};
    TessaroWriter::Tone vocals = demoVocalsTone();
    vocals.seconds = 0.05;
    p.waves.emplace_back("vocals.wav", vocals);
    return p;
}

// Every effect kind on the master; the kinds with parameters on a track and on two effect
// buses, with sends to both.
WalkProject effects() {
    WalkProject p{"effects", {}, {{"audio.wav", tone(44100, 16, 2)}}};
    p.file.add(head(2));
    p.file.add(track(1, kInstrumentTrack, u"Keys", 1, {{1, 1, 0.5f}, {2, 1, 0.25f}}));
    p.file.add(regionsOf(1, {midiRegion(0)}));
    p.file.add(track(2, kAudioTrack, u"Loop", 0, {{1, 1, 0.3f}}));
    p.file.add(regionsOf(2, {audioRegion(u"audio.wav", 0)}));
    for (std::uint16_t kind = 0; kind <= 32; ++kind)
        p.file.add(effectOn(kMasterBus, kind, static_cast<std::uint8_t>(kind)));
    for (std::uint16_t kind = 0; kind <= 15; ++kind) {
        p.file.add(effectOn(1, kind, static_cast<std::uint8_t>(kind)));
        p.file.add(effectOn(effectBus(kind % 2 + 1), kind, static_cast<std::uint8_t>(kind)));
    }
    for (const std::uint16_t kind : {kAudioUnit, kWhirlo, kLanefix, kHallvaneLite})
        p.file.add(effectOn(2, kind, 0));
    return p;
}

// Audio regions over wave files of every kind the import meets: the project's format, other
// rates and sample sizes (converted, one of them twice), mono at 8 bit, six channels with
// their layout, one only in the "Audio" folder. (A missing wave file fails the import.)
WalkProject audio() {
    WalkProject p{"audio", {}, {}};
    p.waves = {{"same.wav", tone(44100, 16, 2)},
               {"rate48.wav", tone(48000, 16, 2)},
               {"deep24.wav", tone(44100, 24, 2)},
               {"mono8.wav", tone(22050, 8, 1)},
               {"surround.wav",
                tone(48000, 16, 6,
                     {SF_CHANNEL_MAP_LEFT, SF_CHANNEL_MAP_RIGHT, SF_CHANNEL_MAP_CENTER,
                      SF_CHANNEL_MAP_LFE, SF_CHANNEL_MAP_REAR_LEFT, SF_CHANNEL_MAP_REAR_RIGHT})},
               {"Audio/loop.wav", tone(44100, 16, 2)}};
    p.file.add(head(2));
    p.file.add(track(1, kAudioTrack, u"Takes", 0));
    p.file.add(regionsOf(1, {audioRegion(u"same.wav", 0), audioRegion(u"rate48.wav", 240),
                             audioRegion(u"deep24.wav", 480), audioRegion(u"loop.wav", 720),
                             audioRegion(u"rate48.wav", 960)}));
    p.file.add(track(2, kAudioTrack, u"Room", 0));
    p.file.add(regionsOf(2, {audioRegion(u"mono8.wav", 0), audioRegion(u"surround.wav", 480)}));
    p.file.add(curve(kVolumeAutomation, 100));
    return p;
}

// Instruments of every plug-in range (a General MIDI sound, drum kits, the synth with its
// stored state, an id without a preset, an id outside every range) with pads, presets,
// automation of each kind and sends to an effect bus.
WalkProject instruments() {
    WalkProject p{"instruments", {}, {}};
    p.file.add(head(6));
    const std::uint32_t ids[] = {1, 160, 99001, 60, 1432100005, 5000};
    for (std::uint16_t n = 1; n <= 6; ++n) {
        TrackInfoChunk t = track(n, kInstrumentTrack, u"Player", ids[n - 1], {{1, 1, 0.4f}});
        t.mute = n == 4;
        t.solo = n == 2;
        t.pan = -0.5f + 0.2f * n;
        p.file.add(t);
        p.file.add(regionsOf(n, {midiRegion(0), midiRegion(960)}));
        if (n == 1 || n == 2) {
            PadChunk pads;
            pads.trackNumber = n;
            pads.chordButtons = {{60, 64, 67}};
            pads.drumPadKeys = {36, 38};
            pads.chordPads = {{48, 55}};
            p.file.add(pads);
        }
        if (n == 3 || n == 1) {
            PresetChunk preset;
            preset.trackNumber = n;
            preset.name = u"Stored";
            for (int i = 0; i < 40; ++i) preset.data.push_back(static_cast<std::uint8_t>(i * 11));
            p.file.add(preset);
        }
        for (std::uint16_t type : {kVolumeAutomation, kPanAutomation, kThirdAutomation})
            p.file.add(curve(type, n * 100u));
    }
    p.file.add(effectOn(effectBus(1), kReverb, 0));
    return p;
}

std::vector<char> contentOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<fs::path> filesUnder(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (!entry.is_directory()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

const std::vector<WalkProject>& walkProjects() {
    static const std::vector<WalkProject> projects = {demo(), effects(), audio(), instruments()};
    return projects;
}

// --- WalkRun -----------------------------------------------------------------------------

std::string WalkRun::brokenPromise() const {
    std::ostringstream broken;
    const auto shown = [&] {
        std::string all;
        for (const auto& m : messages) all += " \"" + m + "\"";
        return all;
    };
    if (!exception.empty()) broken << "an exception left the module: " << exception << "; ";
    if (result) {
        const bool completed = *result == 0;
        if (*result != 0 && *result != 1) broken << "result " << *result << "; ";
        if (messages.size() > 1) broken << "messages:" << shown() << "; ";
        for (const auto& m : messages) {
            const bool fits = completed ? m == TessaroFuzz::kCompleted
                                        : m == TessaroFuzz::kUnknownFormat || m == kCannotOpen;
            if (!fits) broken << "result " << *result << " with the message \"" << m << "\"; ";
        }
        if (filterCountAtRelease.value_or(0) != 0)
            broken << "the filter kept " << *filterCountAtRelease << " references; ";
    } else if (!messages.empty()) {
        broken << "no import (" << error << ") but messages:" << shown() << "; ";
    }
    if (!references.clean()) {
        broken << references.held << " held, " << references.overReleased
               << " released too often, " << references.misuseCount << " misuses";
        for (const auto& h : references.heldDetails) broken << "; held: " << h.facet;
        for (const auto& m : references.misuses) broken << "; misuse: " << m;
        broken << "; ";
    }
    if (audioResources != 0) broken << audioResources << " audio files or converters open; ";
    if (moduleBlocksLeft != 0) broken << moduleBlocksLeft << " blocks of the module left; ";
    for (const auto& f : filesLeft) broken << "left behind: " << f << "; ";
    return broken.str();
}

// --- ProjectWalk ---------------------------------------------------------------------------

ProjectWalk::ProjectWalk(const WalkProject& project, RefHost::LoadedModule& module,
                         const RefHost::Profile& profile)
    : module_(module), profile_(profile) {
    projectFile_ = folder_.path() / (project.name + ".tsp");
    if (!project.file.writeTo(projectFile_))
        throw std::runtime_error("cannot write " + projectFile_.string());
    for (const auto& [name, wave] : project.waves) {
        fs::create_directories((folder_.path() / name).parent_path());
        if (!writeToneFile(folder_.path() / name, wave))
            throw std::runtime_error("cannot write " + name);
    }
    own_ = filesUnder(folder_.path());
    // Twice: the first import of the process fills what the module makes once (and keeps).
    RefHost::FaultPlan counting;
    run(counting, 0);
    RefHost::FaultPlan plan;
    reference_ = run(plan, 0);
}

ProjectWalk::~ProjectWalk() = default;

WalkRun ProjectWalk::failAllocation(std::uint64_t failAt) {
    RefHost::FaultPlan plan;
    return run(plan, failAt);
}

WalkRun ProjectWalk::failCall(RefHost::FaultKind kind, std::uint64_t nth) {
    RefHost::FaultPlan plan(kind, nth);
    return run(plan, 0);
}

WalkRun ProjectWalk::run(RefHost::FaultPlan& plan, std::uint64_t failAt) {
    WalkRun run;
    const std::int64_t blocksBefore = ModuleAllocations::alive();
    {
        RefHost::ReferenceHost host(profile_);
        host.setProjectFolder(folder_.path());
        host.setFaultPlan(&plan);
        RefHost::ImportOutcome outcome;
        try {
            const AllocationWatch watch(plan, failAt);
            outcome = RefHost::runImport(module_, host, projectFile_);
        } catch (const std::exception& error) {
            run.exception = error.what();
        } catch (...) {
            run.exception = "not a std::exception";
        }
        run.allocations = ModuleAllocations::count();
        run.allocationFailed = ModuleAllocations::failed();
        run.result = outcome.result;
        run.error = outcome.error;
        run.filterCountAtRelease = outcome.filterCountAtRelease;
        for (const auto& m : host.records().messages) run.messages.push_back(m.text);
        if (const auto& told = host.records().diagnostics; told && told->failure)
            run.reason = told->failure->line();
        run.references = host.account().findings();
        run.audioResources = host.audioResources().openFiles + host.audioResources().converters;
        for (const RefHost::FaultKind kind : RefHost::kFaultKinds)
            run.calls[static_cast<std::size_t>(kind)] = plan.count(kind);
        run.struck = plan.struck();
        run.struckAfterRead = plan.struckAfterRead();
        host.setFaultPlan(nullptr);
    }
    // What the run itself keeps (its texts) was allocated outside every watch.
    run.moduleBlocksLeft = ModuleAllocations::alive() - blocksBefore;
    run.filesLeft = restoreFolder(failAt == 0 && !plan.hasStruck() && outputs_.empty());
    return run;
}

std::vector<std::string> ProjectWalk::restoreFolder(bool reference) {
    std::vector<std::string> left;
    for (const fs::path& file : filesUnder(folder_.path())) {
        if (std::binary_search(own_.begin(), own_.end(), file)) continue;
        if (reference) {
            outputs_[file] = contentOf(file);
        } else {
            const auto output = outputs_.find(file);
            if (output == outputs_.end() || output->second != contentOf(file))
                left.push_back(fs::relative(file, folder_.path()).string());
        }
        fs::remove(file);
    }
    return left;
}

// --- ProjectWalkTest -----------------------------------------------------------------------

ProjectWalk& ProjectWalkTest::walk() {
    if (!walk_) {
        module_ = std::make_unique<RefHost::LoadedModule>(TESSARO_MODULE_PATH);
        profile_ = std::make_unique<RefHost::Profile>(TessaroTest::loadProfile());
        walk_ = std::make_unique<ProjectWalk>(project(), *module_, *profile_);
        const WalkRun& reference = walk_->reference();
        EXPECT_EQ(reference.result, 0) << reference.error << reference.reason;
        EXPECT_EQ(reference.brokenPromise(), "");
        EXPECT_EQ(reference.messages, std::vector<std::string>{TessaroFuzz::kCompleted});
    }
    return *walk_;
}

std::string projectName(const ::testing::TestParamInfo<std::size_t>& info) {
    return walkProjects()[info.param].name;
}

// --- Points ----------------------------------------------------------------------------------

std::vector<std::uint64_t> walkPoints(std::uint64_t total, std::uint64_t maxUnderSanitizers) {
    std::uint64_t stride = 1;
#if defined(__SANITIZE_ADDRESS__)
    stride = std::max<std::uint64_t>(1, (total + maxUnderSanitizers - 1) / maxUnderSanitizers);
#else
    (void)maxUnderSanitizers;
#endif
    if (const char* chosen = std::getenv("TESSARO_FAULT_STRIDE"))
        stride = std::max<std::uint64_t>(1, std::strtoull(chosen, nullptr, 10));
    std::vector<std::uint64_t> points;
    for (std::uint64_t n = 1; n <= total; n += stride) points.push_back(n);
    if (!points.empty() && points.back() != total) points.push_back(total);
    return points;
}

}  // namespace TessaroFaults
