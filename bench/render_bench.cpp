// The render of a song against the fluidsynth command playing its exported MIDI file:
//
//   bench_render [--runs N] [--soundfont FILE] [--keep]
//
// A three-minute song (90 bars at 120 bpm) of 12 instrument tracks, quarters and eighths
// (5,760 notes), each on a General MIDI preset of the multi-sound plug-in, and 4 audio
// tracks playing a 44100 Hz wave file in 4-bar regions. Timed side by side, each as a whole
// process, medians over N runs (default 3):
//   fluidsynth:     fluidsynth -ni -R 0 -C 0 -F out.wav FONT song.mid, the song's exported
//                   Standard MIDI File with the same soundfont, reverb and chorus off;
//   import:         tessaro-import song.tsp, nothing rendered (what the lines below add to);
//   mix, --jobs J:  tessaro-import song.tsp --render mix.wav, J = 2 and 1;
//   stems, --jobs J: tessaro-import song.tsp --stems stems/ (the 16 tracks), J = 2 and 1.
// Then the peak memory of the mix for the song and for one twice as long.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "tools/writer/tone_file.h"
#include "tools/writer/writer.h"

using namespace TessaroBench;
namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kBar = 480;
constexpr std::uint32_t kQuarter = kBar / 4;
constexpr std::uint32_t kEighth = kBar / 8;

struct Voice {
    std::uint32_t instrument;  // the app's instrument id
    std::uint8_t low;          // the lowest key it plays
    bool drums;
};
// Piano, bass, nylon and clean guitar, e-piano, organ, flute, brass, strings, square lead,
// warm pad and the rock kit: each a "[GM nnn]" preset of the multi-sound plug-in.
constexpr Voice kVoices[12] = {{1, 60, false},   {20, 36, false},  {30, 55, false},  {32, 60, false},
                               {40, 60, false},  {50, 48, false},  {91, 72, false},  {100, 55, false},
                               {110, 55, false}, {142, 67, false}, {141, 48, false}, {60, 36, true}};

// Every three bars: a bar of quarters, a bar of quarters, a bar of eighths.
std::vector<TessaroWriter::Note> notesOf(const Voice& voice, std::uint32_t bars) {
    std::vector<TessaroWriter::Note> notes;
    static constexpr std::uint8_t kScale[] = {0, 2, 4, 5, 7, 9, 11, 12};
    static constexpr std::uint8_t kKit[] = {36, 42, 38, 42};
    for (std::uint32_t bar = 0; bar < bars; ++bar) {
        const bool eighths = bar % 3 == 2;
        const std::uint32_t step = eighths ? kEighth : kQuarter;
        for (std::uint32_t at = 0, i = 0; at < kBar; at += step, ++i) {
            const auto key =
                voice.drums ? kKit[i % 4] : static_cast<std::uint8_t>(voice.low + kScale[(bar + i) % 8]);
            notes.push_back({bar * kBar + at, step, key, static_cast<std::uint8_t>(90 + (i % 3) * 10)});
        }
    }
    return notes;
}

// The song of `bars` bars and its wave file in folder; returns the project's path.
fs::path writeSong(const fs::path& folder, std::uint32_t bars) {
    using namespace TessaroWriter;
    fs::create_directories(folder);
    Tone tone;
    tone.sampleRate = 44100;
    tone.seconds = 8;
    tone.frequencies = {220.0, 330.0};
    tone.level = 0.2;
    if (!writeToneFile(folder / "loop.wav", tone)) throw std::runtime_error("cannot write the wave file");
    ProjectFile file;
    HeadChunk& head = file.add(HeadChunk{});
    head.trackCount = 16;
    head.songLengthTicks = bars * kBar;
    head.songLengthSeconds = static_cast<float>(bars) * 2;
    head.rulerEndTick = bars * kBar;
    std::uint16_t number = 0;
    for (const Voice& voice : kVoices) {
        TrackInfoChunk track;
        track.trackNumber = ++number;
        track.name = std::string_view("Instrument " + std::to_string(number));
        track.instrumentId = voice.instrument;
        track.volume = 0.5f;
        file.add(std::move(track));
        MidiData midi;
        midi.notes = notesOf(voice, bars);
        Region region;
        region.length = bars * kBar;
        region.name = u"Part";
        region.content = std::move(midi);
        RegionChunk chunk;
        chunk.trackNumber = number;
        chunk.regions = {std::move(region)};
        file.add(std::move(chunk));
    }
    for (int a = 0; a < 4; ++a) {
        TrackInfoChunk track;
        track.trackNumber = ++number;
        track.trackType = kAudioTrack;
        track.name = std::string_view("Audio " + std::to_string(a + 1));
        track.volume = 0.5f;
        file.add(std::move(track));
        RegionChunk chunk;
        chunk.trackNumber = number;
        for (std::uint32_t bar = 0; bar + 4 <= bars; bar += 4) {
            AudioData audio;
            audio.fileName = u"loop.wav";
            Region region;
            region.position = bar * kBar;
            region.length = 4 * kBar;
            region.content = audio;
            chunk.regions.push_back(std::move(region));
        }
        file.add(std::move(chunk));
    }
    const fs::path project = folder / "song.tsp";
    if (!file.writeTo(project)) throw std::runtime_error("cannot write the project");
    return project;
}

