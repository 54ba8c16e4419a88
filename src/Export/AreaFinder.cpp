#include "Export/AreaFinder.h"

#include <algorithm>
#include <cmath>

namespace orlix {

namespace {

constexpr std::int64_t largestSquaredDistance = 3 * 255 * 255;

// The largest whole squared distance whose root is below the tolerance, as the roots are compared
// in doubles; -1 when none is.
std::int64_t largestCloseDistance(double tolerance) {
    if (!(tolerance > 0.0)) {
        return -1;
    }
    const auto isClose = [&](std::int64_t distance) {
        return std::sqrt(static_cast<double>(distance)) < tolerance;
    };
    auto distance = static_cast<std::int64_t>(
        std::min(std::floor(tolerance * tolerance), double(largestSquaredDistance)));
    while (distance >= 0 && !isClose(distance)) {
        --distance;
    }
    while (distance < largestSquaredDistance && isClose(distance + 1)) {
        ++distance;
    }
    return distance;
}

} // namespace

AreaFinder::AreaFinder(Config config, RGBPixelGetter rgbPixelGetter)
    : config_(config)
    , rgbPixelGetter_(std::move(rgbPixelGetter)) {}

void AreaFinder::findAreas() {
    readColours();
    for (std::uint32_t pixel = 0; pixel < colours_.size(); ++pixel) {
        processPixel(pixel);
    }
    processed_ = true;
}

void AreaFinder::readColours() {
    const BitmapImageRep& bitmap = rgbPixelGetter_.bitmapImageRep();
    width_ = bitmap.pixelsWide();
    height_ = bitmap.pixelsHigh();
    largestCloseDistance_ = largestCloseDistance(config_.differenceTolerance);
    const std::size_t count = std::size_t{width_} * height_;
    colours_.resize(count);
    for (std::uint32_t y = 0; y < height_; ++y) {
        for (std::uint32_t x = 0; x < width_; ++x) {
            colours_[std::size_t{y} * width_ + x] = *rgbPixelGetter_.rgb(x, y);
        }
    }
    lastFill_.assign(count, 0);
    inKeptArea_.assign(count, false);
    fills_.assign(1, Fill{});
}

// A dropped area leaves no trace, so each of its pixels seeds an area of its own colour later.
// An area is every pixel connected to its seed through pixels close to the seed's colour: a pixel
// that a dropped area of its very colour took would grow that same area again, and is passed over.
void AreaFinder::processPixel(std::uint32_t pixel) {
    if (inKeptArea_[pixel]) {
        return;
    }
    const Fill& last = fills_[lastFill_[pixel]];
    if (lastFill_[pixel] != 0 && !last.kept && last.seedColour == colours_[pixel]) {
        return;
    }
    findArea(pixel);
    if (members_.size() <= config_.pixelMinimumForAreaToBeCounted) {
        return;
    }
    fills_.back().kept = true;
    Area area(width_, height_);
    for (const std::uint32_t member : members_) {
        area.insert({member % width_, member / width_});
        inKeptArea_[member] = true;
    }
    areasFound_.push_back(std::move(area));
}

[[gnu::always_inline]] inline bool AreaFinder::joins(std::uint32_t pixel,
                                                     RGBPixelGetter::RGB seedColour) const {
    if (lastFill_[pixel] == fills_.size() - 1) {
        return false;
    }
    const RGBPixelGetter::RGB colour = colours_[pixel];
    const int red = colour.red - seedColour.red;
    const int green = colour.green - seedColour.green;
    const int blue = colour.blue - seedColour.blue;
    return red * red + green * green + blue * blue <= largestCloseDistance_;
}

[[gnu::always_inline]] inline void AreaFinder::take(std::uint32_t pixel) {
    lastFill_[pixel] = static_cast<std::uint32_t>(fills_.size() - 1);
    members_.push_back(pixel);
}

// A scan-line flood fill in which every candidate is compared with the seed's colour, not with
// its neighbour's, so that a smooth gradient does not run on into one area. Only this area is
// consulted: pixels of areas found earlier may join it too.
void AreaFinder::findArea(std::uint32_t seed) {
    const RGBPixelGetter::RGB seedColour = colours_[seed];
    fills_.push_back({seedColour, false});
    members_.clear();
    // Every queued pixel passed the tests when it was queued; it may be queued twice.
    queue_.assign(1, seed);
    for (std::size_t next = 0; next < queue_.size(); ++next) {
        const std::uint32_t pixel = queue_[next];
        if (lastFill_[pixel] == fills_.size() - 1) {
            continue;
        }
        const std::uint32_t rowStart = pixel - pixel % width_;
        const std::uint32_t y = pixel / width_;
        std::uint32_t left = pixel;
        while (left > rowStart && joins(left - 1, seedColour)) {
            --left;
        }
        std::uint32_t right = pixel;
        while (right + 1 < rowStart + width_ && joins(right + 1, seedColour)) {
            ++right;
        }
        for (std::uint32_t column = left; column <= right; ++column) {
            take(column);
            if (y > 0 && joins(column - width_, seedColour)) {
                queue_.push_back(column - width_);
            }
            if (y + 1 < height_ && joins(column + width_, seedColour)) {
                queue_.push_back(column + width_);
            }
        }
    }
}

} // namespace orlix
