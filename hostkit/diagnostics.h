// What an import tells of itself besides its one message: why it failed, and the notes of
// what it read from the file that did not arrive in the host as it stood there (pads the
// host has no place for, effects an edition cannot hold, a stand-in instrument, a value
// that is not a number ...). Every layer that leaves something out adds its note here; the
// filter hands both to a host that asks through IImportDiagnostics
// (interfaces/importdiagnostics.h). A host that never asks sees nothing of them, and
// making them costs no host call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "interfaces/importdiagnostics.h"

namespace Tessaro {

// Why an import failed: the reader's text, and where in the file it stood.
struct ImportFailure {
    std::string text;              // e.g. "TREG audio sub chunk size too short"
    std::string chunkId;           // the chunk being read; empty outside every chunk
    std::int32_t chunkIndex = -1;  // its place among the file's chunks, from 0; -1 outside
    std::int64_t byteOffset = -1;  // the failing field's file offset; -1 when not read

    // The reason in one line with its place (failureLine in base/text.h).
    std::string line() const { return failureLine(text, chunkId, chunkIndex, byteOffset); }

    // A failure before anything of the file was read: no chunk, no offset.
    static ImportFailure beforeReading(std::string reason);

    friend bool operator==(const ImportFailure&, const ImportFailure&) = default;
};

using NoteKind = Host::ImportNoteKind;

struct ImportNote {
    NoteKind kind = Host::kNoteEffectNotBuilt;
    std::int32_t track = -1;  // the file's track number; -1 where none applies
    std::string text;         // short English text, UTF-8 (names from the file may be any text)

    friend bool operator==(const ImportNote&, const ImportNote&) = default;
};

// The notes of one import, in the order they arose: the sink every step that leaves
// something out writes to. The import run owns it and hands it to the readers and builders
// that add notes; the host session they read stays unchanged by noting. A damaged file could
// ask for a note per chunk or region without end: beyond kMostNotes they are only counted,
// and the last note says how many more there were.
class ImportNotes {
public:
    static constexpr std::size_t kMostNotes = 1000;

    // Adds a note; track is the file's track number, -1 where none applies (a number
    // outside the note's range counts as none).
    void add(NoteKind kind, std::int64_t track, std::string text);
    // The notes, with the count of those beyond the limit as a last note.
    std::vector<ImportNote> list() const;
    std::size_t size() const { return notes_.size() + (beyond_ != 0 ? 1 : 0); }
    void clear();

private:
    std::vector<ImportNote> notes_;
    std::size_t beyond_ = 0;
};

// What the filter keeps of its last import for a host that asks.
struct ImportDiagnostics {
    std::optional<ImportFailure> failure;
    std::vector<ImportNote> notes;
};

// A UTF-16 text of the file as note text (UTF-8), cut to a length a note can hold.
std::string noteText(std::u16string_view text);

}  // namespace Tessaro
