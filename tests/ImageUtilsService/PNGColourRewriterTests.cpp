#include "ImageUtilsService/PNGColourRewriter.h"
#include "ImageUtilsService/PNGPixelDecoder.h"

#include <gtest/gtest.h>

#include <random>

namespace orlix {
namespace {

using Pixels = std::vector<std::uint32_t>;

std::array<std::uint8_t, 13> header(std::uint32_t width, std::uint32_t height, bool interlaced) {
    std::array<std::uint8_t, 13> ihdr{};
    for (int index = 0; index < 4; ++index) {
        ihdr[index] = static_cast<std::uint8_t>(width >> (24 - 8 * index));
        ihdr[4 + index] = static_cast<std::uint8_t>(height >> (24 - 8 * index));
    }
    ihdr[8] = 8;
    ihdr[9] = 6;
    ihdr[12] = interlaced;
    return ihdr;
}

// 23 × 9 pixels of `colours` at random: odd rows end mid-byte at every depth below 8.
Pixels scattered(const Pixels& colours, unsigned seed = 5) {
    std::mt19937 random(seed);
    Pixels pixels(23 * 9);
    for (auto& pixel : pixels) {
        pixel = colours[random() % colours.size()];
    }
    return pixels;
}

std::uint32_t grey(unsigned value, unsigned alpha = 255) {
    return PNGPixelDecoder::pack(value, value, value, alpha);
}

// Colour type and depth of each alternative, after checking that every one of them decodes to
// exactly the pixels it was made from.
std::vector<std::pair<int, int>> formatsFor(const Pixels& pixels,
                                            PNGColourRewriter::Models models = {}) {
    std::vector<std::pair<int, int>> formats;
    for (const bool interlaced : {false, true}) {
        const auto ihdr = header(23, 9, interlaced);
        for (const PNGEncoding& encoding : PNGColourRewriter::alternatives(ihdr, pixels, models)) {
            const auto layout = PNGRowLayout::fromHeader(encoding.header);
            EXPECT_TRUE(layout);
            EXPECT_EQ(PNGPixelDecoder::decode(encoding.header, *layout, encoding.rows,
                                              encoding.palette, encoding.transparency),
                      pixels)
                << "type " << int(encoding.header[9]) << ", " << int(encoding.header[8]) << " bits"
                << (interlaced ? ", interlaced" : "");
            if (!interlaced) {
                formats.emplace_back(encoding.header[9], encoding.header[8]);
            }
        }
    }
    return formats;
}

bool has(const std::vector<std::pair<int, int>>& formats, int colourType, int depth = 0) {
    return std::any_of(formats.begin(), formats.end(), [&](const auto& format) {
        return format.first == colourType && (depth == 0 || format.second == depth);
    });
}

TEST(PNGColourRewriterTests, EveryAlternativeStoresExactlyThePixels) {
    // Few colours pack a palette; greys that widen exactly pack grey; the image is small enough
    // for the encodings of several bytes a pixel to be tried as well.
    const auto twoColours = formatsFor(scattered({0x123456FF, 0xABCDEFFF}));
    EXPECT_TRUE(has(twoColours, 3, 1));
    EXPECT_TRUE(has(twoColours, 2, 8));
    EXPECT_FALSE(has(twoColours, 0));
    EXPECT_FALSE(has(twoColours, 6)) << "opaque";

    const auto fourGreys = formatsFor(scattered({grey(0), grey(85), grey(170), grey(255)}));
    EXPECT_TRUE(has(fourGreys, 0, 2));
    EXPECT_TRUE(has(fourGreys, 3, 2));
    EXPECT_TRUE(has(formatsFor(scattered({grey(0), grey(17), grey(255)})), 0, 4));
    EXPECT_TRUE(has(formatsFor(scattered({grey(0), grey(1), grey(255)})), 0, 8));

    const auto translucentGreys = formatsFor(scattered({grey(10, 0), grey(20, 128), grey(30)}));
    EXPECT_TRUE(has(translucentGreys, 4, 8));
    EXPECT_FALSE(has(translucentGreys, 0)) << "no key describes partial transparency";
}

TEST(PNGColourRewriterTests, AKeyColourOnlyWhenItDescribesTheTransparencyExactly) {
    EXPECT_TRUE(has(formatsFor(scattered({grey(9, 0), grey(40), grey(80)})), 0));
    EXPECT_TRUE(has(formatsFor(scattered({0x10203000, 0x405060FF})), 2));
    // Two transparent colours, or an opaque pixel of the transparent one's colour.
    EXPECT_FALSE(has(formatsFor(scattered({grey(9, 0), grey(12, 0), grey(80)})), 0));
    EXPECT_FALSE(has(formatsFor(scattered({0x10203000, 0x102030FF, 0x405060FF})), 2));
}

TEST(PNGColourRewriterTests, PalettePutsTranslucentEntriesFirstAndModelsAreRespected) {
    const Pixels pixels = scattered({grey(200), grey(90), grey(40, 100), grey(70), grey(5, 0)});
    for (const PNGEncoding& encoding :
         PNGColourRewriter::alternatives(header(23, 9, false), pixels, {})) {
        if (encoding.header[9] == 3) {
            EXPECT_EQ(encoding.palette.size(), 5u * 3);
            EXPECT_EQ(encoding.transparency.size(), 2u);
        }
    }
    EXPECT_FALSE(has(formatsFor(pixels, {true, false}), 3));
    const auto colourOnly = formatsFor(pixels, {false, true});
    EXPECT_FALSE(has(colourOnly, 0) || has(colourOnly, 4));
    EXPECT_TRUE(has(colourOnly, 3));
}

} // namespace
} // namespace orlix
