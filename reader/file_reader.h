// The host's byte stream of the project file, read through a buffer in large blocks, so a
// project of a million notes does not cost a million calls into the host. A field is read
// whole or not at all: a stream that delivers fewer bytes (also in small pieces) is asked
// again until the field is complete, and a read that cannot be completed consumes
// nothing. Everything runs on the host's calling thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "interfaces/ibstream.h"
#include "reader/field_reads.h"

namespace Tessaro {

class FileReader : public FieldReads<FileReader> {
public:
    // stream is borrowed for the length of the read.
    explicit FileReader(Host::IBStream* stream);

    // size bytes into out; false, and nothing consumed, when the stream cannot deliver
    // them. Large blocks are buffered whole, so callers read them in pieces.
    [[nodiscard]] bool readBytes(void* out, std::size_t size);
    // A u16 count of UTF-16 code units and the units (little-endian); nothing consumed
    // when either cannot be read.
    [[nodiscard]] std::optional<std::u16string> readString();
    // n bytes forward; false when the stream cannot seek there. A skip past the end of the
    // file succeeds as the stream's seek does: the next read then fails.
    [[nodiscard]] bool skip(std::uint64_t n);

    // Whole-stream operations of the chunk loop. Each is false when the stream fails or
    // reports another position than asked; tellSize() keeps the size for fileSize().
    [[nodiscard]] bool seekToEnd();
    [[nodiscard]] bool tellSize(std::uint64_t* size);
    [[nodiscard]] bool seekToStart();

    // Bytes read or skipped since the last seekToStart (the logical position).
    std::uint64_t position() const { return position_; }
    // Where the next field begins: the position.
    std::uint64_t fieldOffset() const { return position_; }
    // The file's size as told; 0 before tellSize().
    std::uint64_t fileSize() const { return fileSize_; }
    // The bytes of the file behind the position.
    std::uint64_t leftInFile() const { return fileSize_ > position_ ? fileSize_ - position_ : 0; }

private:
    bool fill(std::size_t need);

    Host::IBStream* stream_;
    std::vector<std::uint8_t> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::uint64_t position_ = 0;        // logical position: bytes consumed
    std::uint64_t streamPosition_ = 0;  // where the stream stands (position_ + buffered)
    std::uint64_t fileSize_ = 0;
};

}  // namespace Tessaro
