// "QPLP": the stored state of one track's instrument plug-in, an opaque block of preset
// data that the instrument set-up later wraps into a preset file for the synth plug-in.
//
//   u32     chunk size            at least 12
//   u16     header size           at least 8; counts itself, the track number, the plug-in
//                                 id, the name's count and the name's text
//   u16     track number
//   u16     plug-in id
//   string  name                  u16 count of UTF-16 units; a failed read leaves it empty
//   ...     further header bytes  header size - 8 - 2 × name units, when positive; skipped
//   u32     preset data length    at most 1000000
//   bytes   preset data
//
// A chunk with data length 0 keeps no record. A header size below what the name takes
// skips nothing: the data length follows the name.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/song_model.h"
#include "reader/chunk_view.h"
#include "reader/chunks.h"
#include "reader/reader_error.h"

namespace Tessaro {

namespace {

constexpr std::uint32_t kMaxPresetDataLength = 1000000;
constexpr std::uint16_t kHeaderSizeField = 2;  // the header size counts its own field
// The data is read in blocks of this size, so a damaged length cannot make the reader
// hold more memory than the file has delivered.
constexpr std::size_t kDataBlock = 64 * 1024;

// Reads length bytes, growing the buffer only as the bytes arrive; false when the file
// ends first.
bool readPresetData(ChunkView& in, std::uint32_t length, std::vector<std::uint8_t>& data) {
    data.clear();
    while (data.size() < length) {
        const std::size_t block = std::min<std::size_t>(kDataBlock, length - data.size());
        const std::size_t at = data.size();
        data.resize(at + block);
        if (!in.readBytes(data.data() + at, block)) return false;
    }
    return true;
}

}  // namespace

void readPluginPreset(ChunkView& in, const HostSession&, ImportNotes&, SongModel& song) {
    in.readSize(12, "QPLP chunk size too short");

    PresetRecord record;
    const std::uint16_t headerSize = in.u16In(8, 0xFFFF, "QPLP subchunk offset too short");
    SubRange header = in.sub(headerSize - kHeaderSizeField, "QPLP subchunk offset too short");
    record.trackNumber = header.u16("Cannot read track number in QPLP chunk.");
    record.pluginId = header.u16("Cannot read plugin ID in QPLP chunk.");
    record.name = header.text();
    header.finish();

    const std::uint32_t length =
        in.u32In(0, kMaxPresetDataLength, "Cannot read preset data length in QPLP chunk.");
    const std::uint64_t dataOffset = in.fieldOffset();
    if (!readPresetData(in, length, record.data))
        failAt("Cannot read preset data in QPLP chunk.", dataOffset);

    if (length != 0) song.lists.presets.push_back(std::move(record));
}

}  // namespace Tessaro
