// Typed little-endian reads from the host's byte stream, with the check beside the read.
//
// The stream is read through a buffer in large blocks, so a project of a million notes
// does not cost a million calls into the host. A fixed-size field is read whole or not at
// all: a stream that delivers fewer bytes (also in small pieces) is asked again until the
// field is complete, and a field it cannot complete is a failed read with that field's
// message. Ranges are inclusive; a float fails a range only when it compares outside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/iptr.h"
#include "interfaces/ibstream.h"

namespace Tessaro {

class FileReader {
public:
    explicit FileReader(Host::IBStream* stream);

    // Raw reads: false (nothing consumed of the field) when the stream cannot deliver size
    // bytes. Callers keep fields small (at most a name's 128 KiB); larger blocks are read
    // in pieces.
    bool readBytes(void* out, std::size_t size);

    // Typed reads; a short read raises `message`.
    std::uint8_t u8(const char* message);
    std::int8_t i8(const char* message);
    std::uint16_t u16(const char* message);
    std::int16_t i16(const char* message);
    std::uint32_t u32(const char* message);
    float f32(const char* message);

    // Typed reads with an inclusive range check; a short read or a value outside raises
    // `message`.
    std::uint8_t u8In(std::uint8_t lo, std::uint8_t hi, const char* message);
    std::int8_t i8In(std::int8_t lo, std::int8_t hi, const char* message);
    std::uint16_t u16In(std::uint16_t lo, std::uint16_t hi, const char* message);
    std::int16_t i16In(std::int16_t lo, std::int16_t hi, const char* message);
    std::uint32_t u32In(std::uint32_t lo, std::uint32_t hi, const char* message);
    // A NaN passes, as the app's own reader lets it through.
    float f32In(float lo, float hi, const char* message);
    // A float from 0 to 1.
    float unit(const char* message) { return f32In(0.0f, 1.0f, message); }

    // A u16 count of UTF-16 code units and the units; empty when either cannot be read.
    // The count of code units actually read is left in lastStringUnits().
    std::u16string string();
    std::size_t lastStringUnits() const { return lastStringUnits_; }

    // Skips n bytes forward; false when the stream cannot seek there.
    bool skip(std::uint64_t n);

    // Whole-stream operations used by the chunk loop. Each is false when the stream
    // fails or reports another position than asked.
    bool seekToEnd();
    bool tellSize(std::uint64_t* size);
    bool seekToStart();

    // Bytes read through this reader since the last seekToStart (the logical position).
    std::uint64_t position() const { return position_; }

private:
    bool fill(std::size_t need);

    Host::IBStream* stream_;  // borrowed for the length of the read
    std::vector<std::uint8_t> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::uint64_t position_ = 0;  // logical position: bytes consumed
    std::uint64_t streamPosition_ = 0;  // where the stream stands (position_ + buffered)
    std::size_t lastStringUnits_ = 0;
};

}  // namespace Tessaro
