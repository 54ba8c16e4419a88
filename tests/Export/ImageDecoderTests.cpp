#include "Export/Codec/ColorTransform.h"
#include "Export/Codec/ExifReader.h"
#include "Export/Codec/ImageDecoder.h"

#include "Support/EncodedImages.h"
#include "Support/PeakResidentMemory.h"
#include "Support/ReferenceColourConversion.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestImages.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace orlix {
namespace {

using testing::Bytes;
using testing::ExifEntry;
using testing::exifSegment;
using testing::jpegFile;
using testing::JPEGSpec;
using testing::linearProfile;
using testing::PeakResidentMemory;
using testing::pngFile;
using testing::PNGSpec;
using testing::pngSpec;
using testing::put16;
using testing::put32;
using testing::rationals;
using testing::TestImages;
using Reference = testing::ReferenceColourConversion;

std::array<unsigned, 4> pixelAt(const DecodedImage& image, std::uint32_t x, std::uint32_t y) {
    std::array<unsigned, 4> samples{};
    image.bitmap->getPixel(x, y, samples.data());
    return samples;
}

// ---- PNG ----

struct LayoutCase {
    const char* name;
    PNGSpec spec;
    CoarseBitmapInfo expectedInfo;
    std::array<unsigned, 4> expectedFirstPixel;
};

TEST(ImageDecoderPNG, EveryColourTypeLandsInItsLayoutWithAlphaPremultiplied) {
    const std::vector<LayoutCase> cases{
        {"grey 8",
         pngSpec(1, 1, PNG_COLOR_TYPE_GRAY, 8, {100}),
         CoarseBitmapInfo::greyGreyscale(),
         {100}},
        {"grey 1",
         pngSpec(8, 1, PNG_COLOR_TYPE_GRAY, 1, {0x80}),
         CoarseBitmapInfo::greyGreyscale(),
         {255}},
        {"grey 16",
         pngSpec(1, 1, PNG_COLOR_TYPE_GRAY, 16, {0x80, 0x80}),
         CoarseBitmapInfo::greyGreyscale(),
         {128}},
        {"grey alpha",
         pngSpec(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {200, 128}),
         CoarseBitmapInfo::greyaGreyscale(),
         {100, 128}},
        {"rgb 8",
         pngSpec(1, 1, PNG_COLOR_TYPE_RGB, 8, {10, 20, 30}),
         CoarseBitmapInfo::rgbaSRGB(),
         {10, 20, 30, 255}},
        {"rgb 16",
         pngSpec(1, 1, PNG_COLOR_TYPE_RGB, 16, {0xFF, 0xFF, 0, 0, 0x40, 0x40}),
         CoarseBitmapInfo::rgbaSRGB(),
         {255, 0, 64, 255}},
        {"rgba 8",
         pngSpec(1, 1, PNG_COLOR_TYPE_RGBA, 8, {255, 0, 100, 51}),
         CoarseBitmapInfo::rgbaSRGB(),
         {51, 0, 20, 51}},
        {"rgba 16",
         pngSpec(1, 1, PNG_COLOR_TYPE_RGBA, 16, {0xFF, 0xFF, 0, 0, 0, 0, 0, 0}),
         CoarseBitmapInfo::rgbaSRGB(),
         {0, 0, 0, 0}},
    };
    for (const LayoutCase& layout : cases) {
        SCOPED_TRACE(layout.name);
        const auto image = ImageDecoder::decode(pngFile(layout.spec));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->bitmap->info(), layout.expectedInfo);
        EXPECT_EQ(pixelAt(*image, 0, 0), layout.expectedFirstPixel);
    }
}

TEST(ImageDecoderPNG, TransparencyChunkBecomesAlpha) {
    PNGSpec palette = pngSpec(4, 1, PNG_COLOR_TYPE_PALETTE, 2, {0b00011011});
    palette.palette = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    palette.paletteAlphas = {0, 128};
    const auto fromPalette = ImageDecoder::decode(pngFile(palette));
    ASSERT_TRUE(fromPalette);
    EXPECT_EQ(fromPalette->bitmap->info(), CoarseBitmapInfo::rgbaSRGB());
    EXPECT_EQ(pixelAt(*fromPalette, 0, 0), (std::array<unsigned, 4>{0, 0, 0, 0}));
    EXPECT_EQ(pixelAt(*fromPalette, 1, 0), (std::array<unsigned, 4>{128, 0, 0, 128}));
    EXPECT_EQ(pixelAt(*fromPalette, 3, 0), (std::array<unsigned, 4>{0, 0, 255, 255}));

    PNGSpec grey = pngSpec(2, 1, PNG_COLOR_TYPE_GRAY, 8, {50, 200});
    grey.transparentColour = png_color_16{0, 0, 0, 0, 50};
    const auto fromGrey = ImageDecoder::decode(pngFile(grey));
    ASSERT_TRUE(fromGrey);
    EXPECT_EQ(fromGrey->bitmap->info(), CoarseBitmapInfo::greyaGreyscale());
    EXPECT_EQ(pixelAt(*fromGrey, 0, 0), (std::array<unsigned, 4>{0, 0}));
    EXPECT_EQ(pixelAt(*fromGrey, 1, 0), (std::array<unsigned, 4>{200, 255}));
}

