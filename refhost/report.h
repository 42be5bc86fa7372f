// The JSON report of an import: a walk of the host's document plus the host's records and
// the account's findings, in a fixed order, so that two imports of the same file give
// byte-identical reports. The keys are described in docs/report.md; sections are added,
// never renamed.
//
// The walk writes to a ReportWriter (refhost/report_writer.h) as it goes: into text as it
// comes (what tessaro-import writes, at any size of song) or into a document. It writes the
// members of the report's object, which the caller opens and closes, so that outputs run
// after the import may add sections of their own behind the host's ("export").
#pragma once

#include <optional>
#include <string>

#include "interfaces/ftypes.h"
#include "refhost/report_writer.h"

namespace RefHost {

class Document;
class Node;
class ReferenceHost;

// Writes the host's sections of the report into out's open object; result is what
// importProject returned (none when the import did not run).
void writeHostReport(const ReferenceHost& host, std::optional<Host::int32> result,
                     ReportWriter& out);

// The whole report of the host's state as a document.
Report makeReport(const ReferenceHost& host, std::optional<Host::int32> result);
// A document as the report's text: two-space indentation, a line feed at the end.
std::string reportText(const Report& report);

// What the report and the command's summary both show of a track and its channel.
// The track's kind: "folder", "instrument", "audio", "effect" or "track".
const char* trackKindName(const Node& track);
// A 32-bit value as eight hexadecimal digits: "0xFF102030" (a colour), a checksum.
std::string hexText(Host::uint32 value);
// The values a track's channel shows on its strip; a value the channel lacks is none.
struct ChannelStrip {
    int channel = -1;  // its index in "Channels"
    std::optional<double> volume;
    std::optional<double> pan;
    std::optional<double> mute;
    std::optional<double> solo;
};
ChannelStrip channelStrip(const Document& document, const Node& channel);

}  // namespace RefHost
