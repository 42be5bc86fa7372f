// tessaro-import at the size of real songs, as whole processes, against the import alone
// (RefHost::runImport in a process of its own, timed from its call to its return):
//
//   bench_command [--runs N] [--keep]
//
// The projects: 2,000 and 4,000 plain instrument tracks (the song header and a track info
// chunk per track: the one input whose size a legal file can grow without bound), and the
// MIDI-heavy project of bench_import_midi (1,000,000 notes, 200,000 events). The command
// runs with --quiet, with --json FILE (printing its summary) and with --quiet --json -
// (the report on standard output). Targets:
//   - 2,000 tracks: a peak of at most 64 MB plus 32 KB per track with --quiet and with
//     --json FILE; the time with --json FILE at most 1.3 times the import alone's;
//   - 4,000 tracks: the command's time at most 2.2 times its time at 2,000 tracks;
//   - the MIDI-heavy project: the peak with --json FILE at most 1.3 times the import alone's.
// A last pair of runs imports 2,000 and 4,000 tracks with a volume curve each: what the
// module's track lookup by number (a walk of the project's tracks, as the format has it)
// costs. Each measured run is a fresh process; the figures are the median times and the
// largest peak of N runs (default 3).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "bench/bench_import.h"
#include "bench/bench_support.h"
#include "tools/writer/writer.h"

using namespace TessaroBench;
namespace fs = std::filesystem;

namespace {

constexpr int kFewerTracks = 2000;
constexpr int kMoreTracks = 4000;
constexpr double kFixedBytes = 64e6;
constexpr double kBytesPerTrack = 32e3;
constexpr double kReportTimeTarget = 1.3;
constexpr double kDoubledTimeTarget = 2.2;
constexpr double kMidiPeakTarget = 1.3;

struct Figures {
    std::vector<double> wall;
    std::vector<double> cpu;
    std::vector<long> peaks;
    int failures = 0;

