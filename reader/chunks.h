// The chunk readers. Each is called by the chunk loop with the stream just behind the
// chunk's four-character id; it reads the size field, its body, and leaves in
// importer.reader.chunkConsumed how many body bytes it consumed (the loop skips the rest).
#pragma once

#include <cstdint>

namespace Tessaro {

class TessaroImporter;
class FileReader;

void readSongHeader(TessaroImporter& importer, FileReader& in);    // "HEAD"
void readOutputBus(TessaroImporter& importer, FileReader& in);     // "OUTB"
void readKeyboard(TessaroImporter& importer, FileReader& in);      // "KEYB"
void readEffect(TessaroImporter& importer, FileReader& in);        // "EFFX"
void readTrackInfo(TessaroImporter& importer, FileReader& in);     // "TINF"
void readRegions(TessaroImporter& importer, FileReader& in);       // "TREG"
void readPads(TessaroImporter& importer, FileReader& in);          // "TPAD"
void readPluginPreset(TessaroImporter& importer, FileReader& in);  // "QPLP"
void readAutomation(TessaroImporter& importer, FileReader& in);    // "AUTO"

// Reads the size field into importer.reader.chunkSize and counts its 4 bytes into the file
// position; a failed read or a size below minimum raises message.
void readChunkSize(TessaroImporter& importer, FileReader& in, std::uint32_t minimum,
                   const char* message);

}  // namespace Tessaro