struct Measured {
    std::vector<double> wall, cpu;
    std::vector<long> peak;
    int failures = 0;
    void add(const ChildRun& run) {
        wall.push_back(run.wallSeconds);
        cpu.push_back(run.cpuSeconds);
        peak.push_back(run.peakKiB);
        failures += run.status != 0;
    }
};

void print(const char* name, const Measured& m, double reference) {
    std::printf("%-26s %8.2f s wall %8.2f s cpu %8.1f MiB peak", name, median(m.wall), median(m.cpu),
                static_cast<double>(maxOf(m.peak)) / 1024);
    if (reference > 0) std::printf("   %.2fx fluidsynth", median(m.wall) / reference);
    if (m.failures) std::printf("   (%d failed)", m.failures);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 3;
    std::string font = "/usr/share/sounds/sf2/TimGM6mb.sf2";
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--soundfont") == 0 && i + 1 < argc)
            font = argv[++i];
        else if (std::strcmp(argv[i], "--keep") == 0)
            keep = true;
        else {
            std::fprintf(stderr, "usage: bench_render [--runs N] [--soundfont FILE] [--keep]\n");
            return 2;
        }
    }
    const std::string tool = TESSARO_IMPORT_TOOL;
    const fs::path root = fs::temp_directory_path() / ("tessaro-render-bench-" + std::to_string(::getpid()));
    const fs::path song = writeSong(root / "song", 90);
    const fs::path longer = writeSong(root / "longer", 180);
    const fs::path midi = root / "song.mid";
    if (runChild(tool, {song.string(), "--midi", midi.string(), "-q"}).status != 0) {
        std::fprintf(stderr, "bench_render: the song did not export\n");
        return 1;
    }
    const bool haveFluidsynth = std::system("command -v fluidsynth >/dev/null 2>&1") == 0;
    std::printf(
        "song: 90 bars at 120 bpm (180 s), 12 instrument tracks (5760 notes), 4 audio tracks; "
        "soundfont %s; %d runs\n",
        font.c_str(), runs);

    Measured fluidsynth, import, mix2, mix1, stems2, stems1, mixLonger;
    for (int r = 0; r < runs; ++r) {
        if (haveFluidsynth)
            fluidsynth.add(runChild("fluidsynth", {"-ni", "-R", "0", "-C", "0", "-F",
                                                   (root / "fs.wav").string(), font, midi.string()}));
        import.add(runChild(tool, {song.string(), "-q"}));
        const std::vector<std::string> render{song.string(), "--soundfont", font, "-q"};
        auto with = [&](std::vector<std::string> more) {
            std::vector<std::string> args = render;
            args.insert(args.end(), more.begin(), more.end());
            return args;
        };
        mix2.add(runChild(tool, with({"--render", (root / "mix.wav").string(), "--jobs", "2"})));
        mix1.add(runChild(tool, with({"--render", (root / "mix.wav").string(), "--jobs", "1"})));
        stems2.add(runChild(tool, with({"--stems", (root / "stems").string(), "--jobs", "2"})));
        stems1.add(runChild(tool, with({"--stems", (root / "stems").string(), "--jobs", "1"})));
        mixLonger.add(runChild(tool, {longer.string(), "--soundfont", font, "-q", "--render",
                                      (root / "longer.wav").string(), "--jobs", "2"}));
    }
    const double reference = haveFluidsynth ? median(fluidsynth.wall) : 0;
    if (haveFluidsynth)
        print("fluidsynth on the MIDI file", fluidsynth, 0);
    else
        std::printf("fluidsynth: not installed (apt install fluidsynth), no comparison\n");
    print("import alone", import, 0);
    print("mix, --jobs 2", mix2, reference);
    print("mix, --jobs 1", mix1, reference);
    print("stems (16), --jobs 2", stems2, reference);
    print("stems (16), --jobs 1", stems1, reference);
    print("mix of 360 s, --jobs 2", mixLonger, 0);
    std::printf("peak memory: %.1f MiB for 180 s, %.1f MiB for 360 s\n",
                static_cast<double>(maxOf(mix2.peak)) / 1024,
                static_cast<double>(maxOf(mixLonger.peak)) / 1024);
    if (!keep)
        fs::remove_all(root);
    else
        std::printf("kept %s\n", root.c_str());
    return 0;
}
