// A PNG encoder for the small images a page carries inline: 8-bit grey with alpha,
// compressed with zlib.
#pragma once

#include <cstdint>
#include <vector>

namespace View {

// An image of width × height pixels, each a grey level and an alpha, row by row from the
// top left: pixels holds 2 × width × height bytes.
struct GreyAlphaImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> pixels;
};

// The image as a PNG file; empty for an image of no pixels or one whose bytes do not match
// its size.
std::vector<std::uint8_t> encodePng(const GreyAlphaImage& image);

}  // namespace View