TEST(ImageDecoderPNG, InterlacedFileMatchesTheSamePicturePlain) {
    PNGSpec plain = pngSpec(13, 9, PNG_COLOR_TYPE_RGB, 8, {});
    for (std::uint32_t index = 0; index < 13 * 9 * 3; ++index) {
        plain.pixels.push_back(static_cast<std::uint8_t>(index * 7));
    }
    PNGSpec interlaced = plain;
    interlaced.interlaced = true;
    const auto expected = ImageDecoder::decode(pngFile(plain));
    const auto actual = ImageDecoder::decode(pngFile(interlaced));
    ASSERT_TRUE(expected && actual);
    EXPECT_EQ(
        Bytes(actual->bitmap->data(), actual->bitmap->data() + actual->bitmap->byteCount()),
        Bytes(expected->bitmap->data(), expected->bitmap->data() + expected->bitmap->byteCount()));
    EXPECT_EQ(pixelAt(*actual, 1, 0), (std::array<unsigned, 4>{21, 28, 35, 255}));
}

TEST(ImageDecoderPNG, PhysicalSizeGivesDensityOnlyWhenBothAxesAreUsable) {
    PNGSpec spec = pngSpec(200, 100, PNG_COLOR_TYPE_GRAY, 8, Bytes(200 * 100, 0));
    // 144 ppi is stored as 5669 pixels per metre.
    spec.physical = {{5669, 5669, PNG_RESOLUTION_METER}};
    const auto doubled = ImageDecoder::decode(pngFile(spec));
    ASSERT_TRUE(doubled);
    EXPECT_DOUBLE_EQ(doubled->xDensity, 2.0);
    EXPECT_DOUBLE_EQ(doubled->yDensity, 2.0);
    EXPECT_DOUBLE_EQ(doubled->pointWidth, 100.0);
    EXPECT_DOUBLE_EQ(doubled->pointHeight, 50.0);

    for (const std::array<png_uint_32, 3> physical :
         {std::array<png_uint_32, 3>{5669, 5669, PNG_RESOLUTION_UNKNOWN},
          {5669, 0, PNG_RESOLUTION_METER},
          {5669, 10, PNG_RESOLUTION_METER},
          {5669, 0x7FFFFFFF, PNG_RESOLUTION_METER}}) {
        spec.physical = physical;
        const auto image = ImageDecoder::decode(pngFile(spec));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->xDensity, 1.0);
        EXPECT_EQ(image->yDensity, 1.0);
        EXPECT_EQ(image->pointWidth, 200.0);
    }
}

TEST(ImageDecoderPNG, EmbeddedProfileIsConvertedBeforePremultiplying) {
    // Linear 128 is sRGB 188.
    PNGSpec colour = pngSpec(1, 1, PNG_COLOR_TYPE_RGBA, 8, {128, 128, 128, 255});
    colour.profile = linearProfile(false);
    const auto fromColour = ImageDecoder::decode(pngFile(colour));
    ASSERT_TRUE(fromColour);
    for (int channel = 0; channel < 3; ++channel) {
        EXPECT_NEAR(pixelAt(*fromColour, 0, 0)[channel], 188, 2);
    }

    colour.pixels = {128, 128, 128, 128};
    const auto halfTransparent = ImageDecoder::decode(pngFile(colour));
    ASSERT_TRUE(halfTransparent);
    EXPECT_NEAR(pixelAt(*halfTransparent, 0, 0)[0], 94, 2);
    EXPECT_EQ(pixelAt(*halfTransparent, 0, 0)[3], 128u);

    PNGSpec grey = pngSpec(1, 1, PNG_COLOR_TYPE_GRAY, 8, {128});
    grey.profile = linearProfile(true);
    const auto fromGrey = ImageDecoder::decode(pngFile(grey));
    ASSERT_TRUE(fromGrey);
    EXPECT_EQ(fromGrey->bitmap->info(), CoarseBitmapInfo::greyGreyscale());
    EXPECT_NEAR(pixelAt(*fromGrey, 0, 0)[0], 188, 2);
}

TEST(ImageDecoderPNG, StatedGammaAndPrimariesAreConvertedUnlessTheyAreSRGBs) {
    constexpr std::array<double, 8> sRGBPrimaries{0.3127, 0.3290, 0.64, 0.33,
                                                  0.30,   0.60,   0.15, 0.06};
    // Narrower than sRGB's, so that its pure red is a duller sRGB red.
    constexpr std::array<double, 8> narrowPrimaries{0.3127, 0.3290, 0.50, 0.33,
                                                    0.32,   0.50,   0.20, 0.15};
    const Bytes samples{128, 128, 128, 255, 255, 0, 0, 255, 10, 200, 90, 255};
    const auto decoded = [&](std::optional<double> gamma,
                             std::optional<std::array<double, 8>> primaries, Bytes profile = {}) {
        PNGSpec spec = pngSpec(3, 1, PNG_COLOR_TYPE_RGBA, 8, samples);
        spec.gamma = gamma;
        spec.chromaticities = primaries;
        spec.profile = std::move(profile);
        const auto image = ImageDecoder::decode(pngFile(spec));
        EXPECT_TRUE(image);
        return image ? Bytes(image->bitmap->data(), image->bitmap->data() + 12) : Bytes{};
    };
    // Ordinary files: sRGB's gamma (also as rounded by encoders), with or without its primaries.
    EXPECT_EQ(decoded(1 / 2.2, std::nullopt), samples);
    EXPECT_EQ(decoded(0.45, sRGBPrimaries), samples);
    EXPECT_EQ(decoded(std::nullopt, sRGBPrimaries), samples);

    // Linear samples: 128 is sRGB 188.
    const Bytes linear = decoded(1.0, std::nullopt);
    ASSERT_EQ(linear.size(), 12u);
    EXPECT_NEAR(linear[0], 188, 2);
    EXPECT_NEAR(linear[4], 255, 1);
    EXPECT_EQ(linear[7], 255);

    const Bytes narrow = decoded(1 / 2.2, narrowPrimaries);
    ASSERT_EQ(narrow.size(), 12u);
    EXPECT_NEAR(narrow[0], 128, 3) << "the white point is sRGB's, so grey stays grey";
    EXPECT_GT(narrow[5], 40) << "pure red of narrow primaries is no pure sRGB red";

    // An embedded profile outranks the chunks.
    EXPECT_NEAR(decoded(1 / 2.2, std::nullopt, linearProfile(false))[0], 188, 2);

    PNGSpec grey = pngSpec(1, 1, PNG_COLOR_TYPE_GRAY, 8, {128});
    grey.gamma = 1.0;
    const auto linearGrey = ImageDecoder::decode(pngFile(grey));
    ASSERT_TRUE(linearGrey);
    EXPECT_EQ(linearGrey->bitmap->info(), CoarseBitmapInfo::greyGreyscale());
    EXPECT_NEAR(pixelAt(*linearGrey, 0, 0)[0], 188, 2);
}

