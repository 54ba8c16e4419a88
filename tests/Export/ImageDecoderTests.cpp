#include "Export/Codec/ExifReader.h"
#include "Export/Codec/ImageDecoder.h"

#include "Support/TemporaryDirectory.h"

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
#include <string>
#include <vector>

namespace orlix {
namespace {

using Bytes = std::vector<std::uint8_t>;

// ---- Writing test files with the libraries directly ----

void appendToBytes(png_structp png, png_bytep data, std::size_t length) {
    auto* bytes = static_cast<Bytes*>(png_get_io_ptr(png));
    bytes->insert(bytes->end(), data, data + length);
}

struct PNGSpec {
    std::uint32_t width = 1;
    std::uint32_t height = 1;
    int colorType = PNG_COLOR_TYPE_GRAY;
    int bitDepth = 8;
    Bytes pixels; // packed rows as the file stores them
    bool interlaced = false;
    std::vector<png_color> palette;
    Bytes paletteAlphas;
    std::optional<png_color_16> transparentColour;
    std::optional<std::array<png_uint_32, 3>> physical; // x, y, unit
    Bytes profile;
};

PNGSpec pngSpec(std::uint32_t width, std::uint32_t height, int colorType, int bitDepth,
                Bytes pixels) {
    PNGSpec spec;
    spec.width = width;
    spec.height = height;
    spec.colorType = colorType;
    spec.bitDepth = bitDepth;
    spec.pixels = std::move(pixels);
    return spec;
}

Bytes pngFile(const PNGSpec& spec) {
    Bytes file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &file, appendToBytes, nullptr);
    png_set_IHDR(png, info, spec.width, spec.height, spec.bitDepth, spec.colorType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!spec.palette.empty()) {
        png_set_PLTE(png, info, spec.palette.data(), static_cast<int>(spec.palette.size()));
    }
    if (!spec.paletteAlphas.empty()) {
        png_set_tRNS(png, info, spec.paletteAlphas.data(),
                     static_cast<int>(spec.paletteAlphas.size()), nullptr);
    }
    if (spec.transparentColour) {
        png_color_16 colour = *spec.transparentColour;
        png_set_tRNS(png, info, nullptr, 0, &colour);
    }
    if (spec.physical) {
        png_set_pHYs(png, info, (*spec.physical)[0], (*spec.physical)[1],
                     static_cast<int>((*spec.physical)[2]));
    }
    if (!spec.profile.empty()) {
        png_set_iCCP(png, info, "test", 0, spec.profile.data(),
                     static_cast<png_uint_32>(spec.profile.size()));
    }
    png_write_info(png, info);
    const std::size_t rowBytes = spec.pixels.size() / spec.height;
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass) {
        for (std::uint32_t y = 0; y < spec.height; ++y) {
            png_write_row(png, spec.pixels.data() + y * rowBytes);
        }
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return file;
}

struct JPEGSpec {
    std::uint32_t width = 16;
    std::uint32_t height = 16;
    int components = 3;
    J_COLOR_SPACE colorSpace = JCS_RGB;
    std::function<std::array<std::uint8_t, 4>(std::uint32_t, std::uint32_t)> pixel;
    bool adobeMarker = true;                       // the library's default for CMYK
    std::optional<std::array<int, 3>> jfifDensity; // unit, x, y
    Bytes exif;                                    // APP1 body
    Bytes profile;
};

Bytes jpegFile(const JPEGSpec& spec) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long length = 0;
    jpeg_mem_dest(&info, &buffer, &length);
    info.image_width = spec.width;
    info.image_height = spec.height;
    info.input_components = spec.components;
    info.in_color_space = spec.colorSpace;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (spec.colorSpace == JCS_CMYK) {
        info.write_Adobe_marker = spec.adobeMarker ? TRUE : FALSE;
    }
    if (spec.jfifDensity) {
        info.density_unit = static_cast<UINT8>((*spec.jfifDensity)[0]);
        info.X_density = static_cast<UINT16>((*spec.jfifDensity)[1]);
        info.Y_density = static_cast<UINT16>((*spec.jfifDensity)[2]);
    }
    jpeg_start_compress(&info, TRUE);
    if (!spec.exif.empty()) {
        jpeg_write_marker(&info, JPEG_APP0 + 1, spec.exif.data(),
                          static_cast<unsigned>(spec.exif.size()));
    }
    if (!spec.profile.empty()) {
        jpeg_write_icc_profile(&info, spec.profile.data(),
                               static_cast<unsigned>(spec.profile.size()));
    }
    Bytes row(std::size_t{spec.width} * static_cast<std::size_t>(spec.components));
    while (info.next_scanline < info.image_height) {
        for (std::uint32_t x = 0; x < spec.width; ++x) {
            const auto value = spec.pixel(x, info.next_scanline);
            std::copy_n(value.begin(), spec.components, row.begin() + x * spec.components);
        }
        JSAMPROW rowPointer = row.data();
        jpeg_write_scanlines(&info, &rowPointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes file(buffer, buffer + length);
    std::free(buffer);
    return file;
}

void put16(Bytes& bytes, std::size_t at, unsigned value, bool bigEndian) {
    bytes[at + (bigEndian ? 0 : 1)] = static_cast<std::uint8_t>(value >> 8);
    bytes[at + (bigEndian ? 1 : 0)] = static_cast<std::uint8_t>(value);
}

void put32(Bytes& bytes, std::size_t at, std::uint32_t value, bool bigEndian) {
    put16(bytes, at + (bigEndian ? 0 : 2), value >> 16, bigEndian);
    put16(bytes, at + (bigEndian ? 2 : 0), value & 0xFFFF, bigEndian);
}

struct ExifEntry {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    std::uint32_t value;
};

// "Exif\0\0", a TIFF header and one directory at offset 8; `tail` follows the directory, so a
// rational's offset is 8 + 2 + 12 * entries + 4 plus its place in the tail.
Bytes exifSegment(const std::vector<ExifEntry>& entries, bool bigEndian, const Bytes& tail = {},
                  std::uint32_t nextDirectory = 0) {
    Bytes segment{'E', 'x', 'i', 'f', 0, 0};
    Bytes tiff(8 + 2 + 12 * entries.size() + 4);
    tiff[0] = tiff[1] = bigEndian ? 'M' : 'I';
    put16(tiff, 2, 42, bigEndian);
    put32(tiff, 4, 8, bigEndian);
    put16(tiff, 8, static_cast<unsigned>(entries.size()), bigEndian);
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const std::size_t at = 10 + 12 * index;
        const ExifEntry& entry = entries[index];
        put16(tiff, at, entry.tag, bigEndian);
        put16(tiff, at + 2, entry.type, bigEndian);
        put32(tiff, at + 4, entry.count, bigEndian);
        if (entry.type == 3) {
            put16(tiff, at + 8, entry.value, bigEndian);
        } else {
            put32(tiff, at + 8, entry.value, bigEndian);
        }
    }
    put32(tiff, tiff.size() - 4, nextDirectory, bigEndian);
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    segment.insert(segment.end(), tail.begin(), tail.end());
    return segment;
}

Bytes rationals(std::initializer_list<std::uint32_t> values, bool bigEndian) {
    Bytes bytes(values.size() * 4);
    std::size_t at = 0;
    for (std::uint32_t value : values) {
        put32(bytes, at, value, bigEndian);
        at += 4;
    }
    return bytes;
}

// A display profile with sRGB's primaries (or a grey one) but linear tone curves, so that a
// middle value brightens visibly when converted to sRGB.
Bytes linearProfile(bool grey) {
    Bytes profile(128);
    auto tag = [&profile](const char* type, Bytes body) {
        const auto offset = static_cast<std::uint32_t>(profile.size());
        std::copy_n(type, 4, body.begin());
        profile.insert(profile.end(), body.begin(), body.end());
        return offset;
    };
    auto xyz = [&tag](double x, double y, double z) {
        Bytes body(20);
        put32(body, 8, static_cast<std::uint32_t>(std::lround(x * 65536)), true);
        put32(body, 12, static_cast<std::uint32_t>(std::lround(y * 65536)), true);
        put32(body, 16, static_cast<std::uint32_t>(std::lround(z * 65536)), true);
        return tag("XYZ ", body);
    };
    Bytes curve(16);
    put32(curve, 8, 1, true);
    put16(curve, 12, 0x0100, true);
    const std::uint32_t white = xyz(0.9642, 1.0, 0.8249);
    const std::uint32_t tone = tag("curv", curve);
    std::vector<std::pair<std::string, std::uint32_t>> tags{{"wtpt", white}};
    if (grey) {
        tags.emplace_back("kTRC", tone);
    } else {
        tags.insert(tags.end(), {{"rXYZ", xyz(0.4361, 0.2225, 0.0139)},
                                 {"gXYZ", xyz(0.3851, 0.7169, 0.0971)},
                                 {"bXYZ", xyz(0.1431, 0.0606, 0.7141)},
                                 {"rTRC", tone},
                                 {"gTRC", tone},
                                 {"bTRC", tone}});
    }
    // The tag table goes between the header and the tag bodies, which therefore move along.
    const std::size_t tableSize = 4 + 12 * tags.size();
    Bytes table(tableSize);
    put32(table, 0, static_cast<std::uint32_t>(tags.size()), true);
    for (std::size_t index = 0; index < tags.size(); ++index) {
        const auto& [signature, offset] = tags[index];
        std::copy_n(signature.begin(), 4, table.begin() + 4 + 12 * index);
        put32(table, 8 + 12 * index, static_cast<std::uint32_t>(offset + tableSize), true);
        put32(table, 12 + 12 * index, signature == "wtpt" || signature[1] == 'X' ? 20 : 16, true);
    }
    profile.insert(profile.begin() + 128, table.begin(), table.end());
    // libpng drops very small profiles as damaged; real ones carry descriptions of this size.
    profile.resize(profile.size() + 128);
    put32(profile, 0, static_cast<std::uint32_t>(profile.size()), true);
    put32(profile, 8, 0x02100000, true);
    std::copy_n("mntr", 4, profile.begin() + 12);
    std::copy_n(grey ? "GRAY" : "RGB ", 4, profile.begin() + 16);
    std::copy_n("XYZ ", 4, profile.begin() + 20);
    std::copy_n("acsp", 4, profile.begin() + 36);
    put32(profile, 68, 0xF6D6, true);
    put32(profile, 72, 0x10000, true);
    put32(profile, 76, 0xD32D, true);
    return profile;
}

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
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
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

} // namespace
} // namespace orlix
