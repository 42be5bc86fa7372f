#include "tools/import/summary.h"

#include <fstream>

#include "refhost/events.h"
#include "refhost/file_io.h"

namespace ImportTool {

namespace {

std::string number(const RefHost::Report& value) {
    if (value.is_null()) return "-";
    if (value.is_string()) return value.get<std::string>();
    return value.dump();
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

void printSummary(std::ostream& out, const RefHost::Report& report) {
    const auto& song = report["song"];
    out << "Song:       tempo " << number(song["tempo"]["tempo"]) << " bpm, length "
        << number(song["length"]);
    for (const auto& s : song["signatures"])
        out << ", signature " << number(s["numerator"]) << "/" << number(s["denominator"])
            << " at " << number(s["position"]);
    const auto& cycle = song["cycle"];
    out << ", cycle "
        << (cycle["active"].is_null() ? "-" : cycle["active"].get<bool>() ? "on" : "off")
        << " " << number(cycle["left"]) << " to " << number(cycle["right"]) << ", "
        << number(song["sampleRate"]) << " Hz, " << number(song["sampleSize"]) << " bit\n";
    out << "Tracks:     " << report["tracks"].size() << "\n";
    for (const auto& t : report["tracks"]) {
        out << "  " << std::string(2 * t["depth"].get<std::size_t>(), ' ')
            << t["kind"].get<std::string>() << " \"" << t["name"].get<std::string>() << "\"";
        if (!t["colour"].is_null()) out << "  colour " << t["colour"].get<std::string>();
        const auto& c = t["channel"];
        if (!c.is_null())
            out << "  channel " << number(c["channel"]) << " (" << c["type"].get<std::string>()
                << ")  volume " << number(c["volume"]) << "  pan " << number(c["pan"])
                << "  mute " << number(c["mute"]) << "  solo " << number(c["solo"]);
        out << "\n";
        if (const std::string events = RefHost::eventSummary(t); !events.empty())
            out << "  " << std::string(2 * t["depth"].get<std::size_t>(), ' ') << "  " << events
                << "\n";
    }
    out << "Mixer:      " << report["mixer"]["channels"].size() << " channels";
    for (const auto& c : report["mixer"]["channels"])
        out << (&c == &report["mixer"]["channels"].front() ? ": " : ", ")
            << c["type"].get<std::string>() << " \"" << c["name"].get<std::string>() << "\"";
    out << "\n";
    for (const auto& f : report["files"]) out << "Wrote:      " << f["path"].get<std::string>() << "\n";
    if (report.contains("export"))
        for (const auto& [format, e] : report["export"].items())
            if (e["written"].get<bool>())
                out << "Exported:   " << e["path"].get<std::string>() << " (" << format << ", "
                    << e["leftOut"].size() << " kinds of values left out)\n";
    if (report.contains("missingFiles"))
        for (const auto& f : report["missingFiles"])
            out << "Missing:    " << f.get<std::string>() << "\n";
    const auto& refs = report["references"];
    out << "References: " << refs["held"] << " held, " << refs["overReleased"]
        << " released too often, " << refs["misuses"] << " misuses\n";
    if (!refs["firstMisuse"].is_null())
        out << "First misuse: " << refs["firstMisuse"].get<std::string>() << "\n";
}

std::optional<std::string> writeReport(const std::filesystem::path& file,
                                       const RefHost::Report& report) {
    const std::string text = RefHost::reportText(report);
    std::ofstream out(file, std::ios::binary);
    out << text;
    out.close();
    if (!out) return "cannot write the report to " + RefHost::FileIo::utf8(file);
    return std::nullopt;
}

}  // namespace ImportTool
