#include "Export/AreaFinder.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace orlix {

AreaFinder::AreaFinder(Config config, RGBPixelGetter rgbPixelGetter)
    : config_(config)
    , rgbPixelGetter_(std::move(rgbPixelGetter)) {}

void AreaFinder::findAreas() {
    const BitmapImageRep& bitmap = rgbPixelGetter_.bitmapImageRep();
    for (std::size_t y = 0; y < bitmap.pixelsHigh(); ++y) {
        for (std::size_t x = 0; x < bitmap.pixelsWide(); ++x) {
            if (rgbPixelGetter_.rgb(x, y)) {
                processPixel({x, y});
            }
        }
    }
    processed_ = true;
}

// A dropped area leaves no trace, so each of its pixels seeds an area of its own colour later.
void AreaFinder::processPixel(PixelLocation location) {
    const bool alreadyFound =
        std::any_of(areasFound_.begin(), areasFound_.end(),
                    [&](const Area& area) { return area.contains(location); });
    if (alreadyFound) {
        return;
    }
    Area area = findArea(location);
    if (area.size() > config_.pixelMinimumForAreaToBeCounted) {
        areasFound_.push_back(std::move(area));
    }
}

// A scan-line flood fill in which every candidate is compared with the seed's colour, not with
// its neighbour's, so that a smooth gradient does not run on into one area. Only this area is
// consulted: pixels of areas found earlier may join it too.
AreaFinder::Area AreaFinder::findArea(PixelLocation seed) const {
    const auto seedColour = rgbPixelGetter_.rgb(seed.x, seed.y);
    const BitmapImageRep& bitmap = rgbPixelGetter_.bitmapImageRep();
    Area area(bitmap.pixelsWide(), bitmap.pixelsHigh());
    if (!seedColour) {
        return area;
    }
    // Every queued location passed the tests when it was queued; it may be queued twice.
    std::deque<PixelLocation> queue{seed};
    while (!queue.empty()) {
        const PixelLocation location = queue.front();
        queue.pop_front();
        if (area.contains(location)) {
            continue;
        }
        const std::size_t y = location.y;
        std::size_t left = location.x;
        while (left > 0 && joins(area, {left - 1, y}, *seedColour)) {
            --left;
        }
        std::size_t right = location.x;
        while (joins(area, {right + 1, y}, *seedColour)) {
            ++right;
        }
        for (std::size_t x = left; x <= right; ++x) {
            area.insert({x, y});
            if (y > 0 && joins(area, {x, y - 1}, *seedColour)) {
                queue.push_back({x, y - 1});
            }
            if (joins(area, {x, y + 1}, *seedColour)) {
                queue.push_back({x, y + 1});
            }
        }
    }
    return area;
}

bool AreaFinder::joins(const Area& area, PixelLocation location,
                       RGBPixelGetter::RGB seedColour) const {
    if (area.contains(location)) {
        return false;
    }
    const auto colour = rgbPixelGetter_.rgb(location.x, location.y);
    return colour && isClose(*colour, seedColour);
}

bool AreaFinder::isClose(RGBPixelGetter::RGB first, RGBPixelGetter::RGB second) const {
    const double red = static_cast<double>(first.red - second.red);
    const double green = static_cast<double>(first.green - second.green);
    const double blue = static_cast<double>(first.blue - second.blue);
    return std::sqrt(red * red + green * green + blue * blue) < config_.differenceTolerance;
}

} // namespace orlix
