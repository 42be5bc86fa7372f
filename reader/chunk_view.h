// The view of one chunk that the chunk loop hands to the chunk's reader: the chunk's id,
// its place in the file, its declared size once the reader has read the size field, and
// what the reader has consumed of it.
//
// Reads are not held to the declared size: some layouts read on beyond it, and the chunk
// loop then goes on from where the reader stopped (it skips only what the reader left of
// the declared size). Where the format wants a field or a list of records inside the
// chunk, the reader asks for that: within() reads, and requireRecords() before anything is
// made for a count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "reader/field_reads.h"
#include "reader/file_reader.h"

namespace Tessaro {

class ChunkView : public FieldReads<ChunkView> {
public:
    // A chunk whose four-character id the loop has just read at offset; index counts the
    // chunks the loop has handed to readers before it.
    ChunkView(FileReader& file, std::string_view id, std::uint32_t index, std::uint64_t offset);

    std::string_view id() const { return {id_, idSize_}; }
    std::uint32_t index() const { return index_; }
    // The file offset of the chunk's id, of its size field, and of the field the reader
    // reads next (where a read that fails has failed).
    std::uint64_t offset() const { return offset_; }
    std::uint64_t sizeFieldOffset() const { return offset_ + 4; }
    std::uint64_t fieldOffset() const { return file_.position(); }

    // The size field: the body size in bytes. A read that fails or a size below minimum
    // raises message.
    std::uint32_t readSize(std::uint32_t minimum, const char* message);
    std::uint32_t declaredSize() const { return declared_; }
    // Body bytes read or skipped since the size field; beyond the declared size where the
    // layout reads on.
    std::uint64_t consumed() const { return file_.position() - bodyStart_; }
    // The declared body not yet consumed, and never more than the file still holds.
    std::uint64_t left() const;
    std::uint64_t leftInFile() const { return file_.leftInFile(); }

    [[nodiscard]] bool readBytes(void* out, std::size_t size) { return file_.readBytes(out, size); }
    // A string of the file (a u16 count of UTF-16 units, then the units). One whose text
    // the file cannot deliver is empty, and reading goes on behind its count.
    std::u16string text();
    // Skips bytes forward. Past the end of the file it succeeds, as the stream's seek does
    // (the next read fails); a stream that cannot seek there raises message, or "Could not
    // skip in chunk XXXX" for bytes whose field has no message of its own.
    void skip(std::uint64_t bytes, std::string_view message);
    void skip(std::uint64_t bytes);

    // One field of a record: its size and the message of a failed read.
    struct Field {
        std::uint8_t size;
        const char* message;
    };
    // Before anything is made for count records of stride bytes, whose leading fields are
    // fields: when the chunk does not hold them all, raises the message of the field in
    // which its bytes run out (of the first field, when they run out in a record's
    // unread tail), as reading the records one by one would fail there, and at that
    // field's offset.
    void requireRecords(std::uint64_t count, std::uint64_t stride,
                        std::initializer_list<Field> fields) const;

    // Fields that must lie inside the declared size: one that would pass its end raises
    // its message, whatever the stream holds behind the chunk.
    class Within : public FieldReads<Within> {
    public:
        explicit Within(ChunkView& chunk) : chunk_(chunk) {}
        [[nodiscard]] bool readBytes(void* out, std::size_t size) {
            return size <= chunk_.left() && chunk_.readBytes(out, size);
        }
        std::uint64_t fieldOffset() const { return chunk_.fieldOffset(); }

    private:
        ChunkView& chunk_;
    };
    Within within() { return Within(*this); }

    // The chunk loop's step after the reader: skips what the reader left of the declared
    // size ("Could not skip to the end of chunk XXXX" when the stream cannot).
    void skipToEnd();

private:
    FileReader& file_;
    char id_[4] = {};
    std::size_t idSize_ = 0;
    std::uint32_t index_;
    std::uint64_t offset_;
    std::uint64_t bodyStart_;  // the file position behind the size field
    std::uint32_t declared_ = 0;
};

}  // namespace Tessaro
