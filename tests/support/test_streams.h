// Byte streams for reader tests: one that delivers every read in small pieces, one whose
// seek or tell fails. They live on the test's stack; their count starts at 1 (the test's
// own reference) and never deletes them, so a test can check what the code under test
// left: count() back at 1 and no release beyond the last reference.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "interfaces/ibstream.h"

namespace TessaroTest {

// A stream over a byte buffer; reads deliver what is asked, up to the end.
class BufferStream : public Host::IBStream {
public:
    explicit BufferStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    explicit BufferStream(std::span<const std::uint8_t> bytes)
        : bytes_(bytes.begin(), bytes.end()) {}
    virtual ~BufferStream() = default;

    Host::tresult queryInterface(const Host::FUID& interfaceId, void** obj) override;
    Host::uint32 addRef() override;
    Host::uint32 release() override;

    Host::tresult read(void* buffer, Host::int32 numBytes, Host::int32* numBytesRead) override;
    Host::tresult write(const void* buffer, Host::int32 numBytes,
                        Host::int32* numBytesWritten) override;
    Host::tresult seek(Host::int64 pos, Host::int32 mode, Host::int64* result) override;
    Host::tresult tell(Host::int64* pos) override;

    Host::uint32 count() const { return count_; }
    Host::uint32 overReleased() const { return overReleased_; }
    Host::int64 position() const { return position_; }
    // The number of read calls made.
    std::size_t reads() const { return reads_; }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

protected:
    // How many bytes one read delivers at most.
    virtual Host::int32 piece(Host::int32 asked) { return asked; }

    std::vector<std::uint8_t> bytes_;
    Host::int64 position_ = 0;
    std::size_t reads_ = 0;

private:
    Host::uint32 count_ = 1;
    Host::uint32 overReleased_ = 0;
};

// Delivers each read in a piece of 1 to 7 bytes (1, 2, ... 7, 1, 2 ...), as a slow file or
// a network stream may: a reader must keep reading until it has what it needs.
class PieceStream : public BufferStream {
public:
    using BufferStream::BufferStream;

protected:
    Host::int32 piece(Host::int32 asked) override;

private:
    Host::int32 next_ = 0;
};

// A stream whose seek or tell fails.
class FaultyStream : public BufferStream {
public:
    enum class Fault {
        SeekToEnd,    // a seek relative to the end fails
        SeekToStart,  // a seek to position 0 from the start fails
        AnySeek,      // every seek fails
        Tell,         // tell fails
    };
    FaultyStream(std::vector<std::uint8_t> bytes, Fault fault)
        : BufferStream(std::move(bytes)), fault_(fault) {}

    Host::tresult seek(Host::int64 pos, Host::int32 mode, Host::int64* result) override;
    Host::tresult tell(Host::int64* pos) override;

private:
    Fault fault_;
};

}  // namespace TessaroTest