// A PNG whose header promises `width` × `height` RGBA pixels and whose data ends after the first
// row, as a download cut short leaves it.
Bytes endingAfterTheFirstRow(std::uint32_t width, std::uint32_t height) {
    Bytes file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &file,
        [](png_structp writer, png_bytep data, std::size_t length) {
            auto* bytes = static_cast<Bytes*>(png_get_io_ptr(writer));
            bytes->insert(bytes->end(), data, data + length);
        },
        [](png_structp) {});
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const Bytes row(std::size_t{width} * 4, 0);
    png_write_row(png, row.data());
    png_write_flush(png);
    png_destroy_write_struct(&png, &info);
    return file;
}

TEST(ImageDecoderPNG, AFileEndingAfterItsHeaderCostsNoMemoryForThePictureItPromised) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "this sanitizer's allocator zeroes what it hands out";
#endif
    // Just inside the limit: 1 GB as RGBA.
    const Bytes file = endingAfterTheFirstRow(16'000, 15'625);
    ASSERT_LT(file.size(), 64u * 1024);
    const auto rise =
        PeakResidentMemory::riseDuring([&] { EXPECT_FALSE(ImageDecoder::decode(file)); });
    if (!rise) {
        GTEST_SKIP() << "no resettable peak memory count";
    }
    EXPECT_LT(*rise, 64u << 20);
}

// ---- JPEG ----

std::array<std::uint8_t, 4> uniform(std::uint8_t a, std::uint8_t b = 0, std::uint8_t c = 0,
                                    std::uint8_t d = 0) {
    return {a, b, c, d};
}

TEST(ImageDecoderJPEG, GreyAndColourFiles) {
    JPEGSpec grey;
    grey.components = 1;
    grey.colorSpace = JCS_GRAYSCALE;
    grey.pixel = [](auto, auto) { return uniform(90); };
    const auto fromGrey = ImageDecoder::decode(jpegFile(grey));
    ASSERT_TRUE(fromGrey);
    EXPECT_EQ(fromGrey->bitmap->info(), CoarseBitmapInfo::greyGreyscale());
    EXPECT_NEAR(pixelAt(*fromGrey, 5, 5)[0], 90, 2);

    JPEGSpec colour;
    colour.pixel = [](auto, auto) { return uniform(200, 40, 40); };
    const auto fromColour = ImageDecoder::decode(jpegFile(colour));
    ASSERT_TRUE(fromColour);
    EXPECT_EQ(fromColour->bitmap->info(), CoarseBitmapInfo::rgbaSRGB());
    const auto pixel = pixelAt(*fromColour, 5, 5);
    EXPECT_NEAR(pixel[0], 200, 4);
    EXPECT_NEAR(pixel[1], 40, 4);
    EXPECT_EQ(pixel[3], 255u);

    colour.pixel = [](auto, auto) { return uniform(128, 128, 128); };
    colour.profile = linearProfile(false);
    const auto withProfile = ImageDecoder::decode(jpegFile(colour));
    ASSERT_TRUE(withProfile);
    EXPECT_NEAR(pixelAt(*withProfile, 5, 5)[1], 188, 3);
}

TEST(ImageDecoderJPEG, CMYKPlainAndAdobeInvertedReadAlike) {
    // Left half full cyan ink, right half no ink at all.
    JPEGSpec plain;
    plain.components = 4;
    plain.colorSpace = JCS_CMYK;
    plain.adobeMarker = false;
    plain.pixel = [](std::uint32_t x, auto) { return x < 8 ? uniform(255) : uniform(0); };
    JPEGSpec inverted = plain;
    inverted.adobeMarker = true;
    inverted.pixel = [](std::uint32_t x, auto) {
        return x < 8 ? uniform(0, 255, 255, 255) : uniform(255, 255, 255, 255);
    };
    // A profile the library cannot use leaves the simple conversion in charge.
    JPEGSpec unusableProfile = inverted;
    unusableProfile.profile = Bytes(300, 0x5A);

    for (const JPEGSpec* spec : {&plain, &inverted, &unusableProfile}) {
        const auto image = ImageDecoder::decode(jpegFile(*spec));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->bitmap->info(), CoarseBitmapInfo::rgbaSRGB());
        const auto cyan = pixelAt(*image, 2, 8);
        EXPECT_LT(cyan[0], 40u);
        EXPECT_GT(cyan[1], 200u);
        EXPECT_GT(cyan[2], 200u);
        EXPECT_EQ(cyan[3], 255u);
        const auto paper = pixelAt(*image, 13, 8);
        for (int channel = 0; channel < 4; ++channel) {
            EXPECT_GE(paper[channel], 250u);
        }
    }
}

