#include "tools/writer/byte_writer.h"

#include "base/text.h"

#include <bit>

namespace TessaroWriter {

std::u16string utf16(std::string_view text) { return Tessaro::toUtf16(text); }

std::string utf8(std::u16string_view text) { return Tessaro::toUtf8(text); }

ByteWriter& ByteWriter::u8(std::uint8_t v) {
    out_.push_back(v);
    return *this;
}

ByteWriter& ByteWriter::i8(std::int8_t v) { return u8(static_cast<std::uint8_t>(v)); }

ByteWriter& ByteWriter::u16(std::uint16_t v) {
    out_.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out_.push_back(static_cast<std::uint8_t>(v >> 8));
    return *this;
}

ByteWriter& ByteWriter::i16(std::int16_t v) { return u16(static_cast<std::uint16_t>(v)); }

ByteWriter& ByteWriter::u32(std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
        out_.push_back(static_cast<std::uint8_t>((v >> shift) & 0xFF));
    }
    return *this;
}


ByteWriter& ByteWriter::f32(float v) { return u32(std::bit_cast<std::uint32_t>(v)); }

ByteWriter& ByteWriter::bytes(std::span<const std::uint8_t> data) {
    out_.insert(out_.end(), data.begin(), data.end());
    return *this;
}

ByteWriter& ByteWriter::ascii(std::string_view text) {
    for (char c : text) out_.push_back(static_cast<std::uint8_t>(c));
    return *this;
}

ByteWriter& ByteWriter::zeros(std::size_t count) {
    out_.insert(out_.end(), count, std::uint8_t{0});
    return *this;
}

ByteWriter& ByteWriter::string(const FileString& s) {
    u16(s.countOverride ? *s.countOverride : static_cast<std::uint16_t>(s.text.size()));
    for (char16_t unit : s.text) u16(static_cast<std::uint16_t>(unit));
    return *this;
}

ByteWriter& ByteWriter::padTo(std::size_t size) {
    if (out_.size() < size) zeros(size - out_.size());
    return *this;
}

std::uint16_t readU16(std::span<const std::uint8_t> data, std::size_t offset) {
    return static_cast<std::uint16_t>(data[offset] | (data[offset + 1] << 8));
}

std::uint32_t readU32(std::span<const std::uint8_t> data, std::size_t offset) {
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < 4; ++k) v |= std::uint32_t{data[offset + k]} << (8 * k);
    return v;
}

float readF32(std::span<const std::uint8_t> data, std::size_t offset) {
    return std::bit_cast<float>(readU32(data, offset));
}

}  // namespace TessaroWriter
