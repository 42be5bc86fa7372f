// tessaro-import: imports a Tessaro project file through the importer module, the way a
// host does, into the reference host; prints what the host was asked to show and a summary
// of the imported project, and writes the JSON report; after a successful import it can
// export the song as a DAWproject file and a Standard MIDI File (interchange/).
//
// Exit status: 0 when importProject returned 0, 1 when it failed, 2 for bad usage, an
// unknown host profile, a module that cannot be loaded or used, or an export that cannot
// be written.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include <CLI/CLI.hpp>

#include "refhost/events.h"
#include "refhost/module_loader.h"
#include "refhost/profile.h"
#include "refhost/reference_host.h"
#include "refhost/report.h"
#if TESSARO_WITH_INTERCHANGE
#include "interchange/export.h"
#endif

#ifndef TESSARO_MODULE_PATH
#define TESSARO_MODULE_PATH "tessaroimporter.so"
#endif
#ifndef TESSARO_VERSION
#define TESSARO_VERSION "0"
#endif

namespace fs = std::filesystem;

namespace {

constexpr int kImported = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

// tessaroimporter.so beside the executable, else the one the build made.
fs::path defaultModule() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const fs::path beside = self.parent_path() / "tessaroimporter.so";
        if (fs::is_regular_file(beside, ec)) return beside;
    }
    return fs::path(TESSARO_MODULE_PATH);
}

std::string number(const RefHost::Report& value) {
    if (value.is_null()) return "-";
    if (value.is_string()) return value.get<std::string>();
    return value.dump();
}

// A readable summary of the imported project, taken from the report.
void printSummary(std::ostream& out, const RefHost::Report& report) {
    const auto& song = report["song"];
    out << "Song:       tempo " << number(song["tempo"]["tempo"]) << " bpm, length "
        << number(song["length"]);
    for (const auto& s : song["signatures"])
        out << ", signature " << number(s["numerator"]) << "/" << number(s["denominator"])
            << " at " << number(s["position"]);
    const auto& cycle = song["cycle"];
    out << ", cycle "
        << (cycle["active"].is_null() ? "-" : cycle["active"].get<bool>() ? "on" : "off")
        << " " << number(cycle["left"]) << " to " << number(cycle["right"]) << ", "
        << number(song["sampleRate"]) << " Hz, " << number(song["sampleSize"]) << " bit\n";
    out << "Tracks:     " << report["tracks"].size() << "\n";
    for (const auto& t : report["tracks"]) {
        out << "  " << std::string(2 * t["depth"].get<std::size_t>(), ' ')
            << t["kind"].get<std::string>() << " \"" << t["name"].get<std::string>() << "\"";
        if (!t["colour"].is_null()) out << "  colour " << t["colour"].get<std::string>();
        const auto& c = t["channel"];
        if (!c.is_null())
            out << "  channel " << number(c["channel"]) << " (" << c["type"].get<std::string>()
                << ")  volume " << number(c["volume"]) << "  pan " << number(c["pan"])
                << "  mute " << number(c["mute"]) << "  solo " << number(c["solo"]);
        out << "\n";
        if (const std::string events = RefHost::eventSummary(t); !events.empty())
            out << "  " << std::string(2 * t["depth"].get<std::size_t>(), ' ') << "  " << events
                << "\n";
    }
    out << "Mixer:      " << report["mixer"]["channels"].size() << " channels";
    for (const auto& c : report["mixer"]["channels"])
        out << (&c == &report["mixer"]["channels"].front() ? ": " : ", ")
            << c["type"].get<std::string>() << " \"" << c["name"].get<std::string>() << "\"";
    out << "\n";
    for (const auto& f : report["files"]) out << "Wrote:      " << f["path"].get<std::string>() << "\n";
    if (report.contains("export"))
        for (const auto& [format, e] : report["export"].items())
            if (e["written"].get<bool>())
                out << "Exported:   " << e["path"].get<std::string>() << " (" << format << ", "
                    << e["leftOut"].size() << " kinds of values left out)\n";
    if (report.contains("missingFiles"))
        for (const auto& f : report["missingFiles"])
            out << "Missing:    " << f.get<std::string>() << "\n";
    const auto& refs = report["references"];
    out << "References: " << refs["held"] << " held, " << refs["overReleased"]
        << " released too often, " << refs["misuses"] << " misuses\n";
    if (!refs["firstMisuse"].is_null())
        out << "First misuse: " << refs["firstMisuse"].get<std::string>() << "\n";
}

