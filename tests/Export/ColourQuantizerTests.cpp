#include "Export/Codec/ColourQuantizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <set>
#include <thread>
#include <vector>

namespace orlix {
namespace {

using Rgba = std::array<std::uint8_t, 4>;
using Pixels = std::vector<std::uint8_t>;

struct QuantizerDeleter {
    void operator()(ColourQuantizer* quantizer) const { quantizerDestroy(quantizer); }
};
using Quantizer = std::unique_ptr<ColourQuantizer, QuantizerDeleter>;

Quantizer makeQuantizer(const Pixels& pixels) {
    Quantizer quantizer(quantizerCreate());
    EXPECT_TRUE(quantizerAddPixels(quantizer.get(), pixels.data(),
                                   static_cast<std::int64_t>(pixels.size() / 4)));
    return quantizer;
}

Pixels repeat(const std::vector<std::pair<Rgba, int>>& colours) {
    Pixels pixels;
    for (const auto& [colour, times] : colours) {
        for (int i = 0; i < times; ++i) {
            pixels.insert(pixels.end(), colour.begin(), colour.end());
        }
    }
    return pixels;
}

std::vector<Rgba> paletteOf(ColourQuantizer* quantizer, int colourCount = 256) {
    std::vector<Rgba> palette(256);
    const int count = quantizerGetPalette(quantizer, palette[0].data(), colourCount);
    palette.resize(static_cast<std::size_t>(count));
    return palette;
}

// Smooth shading, edges and grain, with a translucent corner: many thousands of distinct colours.
Pixels photoLike(int width, int height) {
    Pixels pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    std::uint32_t grain = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            grain = grain * 1664525u + 1013904223u;
            const int noise = static_cast<int>(grain >> 28) - 8;
            const double u = static_cast<double>(x) / width;
            const double v = static_cast<double>(y) / height;
            const double shade = 0.5 + 0.5 * std::sin(u * 9.0 + std::cos(v * 7.0) * 2.0);
            const auto channel = [noise](double value) {
                return static_cast<std::uint8_t>(
                    std::clamp(static_cast<int>(value) + noise, 0, 255));
            };
            std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
            p[0] = channel(40 + 180 * shade * u);
            p[1] = channel(60 + 150 * v * (1.0 - 0.5 * shade));
            p[2] = channel(x > width / 2 ? 200 * shade : 90 + 60 * v);
            p[3] = u + v < 0.3 ? static_cast<std::uint8_t>((u + v) / 0.3 * 255) : 255;
        }
    }
    return pixels;
}

TEST(ColourQuantizerTests, OneColourFillsEveryRequestedSlotWithThatColour) {
    const Rgba colour{200, 100, 50, 255};
    Quantizer quantizer = makeQuantizer(repeat({{colour, 100}}));
    quantizerQuantize(quantizer.get(), 256);
    const std::vector<Rgba> palette = paletteOf(quantizer.get());
    ASSERT_EQ(palette.size(), 256u);
    for (const Rgba& entry : palette) {
        EXPECT_EQ(entry, colour);
    }
    EXPECT_EQ(quantizerError(quantizer.get()), 0.0);
}

TEST(ColourQuantizerTests, PaletteSizeIsCappedAt256AndLaterCallsOnlyGrowIt) {
    const Pixels pixels = photoLike(64, 64);
    Quantizer capped = makeQuantizer(pixels);
    quantizerQuantize(capped.get(), 1000);
    EXPECT_EQ(paletteOf(capped.get(), 1000).size(), 256u);

    Quantizer growing = makeQuantizer(pixels);
    quantizerQuantize(growing.get(), 8);
    const double eightColourError = quantizerError(growing.get());
    const std::vector<Rgba> eight = paletteOf(growing.get());
    EXPECT_EQ(eight.size(), 8u);
    EXPECT_EQ(paletteOf(growing.get(), 3).size(), 3u);
    quantizerQuantize(growing.get(), 4);
    EXPECT_EQ(paletteOf(growing.get()).size(), 8u);
    quantizerQuantize(growing.get(), 32);
    EXPECT_EQ(paletteOf(growing.get()).size(), 32u);
    EXPECT_LT(quantizerError(growing.get()), eightColourError);
}

