// tessaro-make-example: writes the demo project into a folder.
//
//   tessaro-make-example <folder>
//
// writes <folder>/Demo/Demo.tsp and the wave files its audio regions play.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/writer/demo_project.h"

namespace {

namespace fs = std::filesystem;

// The wave files of the demo, written beside the project file. The names are those that
// the demo's audio regions refer to ("vocals.wav"). Returns false when a file is missing
// afterwards; the names of the missing files are reported on stderr.
bool provideWaveFiles(const fs::path& projectFolder, const std::vector<std::u16string>& names) {
    bool complete = true;
    for (const std::u16string& name : names) {
        const fs::path path = projectFolder / TessaroWriter::utf8(name);
        if (!fs::exists(path)) {
            std::fprintf(stderr, "tessaro-make-example: wave file not provided: %s\n",
                         path.string().c_str());
            complete = false;
        }
    }
    return complete;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tessaro-make-example <folder>\n");
        return 2;
    }
    const fs::path folder = fs::path(argv[1]) / "Demo";
    const TessaroWriter::ProjectFile demo = TessaroWriter::demoProject();
    const fs::path projectPath = folder / "Demo.tsp";
    if (!demo.writeTo(projectPath)) {
        std::fprintf(stderr, "tessaro-make-example: cannot write %s\n", projectPath.string().c_str());
        return 1;
    }
    std::printf("%s\n", projectPath.string().c_str());
    std::fflush(stdout);
    // A missing wave file leaves a project that imports up to its audio region; the
    // project file itself is complete, so this is reported but not a failure.
    provideWaveFiles(folder, TessaroWriter::referencedAudioFiles(demo));
    return 0;
}
