#include "Export/BitmapResampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <vector>

namespace orlix {
namespace {

using Pixel = std::array<int, 4>;

constexpr CoarseBitmapInfo rgbInfo{CoarseBitmapFormat::rgb, CoarseColorSpace::sRGB};

std::shared_ptr<BitmapImageRep> filled(std::uint32_t width, std::uint32_t height,
                                       CoarseBitmapInfo info, Pixel pixel = {}) {
    auto bitmap = BitmapImageRep::make(width, height, info);
    for (std::size_t i = 0; i < bitmap->byteCount(); ++i) {
        bitmap->data()[i] = static_cast<std::uint8_t>(pixel[i % bitmap->samplesPerPixel()]);
    }
    return bitmap;
}

void paint(BitmapImageRep& bitmap, std::uint32_t x, std::uint32_t y, Pixel pixel) {
    for (int s = 0; s < bitmap.samplesPerPixel(); ++s) {
        bitmap.row(y)[std::size_t{x} * bitmap.samplesPerPixel() + s] =
            static_cast<std::uint8_t>(pixel[s]);
    }
}

Pixel at(const BitmapImageRep& bitmap, std::uint32_t x, std::uint32_t y) {
    unsigned samples[4] = {};
    bitmap.getPixel(x, y, samples);
    return {int(samples[0]), int(samples[1]), int(samples[2]), int(samples[3])};
}

// Noise, so that any misplaced sample shows; with alpha, kept valid premultiplied.
std::shared_ptr<BitmapImageRep> noise(std::uint32_t width, std::uint32_t height,
                                      CoarseBitmapInfo info) {
    auto bitmap = filled(width, height, info);
    std::uint32_t state = 12345;
    const int samples = bitmap->samplesPerPixel();
    for (std::size_t i = 0; i < bitmap->byteCount(); i += samples) {
        state = state * 1664525u + 1013904223u;
        const std::uint8_t alpha = bitmap->hasAlpha() ? std::uint8_t(state >> 24) : 255;
        for (int s = 0; s < samples; ++s) {
            bitmap->data()[i + s] = std::uint8_t((state >> (8 * s)) % (alpha + 1u));
        }
        if (bitmap->hasAlpha()) {
            bitmap->data()[i + samples - 1] = alpha;
        }
    }
    return bitmap;
}

bool sameBytes(const BitmapImageRep& first, const BitmapImageRep& second) {
    return std::equal(first.data(), first.data() + first.byteCount(), second.data(),
                      second.data() + second.byteCount());
}

TEST(BitmapResamplerTests, IdentityDrawCopiesExactly) {
    for (const CoarseBitmapInfo info :
         {CoarseBitmapInfo::rgbaSRGB(), rgbInfo, CoarseBitmapInfo::greyGreyscale(),
          CoarseBitmapInfo::greyaGreyscale()}) {
        const auto source = noise(13, 7, info);
        auto canvas = filled(13, 7, info);
        ASSERT_TRUE(BitmapResampler::draw(*source, *canvas, 0, 0, 13, 7));
        EXPECT_TRUE(sameBytes(*source, *canvas)) << int(info.format);
    }
}

TEST(BitmapResamplerTests, UniformColourStaysUniformUpToTheRectangleEdges) {
    const Pixel colour{200, 100, 50, 255};
    const auto source = filled(37, 23, CoarseBitmapInfo::rgbaSRGB(), colour);
    // Enlarged, reduced by a whole factor and by an uneven one.
    for (const auto& [width, height] : {std::pair{100, 70}, std::pair{37, 23}, std::pair{11, 7}}) {
        auto canvas = filled(120, 90, CoarseBitmapInfo::rgbaSRGB());
        ASSERT_TRUE(BitmapResampler::draw(*source, *canvas, 10, 5, width, height));
        for (std::uint32_t y = 0; y < 90; ++y) {
            for (std::uint32_t x = 0; x < 120; ++x) {
                const bool inside = x >= 10 && x < 10u + width && y >= 5 && y < 5u + height;
                ASSERT_EQ(at(*canvas, x, y), inside ? colour : Pixel{}) << x << "," << y;
            }
        }
    }
}

TEST(BitmapResamplerTests, HalvedCheckerboardIsMidGrey) {
    auto source = filled(16, 16, CoarseBitmapInfo::greyGreyscale());
    for (std::uint32_t y = 0; y < 16; ++y) {
        for (std::uint32_t x = 0; x < 16; ++x) {
            paint(*source, x, y, {(x + y) % 2 ? 255 : 0});
        }
    }
    auto canvas = filled(8, 8, CoarseBitmapInfo::greyGreyscale());
    ASSERT_TRUE(BitmapResampler::draw(*source, *canvas, 0, 0, 8, 8));
    for (std::uint32_t y = 0; y < 8; ++y) {
        for (std::uint32_t x = 0; x < 8; ++x) {
            // Repeating the edge pixel breaks the pattern there, which leaves a small bias.
            const bool interior = x >= 2 && x < 6 && y >= 2 && y < 6;
            EXPECT_NEAR(at(*canvas, x, y)[0], 127.5, interior ? 0.5 : 6) << x << "," << y;
        }
    }
}

TEST(BitmapResamplerTests, EnlargedStepOvershootsBoundedlyAndStaysPremultiplied) {
    auto step = filled(10, 1, CoarseBitmapInfo::greyGreyscale(), {50});
    auto canvas = filled(80, 1, CoarseBitmapInfo::greyGreyscale());
    for (std::uint32_t x = 5; x < 10; ++x) {
        paint(*step, x, 0, {200});
    }
    ASSERT_TRUE(BitmapResampler::draw(*step, *canvas, 0, 0, 80, 1));
    for (std::uint32_t x = 0; x < 80; ++x) {
        EXPECT_GE(at(*canvas, x, 0)[0], 50 - 20) << x;
        EXPECT_LE(at(*canvas, x, 0)[0], 200 + 20) << x;
    }
    EXPECT_EQ(at(*canvas, 0, 0)[0], 50);
    EXPECT_EQ(at(*canvas, 79, 0)[0], 200);
    EXPECT_LT(at(*canvas, 39, 0)[0], at(*canvas, 40, 0)[0]);

    // Colour and alpha ring in opposite directions here; unclamped, colour would pass alpha.
    auto premultiplied = filled(10, 1, CoarseBitmapInfo::rgbaSRGB(), {0, 0, 0, 255});
    auto rgbaCanvas = filled(80, 1, CoarseBitmapInfo::rgbaSRGB());
    for (std::uint32_t x = 5; x < 10; ++x) {
        paint(*premultiplied, x, 0, {128, 128, 128, 128});
    }
    ASSERT_TRUE(BitmapResampler::draw(*premultiplied, *rgbaCanvas, 0, 0, 80, 1));
    for (std::uint32_t x = 0; x < 80; ++x) {
        const Pixel pixel = at(*rgbaCanvas, x, 0);
        EXPECT_LE(*std::max_element(pixel.begin(), pixel.begin() + 3), pixel[3]) << x;
    }
}

TEST(BitmapResamplerTests, HalfPixelShiftInterpolatesAndHalfCoversTheLastColumn) {
    auto ramp = filled(3, 1, CoarseBitmapInfo::greyaGreyscale());
    auto canvas = filled(3, 1, CoarseBitmapInfo::greyaGreyscale());
    for (std::uint32_t x = 0; x < 3; ++x) {
        paint(*ramp, x, 0, {int(100 * x), 255});
    }
    ASSERT_TRUE(BitmapResampler::draw(*ramp, *canvas, -0.5, 0, 3, 1));
    // Halfway between ramp samples, mirrored about the middle one; the edge pixel extends.
    EXPECT_GT(at(*canvas, 0, 0)[0], 0);
    EXPECT_LT(at(*canvas, 0, 0)[0], 100);
    EXPECT_NEAR(at(*canvas, 0, 0)[0] + at(*canvas, 1, 0)[0], 200, 1);
    EXPECT_EQ(at(*canvas, 0, 0)[1], 255);
    EXPECT_EQ(at(*canvas, 1, 0)[1], 255);
    EXPECT_EQ(at(*canvas, 2, 0)[1], 128);
    EXPECT_GE(at(*canvas, 2, 0)[0], 100);
    EXPECT_LE(at(*canvas, 2, 0)[0], 110);
}

TEST(BitmapResamplerTests, TrimmedDrawMatchesTheMiddleOfTheWholeReduction) {
    // The stronger vertical reduction makes filtering down first the cheaper order.
    for (const auto& [sourceHeight, height] : {std::pair{200u, 100u}, std::pair{400u, 50u}}) {
        const auto source = noise(400, sourceHeight, CoarseBitmapInfo::rgbaSRGB());
        auto whole = filled(200, height, CoarseBitmapInfo::rgbaSRGB());
        auto trimmed = filled(100, height, CoarseBitmapInfo::rgbaSRGB());
        ASSERT_TRUE(BitmapResampler::draw(*source, *whole, 0, 0, 200, height));
        ASSERT_TRUE(BitmapResampler::draw(*source, *trimmed, -50, 0, 200, height));
        // Different pass orders may round a sample differently.
        int largest = 0;
        for (std::uint32_t y = 0; y < height; ++y) {
            for (std::uint32_t x = 0; x < 100; ++x) {
                for (int s = 0; s < 4; ++s) {
                    largest = std::max(largest,
                                       std::abs(at(*trimmed, x, y)[s] - at(*whole, x + 50, y)[s]));
                }
            }
        }
        EXPECT_LE(largest, 1) << height;
    }
}

TEST(BitmapResamplerTests, PartlyCoveredPixelsTakeTheirShareOverTheCanvas) {
    const auto red = filled(4, 4, CoarseBitmapInfo::rgbaSRGB(), {255, 0, 0, 255});
    auto clear = filled(4, 1, CoarseBitmapInfo::rgbaSRGB());
    ASSERT_TRUE(BitmapResampler::draw(*red, *clear, 0.5, 0, 2, 4));
    EXPECT_EQ(at(*clear, 0, 0), (Pixel{128, 0, 0, 128}));
    EXPECT_EQ(at(*clear, 1, 0), (Pixel{255, 0, 0, 255}));
    EXPECT_EQ(at(*clear, 2, 0), (Pixel{128, 0, 0, 128}));
    EXPECT_EQ(at(*clear, 3, 0), Pixel{});

    auto blue = filled(2, 2, CoarseBitmapInfo::rgbaSRGB(), {0, 0, 255, 255});
    ASSERT_TRUE(BitmapResampler::draw(*red, *blue, 0, 0.75, 2, 0.5));
    EXPECT_EQ(at(*blue, 0, 0), (Pixel{64, 0, 191, 255}));
    EXPECT_EQ(at(*blue, 1, 1), (Pixel{64, 0, 191, 255}));

    const auto opaqueRed = filled(4, 4, rgbInfo, {255, 0, 0});
    auto opaqueBlue = filled(2, 2, rgbInfo, {0, 0, 255});
    ASSERT_TRUE(BitmapResampler::draw(*opaqueRed, *opaqueBlue, 0, 0.75, 2, 0.5));
    EXPECT_EQ(at(*opaqueBlue, 0, 0), (Pixel{64, 0, 191, 0}));

    const auto clearBlue = filled(2, 2, CoarseBitmapInfo::rgbaSRGB(), {0, 0, 128, 128});
    auto redBelow = filled(2, 2, CoarseBitmapInfo::rgbaSRGB(), {255, 0, 0, 255});
    ASSERT_TRUE(BitmapResampler::draw(*clearBlue, *redBelow, 0, 0, 2, 1.5));
    EXPECT_EQ(at(*redBelow, 0, 0), (Pixel{127, 0, 128, 255}));
    EXPECT_EQ(at(*redBelow, 1, 1), (Pixel{191, 0, 64, 255}));
}

TEST(BitmapResamplerTests, ReducedAlphaEdgesHaveNoDarkFringe) {
    auto source = filled(16, 2, CoarseBitmapInfo::rgbaSRGB(), {0, 0, 255, 255});
    for (std::uint32_t y = 0; y < 2; ++y) {
        for (std::uint32_t x = 0; x < 8; ++x) {
            paint(*source, x, y, y == 0 ? Pixel{128, 0, 0, 128} : Pixel{});
        }
    }
    auto canvas = filled(7, 2, CoarseBitmapInfo::rgbaSRGB());
    ASSERT_TRUE(BitmapResampler::draw(*source, *canvas, 0, 0, 7, 2));
    for (std::uint32_t x = 0; x < 7; ++x) {
        const Pixel halfRed = at(*canvas, x, 0);
        EXPECT_EQ(halfRed[1], 0);
        EXPECT_NEAR(halfRed[0] + halfRed[2], halfRed[3], 2) << x;
        // Clear pixels carry no colour, so they may only thin the blue, never tint it.
        const Pixel clear = at(*canvas, x, 1);
        EXPECT_EQ(clear[0], 0);
        EXPECT_NEAR(clear[2], clear[3], 1) << x;
    }
}

TEST(BitmapResamplerTests, OnePixelFillsTheRectangleAndTheRectangleAveragesToOnePixel) {
    const auto dot = filled(1, 1, CoarseBitmapInfo::greyaGreyscale(), {70, 140});
    auto large = filled(50, 50, CoarseBitmapInfo::greyaGreyscale());
    ASSERT_TRUE(BitmapResampler::draw(*dot, *large, 0, 0, 50, 50));
    for (std::uint32_t i = 0; i < 50 * 50; ++i) {
        ASSERT_EQ(at(*large, i % 50, i / 50), (Pixel{70, 140, 0, 0}));
    }

    auto halves = filled(50, 50, CoarseBitmapInfo::greyGreyscale(), {0});
    for (std::uint32_t i = 0; i < 50 * 25; ++i) {
        paint(*halves, 25 + i % 25, i / 25, {200});
    }
    auto single = filled(1, 1, CoarseBitmapInfo::greyGreyscale());
    ASSERT_TRUE(BitmapResampler::draw(*halves, *single, 0, 0, 1, 1));
    EXPECT_NEAR(at(*single, 0, 0)[0], 100, 1);
}

TEST(BitmapResamplerTests, RefusesMismatchedFormatsAndNonFiniteRectangles) {
    const auto source = noise(8, 8, CoarseBitmapInfo::rgbaSRGB());
    auto rgb = filled(8, 8, rgbInfo, {1, 2, 3});
    const auto untouched = filled(8, 8, rgbInfo, {1, 2, 3});
    EXPECT_FALSE(BitmapResampler::draw(*source, *rgb, 0, 0, 8, 8));
    auto greya = filled(8, 8, CoarseBitmapInfo::greyaGreyscale());
    EXPECT_FALSE(
        BitmapResampler::draw(*noise(8, 8, CoarseBitmapInfo::greyGreyscale()), *greya, 0, 0, 8, 8));

    const auto rgbSource = noise(8, 8, rgbInfo);
    EXPECT_FALSE(BitmapResampler::draw(*rgbSource, *rgb, 0, 0, 8, std::nan("")));
    EXPECT_FALSE(BitmapResampler::draw(*rgbSource, *rgb, 1e308, 0, 1e308, 8));
    // Nothing to draw is no failure.
    EXPECT_TRUE(BitmapResampler::draw(*rgbSource, *rgb, 0, 0, 0, 8));
    EXPECT_TRUE(BitmapResampler::draw(*rgbSource, *rgb, -20, 0, 20, 8));
    EXPECT_TRUE(BitmapResampler::draw(*rgbSource, *rgb, 8, 8, 5, 5));
    EXPECT_TRUE(sameBytes(*rgb, *untouched));
}

TEST(BitmapResamplerTests, LargeReductionReportsItsTime) {
    const auto source = filled(4000, 3000, CoarseBitmapInfo::rgbaSRGB(), {10, 20, 30, 40});
    auto canvas = filled(1000, 750, CoarseBitmapInfo::rgbaSRGB());
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(BitmapResampler::draw(*source, *canvas, 0, 0, 1000, 750));
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;
    std::cout << "4000x3000 to 1000x750 RGBA: " << elapsed.count() << " ms\n";
    EXPECT_EQ(at(*canvas, 999, 749), (Pixel{10, 20, 30, 40}));
}

} // namespace
} // namespace orlix