// A 32 by 16 picture, black except for a white 8 by 8 block in its stored top-left corner.
JPEGSpec markedCorner(Bytes exif) {
    JPEGSpec spec;
    spec.width = 32;
    spec.height = 16;
    spec.pixel = [](std::uint32_t x, std::uint32_t y) {
        return x < 8 && y < 8 ? uniform(255, 255, 255) : uniform(0, 0, 0);
    };
    spec.exif = std::move(exif);
    return spec;
}

bool isWhite(const DecodedImage& image, std::uint32_t x, std::uint32_t y) {
    return pixelAt(image, x, y)[0] > 200;
}

// The samples of a large picture: runs of repeated colours beside colours met only once, as the
// conversion remembers the colours it has converted.
std::array<std::uint8_t, 4> patchesAndNoise(std::uint32_t x, std::uint32_t y) {
    const std::uint32_t mixed = (x * 73856093u) ^ (y * 19349663u);
    if ((x / 64 + y / 64) % 2 == 0) {
        return {std::uint8_t(mixed), std::uint8_t(mixed >> 8), std::uint8_t(x + y), 255};
    }
    const std::uint32_t patch = (x / 5 * 31u) ^ (y / 3 * 17u);
    return {std::uint8_t(patch), std::uint8_t(patch >> 3), std::uint8_t(patch >> 6), 255};
}

// A photo's pixels, whose colours a profile's conversion meets over and over (a part of the real
// photo where its own sRGB profile moves some of them), and as grey (its green).
std::array<std::uint8_t, 4> photoPixel(std::uint32_t x, std::uint32_t y) {
    static const auto photo = TestImages::crop(*TestImages::realPhoto(), 0, 1200, 1280, 800);
    const std::uint8_t* pixel = photo->row(y) + std::size_t{x} * 4;
    return {pixel[0], pixel[1], pixel[2], 255};
}

std::array<std::uint8_t, 4> greyPhotoPixel(std::uint32_t x, std::uint32_t y) {
    return {photoPixel(x, y)[1], 255, 255, 255};
}

Bytes photoPNG(bool grey) {
    Bytes samples;
    for (std::uint32_t y = 0; y < 800; ++y) {
        for (std::uint32_t x = 0; x < 1280; ++x) {
            const auto pixel = photoPixel(x, y);
            samples.insert(samples.end(), pixel.begin(), pixel.begin() + (grey ? 2 : 3));
        }
    }
    if (grey) {
        for (std::size_t at = 0; at < samples.size(); at += 2) {
            samples[at] = samples[at + 1];
            samples[at + 1] = 255;
        }
    }
    return samples;
}

// A picture's profile is converted as it is read (a JPEG's row by row, a PNG's in bands on
// several threads), each colour once through a memory of the colours met: every sample must still
// be the one a plain lcms2 transform of the whole picture gives. Photos with the profiles photos
// carry, and made-up pixels that a memory mixes up more easily, turned upright on the way.
TEST(ImageDecoder, ProfileConvertsAPictureAsOnePlainTransformDoes) {
    JPEGSpec noise;
    noise.width = 701;
    noise.height = 451;
    noise.lumaSampling = {1, 1};
    noise.exif = exifSegment({{0x0112, 3, 1, 6}}, true);
    noise.pixel = patchesAndNoise;
    JPEGSpec greyNoise = noise;
    greyNoise.components = 1;
    greyNoise.colorSpace = JCS_GRAYSCALE;
    JPEGSpec photo;
    photo.width = 1280;
    photo.height = 800;
    photo.pixel = photoPixel;
    JPEGSpec greyPhoto = photo;
    greyPhoto.components = 1;
    greyPhoto.colorSpace = JCS_GRAYSCALE;
    greyPhoto.pixel = greyPhotoPixel;
    const auto jpeg = [](JPEGSpec spec) {
        return [spec](Bytes profile) mutable {
            spec.profile = std::move(profile);
            return jpegFile(spec);
        };
    };
    const auto png = [](PNGSpec spec) {
        return [spec](Bytes profile) mutable {
            spec.profile = std::move(profile);
            return pngFile(spec);
        };
    };
    Bytes greyAlphaNoise;
    for (std::uint32_t y = 0; y < 480; ++y) {
        for (std::uint32_t x = 0; x < 640; ++x) {
            greyAlphaNoise.insert(greyAlphaNoise.end(), {patchesAndNoise(x, y)[0], 255});
        }
    }
    using Input = ColorTransform::Input;
    const struct {
        const char* name;
        std::function<Bytes(Bytes profile)> file;
        Bytes profile;
        Input layout;
    } cases[] = {
        {"noise JPEG, linear", jpeg(noise), linearProfile(false), Input::rgba},
        {"grey noise JPEG, linear", jpeg(greyNoise), linearProfile(true), Input::grey},
        {"grey noise PNG with alpha, linear",
         png(pngSpec(640, 480, PNG_COLOR_TYPE_GRAY_ALPHA, 8, greyAlphaNoise)), linearProfile(true),
         Input::greyAlpha},
        {"photo JPEG, the photo's sRGB", jpeg(photo), TestImages::realPhotoProfile(), Input::rgba},
        {"photo JPEG, wide gamut", jpeg(photo), Reference::wideGamutProfile(), Input::rgba},
        {"grey photo JPEG, gamma 2.2", jpeg(greyPhoto), Reference::greyProfile(), Input::grey},
        {"photo PNG, wide gamut", png(pngSpec(1280, 800, PNG_COLOR_TYPE_RGB, 8, photoPNG(false))),
         Reference::wideGamutProfile(), Input::rgba},
        {"grey photo PNG with alpha, gamma 2.2",
         png(pngSpec(1280, 800, PNG_COLOR_TYPE_GRAY_ALPHA, 8, photoPNG(true))),
         Reference::greyProfile(), Input::greyAlpha},
    };
    for (const auto& example : cases) {
        const auto plain = ImageDecoder::decode(example.file({}));
        const auto converted = ImageDecoder::decode(example.file(example.profile));
        ASSERT_TRUE(plain && converted) << example.name;
        const BitmapImageRep& unconverted = *plain->bitmap;
        const auto expected = Reference::converted(example.profile, example.layout,
                                                   {unconverted.data(), unconverted.byteCount()});
        ASSERT_EQ(converted->bitmap->byteCount(), expected.size()) << example.name;
        const std::uint8_t* samples = converted->bitmap->data();
        std::size_t differing = 0;
        for (std::size_t at = 0; at < expected.size(); ++at) {
            differing += expected[at] != samples[at] ? 1 : 0;
        }
        EXPECT_EQ(differing, 0u) << example.name;
        EXPECT_FALSE(std::equal(expected.begin(), expected.end(), unconverted.data()))
            << example.name << ": the profile changes nothing";
    }
}

