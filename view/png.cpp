#include "view/png.h"

#include <zlib.h>

#include <array>

namespace View {

namespace {

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

// A chunk: its length, type, data and the CRC of type and data.
void chunk(std::vector<std::uint8_t>& out, const char (&type)[5], const std::vector<std::uint8_t>& data) {
    put32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
    put32(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

std::vector<std::uint8_t> encodePng(const GreyAlphaImage& image) {
    const std::size_t row = 2 * static_cast<std::size_t>(image.width);
    if (image.width == 0 || image.height == 0 || image.pixels.size() != row * image.height) return {};
    // Each row behind filter type 0 (none): the rows of a piano roll are mostly empty, which
    // deflate packs well as it is.
    std::vector<std::uint8_t> raw;
    raw.reserve((row + 1) * image.height);
    for (std::uint32_t y = 0; y < image.height; ++y) {
        raw.push_back(0);
        const auto first = image.pixels.begin() + static_cast<std::ptrdiff_t>(y * row);
        raw.insert(raw.end(), first, first + static_cast<std::ptrdiff_t>(row));
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK)
        return {};
    packed.resize(packedSize);

    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    put32(header, image.width);
    put32(header, image.height);
    header.insert(header.end(), {8, 4, 0, 0, 0});  // 8 bits, grey with alpha, deflate, no interlace
    chunk(out, "IHDR", header);
    chunk(out, "IDAT", packed);
    chunk(out, "IEND", {});
    return out;
}

}  // namespace View
