// What the fuzz target and the hostile-input tests share: a fixed set of wave files for a
// project folder, and one import run through the reference host, either as importProject
// runs it (the host opens the file) or with the read handed a stream of the caller's
// choosing (a stream that delivers small pieces, or one whose seek or tell fails).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "hostkit/diagnostics.h"
#include "interfaces/ibstream.h"
#include "refhost/account.h"
#include "refhost/reference_host.h"

namespace TessaroFuzz {

// The texts the import shows.
inline constexpr const char* kUnknownFormat =
    "Cannot read Tessaro project file. Reason: unknown format.";
inline constexpr const char* kCompleted = "The Tessaro import was completed.";

// Writes the fixed wave files into a project folder: "audio.wav" and "vocals.wav" in the
// project's format (44100 Hz, 16 bit), "drums48k.wav" at 48000 Hz, "pad24.wav" at 24 bit,
// and "Audio/loop.wav" only in the "Audio" folder. Returns their paths.
std::vector<std::filesystem::path> writeWaveSet(const std::filesystem::path& projectFolder);

struct RunResult {
    int result = -1;
    std::vector<std::string> messages;  // shown by the host, in order
    std::string readError;              // the reader's text of a failed read
    Tessaro::ImportDiagnostics diagnostics;  // what the filter would tell a host that asks
    RefHost::Findings references;
    std::string report;                 // the host's JSON report, when asked for
};

enum class Report { Skip, Make };

// One import of projectFile into host (whose project folder is set by the caller). With
// stream null the import run opens the file through the host; otherwise the run's steps
// are taken as importProject takes them, but the read gets stream instead of the file.
RunResult importWith(RefHost::ReferenceHost& host, const std::filesystem::path& projectFile,
                     Host::IBStream* stream = nullptr, Report report = Report::Make);

}  // namespace TessaroFuzz