TEST(ImageDecoderJPEG, ExifOrientationTurnsPixelsAndSize) {
    // Stored top-left goes to the top-right with a quarter turn; resolution 144 by 72 dpi swaps.
    const Bytes quarterTurn =
        exifSegment({{0x0112, 3, 1, 6}, {0x011A, 5, 1, 62}, {0x011B, 5, 1, 70}, {0x0128, 3, 1, 2}},
                    true, rationals({144, 1, 72, 1}, true));
    const auto turned = ImageDecoder::decode(jpegFile(markedCorner(quarterTurn)));
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned->bitmap->pixelsWide(), 16u);
    EXPECT_EQ(turned->bitmap->pixelsHigh(), 32u);
    EXPECT_TRUE(isWhite(*turned, 12, 3));
    EXPECT_FALSE(isWhite(*turned, 3, 3));
    EXPECT_DOUBLE_EQ(turned->xDensity, 1.0);
    EXPECT_DOUBLE_EQ(turned->yDensity, 2.0);
    EXPECT_DOUBLE_EQ(turned->pointHeight, 16.0);

    const auto upsideDown =
        ImageDecoder::decode(jpegFile(markedCorner(exifSegment({{0x0112, 3, 1, 3}}, false))));
    ASSERT_TRUE(upsideDown);
    EXPECT_EQ(upsideDown->bitmap->pixelsWide(), 32u);
    EXPECT_TRUE(isWhite(*upsideDown, 28, 12));
    EXPECT_FALSE(isWhite(*upsideDown, 3, 3));
}

TEST(ImageDecoderJPEG, ReducedDecodeKeepsTheShorterSideAskedForAndTheOrientation) {
    const Bytes quarterTurn = exifSegment({{0x0112, 3, 1, 6}}, false);
    const Bytes file = jpegFile(markedCorner(quarterTurn));
    // The shorter stored side, 16, must stay at least 4 long: a quarter of the size is the most.
    const auto reduced = ImageDecoder::decode(file, 4);
    ASSERT_TRUE(reduced);
    EXPECT_EQ(reduced->bitmap->pixelsWide(), 4u);
    EXPECT_EQ(reduced->bitmap->pixelsHigh(), 8u);
    EXPECT_EQ(reduced->pixelSize, (ImagePixelSize{16, 32}));
    EXPECT_DOUBLE_EQ(reduced->pointWidth, 16.0) << "the size is the picture's, not the bitmap's";
    EXPECT_TRUE(isWhite(*reduced, 3, 0));
    EXPECT_FALSE(isWhite(*reduced, 0, 7));

    // 5 does not divide: three eighths give 6; more than the picture gives the full size.
    EXPECT_EQ(ImageDecoder::decode(file, 5)->bitmap->pixelsWide(), 6u);
    EXPECT_EQ(ImageDecoder::decode(file, 40)->bitmap->pixelsWide(), 16u);
    EXPECT_EQ(ImageDecoder::decode(file, 1)->bitmap->pixelsWide(), 2u) << "an eighth at most";
}

// Detail in both directions and in every channel, so that a lost or misplaced coefficient shows.
JPEGSpec detailedPhoto(std::array<int, 2> lumaSampling) {
    JPEGSpec spec;
    spec.width = 400;
    spec.height = 240;
    spec.lumaSampling = lumaSampling;
    spec.pixel = [](std::uint32_t x, std::uint32_t y) {
        return uniform(std::uint8_t(x / 2), std::uint8_t(y), std::uint8_t((x * y) % 251));
    };
    return spec;
}

int largestDifference(const DecodedImage& a, const DecodedImage& b) {
    int largest = 0;
    for (std::size_t index = 0; index < a.bitmap->byteCount(); ++index) {
        largest = std::max(largest,
                           std::abs(int(a.bitmap->data()[index]) - int(b.bitmap->data()[index])));
    }
    return largest;
}

