// The chunk readers. The chunk loop calls each with the view of its chunk, just behind the
// chunk's four-character id; the reader reads the size field and its body, fills the song
// model and acts on the host where the format says a reader does. A reader error ends the
// read (reader_error.h).
#pragma once

namespace Tessaro {

class ChunkView;
struct HostSession;
struct SongModel;

void readSongHeader(ChunkView& in, HostSession& host, SongModel& song);    // "HEAD"
void readOutputBus(ChunkView& in, HostSession& host, SongModel& song);     // "OUTB"
void readKeyboard(ChunkView& in, HostSession& host, SongModel& song);      // "KEYB"
void readEffect(ChunkView& in, HostSession& host, SongModel& song);        // "EFFX"
void readTrackInfo(ChunkView& in, HostSession& host, SongModel& song);     // "TINF"
void readRegions(ChunkView& in, HostSession& host, SongModel& song);       // "TREG"
void readPads(ChunkView& in, HostSession& host, SongModel& song);          // "TPAD"
void readPluginPreset(ChunkView& in, HostSession& host, SongModel& song);  // "QPLP"
void readAutomation(ChunkView& in, HostSession& host, SongModel& song);    // "AUTO"

}  // namespace Tessaro
