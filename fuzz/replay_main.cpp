// The fuzz targets without libFuzzer: imports every file named on the command line (a
// folder stands for the files in it) through the same checks, so that the corpus and the
// regression files run under CTest in every build; with --export, the export target's
// checks as well.
//
//     tessaro-fuzz-replay [--export] [--expect-failure|--expect-success] FILE|FOLDER...
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/import_target.h"
#if TESSARO_WITH_INTERCHANGE
#include "fuzz/export_target.h"
#endif

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    int expected = -1;  // any result
    [[maybe_unused]] bool exporting = false;
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--export") == 0) {
#if TESSARO_WITH_INTERCHANGE
            exporting = true;
#else
            std::fprintf(stderr, "tessaro-fuzz-replay: built without the export\n");
            return 2;
#endif
        } else if (std::strcmp(argv[i], "--expect-failure") == 0) {
            expected = 1;
        } else if (std::strcmp(argv[i], "--expect-success") == 0) {
            expected = 0;
        } else if (fs::is_directory(argv[i])) {
            for (const auto& entry : fs::recursive_directory_iterator(argv[i]))
                if (entry.is_regular_file()) files.push_back(entry.path());
        } else {
            files.emplace_back(argv[i]);
        }
    }
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::fprintf(stderr, "tessaro-fuzz-replay: no files\n");
        return 2;
    }

    int bad = 0;
    int failed = 0;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "%s: cannot read\n", file.c_str());
            ++bad;
            continue;
        }
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
#if TESSARO_WITH_INTERCHANGE
        const auto outcome = exporting ? TessaroFuzz::exportOnce(bytes.data(), bytes.size())
                                       : TessaroFuzz::importOnce(bytes.data(), bytes.size());
#else
        const auto outcome = TessaroFuzz::importOnce(bytes.data(), bytes.size());
#endif
        if (outcome.result == 1) ++failed;
        if (!outcome.problem.empty()) {
            std::fprintf(stderr, "%s: %s\n", file.c_str(), outcome.problem.c_str());
            ++bad;
        } else if (expected >= 0 && outcome.result != expected) {
            std::fprintf(stderr, "%s: result %d, expected %d (reader error \"%s\")\n",
                         file.c_str(), outcome.result, expected, outcome.readError.c_str());
            ++bad;
        }
    }
    std::printf("%zu files imported, %d failed to read, %d broke a promise\n", files.size(),
                failed, bad);
    return bad == 0 ? 0 : 1;
}