TEST(ColourQuantizerTests, SplitsWhereTheSquaredErrorDropsMostAndWeighsByCount) {
    // 0 | 100, 110 leaves far less error than 0, 100 | 110.
    Quantizer split = makeQuantizer(
        repeat({{{0, 0, 0, 255}, 1}, {{100, 100, 100, 255}, 1}, {{110, 110, 110, 255}, 1}}));
    quantizerQuantize(split.get(), 2);
    const std::vector<Rgba> palette = paletteOf(split.get());
    const std::set<Rgba> expected{{0, 0, 0, 255}, {105, 105, 105, 255}};
    EXPECT_EQ(std::set<Rgba>(palette.begin(), palette.end()), expected);

    // Counts from separate additions add up: three black pixels to one at 200 average to 50.
    Quantizer weighted = makeQuantizer(repeat({{{0, 0, 0, 255}, 2}}));
    const Pixels more = repeat({{{0, 0, 0, 255}, 1}, {{200, 200, 200, 255}, 1}});
    ASSERT_TRUE(quantizerAddPixels(weighted.get(), more.data(), 2));
    quantizerQuantize(weighted.get(), 1);
    EXPECT_EQ(paletteOf(weighted.get()), (std::vector<Rgba>{{50, 50, 50, 255}}));
}

TEST(ColourQuantizerTests, AlphaWeightingMakesEveryTransparentPixelOneColour) {
    const Pixels pixels =
        repeat({{{10, 20, 30, 0}, 3}, {{250, 240, 0, 0}, 3}, {{255, 0, 0, 255}, 2}});
    Quantizer weighted = makeQuantizer(pixels);
    quantizerQuantize(weighted.get(), 3);
    const std::vector<Rgba> palette = paletteOf(weighted.get(), 3);
    ASSERT_EQ(palette.size(), 3u);
    EXPECT_EQ(std::set<Rgba>(palette.begin(), palette.end()),
              (std::set<Rgba>{{0, 0, 0, 0}, {255, 0, 0, 255}}));
    std::vector<std::uint8_t> indices(8);
    ASSERT_TRUE(quantizerMapPixels(weighted.get(), 8, pixels.data(), indices.data()));
    EXPECT_EQ(indices[0], indices[5]);
    EXPECT_EQ(palette[indices[7]], (Rgba{255, 0, 0, 255}));

    Quantizer plain(quantizerCreate());
    quantizerDisableAlphaWeighting(plain.get());
    ASSERT_TRUE(quantizerAddPixels(plain.get(), pixels.data(), 8));
    quantizerQuantize(plain.get(), 3);
    const std::vector<Rgba> kept = paletteOf(plain.get());
    EXPECT_EQ(std::set<Rgba>(kept.begin(), kept.end()),
              (std::set<Rgba>{{10, 20, 30, 0}, {250, 240, 0, 0}, {255, 0, 0, 255}}));
}

TEST(ColourQuantizerTests, MapsToTheNearestColourOnceAndFollowsANewPalette) {
    const std::vector<Rgba> colours{
        {0, 0, 0, 255}, {255, 255, 255, 255}, {255, 0, 0, 255}, {0, 0, 255, 128}};
    Pixels pixels;
    for (const Rgba& colour : colours) {
        pixels.insert(pixels.end(), colour.begin(), colour.end());
    }
    pixels.insert(pixels.end(), pixels.begin(), pixels.end());
    const Pixels unseen{250, 10, 5, 255};
    Quantizer quantizer = makeQuantizer(pixels);
    quantizerQuantize(quantizer.get(), 4);
    const std::vector<Rgba> palette = paletteOf(quantizer.get());
    std::vector<std::uint8_t> indices(8);
    ASSERT_TRUE(quantizerMapPixels(quantizer.get(), 8, pixels.data(), indices.data()));
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(palette[indices[i]], colours[i % 4]);
        EXPECT_EQ(indices[i], indices[(i + 4) % 8]);
    }
    std::uint8_t index = 0;
    ASSERT_TRUE(quantizerMapPixels(quantizer.get(), 1, unseen.data(), &index));
    EXPECT_EQ(palette[index], (Rgba{255, 0, 0, 255}));

    // A fixed palette in the opposite order must not be answered from the earlier mapping.
    std::vector<Rgba> reversed(colours.rbegin(), colours.rend());
    ASSERT_TRUE(quantizerSetPalette(quantizer.get(), reversed[0].data(), 4));
    ASSERT_TRUE(quantizerMapPixels(quantizer.get(), 8, pixels.data(), indices.data()));
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(indices[i], 3 - i % 4);
    }
}

