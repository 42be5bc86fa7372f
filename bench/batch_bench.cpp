// Many projects in one run of tessaro-import against one run per project:
//
//   bench_batch [--runs N] [--copies C] [--jobs J] [--keep]
//
// C copies (default 64) of the demo project, each in a folder of its own with its wave
// file (six seconds at 48000 Hz, which every import converts to 44100 Hz). Compared, each
// as whole processes, with their wall and processor time summed over the processes:
//   separate: tessaro-import run once per project, one after another;
//   batch:    one tessaro-import run with every project and --jobs J (default 2);
//   batch, --jobs 1: the same on one thread, to tell the threads from the start-up saved.
// The figures are medians over N runs (default 3).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "tools/writer/demo_project.h"
#include "tools/writer/tone_file.h"

using namespace TessaroBench;
namespace fs = std::filesystem;

namespace {

struct Figures {
    std::vector<double> wall;
    std::vector<double> cpu;
    int failures = 0;

    void add(const std::vector<ChildRun>& processes) {
        double w = 0, c = 0;
        for (const ChildRun& p : processes) {
            w += p.wallSeconds;
            c += p.cpuSeconds;
            failures += p.status != 0;
        }
        wall.push_back(w);
        cpu.push_back(c);
    }
};

}  // namespace

int main(int argc, char** argv) {
    int runs = 3;
    int copies = 64;
    int jobs = 2;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) runs = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--copies") == 0 && i + 1 < argc) copies = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--jobs") == 0 && i + 1 < argc) jobs = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--keep") == 0) keep = true;
        else {
            std::fprintf(stderr, "usage: bench_batch [--runs N] [--copies C] [--jobs J] [--keep]\n");
            return 2;
        }
    }
    if (runs < 1 || copies < 1 || jobs < 1) {
        std::fprintf(stderr, "bench_batch: runs, copies and jobs are at least 1\n");
        return 2;
    }

    char pattern[] = "/tmp/tessaro-bench-XXXXXX";
    const fs::path folder = mkdtemp(pattern);
    const auto demo = TessaroWriter::demoProject();
    std::vector<std::string> files;
    for (int i = 1; i <= copies; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Song %02d", i);
        const fs::path file = folder / name / "Demo.tsp";
        if (!demo.writeTo(file) || !TessaroWriter::writeDemoWaveFiles(file.parent_path())) {
            std::fprintf(stderr, "cannot write the demo into %s\n", file.parent_path().c_str());
            return 1;
        }
        files.push_back(file.string());
    }
    const std::string tool = TESSARO_IMPORT_TOOL;
    std::printf("%d copies of the demo, each converting 6 s of 48000 Hz audio; %d runs each\n",
                copies, runs);

    Figures separate, batch, single;
    std::vector<std::string> batchArgs = files;
    batchArgs.insert(batchArgs.end(), {"--quiet", "--jobs", std::to_string(jobs)});
    std::vector<std::string> singleArgs = files;
    singleArgs.insert(singleArgs.end(), {"--quiet", "--jobs", "1"});
    for (int r = 0; r < runs; ++r) {
        std::vector<ChildRun> one;
        for (const auto& file : files) one.push_back(runChild(tool, {file, "--quiet"}));
        separate.add(one);
        batch.add({runChild(tool, batchArgs)});
        single.add({runChild(tool, singleArgs)});
    }

    const std::string batchName = "one run, --jobs " + std::to_string(jobs);
    std::printf("%-34s %10s %10s %12s\n", "", "wall s", "cpu s", "wall / sep.");
    const auto row = [&](const std::string& name, const Figures& f) {
        std::printf("%-34s %10.3f %10.3f %11.2fx\n", name.c_str(), median(f.wall), median(f.cpu),
                    median(f.wall) / median(separate.wall));
    };
    row(std::to_string(copies) + " separate runs", separate);
    row(batchName, batch);
    row("one run, --jobs 1", single);
    std::printf("per project: separate %.1f ms, %s %.1f ms\n",
                1000 * median(separate.wall) / copies, batchName.c_str(),
                1000 * median(batch.wall) / copies);

    const int failures = separate.failures + batch.failures + single.failures;
    if (failures) std::fprintf(stderr, "%d runs did not import every project\n", failures);
    if (!keep) fs::remove_all(folder);
    else std::printf("kept %s\n", folder.c_str());
    return failures ? 1 : 0;
}
