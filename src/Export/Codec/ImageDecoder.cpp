#include "Export/Codec/ImageDecoder.h"

#include "Export/Codec/JPEGDecoder.h"
#include "Export/Codec/PNGDecoder.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <new>
#include <system_error>
#include <vector>

namespace orlix {

namespace {

constexpr std::uint8_t pngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t jpegSignature[] = {0xFF, 0xD8, 0xFF};

// No file of an accepted size needs more: a PNG stores at most eight bytes a pixel even
// uncompressed, and the slack covers its chunk and block framing.
constexpr std::uintmax_t maximumFileSize = BitmapImageRep::maximumPixelCount * 8 + 64 * 1024 * 1024;

constexpr double pointsPerInch = 72.0;
constexpr double smallestDotsPerInch = 1.0;
constexpr double largestDotsPerInch = 100'000.0;

bool startsWith(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> signature) {
    return bytes.size() >= signature.size() &&
           std::memcmp(bytes.data(), signature.data(), signature.size()) == 0;
}

bool isUsable(double dotsPerInch) {
    return std::isfinite(dotsPerInch) && dotsPerInch >= smallestDotsPerInch &&
           dotsPerInch <= largestDotsPerInch;
}

// Half a resolution is worse than none: an axis without a usable value would leave the other one
// distorting the picture, so both fall back to one pixel per point together.
DecodedImage sized(const DecodedBitmap& decoded) {
    DecodedImage image;
    image.bitmap = decoded.bitmap;
    image.pixelSize = decoded.pixelSize;
    if (isUsable(decoded.xDotsPerInch) && isUsable(decoded.yDotsPerInch)) {
        image.xDensity = decoded.xDotsPerInch / pointsPerInch;
        image.yDensity = decoded.yDotsPerInch / pointsPerInch;
    }
    image.pointWidth = decoded.pixelSize.width / image.xDensity;
    image.pointHeight = decoded.pixelSize.height / image.yDensity;
    return image;
}

std::optional<std::vector<std::uint8_t>> contentsOf(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > maximumFileSize) {
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    // A file that shrank since its size was taken is read as far as it goes, and its decoder
    // then finds it truncated.
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return bytes;
}

} // namespace

std::optional<DecodedImage> ImageDecoder::decodeFile(const std::filesystem::path& path,
                                                     std::uint32_t shortSideAtLeast) {
    try {
        const auto bytes = contentsOf(path);
        return bytes ? decode(*bytes, shortSideAtLeast) : std::nullopt;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::optional<DecodedImage> ImageDecoder::decode(std::span<const std::uint8_t> bytes,
                                                 std::uint32_t shortSideAtLeast) {
    try {
        std::optional<DecodedBitmap> decoded;
        if (startsWith(bytes, pngSignature)) {
            decoded = PNGDecoder::decode(bytes);
        } else if (startsWith(bytes, jpegSignature)) {
            decoded = JPEGDecoder::decode(bytes, shortSideAtLeast);
        }
        if (!decoded || decoded->bitmap == nullptr) {
            return std::nullopt;
        }
        return sized(*decoded);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

} // namespace orlix
