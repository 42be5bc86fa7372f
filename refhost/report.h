// The JSON report of an import: a walk of the host's document plus the host's records and
// the account's findings, in a fixed order, so that two imports of the same file give
// byte-identical reports. The keys are described in docs/report.md; sections are added,
// never renamed.
#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "interfaces/ftypes.h"

namespace RefHost {

class ReferenceHost;

using Report = nlohmann::ordered_json;

// The report of the host's state; result is what importProject returned (none when the
// import did not run).
Report makeReport(const ReferenceHost& host, std::optional<Host::int32> result);
// The report as text: two-space indentation, a line feed at the end.
std::string reportText(const Report& report);

}  // namespace RefHost
