// The report's "diagnostics" section: what the filter told of the import when the host
// asked (refhost/diagnostics.h); null when it was not asked or did not answer.
#pragma once

#include <optional>

#include "refhost/diagnostics.h"
#include "refhost/report.h"

namespace RefHost {

Report diagnosticsJson(const std::optional<Diagnostics>& diagnostics);

}  // namespace RefHost
