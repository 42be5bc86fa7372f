#include "refhost/streams.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "base/text.h"
#include "interfaces/ibstream.h"
#include "refhost/file_io.h"

namespace RefHost {

// --- PathObject ----------------------------------------------------------------------

std::string PathObject::describe() const { return "path \"" + Tessaro::toUtf8(path) + "\""; }

std::filesystem::path PathObject::fsPath() const {
    std::string text = Tessaro::toUtf8(path);
#if !defined(_WIN32)
    // The module writes Windows separators; on Windows they are the system's own.
    std::replace(text.begin(), text.end(), '\\', '/');
#endif
    return FileIo::fromUtf8(text);
}

// --- ByteStream ----------------------------------------------------------------------

Host::tresult ByteStream::seek(Host::int64 offset, Host::int32 mode, Host::int64* result) {
    Host::int64 base = 0;
    switch (mode) {
        case Host::IBStream::kSeekSet: base = 0; break;
        case Host::IBStream::kSeekCur: base = position_; break;
        case Host::IBStream::kSeekEnd: base = size(); break;
        default: return Host::kInvalidArgument;
    }
    // base is never negative: only the addition of a positive offset can overflow.
    if (offset > 0 && base > std::numeric_limits<Host::int64>::max() - offset)
        return Host::kInvalidArgument;
    const Host::int64 target = base + offset;
    if (target < 0) return Host::kInvalidArgument;
    position_ = target;
    if (result) *result = position_;
    return Host::kResultOk;
}

// --- FileStream ----------------------------------------------------------------------

FileStream::FileStream(ReferenceHost& host, std::filesystem::path path, Mode mode)
    : ByteStream(host), path_(std::move(path)), mode_(mode) {
    fd_ = mode == Mode::Read ? FileIo::openForRead(path_) : FileIo::openForWrite(path_);
    closed_ = false;
}

FileStream::~FileStream() {
    if (fd_ >= 0) FileIo::close(fd_);
}

void FileStream::close() {
    if (fd_ >= 0) FileIo::close(fd_);
    fd_ = -1;
    closed_ = true;
}

std::string FileStream::describe() const {
    return "file stream \"" + FileIo::utf8(path_) + "\"";
}

std::int64_t FileStream::size() const {
    const std::int64_t bytes = fd_ >= 0 ? FileIo::size(fd_) : -1;
    return bytes < 0 ? 0 : bytes;
}

Host::tresult FileStream::read(void* buffer, Host::int32 count, Host::int32* done) {
    if (done) *done = 0;
    if (fd_ < 0 || mode_ != Mode::Read) return Host::kResultFalse;
    Host::int32 total = 0;
    auto* out = static_cast<char*>(buffer);
    while (total < count) {
        const std::int64_t n =
            FileIo::readAt(fd_, out + total, static_cast<std::size_t>(count - total), position_);
        if (n < 0) return Host::kResultFalse;
        if (n == 0) break;
        total += static_cast<Host::int32>(n);
        position_ += n;
    }
    if (done) *done = total;
    return Host::kResultOk;
}

Host::tresult FileStream::write(const void* buffer, Host::int32 count, Host::int32* done) {
    if (done) *done = 0;
    if (fd_ < 0 || mode_ != Mode::Write) return Host::kResultFalse;
    Host::int32 total = 0;
    const auto* in = static_cast<const char*>(buffer);
    while (total < count) {
        const std::int64_t n =
            FileIo::writeAt(fd_, in + total, static_cast<std::size_t>(count - total), position_);
        if (n <= 0) return Host::kResultFalse;
        total += static_cast<Host::int32>(n);
        position_ += n;
    }
    if (done) *done = total;
    return Host::kResultOk;
}

// --- MemoryStream --------------------------------------------------------------------

std::string MemoryStream::describe() const {
    return "memory stream " + std::to_string(serial);
}

Host::tresult MemoryStream::read(void* buffer, Host::int32 count, Host::int32* done) {
    if (done) *done = 0;
    const Host::int64 available = std::max<Host::int64>(size() - position_, 0);
    const Host::int32 n = static_cast<Host::int32>(std::min<Host::int64>(count, available));
    if (n > 0) std::memcpy(buffer, bytes.data() + position_, static_cast<std::size_t>(n));
    position_ += n;
    if (done) *done = n;
    return Host::kResultOk;
}

Host::tresult MemoryStream::write(const void* buffer, Host::int32 count, Host::int32* done) {
    if (done) *done = 0;
    if (position_ > kMaxSize || count > kMaxSize - position_) return Host::kResultFalse;
    const auto end = static_cast<std::size_t>(position_ + count);
    if (end > bytes.size()) bytes.resize(end, 0);
    if (count > 0)
        std::memcpy(bytes.data() + position_, buffer, static_cast<std::size_t>(count));
    position_ += count;
    if (done) *done = count;
    return Host::kResultOk;
}

}  // namespace RefHost
