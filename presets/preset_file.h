// The host's plug-in preset file ("QPL3"), written into any seekable byte stream.
//
//   0    4   magic "QPL3"
//   4    4   format version, signed 32-bit, 1
//   8   32   class id as 32 upper-case hexadecimal characters, no terminator
//  40    8   offset of the chunk list, signed 64-bit; 0 until the list is written
//  48   ...  chunk data, back to back
//  list      "List", entry count (signed 32-bit), then per entry: id (4 bytes), offset
//            (signed 64-bit), size (signed 64-bit)
//
// All integers are little-endian. The writer reports only true or false and rolls nothing
// back: on failure the stream keeps whatever was written.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/iptr.h"
#include "interfaces/ibstream.h"

namespace Qpl {

enum ChunkType : std::int32_t {
    kHeader = 0,           // "QPL3"
    kComponentState = 1,   // "Comp"
    kControllerState = 2,  // "Cont"
    kProgramData = 3,      // "Prog"
    kMetaInfo = 4,         // "Info"
    kChunkList = 5,        // "List"
};

// The four-character id of a chunk type (not zero-terminated in the file).
const char* chunkId(ChunkType type);

// The 32-character text of a class id: the first 32-bit group as 8 hexadecimal digits,
// the two 16-bit groups as 4 each, then the last eight bytes as 2 each; upper case.
std::string classIdText(const Host::FUID& cid);

// The host's synth plug-in "Analora".
inline constexpr Host::FUID kAnaloraClassId =
    Host::FUID::make(0x7E21A4C0, 0x3B5D, 0x4F96, 0xA8, 0xC2, 0xD1, 0x7E, 0x5F, 0x09, 0xB3, 0xA4);

// The meta information that a synth preset file carries in its "Info" chunk.
std::string synthPresetMetaText();

class PresetFile {
public:
    static constexpr std::int32_t kMaxEntries = 128;
    static constexpr std::int64_t kListOffsetPosition = 40;
    static constexpr std::int64_t kHeaderSize = 48;

    struct Entry {
        char id[4] = {};
        std::int64_t offset = 0;
        std::int64_t size = 0;
    };

    // Keeps a reference on stream (may be null: every write then fails) until destroyed.
    PresetFile(Host::IBStream* stream, const Host::FUID& classId);
    PresetFile(const PresetFile&) = delete;
    PresetFile& operator=(const PresetFile&) = delete;

    // Seeks to 0 and writes magic, version, class id and a zero list offset.
    bool emitHeader();
    // Writes size bytes as a chunk of that type; fails when the type has an entry already.
    bool emitChunk(const void* data, std::int32_t size, ChunkType type);
    // Writes text (length -1: up to its terminator) as the "Info" chunk behind the last
    // entry. An existing "Info" entry fails unless replace is set; then it must be the last
    // entry, and the new text takes its place.
    bool emitMetaText(const char* text, std::int32_t length = -1, bool replace = false);
    // Writes the chunk list at the current position and patches its offset at 40.
    bool emitChunkList();

    std::int32_t entryCount() const { return entryCount_; }
    const Entry& entry(std::int32_t index) const { return entries_[index]; }

    // Wraps the plug-in state data (size bytes) of the synth into a complete preset file:
    // header, "Comp" chunk, "Info" chunk, chunk list. The stream stays with the caller,
    // positioned at the end of the file.
    static bool writeSynthPreset(Host::IBStream* stream, const void* data, std::int32_t size);

private:
    bool beginEntry(ChunkType type, Entry& entry);
    bool endEntry(Entry& entry);
    std::int32_t findEntry(ChunkType type) const;

    bool seekTo(std::int64_t position);
    bool tell(std::int64_t* position);
    // A field of fixed size: every byte must be reported written.
    bool writeField(const void* bytes, std::int32_t size);
    bool writeInt32(std::int32_t value);
    bool writeInt64(std::int64_t value);
    // Free-length data (class id text, chunk data, meta text): a success or "not
    // implemented" result is enough.
    bool writeData(const void* bytes, std::int32_t size);

    Tessaro::IPtr<Host::IBStream> stream_;
    Host::FUID classId_;
    std::array<Entry, kMaxEntries> entries_{};
    std::int32_t entryCount_ = 0;
};

}  // namespace Qpl
