#include "tools/import/options.h"

#include <algorithm>
#include <thread>

#include <CLI/CLI.hpp>

namespace ImportTool {

namespace {

unsigned cores() { return std::max(1u, std::thread::hardware_concurrency()); }

void describe(CLI::App& app, Options& o) {
    app.description(
        "Imports Tessaro project files (.tsp) through the importer module into the reference "
        "host, the way a host does, and reports each resulting project. With one project it "
        "prints the host's messages and a summary; with several, one line per project and a "
        "total.");
    app.footer(
        "Examples:\n"
        "  tessaro-import MySong.tsp --json MySong.json\n"
        "  tessaro-import Songs/*.tsp --json Reports/ --jobs 2\n"
#if TESSARO_WITH_INTERCHANGE
        "  tessaro-import MySong.tsp --dawproject MySong.dawproject --midi MySong.mid\n"
#endif
#if TESSARO_WITH_RENDER
        "  tessaro-import MySong.tsp --render MySong.wav --stems MySong-stems/\n"
#endif
#if TESSARO_WITH_VIEW
        "  tessaro-import MySong.tsp --html MySong.html\n"
#endif
        "\n"
        "Exit status: 0 when every project imported, 1 when any failed, 2 for bad usage, an "
        "unknown host, an output folder that cannot be written, no soundfont to render with, "
        "an export or a render that cannot be written or a module that cannot be loaded.");
    app.add_option("FILE", o.files, "the project files to import");
    app.add_option("--host", o.host,
                   "the host profile: a profile id (ombrel-7.0.1), a name with a version "
                   "(\"Ombrel 7.0.1\"), a name (its newest version) or a profile file; "
                   "default: the newest \"Ombrel\"");
    app.add_option("--json", o.json,
                   "write the JSON report to this file (- for standard output), or into this "
                   "folder (ending in /) one per project, named after it");
#if TESSARO_WITH_INTERCHANGE
    app.add_option("--dawproject", o.dawproject,
                   "after a successful import, write the song as a DAWproject file, or into "
                   "this folder (ending in /) one per project");
    app.add_option("--midi", o.midi,
                   "after a successful import, write the song as a Standard MIDI File, or into "
                   "this folder (ending in /) one per project");
#endif
#if TESSARO_WITH_VIEW
    app.add_option("--html", o.html,
                   "write a page to look at in a browser: the arrangement and mixer of the "
                   "imported song, or why the import failed; or into this folder (ending in /) "
                   "one per project and index.html");
#endif
    // Always known, so that a build without the render says why it cannot.
    app.add_option("--render", o.render,
                   "after a successful import, render the song as one audio file (a wave file "
                   "at the song's sample rate), or into this folder (ending in /) one per project");
    app.add_option("--stems", o.stems,
                   "after a successful import, render each instrument and audio track as an "
                   "audio file into this folder (\"03 Synth.wav\"); with several projects, a "
                   "folder per project inside it");
    app.add_flag("--with-stems", o.withStems,
                 "with --dawproject: the DAWproject file also holds each instrument track's "
                 "render as a muted audio track after it");
    app.add_option("--render-format", o.renderFormat,
                   "the samples of rendered files: pcm24 (24-bit, the default) or float (32-bit)")
        ->check(CLI::IsMember({"pcm24", "float"}));
    app.add_option("--soundfont", o.soundfont,
                   "the soundfont the render plays instrument tracks with (default: "
                   "$TESSARO_SOUNDFONT, else /usr/share/sounds/sf2/FluidR3_GM.sf2, else "
                   "/usr/share/sounds/sf2/TimGM6mb.sf2)");
    app.add_option("--jobs,-j", o.jobs,
                   "import this many projects at once, each on a thread of its own "
                   "(default: the number of cores, " + std::to_string(cores()) + ")")
        ->check(CLI::Range(1u, 1024u));
    app.add_flag("--quiet,-q", o.quiet,
                 "print only errors and why an import failed (with several projects: the "
                 "lines of those that failed)");
    app.add_option("--project-folder", o.projectFolder,
                   "the project folder the host names (default: the file's folder)");
    app.add_option("--module", o.module,
                   "the importer module (default: beside this program, in the lib/tessaro "
                   "folder of its installation, else the one the build made)");
    app.add_option("--profiles", o.profiles,
                   "the folder of host profiles (default: $TESSARO_PROFILES, the "
                   "share/tessaro/profiles folder of this program's installation, else the "
                   "source tree's refhost/profiles)");
    app.add_flag("--list-hosts", o.listHosts, "list the host profiles and exit");
    app.add_flag("--version", o.version,
                 "print the versions of this program and of the module, and where the module "
                 "and the profiles are found, and exit");
}

}  // namespace

std::optional<int> parseOptions(int argc, char** argv, Options& options) {
    CLI::App app{"", "tessaro-import"};
    options.jobs = cores();
    describe(app, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        return status == 0 ? kImported : kUsage;
    }
    return std::nullopt;
}

bool rendering(const Options& options) {
    return !options.render.empty() || !options.stems.empty() || options.withStems;
}

std::string helpText() {
    CLI::App app{"", "tessaro-import"};
    Options unused;
    describe(app, unused);
    return app.help();
}

}  // namespace ImportTool
