#include "Export/Codec/ImageDecoder.h"

#include "Export/Codec/ImageFile.h"
#include "Export/Codec/JPEGDecoder.h"
#include "Export/Codec/PNGDecoder.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace orlix {

namespace {

constexpr std::uint8_t pngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t jpegSignature[] = {0xFF, 0xD8, 0xFF};

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

std::optional<DecodedImage> sizedIfRead(const std::optional<DecodedBitmap>& decoded) {
    if (!decoded || decoded->bitmap == nullptr) {
        return std::nullopt;
    }
    return sized(*decoded);
}

// A file that shrank since it was opened is read as far as it goes, and its decoder then finds it
// truncated.
std::vector<std::uint8_t> contentsOf(std::FILE* file) {
    struct stat facts {};
    ::fstat(::fileno(file), &facts);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(facts.st_size));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    return bytes;
}

bool startsAsJPEG(std::FILE* file) {
    std::uint8_t start[sizeof jpegSignature];
    const bool isJPEG = std::fread(start, 1, sizeof start, file) == sizeof start &&
                        startsWith(start, jpegSignature);
    std::rewind(file);
    return isJPEG;
}

} // namespace

std::optional<DecodedImage> ImageDecoder::decodeFile(const std::filesystem::path& path,
                                                     std::uint32_t shortSideAtLeast) {
    try {
        const auto file = ImageFile::open(path);
        if (!file) {
            return std::nullopt;
        }
        // A JPEG is read as the library asks for it, which keeps a copy of the file out of the
        // memory its decoding needs, and leaves unread what a reduced picture does not need.
        if (startsAsJPEG(file.get())) {
            return sizedIfRead(JPEGDecoder::decode(file.get(), shortSideAtLeast));
        }
        return decode(contentsOf(file.get()), shortSideAtLeast);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::optional<DecodedImage> ImageDecoder::decodePreview(const std::filesystem::path& path,
                                                        std::uint32_t shortSideAtLeast,
                                                        std::uint32_t embeddedSideAtLeast) {
    try {
        const auto file = ImageFile::open(path);
        if (!file) {
            return std::nullopt;
        }
        if (startsAsJPEG(file.get())) {
            if (auto embedded =
                    sizedIfRead(JPEGDecoder::embeddedThumbnail(file.get(), embeddedSideAtLeast))) {
                return embedded;
            }
            std::rewind(file.get());
            return sizedIfRead(JPEGDecoder::decode(file.get(), shortSideAtLeast));
        }
        return decode(contentsOf(file.get()), shortSideAtLeast);
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
        return sizedIfRead(decoded);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

} // namespace orlix
