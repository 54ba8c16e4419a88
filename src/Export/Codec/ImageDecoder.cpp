#include "Export/Codec/ImageDecoder.h"

#include "Export/Codec/ImageFile.h"
#include "Export/Codec/JPEGDecoder.h"
#include "Export/Codec/PNGDecoder.h"

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
    image.boxFactors = decoded.boxFactors;
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

// The first bytes of the file, which tell its format; the file is read from its start again.
std::vector<std::uint8_t> signatureOf(std::FILE* file) {
    std::vector<std::uint8_t> start(sizeof pngSignature);
    start.resize(std::fread(start.data(), 1, start.size(), file));
    std::rewind(file);
    return start;
}

} // namespace

std::optional<DecodedImage> ImageDecoder::decodeFile(const std::filesystem::path& path,
                                                     std::uint32_t shortSideAtLeast,
                                                     const BoxReducer::FactorsFor& boxFactors) {
    return decodePreview(path, shortSideAtLeast, std::nullopt, boxFactors);
}

std::optional<DecodedImage>
ImageDecoder::decodePreview(const std::filesystem::path& path, std::uint32_t shortSideAtLeast,
                            std::optional<std::uint32_t> embeddedSideAtLeast,
                            const BoxReducer::FactorsFor& boxFactors) {
    try {
        const auto file = ImageFile::open(path);
        if (!file) {
            return std::nullopt;
        }
        // Both formats are read as their libraries ask for it, which keeps a copy of the file out
        // of the memory decoding needs, and leaves unread what a reduced picture does not need. A
        // file that shrinks meanwhile is found truncated.
        const auto signature = signatureOf(file.get());
        if (startsWith(signature, pngSignature)) {
            return sizedIfRead(PNGDecoder::decode(file.get(), boxFactors));
        }
        if (!startsWith(signature, jpegSignature)) {
            return std::nullopt;
        }
        if (embeddedSideAtLeast) {
            if (auto embedded =
                    sizedIfRead(JPEGDecoder::embeddedThumbnail(file.get(), *embeddedSideAtLeast))) {
                return embedded;
            }
            std::rewind(file.get());
        }
        return sizedIfRead(JPEGDecoder::decode(file.get(), shortSideAtLeast));
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
