// The view of one chunk that the chunk loop hands to the chunk's reader: the chunk's id,
// its place in the file, its declared size once the reader has read the size field, and
// what the reader has consumed of it.
//
// Reads are not held to the declared size: some layouts read on beyond it, and the chunk
// loop then goes on from where the reader stopped (it skips only what the reader left of
// the declared size). Where the format wants a field or a list of records inside the
// chunk, the reader asks for that: within() reads, and requireRecords() before anything is
// made for a count. A run of bytes inside the chunk whose size a field declares (a
// region's sub-chunk, a header that ends at an offset) is a SubRange: sub() takes it, and
// the reader stands at its declared end once it is finished.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <tuple>

#include "reader/field_reads.h"
#include "reader/file_reader.h"

namespace Tessaro {

class SubRange;

// Reads of a range (the chunk, or a sub-range) that must lie inside its declared size: one
// that would pass its end raises its message, whatever the stream holds behind it.
template <class Range>
class Within : public FieldReads<Within<Range>> {
public:
    explicit Within(Range& range) : range_(range) {}
    [[nodiscard]] bool readBytes(void* out, std::size_t size) {
        return size <= range_.left() && range_.readBytes(out, size);
    }
    std::uint64_t fieldOffset() const { return range_.fieldOffset(); }

private:
    Range& range_;
};

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

    [[nodiscard]] bool readBytes(void* out, std::size_t size) {
        lastField_ = file_.position();
        return file_.readBytes(out, size);
    }
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
                        std::initializer_list<Field> fields) const {
        requireRecords(count, stride, fields.begin(), fields.end());
    }
    // The same for a record whose layout is a tuple of typed fields (field_reads.h).
    template <class... T>
    void requireRecords(std::uint64_t count, std::uint64_t stride,
                        const std::tuple<TypedField<T>...>& layout) const {
        const auto fields = std::apply(
            [](const auto&... field) {
                return std::array<Field, sizeof...(T)>{Field{field.kSize, field.message}...};
            },
            layout);
        requireRecords(count, stride, fields.data(), fields.data() + fields.size());
    }

    Within<ChunkView> within() { return Within<ChunkView>(*this); }

    // The next size bytes as a sub-range, right behind the field that declared its size.
    // A size that reaches behind both the chunk's declared end and the end of the file
    // cannot be what the file holds: it raises message at that field, before anything is
    // read of it or made for it. (Behind only one of them it may be: layouts read on past
    // a declared end, and a file cut short fails at the field it ends in.)
    [[nodiscard]] SubRange sub(std::uint64_t size, const char* message);

    // The chunk loop's step after the reader: skips what the reader left of the declared
    // size ("Could not skip to the end of chunk XXXX" when the stream cannot).
    void skipToEnd();

private:
    friend class SubRange;

    void requireRecords(std::uint64_t count, std::uint64_t stride, const Field* begin,
                        const Field* end) const;

    FileReader& file_;
    char id_[4] = {};
    std::size_t idSize_ = 0;
    std::uint32_t index_;
    std::uint64_t offset_;
    std::uint64_t bodyStart_;  // the file position behind the size field
    std::uint32_t declared_ = 0;
    std::uint64_t lastField_;  // where the field read last began
};

// A run of bytes inside a chunk whose size a field of the chunk declares: a region's
// sub-chunk, a header that ends at an offset. Its reads are the chunk's and, like them, not
// held to the declared size (layouts read on past it where the app's own reader does);
// within() reads are. When it is finished, or dropped at the end of its scope without a
// failure, the reader stands at its declared end: what the reader left of it is skipped
// (raising the sub-range's message when the stream cannot seek there), and where the reads
// went on past it, the reader stays where they ended. Any failure inside it is placed at
// the field that failed.
class SubRange : public FieldReads<SubRange> {
public:
    SubRange(ChunkView& chunk, std::uint64_t size, const char* message);
    ~SubRange() noexcept(false);
    SubRange(const SubRange&) = delete;
    SubRange& operator=(const SubRange&) = delete;

    std::uint64_t fieldOffset() const { return chunk_.fieldOffset(); }
    std::uint64_t declaredSize() const { return size_; }
    // Bytes read or skipped since its start; beyond its declared size where reads went on.
    std::uint64_t consumed() const { return chunk_.fieldOffset() - begin_; }
    // Its declared bytes not yet consumed, and never more than the file still holds.
    std::uint64_t left() const;

    [[nodiscard]] bool readBytes(void* out, std::size_t size) {
        return chunk_.readBytes(out, size);
    }
    std::u16string text() { return chunk_.text(); }
    void skip(std::uint64_t bytes) { chunk_.skip(bytes); }
    Within<SubRange> within() { return Within<SubRange>(*this); }

    // Takes the reader to the declared end (see above); once.
    void finish();

private:
    ChunkView& chunk_;
    std::uint64_t begin_;
    std::uint64_t size_;
    const char* message_;
    int unwinding_;  // failures in flight when it was taken
    bool finished_ = false;
};

inline SubRange ChunkView::sub(std::uint64_t size, const char* message) {
    return SubRange(*this, size, message);
}

}  // namespace Tessaro
