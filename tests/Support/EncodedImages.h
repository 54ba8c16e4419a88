#pragma once

// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
#include <png.h>

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

namespace orlix::testing {

// Image files written with libpng and libjpeg directly, byte by byte as asked, for the decoder's
// tests and the fuzzers' seeds.
using Bytes = std::vector<std::uint8_t>;

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
    std::optional<double> gamma;
    std::optional<std::array<double, 8>> chromaticities; // white, red, green, blue: x, y each
};

PNGSpec pngSpec(std::uint32_t width, std::uint32_t height, int colorType, int bitDepth,
                Bytes pixels);
Bytes pngFile(const PNGSpec& spec);

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
    bool progressive = false;
    std::array<int, 2> lumaSampling{2, 2}; // of a colour file: horizontal, vertical
    std::vector<jpeg_scan_info> scans; // a progressive script of its own instead of the library's
};

Bytes jpegFile(const JPEGSpec& spec);

void put16(Bytes& bytes, std::size_t at, unsigned value, bool bigEndian);
void put32(Bytes& bytes, std::size_t at, std::uint32_t value, bool bigEndian);

struct ExifEntry {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    std::uint32_t value;
};

// "Exif\0\0", a TIFF header and one directory at offset 8; `tail` follows the directory, so a
// rational's offset is 8 + 2 + 12 * entries + 4 plus its place in the tail.
Bytes exifSegment(const std::vector<ExifEntry>& entries, bool bigEndian, const Bytes& tail = {},
                  std::uint32_t nextDirectory = 0);
Bytes rationals(std::initializer_list<std::uint32_t> values, bool bigEndian);

// A display profile with sRGB's primaries (or a grey one) but linear tone curves, so that a
// middle value brightens visibly when converted to sRGB.
Bytes linearProfile(bool grey);

} // namespace orlix::testing
