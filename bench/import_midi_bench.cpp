// Import of a MIDI-heavy project through the loaded module, against a bare loop that
// decodes the same note and event records from the file and keeps them: the module alone
// (a thin host that counts the calls and keeps nothing, bench/counting_host.h), and the
// whole import into the reference host; where the interchange library is built, the import
// followed by its export as a DAWproject file and a Standard MIDI File (the export may add
// at most the import's own time and half of its peak memory). A last run measures what a
// track costs in the reference host.
//
//   bench_import_midi [--runs N] [--scale S] [--keep]
//
// The project: 200 instrument tracks, each with 10 MIDI parts of 500 notes and 100 events
// (1,000,000 notes and 200,000 events in all); --scale multiplies the parts per track.
// Each measured run is a fresh process; the figures are the median time and the peak
// resident memory of the runs.
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/bench_import.h"
#include "bench/bench_support.h"
#include "bench/counting_host.h"
#include "bench/midi_heavy.h"
#include "refhost/module_loader.h"
#include "refhost/profile.h"
#include "refhost/reference_host.h"
#include "tools/writer/writer.h"

using namespace TessaroBench;
namespace fs = std::filesystem;

namespace {

// The project whose tracks are weighed: tracks only, as a track info chunk makes them.
constexpr int kWeighedTracks = 2000;

// Targets: the module's own time per note against the bare loop's, and the whole import.
constexpr double kModuleRatioTarget = 3.0;
constexpr double kImportMicrosecondsTarget = 1.5;
constexpr double kImportBytesTarget = 500;
constexpr double kTrackKibTarget = 32;

// --- The bare loop -------------------------------------------------------------------

struct Note {
    double start, length;
    std::uint8_t key, velocity;
};
struct Event {
    double start;
    std::uint16_t value;
    std::uint8_t type, key;
};

template <class T>
T load(const std::uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Decodes the notes and events of every region chunk of a version 22 file with no checks
// beyond the file's end: what any reader of the format must do at least.
int bareChild(const fs::path& file) {
    std::vector<Note> notes;
    std::vector<Event> events;
    const Timing time = timed([&] {
        std::ifstream in(file, std::ios::binary);
        const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
        const float factor = 1.0f / 960.0f;
        std::size_t at = 8;
        while (at + 8 <= bytes.size()) {
            const bool regions = std::memcmp(&bytes[at], "TREG", 4) == 0;
            const auto size = load<std::uint32_t>(&bytes[at + 4]);
            const std::uint8_t* body = &bytes[at + 8];
            at += 8 + size;
            if (!regions || at > bytes.size()) continue;
            const auto headerSize = load<std::uint16_t>(body);
            const auto count = load<std::uint32_t>(body + 4);
            const std::uint8_t* p = body + 8;
            for (std::uint32_t r = 0; r < count; ++r) {
                const auto regionStart = load<std::uint32_t>(p);
                const auto nameUnits = load<std::uint16_t>(p + 21);
                p += headerSize + 2 * nameUnits;
                const std::uint8_t* sub = p;
                const auto subSize = load<std::uint32_t>(sub);
                const std::uint8_t noteSize = sub[16];
                const auto noteCount = load<std::uint32_t>(sub + 17);
                const std::uint8_t* q = sub + 21;
                for (std::uint32_t n = 0; n < noteCount; ++n, q += noteSize)
                    notes.push_back({static_cast<float>(static_cast<std::int64_t>(load<std::uint32_t>(q)) -
                                                        regionStart) * factor,
                                     static_cast<float>(load<std::uint32_t>(q + 4)) * factor, q[8],
                                     q[9]});
                const std::uint8_t eventSize = q[0];
                const auto eventCount = load<std::uint32_t>(q + 1);
                q += 5;
                for (std::uint32_t e = 0; e < eventCount; ++e, q += eventSize)
                    events.push_back({static_cast<float>(load<std::uint32_t>(q)) * factor,
                                      load<std::uint16_t>(q + 4), q[6], q[7]});
                p = sub + subSize;
            }
        }
    });
    double checksum = 0;
    for (const auto& n : notes) checksum += n.start + n.key;
    for (const auto& e : events) checksum += e.start + e.value;
    std::printf("seconds=%.6f\ncpu=%.6f\nnotes=%zu\nevents=%zu\nchecksum=%.3f\n", time.wall,
                time.cpu, notes.size(), events.size(), checksum);
    return 0;
}

// --- The module alone ----------------------------------------------------------------

int moduleChild(const fs::path& file) {
    CountingHost host(file);
    RefHost::LoadedModule module{fs::path(TESSARO_MODULE_PATH)};
    CountingRun run;
    const Timing time = timed([&] { run = runCountingImport(module, host); });
    const CountingHost::Counts& counts = host.counts();
    std::printf("seconds=%.6f\ncpu=%.6f\nresult=%d\nnotes=%llu\nevents=%llu\ncalls=%llu\nheld=%lld\n",
                time.wall, time.cpu, run.result, static_cast<unsigned long long>(counts.notes),
                static_cast<unsigned long long>(counts.controls),
                static_cast<unsigned long long>(counts.calls), static_cast<long long>(counts.held));
    return run.result == 0 && counts.held == 0 ? 0 : 1;
}

// --- What a track costs in the reference host ----------------------------------------

// The bytes the heap has handed out and not taken back.
std::size_t heapInUse() { return mallinfo2().uordblks; }

int tracksChild(const fs::path& file) {
    RefHost::LoadedModule module{fs::path(TESSARO_MODULE_PATH)};
    RefHost::ReferenceHost host(RefHost::ProfileStore().load(""));
    const std::size_t before = heapInUse();
    const auto outcome = RefHost::runImport(module, host, file);
    const std::size_t after = heapInUse();
    std::printf("result=%d\ntracks=%zu\nbytes=%zu\nprofile=%s\n", outcome.result.value_or(-1),
                host.document().tracks().size(), after - before, host.profile().id.c_str());
    return outcome.result == 0 && host.account().findings().clean() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0) {
        const std::string mode = argv[2];
        if (mode == "bare") return bareChild(argv[3]);
        if (mode == "module") return moduleChild(argv[3]);
        if (mode == "tracks") return tracksChild(argv[3]);
        return importChild(argv[3], mode == "export");
    }

    int runs = 3;
    double scale = 1;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) runs = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc) scale = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--keep") == 0) keep = true;
        else {
            std::fprintf(stderr, "usage: bench_import_midi [--runs N] [--scale S] [--keep]\n");
            return 2;
        }
    }
    const int parts = std::max(1, static_cast<int>(10 * scale + 0.5));

    char pattern[] = "/tmp/tessaro-bench-XXXXXX";
    const fs::path folder = mkdtemp(pattern);
    const fs::path file = folder / "midi-heavy.tsp";
    const fs::path tracksFile = folder / "tracks.tsp";
    if (!midiHeavyProject(parts).writeTo(file) ||
        !TessaroWriter::instrumentTracksProject(kWeighedTracks).writeTo(tracksFile)) {
        std::fprintf(stderr, "cannot write into %s\n", folder.c_str());
        return 1;
    }
    const long notes = static_cast<long>(kTracks) * parts * kNotesPerPart;
    const long events = static_cast<long>(kTracks) * parts * kEventsPerPart;
    std::printf("MIDI-heavy import: %d tracks, %ld notes, %ld events; file %.1f MB; %d runs each\n",
                kTracks, notes, events, static_cast<double>(fs::file_size(file)) / 1e6, runs);

    struct Mode {
        const char* name;
        const char* label;
        std::vector<double> seconds;
        std::vector<double> cpu;
        std::vector<long> peaks;
    };
    Mode modes[] = {{"bare", "bare decoding loop", {}, {}, {}},
                    {"module", "module alone (counting host)", {}, {}, {}},
                    {"import", "import (module + reference host)", {}, {}, {}},
                    {"export", "import, then both exports", {}, {}, {}}};
    const std::size_t modeCount = TESSARO_WITH_INTERCHANGE ? 4 : 3;
    std::vector<double> exportSeconds, exportCpu, dawprojectBytes, midiBytes;
    double callsPerNote = 0;
    int failures = 0;
    for (int r = 0; r < runs; ++r) {
        for (std::size_t i = 0; i < modeCount; ++i) {
            Mode& m = modes[i];
            const ChildRun run = runChild(selfPath(), {"--child", m.name, file.string()});
            if (run.status != 0 || number(run, "notes") != static_cast<double>(notes) ||
                number(run, "events") != static_cast<double>(events)) {
                std::fprintf(stderr, "%s run failed: status %d, %s notes, %s events\n", m.name,
                             run.status, run.values.count("notes") ? run.values.at("notes").c_str() : "-",
                             run.values.count("events") ? run.values.at("events").c_str() : "-");
                ++failures;
            }
            if (std::strcmp(m.name, "module") == 0)
                callsPerNote = number(run, "calls") / static_cast<double>(notes);
            // The export run's figures are its import's and its export's together.
            m.seconds.push_back(number(run, "seconds") + number(run, "export_seconds"));
            m.cpu.push_back(number(run, "cpu") + number(run, "export_cpu"));
            m.peaks.push_back(run.peakKiB);
            if (i == 3) {
                exportSeconds.push_back(number(run, "export_seconds"));
                exportCpu.push_back(number(run, "export_cpu"));
                dawprojectBytes.push_back(number(run, "dawproject_bytes"));
                midiBytes.push_back(number(run, "midi_bytes"));
            }
        }
    }
    std::printf("%-34s %10s %10s %10s\n", "", "wall s", "cpu s", "peak MiB");
    for (std::size_t i = 0; i < modeCount; ++i)
        std::printf("%-34s %10.3f %10.3f %10.1f\n", modes[i].label, median(modes[i].seconds),
                    median(modes[i].cpu), static_cast<double>(maxOf(modes[i].peaks)) / 1024.0);
    const Mode& bare = modes[0];
    const Mode& alone = modes[1];
    const Mode& import = modes[2];
    for (const Mode* m : {&alone, &import})
        std::printf("%-34s %9.1fx %9.1fx %9.1fx\n",
                    m == &alone ? "ratio module alone / bare" : "ratio import / bare",
                    median(m->seconds) / median(bare.seconds), median(m->cpu) / median(bare.cpu),
                    static_cast<double>(maxOf(m->peaks)) / static_cast<double>(maxOf(bare.peaks)));
    const auto perNote = [&](const Mode& m) {
        return median(m.cpu) / static_cast<double>(notes) * 1e6;
    };
    // The targets are per note: each run's whole processor time counted against the notes.
    std::printf("module alone per note (target: at most %.0fx the bare loop's %.3f us): %.3f us, "
                "%.2fx; %.1f host calls per note\n",
                kModuleRatioTarget, perNote(bare), perNote(alone), perNote(alone) / perNote(bare),
                callsPerNote);
    std::printf("import per note (target: at most %.1f us and %.0f bytes): %.2f us wall, %.2f us "
                "processor time, %.0f bytes of peak memory\n",
                kImportMicrosecondsTarget, kImportBytesTarget,
                median(import.seconds) / static_cast<double>(notes) * 1e6, perNote(import),
                static_cast<double>(maxOf(import.peaks)) * 1024.0 / static_cast<double>(notes));

    const ChildRun weighed = runChild(selfPath(), {"--child", "tracks", tracksFile.string()});
    if (weighed.status != 0 || number(weighed, "tracks") != kWeighedTracks) {
        std::fprintf(stderr, "tracks run failed: status %d\n", weighed.status);
        ++failures;
    }
    std::printf("a track in the reference host (target: at most %.0f KiB): %.1f KiB, the heap "
                "in use after importing %d tracks into %s, per track\n",
                kTrackKibTarget, number(weighed, "bytes") / kWeighedTracks / 1024.0,
                kWeighedTracks,
                weighed.values.count("profile") ? weighed.values.at("profile").c_str() : "-");

    if (modeCount == 4) {
        // The export's own time against the import's; the process's peak with the export
        // against the peak of the import alone.
        const double peakRatio =
            static_cast<double>(maxOf(modes[3].peaks)) / static_cast<double>(maxOf(import.peaks));
        std::printf("export of both files: %.3f s wall, %.3f s processor time (%.2fx the import's); "
                    "DAWproject %.1f MB, MIDI file %.1f MB\n",
                    median(exportSeconds), median(exportCpu), median(exportCpu) / median(import.cpu),
                    median(dawprojectBytes) / 1e6, median(midiBytes) / 1e6);
        std::printf("peak with the export / peak of the import: %.2fx (target: at most 1.5x); "
                    "export time / import time: %.2fx (target: at most 1x)\n",
                    peakRatio, median(exportSeconds) / median(import.seconds));
    }

    if (!keep) fs::remove_all(folder);
    else std::printf("kept %s\n", folder.c_str());
    return failures ? 1 : 0;
}
