#pragma once

#include "Export/BitmapImageRep.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace orlix {

// Reads the colour of single pixels of an RGB bitmap, as stored: alpha plays no part.
class RGBPixelGetter {
public:
    struct RGB {
        std::uint8_t red;
        std::uint8_t green;
        std::uint8_t blue;

        bool operator==(const RGB&) const = default;
    };

    // Absent unless the bitmap holds RGB colour (with or without alpha).
    static std::optional<RGBPixelGetter> make(std::shared_ptr<const BitmapImageRep> bitmapImageRep);

    // Absent outside the bitmap.
    std::optional<RGB> rgb(std::size_t x, std::size_t y) const;

    const BitmapImageRep& bitmapImageRep() const { return *bitmapImageRep_; }

private:
    explicit RGBPixelGetter(std::shared_ptr<const BitmapImageRep> bitmapImageRep);

    std::shared_ptr<const BitmapImageRep> bitmapImageRep_;
};

} // namespace orlix