TEST(ColourQuantizerTests, OrderedDitherAlternatesAFlatColourBetweenItsNeighbours) {
    const Pixels grey = repeat({{{128, 128, 128, 255}, 16}});
    Quantizer quantizer = makeQuantizer(grey);
    const std::vector<Rgba> blackAndWhite{{0, 0, 0, 255}, {255, 255, 255, 255}};
    ASSERT_TRUE(quantizerSetPalette(quantizer.get(), blackAndWhite[0].data(), 2));
    std::vector<std::uint8_t> indices(16);
    ASSERT_TRUE(quantizerMapPixelsDithered(quantizer.get(), 4, 4, grey.data(), indices.data()));
    const std::vector<std::uint8_t> checker{0, 1, 0, 1, 1, 0, 1, 0, 0, 1, 0, 1, 1, 0, 1, 0};
    EXPECT_EQ(indices, checker);
    // Answered from the cache the second time, with the same result.
    ASSERT_TRUE(quantizerMapPixelsDithered(quantizer.get(), 4, 4, grey.data(), indices.data()));
    EXPECT_EQ(indices, checker);
    // A colour not in the histogram dithers the same way, and a palette colour stays itself.
    const Pixels mixed = repeat({{{127, 127, 127, 255}, 2}, {{255, 255, 255, 255}, 2}});
    ASSERT_TRUE(quantizerMapPixelsDithered(quantizer.get(), 2, 2, mixed.data(), indices.data()));
    EXPECT_EQ(std::vector<std::uint8_t>(indices.begin(), indices.begin() + 4),
              (std::vector<std::uint8_t>{0, 1, 1, 1}));

    const Pixels row = repeat({{{128, 128, 128, 255}, 1000}});
    std::vector<std::uint8_t> randomIndices(1000);
    ASSERT_TRUE(
        quantizerMapPixelsRandomDither(quantizer.get(), 1000, row.data(), randomIndices.data()));
    const std::set<std::uint8_t> used(randomIndices.begin(), randomIndices.end());
    EXPECT_EQ(used, (std::set<std::uint8_t>{0, 1}));
}

