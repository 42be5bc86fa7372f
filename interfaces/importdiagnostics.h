// Import diagnostics: why a filter's last import failed, and what it read from the file
// that did not arrive in the host as it stood there. An optional interface of the Tessaro
// filter's own, not one of the host's: the filter answers it in queryInterface beside
// IProjectFilterPlugin, and a host that never asks for it sees no difference.
//
// A host asks after importProject has returned. Everything runs on the host's calling
// thread, between imports; the answers describe the filter's last import until the next
// one begins.
#pragma once

#include <cstddef>

#include "funknown.h"

namespace Host {

// Every text of the diagnostics fits a buffer of this many UTF-16 units, its terminator
// included; a longer text is cut to it by the filter.
inline constexpr int32 kDiagnosticTextSize = 512;

// Where the last import failed, filled by getFailure.
struct ImportFailureInfo {
    char8 chunkId[4];  // the four-character id of the chunk being read, no terminator;
                       // four zero bytes when the failure lies outside every chunk
    int32 chunkIndex;  // the chunk's place among the file's chunks, counted from 0 (the
                       // song header is chunk 0); -1 outside every chunk
    int64 byteOffset;  // the file offset of the field that failed (the file's size when
                       // the field would begin behind its end); -1 when the file was not read
};
static_assert(sizeof(ImportFailureInfo) == 16);
static_assert(offsetof(ImportFailureInfo, chunkIndex) == 4);
static_assert(offsetof(ImportFailureInfo, byteOffset) == 8);

// What kind of thing a note tells of.
enum ImportNoteKind : int32 {
    kNotePadsNotBuilt = 1,       // a pad chunk, read and checked: the host has no pads
    kNoteEffectNotAllowed = 2,   // an effect this host edition cannot hold
    kNoteEffectNotBuilt = 3,     // an effect the insert rules leave out: no host plug-in of
                                 // its kind, no slot, channel or track for it, place taken
    kNoteBrickwallBeyondFirst = 4,  // a brickwall limiter behind the first of its channel
    kNoteAudioUnitState = 5,     // an Audio Unit effect whose stored state is skipped
    kNoteInstrumentStandIn = 6,  // an instrument given another plug-in than it names
    kNotePresetRefused = 7,      // a preset or stored state the host's plug-in did not take
    kNoteEffectChannelsNotAllowed = 8,  // sends or effect channels this edition cannot hold
    kNoteAutomationDropped = 9,  // an automation curve without a track or a kind
    kNoteWaveFileMissing = 10,   // a wave file not found (or not readable) where it is looked for
    kNoteValueReplaced = 11,     // a value that is not a number, or out of range, replaced
    kNoteInstrumentMissing = 12, // an instrument the host has no plug-in for
    kNoteTrackChanged = 13,      // a track setting carried otherwise (a frozen track muted)
    kNoteMidiNotCarried = 14,    // a MIDI region's transposition or events of unknown types
    kNoteMoreNotes = 15,         // the notes beyond the filter's limit, counted in one note
};

// One note, filled by getNote.
struct ImportNoteInfo {
    int32 kind;   // an ImportNoteKind
    int32 track;  // the file's number of the track it concerns; -1 where none applies
};
static_assert(sizeof(ImportNoteInfo) == 8);

// Texts are English, UTF-16, zero-terminated and cut to size units; a null buffer or a size
// of 0 takes no text.
class IImportDiagnostics : public FUnknown {
public:
    // kResultTrue with *failure and text (the reader's reason) filled when the last import
    // failed; kResultFalse, nothing written, after a success or before any import;
    // kInvalidArgument for a null failure.
    virtual tresult getFailure(ImportFailureInfo* failure, char16* text, int32 size) = 0;
    // The number of notes of the last import, failed or not; 0 before any import.
    virtual int32 getNoteCount() = 0;
    // Fills *note and text (a short English text) with note `index`, 0 to count - 1, in the
    // order the import made them; kInvalidArgument for a bad index or a null note.
    virtual tresult getNote(int32 index, ImportNoteInfo* note, char16* text, int32 size) = 0;

    static constexpr FUID iid =
        FUID::make(0x3D8C5A30, 0x6F47, 0x4E19, 0xB2, 0x5A, 0x91, 0x0C, 0x7E, 0x44, 0xD3, 0x68);
};

}  // namespace Host
