// The few file calls the reference host's file streams make, on a descriptor, the same on
// Linux (open, pread, pwrite) and on Windows (the C runtime's _wopen and its relatives,
// with the path's own UTF-16 text).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace RefHost::FileIo {

// A path's text as UTF-8, and a path from UTF-8 text, on every platform (a path's plain
// string() is in the system's 8-bit code page on Windows, which cannot hold every name).
std::string utf8(const std::filesystem::path& path);
std::filesystem::path fromUtf8(std::string_view text);

// A descriptor for reading an existing regular file; -1 when there is none.
int openForRead(const std::filesystem::path& path);
// A descriptor for writing a file, made or emptied; -1 on failure.
int openForWrite(const std::filesystem::path& path);
void close(int fd);
// The file's size in bytes; -1 when it cannot be had.
std::int64_t size(int fd);
// Reads or writes at most count bytes at position; the bytes moved, 0 at the end of the
// file (reading), -1 on failure.
std::int64_t readAt(int fd, void* buffer, std::size_t count, std::int64_t position);
std::int64_t writeAt(int fd, const void* buffer, std::size_t count, std::int64_t position);

}  // namespace RefHost::FileIo
