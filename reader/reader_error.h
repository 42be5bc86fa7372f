// The one error type of the file reader: a fixed English text naming the field that could
// not be read or was out of range. Thrown at the failing field, caught once by the chunk
// loop, which shows the user the general failure message instead and keeps the text, with
// the chunk and the field's file offset, for a host that asks why the import failed.
//
// The texts are the file format's own, as the app's reader words them: they are kept
// verbatim, with their spelling, letter case and punctuation ("invalied", "Cannot read
// version" beside "cannot read color of track", "AUStateByteSize"), so that a failure
// reads the same wherever the format's texts are compared. Do not correct them. The few
// texts of this reader's own (a stream that cannot seek or skip, "out of memory") say so
// by their wording.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace Tessaro {

class ReaderError : public std::runtime_error {
public:
    // A field that could not be read: it begins where the reader stands, as a read that
    // fails consumes nothing.
    explicit ReaderError(const std::string& text) : std::runtime_error(text) {}
    // A field found wrong once read (a value out of range, a size too small): it begins at
    // fieldOffset, behind which the reader stands.
    ReaderError(const std::string& text, std::uint64_t fieldOffset)
        : std::runtime_error(text), fieldOffset_(fieldOffset) {}

    // The file offset of the failing field when it is not the reader's position.
    std::optional<std::uint64_t> fieldOffset() const { return fieldOffset_; }

private:
    std::optional<std::uint64_t> fieldOffset_;
};

// The field where the reader stands cannot be read.
[[noreturn]] inline void fail(const std::string& text) { throw ReaderError(text); }
// The field at fieldOffset, already read, is wrong.
[[noreturn]] inline void failAt(const std::string& text, std::uint64_t fieldOffset) {
    throw ReaderError(text, fieldOffset);
}

}  // namespace Tessaro
