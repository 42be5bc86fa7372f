#include "fuzz/export_target.h"

#include <stdlib.h>

#include <exception>
#include <filesystem>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "fuzz/export_readback.h"
#include "refhost/reference_host.h"
#include "refhost/report.h"
#include "tools/import/project_import.h"

namespace TessaroFuzz {

namespace fs = std::filesystem;

namespace {

// The DAWproject schemas, read once: $TESSARO_DAWPROJECT_SCHEMAS or the ones kept with the
// tests' data.
const Readback::Schema& schema(const char* name) {
    static const fs::path folder = [] {
        const char* env = getenv("TESSARO_DAWPROJECT_SCHEMAS");
        return fs::path(env && *env ? env : TESSARO_DAWPROJECT_SCHEMAS);
    }();
    static const Readback::Schema project(folder / "Project.xsd");
    static const Readback::Schema metadata(folder / "MetaData.xsd");
    return std::string(name) == "Project.xsd" ? project : metadata;
}

std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec))
        files.push_back(it->path());
    return files;
}

// What breaks the promises of a DAWproject file, or nothing.
std::string dawprojectProblem(const fs::path& file) {
    const auto entries = Readback::readContainer(file);
    for (const char* name : {"project.xml", "metadata.xml"})
        if (!entries.contains(name)) return std::string("the container has no ") + name;
    for (const auto& [entry, xsd] : {std::pair{"project.xml", "Project.xsd"},
                                     std::pair{"metadata.xml", "MetaData.xsd"}}) {
        if (!schema(xsd).loadErrors().empty()) return schema(xsd).loadErrors();
        if (const std::string errors = schema(xsd).errors(entries.at(entry)); !errors.empty())
            return std::string(entry) + " against " + xsd + ": " + errors;
    }
    const Readback::XmlDocument project(entries.at("project.xml"));
    std::string problem;
    for (const auto& p : Readback::referenceProblems(project))
        problem += (problem.empty() ? "project.xml: " : ", ") + p;
    return problem;
}

// What breaks the promises of a Standard MIDI File, or nothing.
std::string midiProblem(const fs::path& file) {
    try {
        Readback::readMidiFile(Readback::readFile(file));
    } catch (const std::runtime_error& e) {
        return "the MIDI file does not read back: " + std::string(e.what());
    }
    return {};
}

std::string exportProblem(std::unique_ptr<RefHost::ReferenceHost>& host,
                          const fs::path& projectFile, int result) {
    const fs::path& folder = outputFolder();
    const ImportTool::ExportTargets targets{folder / "song.dawproject", folder / "song.mid", {}};
    ImportTool::ImportedProject imported;
    imported.host = std::move(host);
    imported.outcome.result = result;
    std::string problem;
    try {
        const ImportTool::ExportResult exported =
            ImportTool::exportProject(imported, projectFile, targets);
        const std::vector<fs::path> left = filesIn(folder);
        if (result != 0) {
            if (!left.empty() || !exported.written.empty() || !exported.errors.empty())
                problem = "a failed import was exported: " +
                          (left.empty() ? "no file" : left.front().string());
        } else if (!exported.errors.empty()) {
            problem = "the export failed: " + exported.errors.front();
        } else if (exported.written.size() != 2 || exported.written[0].path != targets.dawproject ||
                   exported.written[1].path != targets.midi || left.size() != 2) {
            problem = "the export left " + std::to_string(left.size()) + " files";
        } else {
            problem = dawprojectProblem(targets.dawproject);
            if (problem.empty()) problem = midiProblem(targets.midi);
        }
        if (problem.empty()) {
            // The report, with the export's section, is written as a run writes it.
            std::ostringstream text;
            RefHost::ReportText writer(text);
            ImportTool::writeReport(writer, imported);
            writer.finish();
        }
    } catch (const std::exception& e) {
        problem = std::string("exporting or reading the export back: ") + e.what();
    }
    std::error_code ec;
    for (const auto& file : filesIn(folder)) fs::remove_all(file, ec);
    return problem;
}

}  // namespace

Outcome exportOnce(const std::uint8_t* data, std::size_t size) {
    return importOnce(data, size, exportProblem);
}

}  // namespace TessaroFuzz
