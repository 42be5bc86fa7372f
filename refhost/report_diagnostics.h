// The report's "diagnostics" section: what the filter told of the import when the host
// asked (refhost/diagnostics.h); null when it was not asked or did not answer.
#pragma once

#include <optional>

#include "refhost/diagnostics.h"
#include "refhost/report_writer.h"

namespace RefHost {

void writeDiagnostics(ReportWriter& out, const std::optional<Diagnostics>& diagnostics);

}  // namespace RefHost
