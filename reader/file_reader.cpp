#include "reader/file_reader.h"

#include <algorithm>
#include <cstring>

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

std::optional<std::u16string> FileReader::readString() {
    // The count and the text are taken together: both stay buffered until both are there.
    if (!fill(2)) return std::nullopt;
    const std::size_t count = decode<std::uint16_t>(buffer_.data() + begin_);
    const std::size_t size = 2 + 2 * count;
    if (!fill(size)) return std::nullopt;
    std::u16string text(count, u'\0');
    for (std::size_t i = 0; i < count; ++i)
        text[i] = decode<std::uint16_t>(buffer_.data() + begin_ + 2 + 2 * i);
    begin_ += size;
    position_ += size;
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
    fileSize_ = *size;
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
