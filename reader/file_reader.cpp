#include "reader/file_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "reader/reader_error.h"

namespace Tessaro {

namespace {
constexpr std::size_t kBlock = 64 * 1024;
}

FileReader::FileReader(Host::IBStream* stream) : stream_(stream), buffer_(kBlock) {}

bool FileReader::fill(std::size_t need) {
    if (end_ - begin_ >= need) return true;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    // A field larger than the buffer (a long name) grows it to the field's size; every
    // byte taken from the stream stays buffered, so a read that fails consumes nothing.
    if (buffer_.size() < need) buffer_.resize(need);
    while (end_ < need) {
        Host::int32 got = 0;
        const auto room = static_cast<Host::int32>(
            std::min<std::size_t>(buffer_.size() - end_, std::size_t{1} << 30));
        if (stream_->read(buffer_.data() + end_, room, &got) != Host::kResultOk || got <= 0 ||
            got > room)
            return false;
        end_ += static_cast<std::size_t>(got);
        streamPosition_ += static_cast<std::uint64_t>(got);
    }
    return true;
}

bool FileReader::readBytes(void* out, std::size_t size) {
    if (!fill(size)) return false;
    std::memcpy(out, buffer_.data() + begin_, size);
    begin_ += size;
    position_ += size;
    return true;
}

namespace {
template <class T>
T load(const std::uint8_t* b) {
    std::make_unsigned_t<T> v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        v = static_cast<std::make_unsigned_t<T>>(v | (static_cast<std::make_unsigned_t<T>>(b[i]) << (8 * i)));
    return static_cast<T>(v);
}
}  // namespace

#define TESSARO_READ_INT(name, T)                                  \
    T FileReader::name(const char* message) {                      \
        std::uint8_t b[sizeof(T)];                                 \
        if (!readBytes(b, sizeof b)) fail(message);                \
        return load<T>(b);                                         \
    }
TESSARO_READ_INT(u8, std::uint8_t)
TESSARO_READ_INT(i8, std::int8_t)
TESSARO_READ_INT(u16, std::uint16_t)
TESSARO_READ_INT(i16, std::int16_t)
TESSARO_READ_INT(u32, std::uint32_t)
#undef TESSARO_READ_INT

float FileReader::f32(const char* message) {
    const std::uint32_t bits = u32(message);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

template <class T>
static T checked(T v, T lo, T hi, const char* message) {
    if (v < lo || v > hi) fail(message);
    return v;
}

std::uint8_t FileReader::u8In(std::uint8_t lo, std::uint8_t hi, const char* message) {
    return checked(u8(message), lo, hi, message);
}
std::int8_t FileReader::i8In(std::int8_t lo, std::int8_t hi, const char* message) {
    return checked(i8(message), lo, hi, message);
}
std::uint16_t FileReader::u16In(std::uint16_t lo, std::uint16_t hi, const char* message) {
    return checked(u16(message), lo, hi, message);
}
std::int16_t FileReader::i16In(std::int16_t lo, std::int16_t hi, const char* message) {
    return checked(i16(message), lo, hi, message);
}
std::uint32_t FileReader::u32In(std::uint32_t lo, std::uint32_t hi, const char* message) {
    return checked(u32(message), lo, hi, message);
}
float FileReader::f32In(float lo, float hi, const char* message) {
    // Comparisons with a NaN are false, so a NaN passes.
    return checked(f32(message), lo, hi, message);
}

std::u16string FileReader::string() {
    lastStringUnits_ = 0;
    std::uint8_t countBytes[2];
    if (!readBytes(countBytes, 2)) return {};
    const std::size_t count = load<std::uint16_t>(countBytes);
    std::vector<std::uint8_t> raw(count * 2);
    if (count == 0 || !readBytes(raw.data(), raw.size())) return {};
    std::u16string text(count, u'\0');
    for (std::size_t i = 0; i < count; ++i) text[i] = load<std::uint16_t>(&raw[2 * i]);
    lastStringUnits_ = count;
    return text;
}

bool FileReader::skip(std::uint64_t n) {
    const std::size_t buffered = end_ - begin_;
    if (n <= buffered) {
        begin_ += static_cast<std::size_t>(n);
        position_ += n;
        return true;
    }
    const std::uint64_t rest = n - buffered;
    if (rest > static_cast<std::uint64_t>(INT64_MAX) - streamPosition_) return false;
    const auto target = static_cast<Host::int64>(streamPosition_ + rest);
    Host::int64 result = -1;
    begin_ = end_ = 0;
    if (stream_->seek(static_cast<Host::int64>(rest), Host::IBStream::kSeekCur, &result) !=
            Host::kResultOk ||
        result != target) {
        position_ += buffered;
        return false;
    }
    streamPosition_ = static_cast<std::uint64_t>(target);
    position_ += n;
    return true;
}

bool FileReader::seekToEnd() {
    Host::int64 result = -1;
    begin_ = end_ = 0;
    return stream_->seek(0, Host::IBStream::kSeekEnd, &result) == Host::kResultOk;
}

bool FileReader::tellSize(std::uint64_t* size) {
    Host::int64 told = -1;
    if (stream_->tell(&told) != Host::kResultOk || told < 0) {
        *size = 0;
        return false;
    }
    *size = static_cast<std::uint64_t>(told);
    streamPosition_ = *size;
    return true;
}

bool FileReader::seekToStart() {
    Host::int64 result = -1;
    begin_ = end_ = 0;
    if (stream_->seek(0, Host::IBStream::kSeekSet, &result) != Host::kResultOk || result != 0)
        return false;
    streamPosition_ = 0;
    position_ = 0;
    return true;
}

}  // namespace Tessaro
