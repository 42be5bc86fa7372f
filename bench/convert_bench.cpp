// Conversion of wave files through an import (the module's copy loop over the reference
// host's libsoxr source and libsndfile writer):
//
//   bench_convert [--runs N] [--seconds S] [--keep]
//
// The file: S seconds (default 60) of 48000 Hz 24-bit stereo tones; the project is 44100 Hz
// 16-bit, so the import writes "in (44100.0Hz 16bit).wav". Each run is a fresh process;
// the figures are the median wall time and the peak resident memory. Measured:
//
// - one region playing the file, against sox doing the same conversion where sox is on the
//   path (sox in.wav -b 16 out.wav rate -v 44100); the outputs are compared sample by sample;
// - 200 regions playing the same file: the file is converted once, so this costs at most
//   1.2 times one region, with a peak within 10% of one region's;
// - 1,500 regions playing a 0.1 s file, imported under a limit of 256 open files: a peak
//   under 64 MiB.
#include <sndfile.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "refhost/module_loader.h"
#include "refhost/profile.h"
#include "refhost/reference_host.h"
#include "tools/writer/tone_file.h"
#include "tools/writer/writer.h"

using namespace TessaroBench;
namespace fs = std::filesystem;

namespace {

constexpr const char* kConverted = "in (44100.0Hz 16bit).wav";

// A 44100 Hz 16-bit project whose one audio track plays in.wav in regions one after
// another, each as long as the file (240 ticks a second at 120 bpm).
TessaroWriter::ProjectFile conversionProject(double seconds, std::size_t regions) {
    return TessaroWriter::audioTracksProject({std::vector<std::u16string>(regions, u"in.wav")},
                                             44100, 16,
                                             static_cast<std::uint32_t>(seconds * 240));
}

// Imports file in this process under a limit of openFiles open files (0: none set).
int importChild(const fs::path& file, unsigned long openFiles) {
    if (openFiles) {
        const rlimit limit{openFiles, openFiles};
        if (setrlimit(RLIMIT_NOFILE, &limit) != 0) return 2;
    }
    RefHost::ReferenceHost host(RefHost::ProfileStore().load(""));
    RefHost::LoadedModule module{fs::path(TESSARO_MODULE_PATH)};
    RefHost::ImportOutcome outcome;
    const Timing time = timed([&] { outcome = RefHost::runImport(module, host, file); });
    const auto found = host.account().findings();
    const RefHost::AudioResources& held = host.audioResources();
    std::printf("seconds=%.6f\ncpu=%.6f\nresult=%d\nwritten=%zu\nheld=%zu\n", time.wall,
                time.cpu, outcome.result.value_or(-1), host.records().filesWritten.size(),
                held.openFiles + held.converters);
    return outcome.result == 0 && found.clean() && held.openFiles == 0 && held.converters == 0
               ? 0
               : 1;
}

struct Audio {
    SF_INFO info{};
    std::vector<double> samples;
};

Audio readAll(const fs::path& path) {
    Audio a;
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &a.info);
    if (!f) return a;
    a.samples.resize(static_cast<std::size_t>(a.info.frames * a.info.channels));
    sf_readf_double(f, a.samples.data(), a.info.frames);
    sf_close(f);
    return a;
}

double dbfs(double rms) { return rms > 0 ? 20 * std::log10(rms) : -INFINITY; }

// The runs of one measured step.
struct Measured {
    std::vector<double> wall, cpu;
    std::vector<long> peaks;
    int failures = 0;

    double medianWall() const { return median(wall); }
    double medianCpu() const { return median(cpu); }
    double peakMiB() const { return static_cast<double>(maxOf(peaks)) / 1024.0; }
};

void measure(Measured& into, const std::string& program, const std::vector<std::string>& args,
             const char* what) {
    const ChildRun run = runChild(program, args);
    if (run.status != 0) {
        std::fprintf(stderr, "%s failed: status %d\n", what, run.status);
        ++into.failures;
    }
    into.wall.push_back(run.wallSeconds);
    into.cpu.push_back(run.cpuSeconds);
    into.peaks.push_back(run.peakKiB);
}

// True when program is an executable file in a folder of $PATH.
bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::string folders = path;
    for (std::size_t at = 0; at <= folders.size();) {
        const std::size_t end = std::min(folders.find(':', at), folders.size());
        const fs::path candidate = fs::path(folders.substr(at, end - at)) / program;
        if (access(candidate.c_str(), X_OK) == 0) return true;
        at = end + 1;
    }
    return false;
}

void printRow(const char* name, const Measured& m) {
    std::printf("%-48s %10.3f %10.3f %10.1f\n", name, m.medianWall(), m.medianCpu(), m.peakMiB());
}

void printRatio(const char* name, const Measured& a, const Measured& b) {
    std::printf("%-48s %9.2fx %9.2fx %9.2fx\n", name, a.medianWall() / b.medianWall(),
                a.medianCpu() / b.medianCpu(), a.peakMiB() / b.peakMiB());
}