// An eighth of the file as bytes and as a file on disk, which is read only as far as needed.
std::optional<DecodedImage> eighthBothWays(const Bytes& file) {
    auto fromBytes = ImageDecoder::decode(file, 30);
    testing::TemporaryDirectory directory;
    const auto path = directory.path() / "photo.jpg";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));
    const auto fromFile = ImageDecoder::decodeFile(path, 30);
    EXPECT_EQ(fromBytes.has_value(), fromFile.has_value());
    if (fromBytes && fromFile) {
        EXPECT_EQ(largestDifference(*fromBytes, *fromFile), 0);
    }
    return fromBytes;
}

jpeg_scan_info scan(std::initializer_list<int> components, int first, int last, int high, int low) {
    jpeg_scan_info info{};
    info.comps_in_scan = static_cast<int>(components.size());
    std::copy(components.begin(), components.end(), info.component_index);
    info.Ss = first;
    info.Se = last;
    info.Ah = high;
    info.Al = low;
    return info;
}

// The same coefficients as a baseline file, in another order: the eighth drawn from the first
// scans differs only by the lowest bit they leave out, and by the AC a subsampled component's
// larger reduced DCT reads.
TEST(ImageDecoderJPEG, AnEighthOfAProgressiveFileComesFromItsFirstScans) {
    for (const auto& [sampling, tolerance] :
         {std::pair{std::array{1, 1}, 3}, {std::array{2, 1}, 3}, {std::array{2, 2}, 12}}) {
        SCOPED_TRACE(sampling[0] * 10 + sampling[1]);
        JPEGSpec baseline = detailedPhoto(sampling);
        JPEGSpec progressive = baseline;
        progressive.progressive = true;
        const auto fromBaseline = ImageDecoder::decode(jpegFile(baseline), 30);
        const auto fromProgressive = eighthBothWays(jpegFile(progressive));
        ASSERT_TRUE(fromBaseline && fromProgressive);
        ASSERT_EQ(fromProgressive->bitmap->pixelsWide(), 50u);
        ASSERT_EQ(fromProgressive->bitmap->pixelsHigh(), 30u);
        EXPECT_LE(largestDifference(*fromBaseline, *fromProgressive), tolerance);
    }

    // Scales above an eighth need the fine detail and read the whole file.
    JPEGSpec progressive = detailedPhoto({2, 2});
    progressive.progressive = true;
    const auto quarter = ImageDecoder::decode(jpegFile(progressive), 60);
    ASSERT_TRUE(quarter);
    EXPECT_EQ(quarter->bitmap->pixelsWide(), 100u);
}

TEST(ImageDecoderJPEG, AnEighthKeepsEveryDCThroughTheScansBeforeTheLast) {
    // The luma's AC and DC refinement come before the chroma's DC: its DC passes through them.
    JPEGSpec spec = detailedPhoto({1, 1});
    spec.scans = {scan({0}, 0, 0, 0, 1),    scan({0}, 1, 63, 0, 0), scan({0}, 0, 0, 1, 0),
                  scan({1, 2}, 0, 0, 0, 0), scan({1}, 1, 63, 0, 0), scan({2}, 1, 63, 0, 0)};
    JPEGSpec baseline = detailedPhoto({1, 1});
    const auto fromBaseline = ImageDecoder::decode(jpegFile(baseline), 30);
    const auto fromScript = eighthBothWays(jpegFile(spec));
    ASSERT_TRUE(fromBaseline && fromScript);
    EXPECT_EQ(largestDifference(*fromBaseline, *fromScript), 0) << "every DC complete";

    // A script may leave coefficients out altogether: a subsampled chroma's reduced DCT then waits
    // to the end and is drawn from what was sent.
    spec = detailedPhoto({2, 2});
    spec.scans = {scan({0, 1, 2}, 0, 0, 0, 0), scan({0}, 1, 63, 0, 0), scan({1}, 1, 9, 0, 0)};
    const auto withoutFineChroma = eighthBothWays(jpegFile(spec));
    ASSERT_TRUE(withoutFineChroma);
    EXPECT_EQ(withoutFineChroma->bitmap->pixelsWide(), 50u);
}

// Coefficients held for the whole picture until its last scan, and let go as the rows are drawn,
// give the pixels of the same coefficients sent in one scan.
TEST(ImageDecoderJPEG, AFileOfSeveralScansDrawsAsItsBaselineTwin) {
    for (const auto sampling : {std::array{1, 1}, std::array{2, 1}, std::array{2, 2}}) {
        SCOPED_TRACE(sampling[0] * 10 + sampling[1]);
        const JPEGSpec baseline = detailedPhoto(sampling);
        JPEGSpec progressive = baseline;
        progressive.progressive = true;
        JPEGSpec componentByComponent = baseline;
        componentByComponent.scans = {scan({0}, 0, 63, 0, 0), scan({1}, 0, 63, 0, 0),
                                      scan({2}, 0, 63, 0, 0)};
        const auto fromBaseline = ImageDecoder::decode(jpegFile(baseline));
        ASSERT_TRUE(fromBaseline);
        for (const JPEGSpec* spec : {&progressive, &componentByComponent}) {
            const auto drawn = ImageDecoder::decode(jpegFile(*spec));
            ASSERT_TRUE(drawn);
            EXPECT_EQ(largestDifference(*fromBaseline, *drawn), 0);
        }
    }
}

