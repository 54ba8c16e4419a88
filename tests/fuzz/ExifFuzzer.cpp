// A JPEG's EXIF block: the facts read from it, and the picture the decoder turns upright by the
// orientation it yields. The block is put into a small JPEG as its APP1 segment, as a camera
// writes it.
#include "Require.h"

#include "Export/Codec/ExifReader.h"
#include "Export/Codec/ImageDecoder.h"
#include "Export/Codec/JPEGWriter.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

using namespace orlix;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t storedWidth = 5;
constexpr std::uint32_t storedHeight = 3;

Bytes storedPicture() {
    std::vector<std::uint8_t> pixels(storedWidth * storedHeight * 3);
    for (std::size_t index = 0; index < pixels.size(); ++index) {
        pixels[index] = static_cast<std::uint8_t>(index * 37 + 11);
    }
    unsigned char* file = nullptr;
    unsigned long length = 0;
    fuzzing::require(encodeJPEG(pixels.data(), false, false, 95, storedWidth, storedHeight, &file,
                                &length, 1.0, 1.0),
                     "the stored picture encodes");
    Bytes jpeg(file, file + length);
    std::free(file);
    return jpeg;
}

const Bytes& plainJPEG() {
    static const Bytes jpeg = storedPicture();
    return jpeg;
}

const BitmapImageRep& plainBitmap() {
    static const auto decoded = ImageDecoder::decode(plainJPEG());
    fuzzing::require(decoded.has_value(), "the stored picture decodes");
    return *decoded->bitmap;
}

// The stored pixel that an upright pixel shows under each EXIF orientation.
std::array<std::uint32_t, 2> storedPosition(int orientation, std::uint32_t x, std::uint32_t y) {
    const std::uint32_t lastX = storedWidth - 1;
    const std::uint32_t lastY = storedHeight - 1;
    switch (orientation) {
    case 2:
        return {lastX - x, y};
    case 3:
        return {lastX - x, lastY - y};
    case 4:
        return {x, lastY - y};
    case 5:
        return {y, x};
    case 6:
        return {y, lastY - x};
    case 7:
        return {lastX - y, lastY - x};
    case 8:
        return {lastX - y, x};
    default:
        return {x, y};
    }
}

std::array<unsigned, 4> pixelAt(const BitmapImageRep& bitmap, std::uint32_t x, std::uint32_t y) {
    std::array<unsigned, 4> samples{};
    bitmap.getPixel(x, y, samples.data());
    return samples;
}

void requireUpright(const BitmapImageRep& upright, int orientation) {
    const bool swapped = orientation >= 5;
    fuzzing::require(upright.pixelsWide() == (swapped ? storedHeight : storedWidth) &&
                         upright.pixelsHigh() == (swapped ? storedWidth : storedHeight),
                     "the upright size follows the orientation");
    for (std::uint32_t y = 0; y < upright.pixelsHigh(); ++y) {
        for (std::uint32_t x = 0; x < upright.pixelsWide(); ++x) {
            const auto [storedX, storedY] = storedPosition(orientation, x, y);
            fuzzing::require(pixelAt(upright, x, y) == pixelAt(plainBitmap(), storedX, storedY),
                             "each pixel comes from its stored place");
        }
    }
}

// The block as the APP1 segment right after the start of image.
Bytes withExif(std::span<const std::uint8_t> segment) {
    const Bytes& plain = plainJPEG();
    Bytes jpeg(plain.begin(), plain.begin() + 2);
    const std::size_t length = segment.size() + 2;
    jpeg.insert(jpeg.end(), {0xFF, 0xE1, static_cast<std::uint8_t>(length >> 8),
                             static_cast<std::uint8_t>(length)});
    jpeg.insert(jpeg.end(), segment.begin(), segment.end());
    jpeg.insert(jpeg.end(), plain.begin() + 2, plain.end());
    return jpeg;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> segment(data, size);
    const auto facts = ExifReader::read(segment);
    if (facts) {
        fuzzing::require(facts->orientation >= 1 && facts->orientation <= 8,
                         "an orientation EXIF defines");
        fuzzing::require(std::isfinite(facts->xDotsPerInch) && facts->xDotsPerInch >= 0 &&
                             std::isfinite(facts->yDotsPerInch) && facts->yDotsPerInch >= 0,
                         "resolutions are finite and not negative");
    }
    // A segment's length field counts itself and holds at most 65535.
    if (size + 2 > 0xFFFF) {
        return 0;
    }
    const auto decoded = ImageDecoder::decode(withExif(segment));
    fuzzing::require(decoded.has_value(), "an EXIF block never makes a sound JPEG unreadable");
    requireUpright(*decoded->bitmap, facts ? facts->orientation : 1);
    return 0;
}
