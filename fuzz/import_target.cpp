// The fuzz target: each input is a project file. It is written into a scratch project
// folder beside a fixed set of wave files and imported through the import run
// (TessaroImporter::run, as importProject runs it) against a fresh reference host. After
// each import the target checks what the importer promises for any input:
//   - the result is 0 or 1;
//   - a failure shows exactly the one failure message, a success the completion message;
//   - the module holds no host reference, released none too often and misused no call;
//   - nothing was read or written outside the project folder, and no file outside it was
//     even asked for (a missing file would be read there once it exists);
//   - a failure has a reason, a chunk id of four characters with its index or neither,
//     and an offset within the file; a success has none; every note has a known kind, a
//     track number or -1, and a short, printable text.
// A broken promise aborts with a description, which libFuzzer records as a crash. The
// libFuzzer program's entry points are in import_fuzzer.cpp.
#include "fuzz/import_target.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "refhost/profile.h"
#include "refhost/reference_host.h"

namespace TessaroFuzz {

namespace fs = std::filesystem;

namespace {

constexpr const char* kProjectName = "project.tsp";

void writeFile(const fs::path& file, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

// The scratch folder: root/project is the project folder; root itself must stay as the
// target left it, so a file written beside the project folder is seen.
struct Scratch {
    fs::path root;
    fs::path project;
    fs::path output;  // what a target makes of an import (outputFolder)
    std::set<fs::path> expected;  // every entry under root that belongs there
    std::optional<RefHost::Profile> profile;

    ~Scratch() {
        std::error_code ec;
        if (!root.empty()) fs::remove_all(root, ec);
    }
};

Scratch& scratch() {
    static Scratch s;
    return s;
}

fs::path scratchParent() {
    if (const char* dir = getenv("TESSARO_FUZZ_SCRATCH")) return dir;
    std::error_code ec;
    if (fs::is_directory("/dev/shm", ec)) return "/dev/shm";
    return fs::temp_directory_path();
}

// True when path, made absolute and normal, lies in folder.
bool inside(const fs::path& path, const fs::path& folder) {
    const fs::path p = fs::absolute(path).lexically_normal();
    const fs::path f = fs::absolute(folder).lexically_normal();
    auto pi = p.begin();
    for (auto fi = f.begin(); fi != f.end(); ++fi, ++pi) {
        if (fi->empty()) continue;  // the trailing separator of a folder
        if (pi == p.end() || *pi != *fi) return false;
    }
    return true;
}

// Removes what the import added in the project folder (converted copies); reports what it
// added anywhere else under the scratch root.
std::string tidyScratch() {
    Scratch& s = scratch();
    std::string problem;
    std::vector<fs::path> extra;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(s.root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!s.expected.count(it->path())) extra.push_back(it->path());
    }
    for (const auto& p : extra) {
        if (!inside(p, s.project) && problem.empty())
            problem = "file written outside the project folder: " + p.string();
        fs::remove_all(p, ec);
    }
    return problem;
}

// What breaks the diagnostics' promises for a file of size bytes, or nothing.
std::string diagnosticsProblem(const Tessaro::ImportDiagnostics& told, int result,
                               std::size_t size) {
    const auto& failure = told.failure;
    if (result == 0 && failure) return "a successful import has a failure: " + failure->line();
    if (result == 1) {
        if (!failure) return "a failed import has no failure";
        if (failure->text.empty()) return "a failure without a reason: " + failure->line();
        if (failure->byteOffset < 0 || static_cast<std::uint64_t>(failure->byteOffset) > size)
            return "a failure outside the file of " + std::to_string(size) +
                   " bytes: " + failure->line();
        const bool inChunk = !failure->chunkId.empty();
        if (inChunk != (failure->chunkIndex >= 0) ||
            (inChunk && failure->chunkId.size() != 4))
            return "a failure with a broken place: " + failure->line();
    }
    if (told.notes.size() > Tessaro::ImportNotes::kMostNotes + 1)
        return std::to_string(told.notes.size()) + " notes";
    for (const auto& note : told.notes) {
        const bool printable =
            std::none_of(note.text.begin(), note.text.end(),
                         [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
        if (note.kind < Host::kNotePadsNotBuilt || note.kind > Host::kNoteMoreNotes ||
            note.track < -1 || note.text.empty() || note.text.size() > 1000 || !printable)
            return "a note out of form: kind " + std::to_string(note.kind) + ", track " +
                   std::to_string(note.track) + ", \"" + note.text + "\"";
    }
    return {};
}

}  // namespace

void prepare() {
    Scratch& s = scratch();
    if (!s.root.empty()) return;
    std::string pattern = (scratchParent() / "tessaro-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder");
    s.root = pattern;
    s.project = s.root / "project";
    s.output = s.root / "output";
    fs::create_directories(s.project / "Audio");
    fs::create_directories(s.output);
    s.expected = {s.project, s.project / "Audio", s.project / kProjectName, s.output};
    for (const auto& file : writeWaveSet(s.project)) s.expected.insert(file);
    // The default host, the newest "Ombrel": it allows every feature the import builds.
    s.profile = RefHost::ProfileStore().load({});
}

const fs::path& outputFolder() {
    prepare();
    return scratch().output;
}

Outcome importOnce(const std::uint8_t* data, std::size_t size, const AfterImport& after) {
    prepare();
    Scratch& s = scratch();
    Outcome outcome;
    writeFile(s.project / kProjectName, data, size);

    auto owned = std::make_unique<RefHost::ReferenceHost>(*s.profile);
    RefHost::ReferenceHost& host = *owned;
    host.setProjectFolder(s.project);
    const RunResult run = importWith(host, s.project / kProjectName, nullptr, Report::Skip);
    outcome.result = run.result;
    outcome.readError = run.readError;
    const auto& messages = run.messages;
    const auto& findings = run.references;
    std::string& problem = outcome.problem;

    if (outcome.result != 0 && outcome.result != 1) {
        problem = "result " + std::to_string(outcome.result);
    } else if (messages != std::vector<std::string>{outcome.result == 0 ? kCompleted
                                                                        : kUnknownFormat}) {
        problem = "messages shown:";
        for (const auto& m : messages) problem += " \"" + m + "\"";
    } else if (!findings.clean()) {
        problem = std::to_string(findings.held) + " references held, " +
                  std::to_string(findings.overReleased) + " released too often, " +
                  std::to_string(findings.misuseCount) + " misuses";
        for (const auto& h : findings.heldDetails)
            problem += "\n  held: " + h.facet + " x" + std::to_string(h.count);
        for (const auto& o : findings.overReleaseDetails)
            problem += "\n  released too often: " + o.facet;
        for (const auto& m : findings.misuses) problem += "\n  misuse: " + m;
    }
    for (const auto& file : host.records().filesWritten)
        if (problem.empty() && !inside(file, s.project))
            problem = "file written outside the project folder: " + file.string();
    for (const auto& file : host.records().filesRead)
        if (problem.empty() && !inside(file, s.project))
            problem = "file read outside the project folder: " + file.string();
    for (const auto& file : host.records().filesMissing)
        if (problem.empty() && !inside(file, s.project))
            problem = "file asked for outside the project folder: " + file.string();
    if (problem.empty()) problem = diagnosticsProblem(run.diagnostics, outcome.result, size);
    if (problem.empty() && after) problem = after(owned, s.project / kProjectName, outcome.result);
    const std::string leftOver = tidyScratch();
    if (problem.empty()) problem = leftOver;
    return outcome;
}

void abortOnBrokenPromise(const char* target, const Outcome& outcome) {
    if (outcome.problem.empty()) return;
    std::fprintf(stderr, "%s: broken promise (result %d, reader error \"%s\"): %s\n", target,
                 outcome.result, outcome.readError.c_str(), outcome.problem.c_str());
    std::fflush(stderr);
    abort();
}

}  // namespace TessaroFuzz