TEST(ImageDecoderJPEG, AProgressiveFileNeverHoldsItsCoefficientsAndItsBitmapWhole) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "this sanitizer's allocator zeroes what it hands out";
#endif
    // Unsampled colour: 24 MiB of coefficients, 16 MiB of RGBA.
    JPEGSpec spec;
    spec.width = 2048;
    spec.height = 2048;
    spec.lumaSampling = {1, 1};
    spec.progressive = true;
    spec.pixel = [](std::uint32_t x, std::uint32_t y) {
        return uniform(std::uint8_t(x / 8), std::uint8_t(y / 8), std::uint8_t((x + y) / 16));
    };
    const Bytes file = jpegFile(spec);
    const auto rise =
        PeakResidentMemory::riseDuring([&] { EXPECT_TRUE(ImageDecoder::decode(file)); });
    if (!rise) {
        GTEST_SKIP() << "no resettable peak memory count";
    }
    EXPECT_LT(*rise, std::size_t{32} << 20);
}

TEST(ImageDecoderJPEG, DensityFromJFIFUnitsOrElseExif) {
    JPEGSpec spec;
    spec.pixel = [](auto, auto) { return uniform(0, 0, 0); };
    spec.jfifDensity = {{1, 144, 216}};
    auto image = ImageDecoder::decode(jpegFile(spec));
    ASSERT_TRUE(image);
    EXPECT_DOUBLE_EQ(image->xDensity, 2.0);
    EXPECT_DOUBLE_EQ(image->yDensity, 3.0);

    spec.jfifDensity = {{2, 100, 100}};
    image = ImageDecoder::decode(jpegFile(spec));
    ASSERT_TRUE(image);
    EXPECT_DOUBLE_EQ(image->xDensity, 254.0 / 72.0);

    // Without a JFIF unit, EXIF's resolution in centimetres counts.
    spec.jfifDensity = {{0, 1, 1}};
    spec.exif = exifSegment({{0x011A, 5, 1, 50}, {0x011B, 5, 1, 50}, {0x0128, 3, 1, 3}}, false,
                            rationals({100, 1}, false));
    image = ImageDecoder::decode(jpegFile(spec));
    ASSERT_TRUE(image);
    EXPECT_DOUBLE_EQ(image->yDensity, 254.0 / 72.0);
    EXPECT_DOUBLE_EQ(image->pointWidth, 16.0 * 72.0 / 254.0);
}

// ---- Damaged and hostile input ----

std::uint32_t crc32(const std::uint8_t* bytes, std::size_t length) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t index = 0; index < length; ++index) {
        crc ^= bytes[index];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
        }
    }
    return ~crc;
}

TEST(ImageDecoderHostile, DamagedFilesAreRefused) {
    const Bytes png = pngFile(pngSpec(16, 16, PNG_COLOR_TYPE_GRAY, 8, Bytes(256, 77)));
    JPEGSpec jpegSpec;
    jpegSpec.pixel = [](std::uint32_t x, std::uint32_t y) {
        return uniform(static_cast<std::uint8_t>(x * 16), static_cast<std::uint8_t>(y * 16), 0);
    };
    jpegSpec.width = 64;
    jpegSpec.height = 64;
    const Bytes jpeg = jpegFile(jpegSpec);
    ASSERT_TRUE(ImageDecoder::decode(png));
    ASSERT_TRUE(ImageDecoder::decode(jpeg));

    for (const Bytes* file : {&png, &jpeg}) {
        for (std::size_t length : {file->size() - 1, file->size() - 12, file->size() / 2,
                                   std::size_t{40}, std::size_t{9}, std::size_t{3}}) {
            SCOPED_TRACE(length);
            EXPECT_FALSE(ImageDecoder::decode(std::span(file->data(), length)));
        }
    }
    EXPECT_FALSE(ImageDecoder::decode({}));
    const Bytes garbage(5000, 0xA7);
    EXPECT_FALSE(ImageDecoder::decode(garbage));
    Bytes pngSignatureThenGarbage = garbage;
    std::copy_n(png.begin(), 8, pngSignatureThenGarbage.begin());
    EXPECT_FALSE(ImageDecoder::decode(pngSignatureThenGarbage));
    Bytes jpegSignatureThenGarbage = garbage;
    std::copy_n(jpeg.begin(), 3, jpegSignatureThenGarbage.begin());
    EXPECT_FALSE(ImageDecoder::decode(jpegSignatureThenGarbage));

    // One flipped bit in the compressed pixels fails the chunk's checksum.
    Bytes badChecksum = png;
    const auto idat = std::search(badChecksum.begin(), badChecksum.end(), "IDAT", "IDAT" + 4);
    ASSERT_NE(idat, badChecksum.end());
    idat[6] ^= 0x01;
    EXPECT_FALSE(ImageDecoder::decode(badChecksum));
}

// The first scans make the eighth, so a progressive file cut after them still gives its picture;
// one cut before gives none, and no cut crashes or hangs.
TEST(ImageDecoderHostile, TruncatedProgressiveFilesGiveTheirEighthOrNothing) {
    for (const auto sampling : {std::array{1, 1}, std::array{2, 2}}) {
        SCOPED_TRACE(sampling[0]);
        JPEGSpec spec = detailedPhoto(sampling);
        spec.progressive = true;
        const Bytes file = jpegFile(spec);
        const Bytes secondScan{0xFF, 0xDA};
        const auto firstScanEnd = std::search(
            std::search(file.begin(), file.end(), secondScan.begin(), secondScan.end()) + 2,
            file.end(), secondScan.begin(), secondScan.end());
        ASSERT_NE(firstScanEnd, file.end());
        const auto firstScanBytes = std::size_t(firstScanEnd - file.begin());
        for (std::size_t length = 3; length < file.size(); length += file.size() / 23) {
            SCOPED_TRACE(length);
            const auto eighth = eighthBothWays(Bytes(file.begin(), file.begin() + length));
            if (length < firstScanBytes) {
                EXPECT_FALSE(eighth);
            } else if (eighth) {
                EXPECT_EQ(eighth->bitmap->pixelsWide(), 50u);
            }
            EXPECT_FALSE(ImageDecoder::decode(std::span(file.data(), length)))
                << "the whole picture needs the whole file";
        }
        EXPECT_TRUE(eighthBothWays(Bytes(file.begin(), file.begin() + file.size() / 2)))
            << "the scans it is drawn from all come in the first half";
    }
}