bool writeReport(const std::string& target, const RefHost::Report& report) {
    const std::string text = RefHost::reportText(report);
    if (target == "-") {
        std::cout << text << std::flush;
        return true;
    }
    std::ofstream out(target, std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        std::cerr << "tessaro-import: cannot write the report to " << target << "\n";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Imports a Tessaro project file (.tsp) through the importer module into the "
                 "reference host, the way a host does, and reports the resulting project.",
                 "tessaro-import"};
    std::string file;
    std::string hostSpec;
    std::string jsonOut;
    std::string projectFolder;
    std::string modulePath;
    std::string profilesFolder;
    bool quiet = false;
    bool listHosts = false;
    std::string dawprojectOut;
    std::string midiOut;
    app.add_option("FILE", file, "the project file to import");
    app.add_option("--host", hostSpec,
                   "the host profile: a profile id (ombrel-7.0.1), a name with a version "
                   "(\"Ombrel 7.0.1\"), a name (its newest version) or a profile file; "
                   "default: the newest \"Ombrel\"");
    app.add_option("--json", jsonOut, "write the JSON report to this file (- for standard output)");
    app.add_flag("--quiet,-q", quiet, "print nothing but errors");
    app.add_option("--project-folder", projectFolder,
                   "the project folder the host names (default: the file's folder)");
    app.add_option("--module", modulePath,
                   "the importer module (default: tessaroimporter.so beside this program, "
                   "else the one the build made)");
    app.add_option("--profiles", profilesFolder,
                   "the folder of host profiles (default: $TESSARO_PROFILES or the source "
                   "tree's refhost/profiles)");
    app.add_flag("--list-hosts", listHosts, "list the host profiles and exit");
#if TESSARO_WITH_INTERCHANGE
    app.add_option("--dawproject", dawprojectOut,
                   "after a successful import, write the song as a DAWproject file");
    app.add_option("--midi", midiOut, "after a successful import, write the song as a Standard MIDI File");
#endif
    app.set_version_flag("--version", std::string("tessaro-import ") + TESSARO_VERSION);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        return status == 0 ? 0 : kUsage;
    }

    const RefHost::ProfileStore store(profilesFolder.empty() ? RefHost::ProfileStore::defaultFolder()
                                                              : fs::path(profilesFolder));
    if (listHosts) {
        for (const auto& info : store.list())
            std::cout << info.id << "\t" << info.name << "\t" << info.version << "\t"
                      << info.description << "\n";
        return 0;
    }
    if (file.empty()) {
        std::cerr << "tessaro-import: a project file is required\n" << app.help();
        return kUsage;
    }

    std::optional<RefHost::Profile> profile;
    try {
        profile = store.load(hostSpec);
    } catch (const RefHost::ProfileError& e) {
        std::cerr << "tessaro-import: " << e.what() << "\n";
        return kUsage;
    }

    RefHost::ReferenceHost host(std::move(*profile));
    if (!projectFolder.empty()) host.setProjectFolder(fs::absolute(projectFolder));

    // The summary goes to standard error when the report takes standard output.
    std::ostream& out = jsonOut == "-" ? std::cerr : std::cout;
    int status = kUsage;
    std::optional<Host::int32> result;
    std::string moduleLine;
    try {
        RefHost::LoadedModule module(modulePath.empty() ? defaultModule() : fs::path(modulePath));
        const RefHost::ImportOutcome outcome = RefHost::runImport(module, host, file);
        if (!outcome.error.empty()) {
            std::cerr << "tessaro-import: " << module.file().string() << ": " << outcome.error
                      << "\n";
        } else {
            result = outcome.result;
            status = *result == 0 ? kImported : kFailed;
            moduleLine = module.file().string() + ": \"" + outcome.filter.name +
                         "\", file type \"" +
                         std::string(outcome.fileType.extension,
                                     strnlen(outcome.fileType.extension,
                                             sizeof outcome.fileType.extension)) +
                         "\"";
        }
    } catch (const RefHost::ModuleError& e) {
        std::cerr << "tessaro-import: " << e.what() << "\n";
    }

    RefHost::Report report = RefHost::makeReport(host, result);
#if TESSARO_WITH_INTERCHANGE
    if (result == 0 && (!dawprojectOut.empty() || !midiOut.empty())) {
        const auto exported = Interchange::exportSong(
            host, file, {dawprojectOut, midiOut, {"tessaro-import", TESSARO_VERSION}});
        report["export"] = exported.report();
        for (const auto& o : exported.outputs)
            if (!o.written) std::cerr << "tessaro-import: " << o.error << "\n";
        if (!exported.ok()) status = kUsage;
    }
#endif
    if (!quiet && result) {
        const auto& h = report["host"];
        out << "Host:       " << h["name"].get<std::string>() << ", "
            << h["version"].get<std::string>() << " (profile " << h["profile"].get<std::string>()
            << ")\n";
        out << "Module:     " << moduleLine << "\n";
        for (const auto& m : host.records().messages) out << "Message:    " << m.text << "\n";
        out << "Result:     " << *result << (*result == 0 ? " (imported)" : " (failed)") << "\n";
        printSummary(out, report);
    }
    if (!jsonOut.empty() && !writeReport(jsonOut, report)) return kUsage;
    return status;
}
