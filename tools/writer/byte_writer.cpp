#include "tools/writer/byte_writer.h"

#include <bit>
#include <cassert>

namespace TessaroWriter {

std::u16string utf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<std::uint8_t>(utf8[i]);
        std::size_t length = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            length = 1;
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            cp = lead & 0x1Fu;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            cp = lead & 0x0Fu;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            cp = lead & 0x07u;
        }
        bool valid = length != 0 && i + length <= utf8.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(utf8[i + k]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
            } else {
                cp = (cp << 6) | (next & 0x3Fu);
            }
        }
        static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (valid && (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) {
            valid = false;
        }
        if (!valid) {
            out.push_back(u'\uFFFD');
            i += 1;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += length;
    }
    return out;
}

std::string utf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

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

ByteWriter& ByteWriter::i32(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }

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

void ByteWriter::patchU32(std::size_t offset, std::uint32_t v) {
    assert(offset + 4 <= out_.size());
    for (std::size_t k = 0; k < 4; ++k) {
        out_[offset + k] = static_cast<std::uint8_t>((v >> (8 * k)) & 0xFF);
    }
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