TEST(ColourQuantizerTests, InvalidArgumentsAreRefusedWithoutHarm) {
    const Pixels pixel{1, 2, 3, 255};
    std::uint8_t out[1024] = {};
    EXPECT_EQ(quantizerGetPalette(nullptr, out, 1), 0);
    EXPECT_FALSE(quantizerAddPixels(nullptr, pixel.data(), 1));
    EXPECT_FALSE(quantizerMapPixels(nullptr, 1, pixel.data(), out));
    EXPECT_EQ(quantizerError(nullptr), 0.0);
    quantizerQuantize(nullptr, 4);
    quantizerDestroy(nullptr);

    Quantizer quantizer(quantizerCreate());
    // No palette yet: nothing to map to, and no error to divide by zero for.
    EXPECT_FALSE(quantizerMapPixels(quantizer.get(), 1, pixel.data(), out));
    EXPECT_EQ(quantizerError(quantizer.get()), 0.0);
    EXPECT_FALSE(quantizerAddPixels(quantizer.get(), nullptr, 1));
    EXPECT_FALSE(quantizerAddPixels(quantizer.get(), pixel.data(), -1));
    EXPECT_TRUE(quantizerAddPixels(quantizer.get(), nullptr, 0));
    EXPECT_FALSE(quantizerSetPalette(quantizer.get(), pixel.data(), 0));

    ASSERT_TRUE(quantizerAddPixels(quantizer.get(), pixel.data(), 1));
    quantizerQuantize(quantizer.get(), 2);
    EXPECT_EQ(quantizerGetPalette(quantizer.get(), nullptr, 2), 0);
    EXPECT_EQ(quantizerGetPalette(quantizer.get(), out, 0), 0);
    EXPECT_FALSE(quantizerMapPixels(quantizer.get(), 1, pixel.data(), nullptr));
    const std::int64_t huge = std::numeric_limits<std::int64_t>::max() / 2;
    EXPECT_FALSE(quantizerMapPixelsDithered(quantizer.get(), huge, huge, pixel.data(), out));
    EXPECT_FALSE(quantizerMapPixelsDithered(quantizer.get(), -1, 1, pixel.data(), out));
    EXPECT_FALSE(quantizerMapPixelsRandomDither(quantizer.get(), -1, pixel.data(), out));
    EXPECT_TRUE(quantizerMapPixelsDithered(quantizer.get(), 0, 5, nullptr, nullptr));
    // More colours than exist: a palette of 256 is still set, and no more than 256 are read.
    std::vector<std::uint8_t> many(4 * 300, 7);
    EXPECT_TRUE(quantizerSetPalette(quantizer.get(), many.data(), 300));
    EXPECT_EQ(quantizerGetPalette(quantizer.get(), out, 300), 256);
}

TEST(ColourQuantizerTests, SeparateQuantizersOnSeparateThreadsAgree) {
    const Pixels pixels = photoLike(96, 64);
    const auto run = [&pixels] {
        Quantizer quantizer = makeQuantizer(pixels);
        quantizerQuantizeHighQuality(quantizer.get(), 64);
        Pixels result(pixels.size() / 4);
        std::vector<Rgba> palette = paletteOf(quantizer.get());
        quantizerMapPixelsDithered(quantizer.get(), 96, 64, pixels.data(), result.data());
        for (const Rgba& colour : palette) {
            result.insert(result.end(), colour.begin(), colour.end());
        }
        return result;
    };
    const Pixels expected = run();
    std::vector<Pixels> results(4);
    std::vector<std::thread> threads;
    for (Pixels& result : results) {
        threads.emplace_back([&result, &run] { result = run(); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const Pixels& result : results) {
        EXPECT_EQ(result, expected);
    }
}

// Prints the time for a two-megapixel photo; no limit is asserted, machines differ too much. The
// high-quality run takes over a minute, so this only runs when asked for with
// --gtest_also_run_disabled_tests.
TEST(ColourQuantizerTests, DISABLED_TimesTwoMegapixelPhoto) {
    constexpr int width = 1732;
    constexpr int height = 1155;
    const Pixels pixels = photoLike(width, height);
    for (const bool highQuality : {false, true}) {
        const auto start = std::chrono::steady_clock::now();
        Quantizer quantizer = makeQuantizer(pixels);
        if (highQuality) {
            quantizerQuantizeHighQuality(quantizer.get(), 256);
        } else {
            quantizerQuantize(quantizer.get(), 256);
        }
        const std::size_t colours = paletteOf(quantizer.get()).size();
        std::vector<std::uint8_t> indices(static_cast<std::size_t>(width) * height);
        ASSERT_TRUE(quantizerMapPixelsDithered(quantizer.get(), width, height, pixels.data(),
                                               indices.data()));
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        std::printf("[ timing ] %s quantisation of %dx%d to %zu colours, dithered: %.2f s, "
                    "error %.2f\n",
                    highQuality ? "high-quality" : "normal", width, height, colours,
                    seconds.count(), quantizerError(quantizer.get()));
        EXPECT_EQ(colours, 256u);
    }
}

} // namespace
} // namespace orlix
