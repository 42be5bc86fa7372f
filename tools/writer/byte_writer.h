// Little-endian byte output for building project files from code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace TessaroWriter {

// UTF-8 to UTF-16; bytes that do not form a valid sequence become U+FFFD.
std::u16string utf16(std::string_view utf8);
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string utf8(std::u16string_view utf16);

// A text of the project file: a u16 count of UTF-16 code units, then the units in
// little-endian order, no terminator. The count written can be made to lie.
struct FileString {
    std::u16string text;
    std::optional<std::uint16_t> countOverride;

    // Implicit, so that `track.name = u"Piano";` and `track.name = "Piano";` read well.
    FileString() = default;
    FileString(std::u16string t) : text(std::move(t)) {}
    FileString(const char16_t* t) : text(t) {}
    FileString(std::string_view utf8Text) : text(utf16(utf8Text)) {}
    FileString(const char* utf8Text) : text(utf16(utf8Text)) {}

    // Bytes the string takes in the file: the count and two per code unit.
    std::size_t encodedSize() const { return 2 + 2 * text.size(); }
    // Code units as counted by the file's size rules (the real text length).
    std::size_t units() const { return text.size(); }
};

class ByteWriter {
public:
    ByteWriter& u8(std::uint8_t v);
    ByteWriter& i8(std::int8_t v);
    ByteWriter& u16(std::uint16_t v);
    ByteWriter& i16(std::int16_t v);
    ByteWriter& u32(std::uint32_t v);
    ByteWriter& f32(float v);
    ByteWriter& bytes(std::span<const std::uint8_t> data);
    ByteWriter& ascii(std::string_view text);  // the characters as bytes, no count
    ByteWriter& zeros(std::size_t count);
    ByteWriter& string(const FileString& s);
    // Zero bytes up to a total size of `size`; nothing when already as long or longer.
    ByteWriter& padTo(std::size_t size);

    std::size_t size() const { return out_.size(); }
    const std::vector<std::uint8_t>& data() const { return out_; }
    std::vector<std::uint8_t> take() { return std::move(out_); }

private:
    std::vector<std::uint8_t> out_;
};

// Reads back a little-endian value from a byte vector (for tests and tools).
std::uint16_t readU16(std::span<const std::uint8_t> data, std::size_t offset);
std::uint32_t readU32(std::span<const std::uint8_t> data, std::size_t offset);
float readF32(std::span<const std::uint8_t> data, std::size_t offset);

}  // namespace TessaroWriter
