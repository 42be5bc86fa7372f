#include "refhost/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>

#if defined(_WIN32)
#include <io.h>
#include <share.h>
#else
#include <unistd.h>
#endif

namespace RefHost::FileIo {

std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path fromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

#if defined(_WIN32)

// A stream is used by one thread at a time, so a seek followed by the transfer stands in
// for pread and pwrite. Binary mode: the C runtime must not touch line ends.
int openForRead(const std::filesystem::path& path) {
    int fd = -1;
    if (_wsopen_s(&fd, path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT, _SH_DENYNO, 0) != 0)
        return -1;
    struct _stat64 st {};
    if (_fstat64(fd, &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) {
        _close(fd);
        return -1;
    }
    return fd;
}

int openForWrite(const std::filesystem::path& path) {
    int fd = -1;
    if (_wsopen_s(&fd, path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT,
                  _SH_DENYNO, _S_IREAD | _S_IWRITE) != 0)
        return -1;
    return fd;
}

void close(int fd) { _close(fd); }

std::int64_t size(int fd) {
    struct _stat64 st {};
    return _fstat64(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

namespace {
constexpr std::size_t kMaxTransfer = 1u << 30;  // _read and _write take an unsigned int
}

std::int64_t readAt(int fd, void* buffer, std::size_t count, std::int64_t position) {
    if (_lseeki64(fd, position, SEEK_SET) != position) return -1;
    return _read(fd, buffer, static_cast<unsigned>(count < kMaxTransfer ? count : kMaxTransfer));
}

std::int64_t writeAt(int fd, const void* buffer, std::size_t count, std::int64_t position) {
    if (_lseeki64(fd, position, SEEK_SET) != position) return -1;
    return _write(fd, buffer, static_cast<unsigned>(count < kMaxTransfer ? count : kMaxTransfer));
}

#else

// Without O_NONBLOCK, opening a named pipe waits for a writer that may never come; a
// regular file reads the same with it or without it.
int openForRead(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int openForWrite(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

void close(int fd) { ::close(fd); }

std::int64_t size(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

std::int64_t readAt(int fd, void* buffer, std::size_t count, std::int64_t position) {
    return ::pread(fd, buffer, count, static_cast<off_t>(position));
}

std::int64_t writeAt(int fd, const void* buffer, std::size_t count, std::int64_t position) {
    return ::pwrite(fd, buffer, count, static_cast<off_t>(position));
}

#endif

}  // namespace RefHost::FileIo
