// The chunk readers. The chunk loop calls each with the view of its chunk, just behind the
// chunk's four-character id; the reader reads the size field and its body, fills the song
// model, acts on the host where the format says a reader does and notes what the host does
// not get as it stands. A reader error ends the read (reader_error.h).
#pragma once

namespace Tessaro {

class ChunkView;
struct HostSession;
class ImportNotes;
struct SongModel;

// Each takes the view of its chunk, the host session, the run's notes and the song model.
void readSongHeader(ChunkView&, const HostSession&, ImportNotes&, SongModel&);  // "HEAD"
void readOutputBus(ChunkView&, const HostSession&, ImportNotes&, SongModel&);   // "OUTB"
void readKeyboard(ChunkView&, const HostSession&, ImportNotes&, SongModel&);    // "KEYB"
void readEffect(ChunkView&, const HostSession&, ImportNotes&, SongModel&);      // "EFFX"
void readTrackInfo(ChunkView&, const HostSession&, ImportNotes&, SongModel&);   // "TINF"
void readRegions(ChunkView&, const HostSession&, ImportNotes&, SongModel&);     // "TREG"
void readPads(ChunkView&, const HostSession&, ImportNotes&, SongModel&);        // "TPAD"
void readPluginPreset(ChunkView&, const HostSession&, ImportNotes&, SongModel&);  // "QPLP"
void readAutomation(ChunkView&, const HostSession&, ImportNotes&, SongModel&);  // "AUTO"

}  // namespace Tessaro
