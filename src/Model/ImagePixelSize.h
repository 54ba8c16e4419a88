#pragma once

#include <compare>
#include <cstdint>
#include <optional>

namespace orlix {

// A size in whole pixels. Sizes are ordered by area only: two different sizes of equal area are
// neither less nor greater than each other, and not equal.
struct ImagePixelSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;

    // Absent when either value is negative or does not fit 32 bits.
    static std::optional<ImagePixelSize> fromIntegers(std::int64_t width, std::int64_t height);
    // Each value rounded half away from zero; absent when a rounded value is not finite, is
    // negative or does not fit 32 bits.
    static std::optional<ImagePixelSize> rounded(double width, double height);

    std::uint64_t area() const { return std::uint64_t{width} * height; }

    bool operator==(const ImagePixelSize&) const = default;
    std::weak_ordering operator<=>(const ImagePixelSize& other) const {
        return area() <=> other.area();
    }
};

} // namespace orlix
