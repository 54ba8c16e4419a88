#include "Export/JPEGCompressor.h"

#include "Export/Codec/JPEGWriter.h"

#include <cstdlib>
#include <memory>

namespace orlix {

std::optional<std::vector<std::uint8_t>>
compressJPEG(std::span<const std::uint8_t> pixels, std::uint8_t quality, std::uint32_t width,
             std::uint32_t height, bool greyscale, bool hasAlpha, double xDensity, double yDensity,
             const std::function<void(std::uint32_t)>& rowsTaken) {
    const std::uint64_t samples = (greyscale ? 1 : 3) + (hasAlpha ? 1 : 0);
    if (pixels.size() < std::uint64_t{width} * height * samples) {
        return std::nullopt;
    }
    unsigned char* data = nullptr;
    unsigned long length = 0;
    if (!encodeJPEG(pixels.data(), greyscale, hasAlpha, quality, width, height, &data, &length,
                    xDensity, yDensity, rowsTaken)) {
        return std::nullopt;
    }
    const std::unique_ptr<unsigned char, decltype(&std::free)> owner(data, &std::free);
    return std::vector<std::uint8_t>(data, data + length);
}

} // namespace orlix
