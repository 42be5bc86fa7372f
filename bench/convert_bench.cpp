// Conversion of a wave file through an import (the module's copy loop over the reference
// host's libsoxr source and libsndfile writer) against sox doing the same conversion:
//
//   sox in.wav -b 16 out.wav rate -v 44100
//
//   bench_convert [--runs N] [--seconds S] [--keep]
//
// The file: S seconds (default 60) of 48000 Hz 24-bit stereo tones; the project is 44100 Hz
// 16-bit, so the import writes "in (44100.0Hz 16bit).wav". Each run is a fresh process;
// the figures are the median wall time and the peak resident memory. The two outputs are
// compared sample by sample at the end.
#include <sndfile.h>

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

TessaroWriter::ProjectFile conversionProject(double seconds) {
    using namespace TessaroWriter;
    ProjectFile file;
    HeadChunk head;
    head.trackCount = 1;
    head.sampleRate = 44100;
    head.sampleSize = 16;
    file.add(head);
    TrackInfoChunk track;
    track.trackType = kAudioTrack;
    track.name = "Audio";
    file.add(track);
    AudioData audio;
    audio.fileName = u"in.wav";
    Region region;
    region.length = static_cast<std::uint32_t>(seconds * 240);  // 480 ticks: 2 s at 120 bpm
    region.content = audio;
    RegionChunk chunk;
    chunk.regions = {region};
    file.add(chunk);
    return file;
}

int importChild(const fs::path& file) {
    RefHost::ReferenceHost host(RefHost::ProfileStore().load(""));
    RefHost::LoadedModule module{fs::path(TESSARO_MODULE_PATH)};
    RefHost::ImportOutcome outcome;
    const Timing time = timed([&] { outcome = RefHost::runImport(module, host, file); });
    const auto found = host.account().findings();
    std::printf("seconds=%.6f\ncpu=%.6f\nresult=%d\nwritten=%zu\n", time.wall, time.cpu,
                outcome.result.value_or(-1), host.records().filesWritten.size());
    return outcome.result == 0 && found.clean() ? 0 : 1;
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

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0) return importChild(argv[2]);

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

    char pattern[] = "/tmp/tessaro-bench-XXXXXX";
    const fs::path folder = mkdtemp(pattern);
    TessaroWriter::Tone tone;
    tone.sampleRate = 48000;
    tone.sampleSize = 24;
    tone.channels = 2;
    tone.seconds = seconds;
    tone.frequencies = {440.0, 1000.0};
    tone.level = 0.5;
    if (!TessaroWriter::writeToneFile(folder / "in.wav", tone) ||
        !conversionProject(seconds).writeTo(folder / "project.tsp")) {
        std::fprintf(stderr, "cannot write the input files\n");
        return 1;
    }
    std::printf("Conversion: %.0f s of 48000 Hz 24-bit stereo to 44100 Hz 16 bit; %d runs each\n",
                seconds, runs);

    std::vector<double> importSeconds, soxSeconds, importCpu, soxCpu;
    std::vector<long> importPeaks, soxPeaks;
    int failures = 0;
    for (int r = 0; r < runs; ++r) {
        const ChildRun import =
            runChild(selfPath(), {"--child", (folder / "project.tsp").string()});
        if (import.status != 0) {
            std::fprintf(stderr, "import run failed: status %d\n", import.status);
            ++failures;
        }
        importSeconds.push_back(import.wallSeconds);
        importCpu.push_back(import.cpuSeconds);
        importPeaks.push_back(import.peakKiB);
        const ChildRun sox = runChild("sox", {(folder / "in.wav").string(), "-b", "16",
                                              (folder / "sox.wav").string(), "rate", "-v", "44100"});
        if (sox.status != 0) {
            std::fprintf(stderr, "sox failed: status %d\n", sox.status);
            ++failures;
        }
        soxSeconds.push_back(sox.wallSeconds);
        soxCpu.push_back(sox.cpuSeconds);
        soxPeaks.push_back(sox.peakKiB);
    }
    std::printf("%-42s %10s %10s %10s\n", "", "wall s", "cpu s", "peak MiB");
    std::printf("%-42s %10.3f %10.3f %10.1f\n", "import (whole process, module + host)",
                median(importSeconds), median(importCpu),
                static_cast<double>(maxOf(importPeaks)) / 1024.0);
    std::printf("%-42s %10.3f %10.3f %10.1f\n", "sox in.wav -b 16 out.wav rate -v 44100",
                median(soxSeconds), median(soxCpu), static_cast<double>(maxOf(soxPeaks)) / 1024.0);
    std::printf("%-42s %9.2fx %9.2fx %9.1fx\n", "ratio import / sox",
                median(importSeconds) / median(soxSeconds), median(importCpu) / median(soxCpu),
                static_cast<double>(maxOf(importPeaks)) / static_cast<double>(maxOf(soxPeaks)));

    // The two outputs, sample by sample.
    const Audio ours = readAll(folder / kConverted);
    const Audio theirs = readAll(folder / "sox.wav");
    std::printf("frames: import %lld, sox %lld (expected %.0f)\n",
                static_cast<long long>(ours.info.frames), static_cast<long long>(theirs.info.frames),
                std::round(seconds * 44100));
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

    if (!keep) fs::remove_all(folder);
    else std::printf("kept %s\n", folder.c_str());
    return failures ? 1 : 0;
}
