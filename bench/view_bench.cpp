// The pages of tessaro-import --html: how large they are and how soon headless Chromium
// paints them. For the demo and for the MIDI-heavy project (bench/midi_heavy.h: 1,000,000
// notes), each run writes the page with the built tessaro-import in a process of its own
// and opens it in a fresh browser; the figures are the page's size, the time the command
// took (the import and the page), and the medians of the first paint (milliseconds from the start of the navigation,
// the page's own paint timing) and of the whole load until the first paint.
//
//   bench_view [--runs N] [--keep]
//
// Targets: the MIDI-heavy project's page under 8 MB, opened to its first paint in under 3 s.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bench/midi_heavy.h"
#include "tests/support/browser.h"
#include "tools/writer/demo_project.h"
#include "tools/writer/tone_file.h"

using namespace TessaroBench;
namespace fs = std::filesystem;

namespace {

constexpr double kPageBytesTarget = 8e6;
constexpr double kFirstPaintTarget = 3.0;

struct Figures {
    double bytes = 0;
    double writeSeconds = 0;
    double writeCpu = 0;
    std::vector<double> firstPaint;  // seconds
    std::vector<double> opened;      // seconds from the navigation to load and first paint
};

bool measure(const fs::path& project, int runs, Figures& figures) {
    const fs::path page = fs::path(project).replace_extension(".html");
    std::vector<double> writes, cpu;
    for (int r = 0; r < runs; ++r) {
        const ChildRun run = runChild(TESSARO_IMPORT_TOOL, {project.string(), "--html", page.string(), "--quiet"});
        if (run.status != 0) {
            std::fprintf(stderr, "tessaro-import failed on %s: status %d\n", project.c_str(), run.status);
            return false;
        }
        writes.push_back(run.wallSeconds);
        cpu.push_back(run.cpuSeconds);
        std::string why;
        auto browser = TessaroTest::Browser::start(why);
        if (!browser) {
            std::fprintf(stderr, "%s\n", why.c_str());
            return false;
        }
        const Timing opened = timed([&] {
            const auto load = browser->open(page);
            figures.firstPaint.push_back(load.firstPaint / 1000);
            for (const auto& e : load.consoleErrors) std::fprintf(stderr, "console: %s\n", e.c_str());
        });
        figures.opened.push_back(opened.wall);
    }
    figures.bytes = static_cast<double>(fs::file_size(page));
    figures.writeSeconds = median(writes);
    figures.writeCpu = median(cpu);
    return true;
}

void print(const char* name, const Figures& f) {
    std::printf("%-34s | %8.2f MB | %9.3f | %9.3f | %13.3f | %12.3f\n", name, f.bytes / 1e6, f.writeSeconds,
                f.writeCpu, median(f.firstPaint), median(f.opened));
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 3;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--keep") == 0) keep = true;
        else {
            std::fprintf(stderr, "usage: bench_view [--runs N] [--keep]\n");
            return 2;
        }
    }
    char pattern[] = "/tmp/tessaro-bench-XXXXXX";
    const fs::path folder = mkdtemp(pattern);
    const fs::path demo = folder / "Demo.tsp", heavy = folder / "midi-heavy.tsp";
    if (!TessaroWriter::demoProject().writeTo(demo) || !TessaroWriter::writeDemoWaveFiles(folder) ||
        !midiHeavyProject(10).writeTo(heavy)) {
        std::fprintf(stderr, "cannot write into %s\n", folder.c_str());
        return 1;
    }
    std::printf("Pages of tessaro-import --html, opened in headless Chromium (1280 x 800); %d runs each\n\n", runs);
    std::printf("%-34s | %11s | %9s | %9s | %13s | %12s\n", "project", "page", "run s", "run cpu s",
                "first paint s", "load+paint s");
    Figures demoFigures, heavyFigures;
    try {
        if (!measure(demo, runs, demoFigures) || !measure(heavy, runs, heavyFigures)) return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    print("demo (40 notes, one audio event)", demoFigures);
    print("MIDI-heavy (1,000,000 notes)", heavyFigures);
    const bool small = heavyFigures.bytes < kPageBytesTarget;
    const bool quick = median(heavyFigures.firstPaint) < kFirstPaintTarget;
    std::printf("\nMIDI-heavy page: %.2f MB (target under %.0f MB): %s; first paint %.3f s (target under %.0f s): %s\n",
                heavyFigures.bytes / 1e6, kPageBytesTarget / 1e6, small ? "met" : "MISSED",
                median(heavyFigures.firstPaint), kFirstPaintTarget, quick ? "met" : "MISSED");
    if (keep)
        std::printf("kept: %s\n", folder.c_str());
    else
        fs::remove_all(folder);
    return small && quick ? 0 : 1;
}