    double medianWall() const { return median(wall); }
    double medianCpu() const { return median(cpu); }
    double peakBytes() const { return static_cast<double>(maxOf(peaks)) * 1024.0; }
};

// What one project's runs gave: the import alone and each way of running the command.
struct ProjectFigures {
    std::string label;
    Figures import;
    Figures quiet;
    Figures json;
    Figures stdoutJson;
};

void addImport(Figures& figures, const fs::path& file) {
    const ChildRun run = runChild(selfPath(), {"--child", "import", file.string()});
    figures.failures += run.status != 0;
    figures.wall.push_back(number(run, "seconds"));
    figures.cpu.push_back(number(run, "cpu"));
    figures.peaks.push_back(run.peakKiB);
}

void addCommand(Figures& figures, const std::vector<std::string>& args) {
    const ChildRun run = runChild(TESSARO_IMPORT_TOOL, args);
    figures.failures += run.status != 0;
    figures.wall.push_back(run.wallSeconds);
    figures.cpu.push_back(run.cpuSeconds);
    figures.peaks.push_back(run.peakKiB);
}

ProjectFigures measure(const std::string& label, const fs::path& file, int runs, bool every) {
    ProjectFigures p{label, {}, {}, {}, {}};
    const std::string report = fs::path(file).replace_extension(".json").string();
    for (int r = 0; r < runs; ++r) {
        addImport(p.import, file);
        addCommand(p.json, {file.string(), "--json", report});
        if (!every) continue;
        addCommand(p.quiet, {file.string(), "--quiet"});
        addCommand(p.stdoutJson, {file.string(), "--quiet", "--json", "-"});
    }
    return p;
}

void printRow(const char* label, const Figures& f) {
    if (f.wall.empty()) return;
    std::printf("  %-34s %8.3f %8.3f %10.1f%s\n", label, f.medianWall(), f.medianCpu(),
                f.peakBytes() / 1048576.0, f.failures ? "   FAILED RUNS" : "");
}

void print(const ProjectFigures& p) {
    std::printf("%s\n  %-34s %8s %8s %10s\n", p.label.c_str(), "", "wall s", "cpu s", "peak MiB");
    printRow("import alone (runImport)", p.import);
    printRow("tessaro-import --quiet", p.quiet);
    printRow("tessaro-import --json FILE", p.json);
    printRow("tessaro-import --quiet --json -", p.stdoutJson);
}

const char* verdict(bool holds) { return holds ? "holds" : "MISSED"; }

// Plain instrument tracks, each with a volume curve of two points: each curve's chunk names
// its track by number, and the module finds the track by walking the project's tracks, as
// the format has it.
TessaroWriter::ProjectFile automatedTracksProject(int count) {
    TessaroWriter::ProjectFile file = TessaroWriter::instrumentTracksProject(count);
    for (int t = 1; t <= count; ++t) {
        TessaroWriter::AutomationChunk curve;
        curve.targetId = static_cast<std::uint32_t>(t) * 100;
        curve.points = {{0, 0.5f, 0}, {1920, 1.0f, 0}};
        file.add(std::move(curve));
    }
    return file;
}

Figures importAlone(const fs::path& file, int runs) {
    Figures figures;
    for (int r = 0; r < runs; ++r) addImport(figures, file);
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return importChild(argv[3], false);

    int runs = 3;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) runs = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--keep") == 0) keep = true;
        else {
            std::fprintf(stderr, "usage: bench_command [--runs N] [--keep]\n");
            return 2;
        }
    }
    if (runs < 1) {
        std::fprintf(stderr, "bench_command: runs is at least 1\n");
        return 2;
    }

    char pattern[] = "/tmp/tessaro-bench-XXXXXX";
    const fs::path folder = mkdtemp(pattern);
    const fs::path fewer = folder / "tracks-2000.tsp";
    const fs::path more = folder / "tracks-4000.tsp";
    const fs::path midi = folder / "midi-heavy.tsp";
    const fs::path fewerCurves = folder / "curves-2000.tsp";
    const fs::path moreCurves = folder / "curves-4000.tsp";
    if (!TessaroWriter::instrumentTracksProject(kFewerTracks).writeTo(fewer) ||
        !TessaroWriter::instrumentTracksProject(kMoreTracks).writeTo(more) ||
        !midiHeavyProject(10).writeTo(midi) ||
        !automatedTracksProject(kFewerTracks).writeTo(fewerCurves) ||
        !automatedTracksProject(kMoreTracks).writeTo(moreCurves)) {
        std::fprintf(stderr, "cannot write into %s\n", folder.c_str());
        return 1;
    }
    std::printf("tessaro-import as whole processes against the import alone; %d runs each\n", runs);
    const ProjectFigures f = measure("2,000 plain instrument tracks", fewer, runs, true);
    print(f);
    const ProjectFigures m = measure("4,000 plain instrument tracks", more, runs, true);
    print(m);
    const ProjectFigures h = measure("MIDI-heavy project (1,000,000 notes)", midi, runs, false);
    print(h);

    const double allowed = kFixedBytes + kBytesPerTrack * kFewerTracks;
    std::printf("\n2,000 tracks, peak (target: at most %.0f MB): --quiet %.1f MB, --json FILE "
                "%.1f MB: %s\n",
                allowed / 1e6, f.quiet.peakBytes() / 1e6, f.json.peakBytes() / 1e6,
                verdict(f.quiet.peakBytes() <= allowed && f.json.peakBytes() <= allowed));
    const double wallRatio = f.json.medianWall() / f.import.medianWall();
    const double cpuRatio = f.json.medianCpu() / f.import.medianCpu();
    std::printf("2,000 tracks, --json FILE / import alone (target: at most %.1fx): %.2fx wall, "
                "%.2fx cpu: %s\n",
                kReportTimeTarget, wallRatio, cpuRatio, verdict(wallRatio <= kReportTimeTarget));
    for (const auto& [label, a, b] :
         {std::tuple{"--quiet", &f.quiet, &m.quiet}, std::tuple{"--json FILE", &f.json, &m.json},
          std::tuple{"import alone", &f.import, &m.import}}) {
        const double ratio = b->medianWall() / a->medianWall();
        std::printf("4,000 / 2,000 tracks, %s (target: at most %.1fx): %.2fx wall, %.2fx cpu: "
                    "%s\n",
                    label, kDoubledTimeTarget, ratio, b->medianCpu() / a->medianCpu(),
                    verdict(ratio <= kDoubledTimeTarget));
    }
    const double midiPeak = h.json.peakBytes() / h.import.peakBytes();
    std::printf("MIDI-heavy project, peak of --json FILE / import alone (target: at most "
                "%.1fx): %.2fx: %s\n",
                kMidiPeakTarget, midiPeak, verdict(midiPeak <= kMidiPeakTarget));

    // The module's track lookup by number, one per curve, over the project's tracks.
    const Figures fewerLookups = importAlone(fewerCurves, runs);
    const Figures moreLookups = importAlone(moreCurves, runs);
    std::printf("\nA volume curve on every track (the module finds each curve's track by walking "
                "the project):\n");
    for (const auto& [tracks, plain, curves] :
         {std::tuple{kFewerTracks, &f.import, &fewerLookups},
          std::tuple{kMoreTracks, &m.import, &moreLookups}}) {
        const double extra = curves->medianCpu() - plain->medianCpu();
        std::printf("  %d tracks: import alone %.3f s wall, %.3f s cpu, peak %.1f MiB (%.3f s cpu "
                    "more than without the curves: %.1f us a curve)\n",
                    tracks, curves->medianWall(), curves->medianCpu(),
                    curves->peakBytes() / 1048576.0, extra, extra / tracks * 1e6);
    }

    int failures = 0;
    for (const ProjectFigures* p : {&f, &m, &h})
        for (const Figures* r : {&p->import, &p->quiet, &p->json, &p->stdoutJson})
            failures += r->failures;
    failures += fewerLookups.failures + moreLookups.failures;
    if (failures) std::fprintf(stderr, "%d runs failed\n", failures);
    if (!keep) fs::remove_all(folder);
    else std::printf("kept %s\n", folder.c_str());
    return failures ? 1 : 0;
}
