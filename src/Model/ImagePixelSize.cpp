#include "Model/ImagePixelSize.h"

#include <cmath>
#include <limits>

namespace orlix {

namespace {

constexpr std::int64_t largestDimension = std::numeric_limits<std::uint32_t>::max();

} // namespace

std::optional<ImagePixelSize> ImagePixelSize::fromIntegers(std::int64_t width,
                                                           std::int64_t height) {
    if (width < 0 || height < 0 || width > largestDimension || height > largestDimension) {
        return std::nullopt;
    }
    return ImagePixelSize{static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)};
}

std::optional<ImagePixelSize> ImagePixelSize::rounded(double width, double height) {
    // std::round rounds halves away from zero, and -0.4 becomes -0.0, which is accepted.
    const double roundedWidth = std::round(width);
    const double roundedHeight = std::round(height);
    const auto fits = [](double value) {
        return std::isfinite(value) && value >= 0.0 &&
               value <= static_cast<double>(largestDimension);
    };
    if (!fits(roundedWidth) || !fits(roundedHeight)) {
        return std::nullopt;
    }
    return ImagePixelSize{static_cast<std::uint32_t>(roundedWidth),
                          static_cast<std::uint32_t>(roundedHeight)};
}

} // namespace orlix
