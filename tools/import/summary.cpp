#include "tools/import/summary.h"

#include <fstream>
#include <new>

#include "base/text.h"
#include "refhost/audio.h"
#include "refhost/events.h"
#include "refhost/file_io.h"
#include "refhost/report.h"

namespace ImportTool {

namespace {

// A value as the report shows it; "-" when there is none.
std::string shown(double value) { return RefHost::numberText(value); }
std::string shown(Host::int32 value) { return std::to_string(value); }
template <class T>
std::string shown(const std::optional<T>& value) {
    return value ? shown(*value) : "-";
}

}  // namespace

void printDiagnostics(std::ostream& out, const std::optional<RefHost::Diagnostics>& diagnostics,
                      bool imported, DiagnosticsShown shown) {
    if (!diagnostics) return;
    if (!imported && diagnostics->failure)
        out << "Reason: " << diagnostics->failure->line() << "\n";
    if (shown == DiagnosticsShown::ReasonOnly || (!imported && diagnostics->notes.empty())) return;
    out << (imported ? "Not carried: " : "Noted before the failure: ")
        << diagnostics->notes.size() << "\n";
    for (const auto& line : RefHost::groupedNoteLines(diagnostics->notes))
        out << "  " << line << "\n";
}

void printSummary(std::ostream& out, const RefHost::ReferenceHost& host,
                  const std::vector<ExportedFile>& exported) {
    const RefHost::Document& document = host.document();
    const RefHost::SongState& song = document.song;
    out << "Song:       tempo " << shown(song.tempo) << " bpm, length " << shown(song.length);
    for (const auto& s : song.signatures)
        out << ", signature " << shown(s.numerator) << "/" << shown(s.denominator) << " at "
            << shown(s.position);
    out << ", cycle " << (!song.cycleActive ? "-" : *song.cycleActive ? "on" : "off") << " "
        << shown(song.cycleLeft) << " to " << shown(song.cycleRight) << ", "
        << shown(song.sampleRate) << " Hz, " << shown(song.sampleSize) << " bit\n";

    const auto tracks = document.tracks();
    out << "Tracks:     " << tracks.size() << "\n";
    for (const auto& [track, depth] : tracks) {
        const std::string indent(2 * static_cast<std::size_t>(depth), ' ');
        out << "  " << indent << RefHost::trackKindName(*track) << " \""
            << Tessaro::toUtf8(track->name) << "\"";
        if (track->colour) out << "  colour " << RefHost::hexText(*track->colour);
        if (const RefHost::Node* channel = track->channel) {
            const RefHost::ChannelStrip strip = RefHost::channelStrip(document, *channel);
            out << "  channel " << strip.channel << " (" << channel->deviceType << ")  volume "
                << shown(strip.volume) << "  pan " << shown(strip.pan) << "  mute "
                << shown(strip.mute) << "  solo " << shown(strip.solo);
        }
        out << "\n";
        if (const std::string events = RefHost::eventSummary(*track); !events.empty())
            out << "  " << indent << "  " << events << "\n";
    }

    const auto& channels = document.channels.children;
    out << "Mixer:      " << channels.size() << " channels";
    for (std::size_t i = 0; i < channels.size(); ++i)
        out << (i == 0 ? ": " : ", ") << channels[i]->deviceType << " \""
            << channels[i]->shownName8() << "\"";
    out << "\n";
    for (const auto& file : host.records().filesWritten)
        out << "Wrote:      " << RefHost::shownFilePath(host, file) << "\n";
    for (const auto& e : exported)
        out << "Exported:   " << e.path.string() << " (" << e.format << ", " << e.leftOutKinds
            << " kinds of values left out)\n";
    for (const auto& file : host.records().filesMissing)
        out << "Missing:    " << RefHost::shownFilePath(host, file) << "\n";
    const RefHost::Findings found = host.account().findings();
    out << "References: " << found.held << " held, " << found.overReleased
        << " released too often, " << found.misuseCount << " misuses\n";
    if (!found.misuses.empty()) out << "First misuse: " << found.firstMisuse() << "\n";
}

std::optional<std::string> writeReportFile(const std::filesystem::path& file,
                                           const ImportedProject& imported) {
    const std::string problem = "cannot write the report to " + RefHost::FileIo::utf8(file);
    std::ofstream out(file, std::ios::binary);
    try {
        if (out) {
            RefHost::ReportText text(out);
            writeReport(text, imported);
            text.finish();
            out.close();
        }
    } catch (const std::bad_alloc&) {
        return problem + ": out of memory";
    }
    if (!out) return problem;
    return std::nullopt;
}

}  // namespace ImportTool
