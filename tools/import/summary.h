// What tessaro-import prints of one imported project: the readable summary, read from the
// host as it stands after the import, and the JSON report, written as the host is walked.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "refhost/diagnostics.h"
#include "refhost/reference_host.h"
#include "tools/import/project_import.h"

namespace ImportTool {

enum class DiagnosticsShown { ReasonOnly, Everything };

// What the module told of the import, printed after the host's messages: "Reason: ..." when
// the import failed; after a success "Not carried: N" and a line for each group of alike
// notes ("Noted before the failure: N" and the notes after a failure). ReasonOnly prints
// the reason alone. Nothing when the module told nothing.
void printDiagnostics(std::ostream& out, const std::optional<RefHost::Diagnostics>& diagnostics,
                      bool imported, DiagnosticsShown shown);

// The song, tracks, mixer, files written, exports written and files missing, and the
// account of references.
void printSummary(std::ostream& out, const RefHost::ReferenceHost& host,
                  const std::vector<ExportedFile>& exported);

// Writes the project's report to file as it is walked; why it cannot, when it cannot.
std::optional<std::string> writeReportFile(const std::filesystem::path& file,
                                           const ImportedProject& imported);

}  // namespace ImportTool