TEST(ImageDecoderHostile, HugeDeclaredSizeIsRefusedBeforeAllocating) {
    Bytes png = pngFile(pngSpec(16, 16, PNG_COLOR_TYPE_RGBA, 8, Bytes(16 * 16 * 4, 1)));
    put32(png, 16, 100000, true);
    put32(png, 20, 100000, true);
    put32(png, 29, crc32(png.data() + 12, 17), true);

    // The baseline frame header's height and width follow its length and precision.
    JPEGSpec spec;
    spec.pixel = [](auto, auto) { return uniform(1, 2, 3); };
    Bytes jpeg = jpegFile(spec);
    const Bytes frameMarker{0xFF, 0xC0};
    const auto frame =
        std::search(jpeg.begin(), jpeg.end(), frameMarker.begin(), frameMarker.end());
    ASSERT_NE(frame, jpeg.end());
    const auto at = static_cast<std::size_t>(frame - jpeg.begin()) + 5;
    put16(jpeg, at, 60000, true);
    put16(jpeg, at + 2, 60000, true);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(ImageDecoder::decode(png));
    EXPECT_FALSE(ImageDecoder::decode(jpeg));
    // Decoding the canvas would take minutes; refusing it takes microseconds.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(ImageDecoderHostile, ExifWithBadOffsetsCountsOrLoopsIsReadSafely) {
    // The directory lies past the end.
    Bytes segment = exifSegment({{0x0112, 3, 1, 6}}, false);
    put32(segment, 6 + 4, 0xFFFFFFF0, false);
    EXPECT_FALSE(ExifReader::read(segment));

    // More entries claimed than there are bytes for; the one present still counts.
    segment = exifSegment({{0x0112, 3, 1, 8}}, true);
    put16(segment, 6 + 8, 0xFFFF, true);
    ASSERT_TRUE(ExifReader::read(segment));
    EXPECT_EQ(ExifReader::read(segment)->orientation, 8);

    // Rationals pointing outside, a zero denominator, an orientation out of range, a directory
    // chained to itself.
    segment = exifSegment(
        {{0x0112, 3, 1, 9}, {0x011A, 5, 1, 0xFFFFFFFC}, {0x011B, 5, 1, 62}, {0x0128, 3, 1, 2}},
        false, rationals({72, 0}, false), 8);
    const auto facts = ExifReader::read(segment);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->orientation, 1);
    EXPECT_EQ(facts->xDotsPerInch, 0.0);
    EXPECT_EQ(facts->yDotsPerInch, 0.0);

    EXPECT_FALSE(ExifReader::read(Bytes{'E', 'x', 'i', 'f', 0, 0, 'I', 'I'}));
    EXPECT_FALSE(
        ExifReader::read(Bytes{'h', 't', 't', 'p', ':', '/', '/', 'n', 's', 0, 0, 0, 0, 0}));

    // A JPEG carrying the broken block still decodes, upright and at one pixel per point.
    JPEGSpec spec = markedCorner(segment);
    const auto image = ImageDecoder::decode(jpegFile(spec));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->bitmap->pixelsWide(), 32u);
    EXPECT_TRUE(isWhite(*image, 3, 3));
    EXPECT_EQ(image->xDensity, 1.0);
}

TEST(ImageDecoderFile, FormatComesFromContentNotName) {
    testing::TemporaryDirectory directory;
    const auto path = directory.path() / "really-a-png.jpg";
    const Bytes png = pngFile(pngSpec(3, 2, PNG_COLOR_TYPE_GRAY, 8, Bytes(6, 9)));
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    const auto image = ImageDecoder::decodeFile(path);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->bitmap->pixelsWide(), 3u);
    EXPECT_EQ(pixelAt(*image, 2, 1)[0], 9u);

    EXPECT_FALSE(ImageDecoder::decodeFile(directory.path() / "missing.png"));
    EXPECT_FALSE(ImageDecoder::decodeFile(directory.path()));
}

TEST(ImageDecoderFile, APNGIsReadAsItsDecoderAsksWithoutACopyOfTheFile) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "this sanitizer's allocator zeroes what it hands out";
#endif
    // Noise does not compress: the file is about as large as the picture's 4 MiB of RGBA.
    Bytes samples(std::size_t{1024} * 1024 * 4);
    std::uint32_t state = 1;
    for (auto& sample : samples) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        sample = std::uint8_t(state);
    }
    const Bytes png = pngFile(pngSpec(1024, 1024, PNG_COLOR_TYPE_RGBA, 8, samples));
    ASSERT_GT(png.size(), samples.size() * 9 / 10);
    testing::TemporaryDirectory directory;
    const auto path = directory.path() / "noise.png";
    testing::TestImages::writeBytes(path, png);
    const auto rise =
        PeakResidentMemory::riseDuring([&] { EXPECT_TRUE(ImageDecoder::decodeFile(path)); });
    if (!rise) {
        GTEST_SKIP() << "no resettable peak memory count";
    }
    EXPECT_LT(*rise, samples.size() + png.size() / 2);
}

} // namespace
} // namespace orlix
