// What tessaro-import prints of one imported project: the readable summary taken from the
// JSON report, and the report itself.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "refhost/report.h"

namespace ImportTool {

// The song, tracks, mixer, files written and missing, and the account of references.
void printSummary(std::ostream& out, const RefHost::Report& report);

// Writes the report's text to file; why it cannot, when it cannot.
std::optional<std::string> writeReport(const std::filesystem::path& file,
                                       const RefHost::Report& report);

}  // namespace ImportTool
