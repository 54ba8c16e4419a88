#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace orlix::testing {

using Bytes = std::vector<std::uint8_t>;

struct TestImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    Bytes rgba;
};

// Smooth gradients with a noisy patch and a transparent corner: compressible but not trivially,
// so that Zopfli has something to gain and quantisation something to dither.
TestImage makeTestImage(std::uint32_t width, std::uint32_t height, std::uint32_t seed = 1);

// `image` as an RGBA PNG written by libpng at the given zlib level.
Bytes encodePNG(const TestImage& image, int compressionLevel, bool interlaced = false);

// `image` written by libpng as `colourType` (PNG's numbers) at `depth` bits a sample: grey from
// the red channel, a palette of the colours in the order they first appear (with a transparency
// chunk when one is translucent), and for grey or RGB without alpha `key` as the transparent
// colour when given.
Bytes encodePNGAs(const TestImage& image, int colourType, int depth, bool interlaced = false,
                  std::optional<std::uint32_t> key = std::nullopt);

// Every pixel as 8-bit RGBA, read with libpng; nothing when libpng refuses the file.
std::optional<TestImage> decodePNG(const Bytes& png);

} // namespace orlix::testing
