#include "Export/Codec/PNGWriter.h"

#include "Export/Codec/DensityRule.h"
#include "Export/Codec/PNGStructures.h"

#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <utility>
#include <vector>

namespace orlix {

namespace {

// 72 pixels per inch, expressed per metre.
constexpr double pixelsPerMetreAtOnePixelPerPoint = 2834.64567;

// Everything one call writes, kept outside the function that holds the libpng recovery point so
// that nothing it changes is lost when libpng jumps back.
struct PNGImage {
    const std::uint8_t* pixels = nullptr;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool grey = false;
    std::vector<png_color> rgbPalette;
    std::vector<png_byte> alphas;
    bool hasTransparency = false;
    double xDensity = 1.0;
    double yDensity = 1.0;
    std::vector<png_bytep> rows;
    PNGOutputBuffer output;

    PNGImage() = default;
    PNGImage(const PNGImage&) = delete;
    PNGImage& operator=(const PNGImage&) = delete;
    ~PNGImage() { std::free(output.data); }
};

void splitPalette(PNGImage& image, const std::uint8_t* palette, std::uint16_t paletteCount) {
    image.rgbPalette.resize(paletteCount);
    image.alphas.resize(paletteCount);
    for (std::size_t index = 0; index < paletteCount; ++index) {
        const std::uint8_t* entry = palette + index * 4;
        image.rgbPalette[index] = png_color{entry[0], entry[1], entry[2]};
        image.alphas[index] = entry[3];
        image.hasTransparency = image.hasTransparency || entry[3] < 255;
    }
}

// PNG's four-byte numbers stop at 2^31 - 1.
png_uint_32 pixelsPerMetre(double density) {
    const double value = std::round(density * pixelsPerMetreAtOnePixelPerPoint);
    if (!(value > 0.0)) {
        return 0;
    }
    return value >= PNG_UINT_31_MAX ? PNG_UINT_31_MAX : static_cast<png_uint_32>(value);
}

// libpng calls this only when asked to flush, and its default would treat the buffer as a FILE.
void ignoreFlush(png_structp) {}

// Runs between the recovery point and a possible libpng error: holds no object with a
// destructor, since a jump back would skip it.
void writeImage(png_structp png, png_infop info, PNGImage& image) {
    png_set_IHDR(png, info, image.width, image.height, 8,
                 image.grey ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!image.grey) {
        png_set_PLTE(png, info, image.rgbPalette.data(), static_cast<int>(image.rgbPalette.size()));
        if (image.hasTransparency) {
            png_set_tRNS(png, info, image.alphas.data(), static_cast<int>(image.alphas.size()),
                         nullptr);
        }
    }
    if (shouldRecordDensity(image.xDensity, image.yDensity)) {
        png_set_pHYs(png, info, pixelsPerMetre(image.xDensity), pixelsPerMetre(image.yDensity),
                     PNG_RESOLUTION_METER);
    }
    // The header has been checked by now, so the row table is never sized from an absurd height.
    image.rows.resize(image.height);
    for (std::size_t row = 0; row < image.height; ++row) {
        image.rows[row] = const_cast<png_bytep>(image.pixels) + row * image.width;
    }
    png_set_rows(png, info, image.rows.data());
    png_set_write_fn(png, &image.output, appendToPNGBuffer, ignoreFlush);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
}

bool writeWithRecovery(png_structp png, png_infop info, PNGImage& image) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    writeImage(png, info, image);
    return true;
}

bool encode(PNGImage& image) {
    const PNGStructures structures(PNGStructures::Direction::write);
    return structures.isValid() && writeWithRecovery(structures.png(), structures.info(), image);
}

} // namespace

bool encodeIndexedPNG(const std::uint8_t* pixels, const std::uint8_t* palette,
                      std::uint16_t paletteCount, std::uint32_t width, std::uint32_t height,
                      std::uint8_t** outputData, std::uint32_t* outputLength, double xDensity,
                      double yDensity) {
    return encodePNG(pixels, palette, paletteCount, width, height, false, outputData, outputLength,
                     xDensity, yDensity);
}

bool encodeGrayPNG(const std::uint8_t* pixels, std::uint32_t width, std::uint32_t height,
                   std::uint8_t** outputData, std::uint32_t* outputLength, double xDensity,
                   double yDensity) {
    return encodePNG(pixels, nullptr, 0, width, height, true, outputData, outputLength, xDensity,
                     yDensity);
}

bool encodePNG(const std::uint8_t* pixels, const std::uint8_t* palette, std::uint16_t paletteCount,
               std::uint32_t width, std::uint32_t height, bool grey, std::uint8_t** outputData,
               std::uint32_t* outputLength, double xDensity, double yDensity) {
    *outputData = nullptr;
    *outputLength = 0;
    const bool paletteMissing = !grey && paletteCount > 0 && palette == nullptr;
    if (pixels == nullptr || paletteMissing ||
        std::uint64_t{width} * height > std::numeric_limits<std::uint32_t>::max()) {
        return false;
    }
    try {
        PNGImage image;
        image.pixels = pixels;
        image.width = width;
        image.height = height;
        image.grey = grey;
        image.xDensity = xDensity;
        image.yDensity = yDensity;
        if (!grey) {
            splitPalette(image, palette, paletteCount);
        }
        if (!encode(image)) {
            return false;
        }
        *outputLength = image.output.length;
        *outputData = std::exchange(image.output.data, nullptr);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void appendToPNGBuffer(png_struct_def* png, unsigned char* bytes, std::size_t count) {
    auto* buffer = static_cast<PNGOutputBuffer*>(png_get_io_ptr(png));
    if (count == 0) {
        return;
    }
    if (count > std::numeric_limits<std::uint32_t>::max() - buffer->length) {
        png_error(png, "PNG output reaches 4 GiB");
    }
    void* grown = std::realloc(buffer->data, buffer->length + count);
    if (grown == nullptr) {
        png_error(png, "Out of memory for the PNG output");
    }
    buffer->data = static_cast<std::uint8_t*>(grown);
    std::memcpy(buffer->data + buffer->length, bytes, count);
    buffer->length += static_cast<std::uint32_t>(count);
}

} // namespace orlix
