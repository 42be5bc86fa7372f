// Text helpers: the module's own texts are 8-bit; the host takes UTF-16.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "interfaces/ftypes.h"

namespace Tessaro {

// UTF-8 to UTF-16; invalid bytes become U+FFFD.
std::u16string toUtf16(std::string_view utf8);
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string toUtf8(std::u16string_view utf16);

// The zero-terminated text of a buffer of at most size units.
std::u16string fromBuffer(const char16_t* buffer, std::size_t size);
std::string fromBuffer(const char* buffer, std::size_t size);

// Copies text into a buffer of size units, cut to fit and zero-terminated.
void copyToBuffer(std::u16string_view text, char16_t* buffer, Host::int32 size);
void copyToBuffer(std::string_view text, char* buffer, Host::int32 size);

// The reason an import failed, in one line with its place in the file: "TREG chunk #7 at
// byte 1234: TREG audio sub chunk size too short"; "at byte 0: Wrong magic number." outside
// every chunk (empty chunkId); the text alone when the file was not read (byteOffset < 0).
std::string failureLine(std::string_view text, std::string_view chunkId, std::int32_t chunkIndex,
                        std::int64_t byteOffset);

// Reads a host text through a getter that fills a buffer (name, version, path ...).
template <class Getter>
std::u16string readHostText(Getter&& getter, std::size_t capacity = 1024) {
    std::u16string buffer(capacity + 1, u'\0');
    if (getter(buffer.data(), static_cast<Host::int32>(capacity)) != 0) return {};
    buffer[capacity] = u'\0';
    return fromBuffer(buffer.data(), capacity);
}

template <class Getter>
std::string readHostText8(Getter&& getter, std::size_t capacity = 256) {
    std::string buffer(capacity + 1, '\0');
    if (getter(buffer.data(), static_cast<Host::int32>(capacity)) != 0) return {};
    buffer[capacity] = '\0';
    return fromBuffer(buffer.data(), capacity);
}

}  // namespace Tessaro
