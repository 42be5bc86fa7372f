// What a filter tells of its last import through IImportDiagnostics
// (interfaces/importdiagnostics.h): why it failed, and what it read from the file that did
// not arrive in the host as it stood there. The reference host asks for it after every
// import (refhost/module_loader.h), records it, and the report shows it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "interfaces/all.h"
#include "refhost/fault_plan.h"

namespace RefHost {

struct DiagnosticFailure {
    std::string text;  // the filter's reason, UTF-8
    std::string chunkId;             // empty when the failure lies outside every chunk
    Host::int32 chunkIndex = -1;     // -1 outside every chunk
    Host::int64 byteOffset = -1;     // -1 when the file was not read

    // The reason in one line with its place (Tessaro::failureLine in base/text.h).
    std::string line() const;
};

struct DiagnosticNote {
    Host::int32 kind = 0;    // a Host::ImportNoteKind
    Host::int32 track = -1;  // the file's track number; -1 where none applies
    std::string text;        // UTF-8
};

struct Diagnostics {
    std::optional<DiagnosticFailure> failure;
    std::vector<DiagnosticNote> notes;
};

// Asks filter (borrowed) for IImportDiagnostics and reads the failure and every note; none
// when the filter does not answer it. The reference taken is released before returning.
// plan is the host's fault plan, told of each call into the filter (may be null).
std::optional<Diagnostics> askDiagnostics(Host::FUnknown* filter, FaultPlan* plan = nullptr);

// A line for each group of alike notes (the same kind and text), in the order of each
// group's first note: "track 2: pads ...", "tracks 1, 3: ..." (in ascending order), or the
// text alone where no track applies; "(3 times)" behind a group that holds more notes than
// it names tracks.
std::vector<std::string> groupedNoteLines(const std::vector<DiagnosticNote>& notes);

}  // namespace RefHost
