#include "ImageUtilsService/CompactPixels.h"
#include "ImageUtilsService/ImageQuantizer.h"
#include "Support/PeakResidentMemory.h"

#include <gtest/gtest.h>
#include <libimagequant.h>

#include <cstring>
#include <random>

namespace orlix {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Picture {
    std::uint32_t width;
    std::uint32_t height;
    Bytes rgba;
};

// Pixel n of `colours` distinct colours, spread over the picture at random.
Picture picture(std::uint32_t width, std::uint32_t height, std::uint32_t colours,
                bool translucent) {
    Picture made{width, height, Bytes(std::size_t{width} * height * 4)};
    std::mt19937 random(colours);
    for (std::size_t pixel = 0; pixel < std::size_t{width} * height; ++pixel) {
        const std::uint32_t colour = pixel < colours ? std::uint32_t(pixel) : random() % colours;
        std::uint8_t* samples = made.rgba.data() + pixel * 4;
        samples[0] = std::uint8_t(colour * 37);
        samples[1] = std::uint8_t(colour >> 3);
        samples[2] = std::uint8_t(colour >> 11);
        samples[3] = translucent ? std::uint8_t(255 - colour % 3 * 100) : 255;
    }
    return made;
}

// Every row comes back as it went in, from the smallest form its colours allow.
TEST(ImageQuantizerTests, CompactPixelsGiveBackEveryRowFromTheirSmallestForm) {
    struct Case {
        const char* name;
        Picture source;
        std::size_t keptBytes;
    };
    const std::vector<Case> cases{
        {"one pixel", picture(1, 1, 1, false), 1 + 8},
        {"one colour", picture(300, 7, 1, false), 300 * 7 / 8 + 1 + 8},
        {"five translucent colours", picture(301, 9, 5, true), (301 * 9 * 3 + 7) / 8 + 8},
        {"most colours indexed", picture(1024, 256, 1 << 18, true), 1024 * 256 * 18 / 8 + 8},
        {"too many, opaque", picture(1024, 257, (1 << 18) + 1, false), 1024 * 257 * 3},
        {"too many, translucent", picture(1024, 257, (1 << 18) + 1, true), 1024 * 257 * 4},
    };
    for (const auto& [name, source, keptBytes] : cases) {
        SCOPED_TRACE(name);
        const CompactPixels pixels(Bytes(source.rgba), source.width, source.height);
        EXPECT_EQ(pixels.keptBytes(), keptBytes);
        Bytes row(std::size_t{source.width} * 4);
        for (std::uint32_t y = 0; y < source.height; ++y) {
            pixels.row(y, row.data());
            ASSERT_EQ(std::memcmp(row.data(), source.rgba.data() + y * row.size(), row.size()), 0)
                << "row " << y;
        }
    }
}

// libimagequant fed the request's pixels as they came, the plain way.
imageutils::QuantizeReply plainlyQuantized(const imageutils::QuantizeRequest& request) {
    liq_attr* attributes = liq_attr_create();
    liq_set_max_colors(attributes, request.paletteSize);
    liq_set_speed(attributes, request.highQuality ? ImageQuantizer::highQualitySpeed
                                                  : ImageQuantizer::standardSpeed);
    liq_image* image = liq_image_create_rgba(attributes, request.pixels.data(), int(request.width),
                                             int(request.height), 0);
    liq_result* result = nullptr;
    imageutils::QuantizeReply reply;
    if (liq_image_quantize(image, attributes, &result) == LIQ_OK) {
        liq_set_dithering_level(result, 1.0f);
        reply.palettizedPixels.resize(request.pixels.size() / 4);
        liq_write_remapped_image(result, image, reply.palettizedPixels.data(),
                                 reply.palettizedPixels.size());
        const liq_palette* palette = liq_get_palette(result);
        for (unsigned index = 0; index < palette->count; ++index) {
            const liq_color colour = palette->entries[index];
            reply.palette.insert(reply.palette.end(), {colour.r, colour.g, colour.b, colour.a});
        }
        liq_result_destroy(result);
    }
    liq_image_destroy(image);
    liq_attr_destroy(attributes);
    return reply;
}

imageutils::QuantizeRequest requestFor(const Picture& source, bool highQuality) {
    imageutils::QuantizeRequest request;
    request.width = source.width;
    request.height = source.height;
    request.pixels = source.rgba;
    request.highQuality = highQuality;
    return request;
}

// Indices and three bytes a pixel (each form's rows are checked above), and a picture large enough
// that the library keeps no copy of its own and asks for every row again in each pass.
TEST(ImageQuantizerTests, TheRowsTheQuantiserAsksForGiveThePlainPathsPaletteAndIndices) {
    struct Case {
        const char* name;
        Picture source;
        bool highQuality;
    };
    const std::vector<Case> cases{
        {"few translucent colours", picture(257, 131, 40, true), false},
        {"indexed, best quality", picture(200, 150, 30000, false), true},
        {"too many opaque colours", picture(600, 450, 270000, false), false},
        {"large", picture(2100, 2050, 2000, false), false},
    };
    for (const auto& [name, source, highQuality] : cases) {
        SCOPED_TRACE(name);
        const auto expected = plainlyQuantized(requestFor(source, highQuality));
        const auto reply = ImageQuantizer::quantize(requestFor(source, highQuality));
        ASSERT_TRUE(reply.hasResult);
        ASSERT_FALSE(expected.palette.empty());
        EXPECT_EQ(reply.palette, expected.palette);
        EXPECT_TRUE(reply.palettizedPixels == expected.palettizedPixels);
    }
}

TEST(ImageQuantizerTests, APictureOfFewColoursTakesLessMemoryThanItCameIn) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "this sanitizer's allocator zeroes what it hands out";
#elif defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "this sanitizer's allocator holds what is freed in quarantine";
#endif
    // Large enough that the library keeps no copy of its own, and holds three maps of a byte a
    // pixel beside the pixels while it looks for the picture's edges and noise.
    const Picture source = picture(2600, 1700, 6, false);
    auto request = requestFor(source, false);
    const auto rise = testing::PeakResidentMemory::riseDuring(
        [&] { EXPECT_TRUE(ImageQuantizer::quantize(std::move(request)).hasResult); });
    if (!rise) {
        GTEST_SKIP() << "no resettable peak memory count";
    }
    EXPECT_LT(*rise, std::size_t{source.width} * source.height);
}

} // namespace
} // namespace orlix
