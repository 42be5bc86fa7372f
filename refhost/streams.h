// Paths and byte streams: files opened through IFileAccess and memory streams.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "refhost/facet.h"

namespace RefHost {

// A file system path created with kPathClass.
class PathObject : public Object {
public:
    using Object::Object;
    std::string describe() const override;

    // The path as the file system takes it: '\\' and '/' both separate.
    std::filesystem::path fsPath() const;

    std::u16string path;
    bool set = false;
};

// A stream of bytes with a position; what the IBStream facet works on.
class ByteStream : public Object {
public:
    using Object::Object;

    // Reads up to size bytes at the position; *done gets the count (0 at the end).
    virtual Host::tresult read(void* buffer, Host::int32 size, Host::int32* done) = 0;
    virtual Host::tresult write(const void* buffer, Host::int32 size, Host::int32* done) = 0;
    virtual std::int64_t size() const = 0;
    // False once the stream may no longer be used (a file after IFileAccess::close).
    virtual bool isOpen() const { return true; }

    // Moves the position; a target before the start is refused and leaves it unchanged.
    Host::tresult seek(Host::int64 offset, Host::int32 mode, Host::int64* result);
    Host::int64 position() const { return position_; }

protected:
    Host::int64 position_ = 0;
};

// A file opened for reading or for writing.
class FileStream : public ByteStream {
public:
    enum class Mode { Read, Write };
    // Opens path; isOpen() tells whether that worked.
    FileStream(ReferenceHost& host, std::filesystem::path path, Mode mode);
    ~FileStream() override;

    std::string describe() const override;
    Host::tresult read(void* buffer, Host::int32 size, Host::int32* done) override;
    Host::tresult write(const void* buffer, Host::int32 size, Host::int32* done) override;
    std::int64_t size() const override;
    bool isOpen() const override { return fd_ >= 0; }
    void close();

    const std::filesystem::path& path() const { return path_; }
    Mode mode() const { return mode_; }
    bool wasClosed() const { return closed_; }

private:
    std::filesystem::path path_;
    Mode mode_;
    int fd_ = -1;
    bool closed_ = false;
};

// A stream over a growable buffer, created with kMemoryStreamClass.
class MemoryStream : public ByteStream {
public:
    // A memory stream grows to at most this many bytes; a longer write fails.
    static constexpr std::int64_t kMaxSize = std::int64_t{256} << 20;

    using ByteStream::ByteStream;
    std::string describe() const override;
    Host::tresult read(void* buffer, Host::int32 size, Host::int32* done) override;
    Host::tresult write(const void* buffer, Host::int32 size, Host::int32* done) override;
    std::int64_t size() const override { return static_cast<std::int64_t>(bytes.size()); }

    std::vector<std::uint8_t> bytes;
    std::size_t serial = 0;  // 1 for the first memory stream of the host, and so on
};

}  // namespace RefHost
