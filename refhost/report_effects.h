// The report's "effects" section: per mixer channel, what the import placed there — the
// plug-in of each insert slot with its on state and parameters, the sends it switched,
// levelled or routed, and the channel EQ, strip modules, channel limiter and input filter
// it changed. The full parameter trees stand in "mixer"; this is the short view.
#pragma once

#include "refhost/report_writer.h"

namespace RefHost {

class Document;

void writeEffects(ReportWriter& out, const Document& document);

}  // namespace RefHost
