#include "Support/ReferenceQuality.h"

#include "Export/JPEGQualityCalculator.h"
#include "Support/ReferenceResize.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>

namespace orlix::testing {

namespace {

using Colour = std::array<int, 3>;

class PlainFill {
public:
    PlainFill(const BitmapImageRep& bitmap, double tolerance)
        : bitmap_(bitmap)
        , tolerance_(tolerance) {}

    // Every pixel connected to the seed through pixels close to the seed's colour, grown a row
    // stretch at a time.
    PixelArea grow(std::size_t seedX, std::size_t seedY) const {
        PixelArea area(bitmap_.pixelsWide(), bitmap_.pixelsHigh());
        const Colour seed = colour(seedX, seedY);
        std::deque<PixelArea::Location> queue{{seedX, seedY}};
        const auto joins = [&](std::size_t x, std::size_t y) {
            return x < bitmap_.pixelsWide() && y < bitmap_.pixelsHigh() && !area.contains({x, y}) &&
                   isClose(colour(x, y), seed);
        };
        while (!queue.empty()) {
            const auto [x, y] = queue.front();
            queue.pop_front();
            if (area.contains({x, y})) {
                continue;
            }
            std::size_t left = x;
            while (left > 0 && joins(left - 1, y)) {
                --left;
            }
            std::size_t right = x;
            while (joins(right + 1, y)) {
                ++right;
            }
            for (std::size_t column = left; column <= right; ++column) {
                area.insert({column, y});
                if (y > 0 && joins(column, y - 1)) {
                    queue.push_back({column, y - 1});
                }
                if (joins(column, y + 1)) {
                    queue.push_back({column, y + 1});
                }
            }
        }
        return area;
    }

private:
    Colour colour(std::size_t x, std::size_t y) const {
        const std::uint8_t* pixel = bitmap_.row(std::uint32_t(y)) + x * bitmap_.samplesPerPixel();
        return {pixel[0], pixel[1], pixel[2]};
    }

    bool isClose(const Colour& first, const Colour& second) const {
        double sum = 0.0;
        for (int channel = 0; channel < 3; ++channel) {
            const double difference = first[channel] - second[channel];
            sum += difference * difference;
        }
        return std::sqrt(sum) < tolerance_;
    }

    const BitmapImageRep& bitmap_;
    double tolerance_;
};

} // namespace

std::vector<PixelArea> ReferenceQuality::areas(const BitmapImageRep& bitmap,
                                               AreaFinder::Config config) {
    const PlainFill fill(bitmap, config.differenceTolerance);
    std::vector<PixelArea> kept;
    for (std::size_t y = 0; y < bitmap.pixelsHigh(); ++y) {
        for (std::size_t x = 0; x < bitmap.pixelsWide(); ++x) {
            const bool found = std::any_of(kept.begin(), kept.end(), [&](const PixelArea& area) {
                return area.contains({x, y});
            });
            if (found) {
                continue;
            }
            PixelArea area = fill.grow(x, y);
            if (area.size() > config.pixelMinimumForAreaToBeCounted) {
                kept.push_back(std::move(area));
            }
        }
    }
    return kept;
}

int ReferenceQuality::quality(const BitmapImageRep& bitmap) {
    const auto thumbnail = ReferenceResize::resized(bitmap, ResizeConfig::targetArea(10000));
    if (!thumbnail) {
        return 75;
    }
    PixelArea covered(thumbnail->pixelsWide(), thumbnail->pixelsHigh());
    for (const auto& area : areas(*thumbnail, JPEGQualityCalculator::areaFinderConfig())) {
        covered.formUnion(area);
    }
    const double share = double(covered.size()) /
                         (double(thumbnail->pixelsWide()) * double(thumbnail->pixelsHigh()));
    return share < 0.03 ? 60 : int(std::ceil((std::min(share, 0.15) - 0.03) / 0.12 * 15.0 + 60.0));
}

} // namespace orlix::testing