const char* verdict(bool met) { return met ? "met" : "MISSED"; }

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--child") == 0)
        return importChild(argv[2], argc >= 4 ? std::strtoul(argv[3], nullptr, 10) : 0);

    int runs = 3;
    double seconds = 60;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) runs = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) seconds = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--keep") == 0) keep = true;
        else {
            std::fprintf(stderr, "usage: bench_convert [--runs N] [--seconds S] [--keep]\n");
            return 2;
        }
    }

    constexpr std::size_t kManyRegions = 200;
    constexpr std::size_t kShortRegions = 1500;
    constexpr double kShortSeconds = 0.1;
    constexpr unsigned long kOpenFileLimit = 256;
    char pattern[] = "/tmp/tessaro-bench-XXXXXX";
    const fs::path folder = mkdtemp(pattern);
    const fs::path shortFolder = folder / "short";
    fs::create_directory(shortFolder);
    TessaroWriter::Tone tone;
    tone.sampleRate = 48000;
    tone.sampleSize = 24;
    tone.channels = 2;
    tone.seconds = seconds;
    tone.frequencies = {440.0, 1000.0};
    tone.level = 0.5;
    TessaroWriter::Tone shortTone = tone;
    shortTone.seconds = kShortSeconds;
    if (!TessaroWriter::writeToneFile(folder / "in.wav", tone) ||
        !TessaroWriter::writeToneFile(shortFolder / "in.wav", shortTone) ||
        !conversionProject(seconds, 1).writeTo(folder / "one.tsp") ||
        !conversionProject(seconds, kManyRegions).writeTo(folder / "many.tsp") ||
        !conversionProject(kShortSeconds, kShortRegions).writeTo(shortFolder / "short.tsp")) {
        std::fprintf(stderr, "cannot write the input files\n");
        return 1;
    }
    const bool sox = onPath("sox");
    std::printf("Conversion: %.0f s of 48000 Hz 24-bit stereo to 44100 Hz 16 bit; %d runs each%s\n",
                seconds, runs, sox ? "" : " (sox is not on the path: its comparison is left out)");

    Measured one, many, shortMany, soxRuns;
    const std::string limit = std::to_string(kOpenFileLimit);
    for (int r = 0; r < runs; ++r) {
        measure(one, selfPath(), {"--child", (folder / "one.tsp").string()}, "one region");
        measure(many, selfPath(), {"--child", (folder / "many.tsp").string()}, "200 regions");
        measure(shortMany, selfPath(), {"--child", (shortFolder / "short.tsp").string(), limit},
                "1,500 regions");
        if (sox)
            measure(soxRuns, "sox",
                    {(folder / "in.wav").string(), "-b", "16", (folder / "sox.wav").string(),
                     "rate", "-v", "44100"},
                    "sox");
    }
    std::printf("%-48s %10s %10s %10s\n", "(whole processes)", "wall s", "cpu s", "peak MiB");
    printRow("one region", one);
    printRow("200 regions on the same file", many);
    printRatio("ratio 200 regions / one", many, one);
    printRow("1,500 regions on a 0.1 s file, ulimit -n 256", shortMany);
    if (sox) {
        printRow("sox in.wav -b 16 out.wav rate -v 44100", soxRuns);
        printRatio("ratio one region / sox", one, soxRuns);
    }
    const double timeRatio = many.medianCpu() / one.medianCpu();
    const double peakRatio = many.peakMiB() / one.peakMiB();
    std::printf("200 regions: %.2fx the processor time of one region (at most 1.2x: %s), "
                "peak %+.1f%% (within 10%%: %s)\n",
                timeRatio, verdict(timeRatio <= 1.2), (peakRatio - 1) * 100,
                verdict(peakRatio <= 1.1));
    std::printf("1,500 regions: peak %.1f MiB (under 64 MiB: %s)\n", shortMany.peakMiB(),
                verdict(shortMany.peakMiB() < 64));

    // The two outputs, sample by sample.
    const Audio ours = readAll(folder / kConverted);
    std::printf("frames: import %lld (expected %.0f)\n", static_cast<long long>(ours.info.frames),
                std::round(seconds * 44100));
    if (sox) {
        const Audio theirs = readAll(folder / "sox.wav");
        std::printf("frames: sox %lld\n", static_cast<long long>(theirs.info.frames));
        const std::size_t n = std::min(ours.samples.size(), theirs.samples.size());
        double diff = 0, level = 0;
        for (std::size_t i = 0; i < n; ++i) {
            diff += (ours.samples[i] - theirs.samples[i]) * (ours.samples[i] - theirs.samples[i]);
            level += ours.samples[i] * ours.samples[i];
        }
        if (n > 0)
            std::printf("level %.2f dBFS; difference to sox %.1f dBFS RMS\n",
                        dbfs(std::sqrt(level / static_cast<double>(n))),
                        dbfs(std::sqrt(diff / static_cast<double>(n))));
    }

    if (!keep) fs::remove_all(folder);
    else std::printf("kept %s\n", folder.c_str());
    return one.failures + many.failures + shortMany.failures + soxRuns.failures ? 1 : 0;
}
