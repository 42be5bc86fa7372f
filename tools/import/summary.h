// What tessaro-import prints of one imported project: the readable summary taken from the
// JSON report, and the report itself.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "refhost/diagnostics.h"
#include "refhost/report.h"

namespace ImportTool {

enum class DiagnosticsShown { ReasonOnly, Everything };

// What the module told of the import, printed after the host's messages: "Reason: ..." when
// the import failed; after a success "Not carried: N" and a line for each group of alike
// notes ("Noted before the failure: N" and the notes after a failure). ReasonOnly prints
// the reason alone. Nothing when the module told nothing.
void printDiagnostics(std::ostream& out, const std::optional<RefHost::Diagnostics>& diagnostics,
                      bool imported, DiagnosticsShown shown);

// The song, tracks, mixer, files written and missing, and the account of references.
void printSummary(std::ostream& out, const RefHost::Report& report);

// Writes the report's text to file; why it cannot, when it cannot.
std::optional<std::string> writeReport(const std::filesystem::path& file,
                                       const RefHost::Report& report);

}  // namespace ImportTool
