#include "Export/JPEGQualityCalculator.h"

#include "Export/BitmapResize.h"

#include <algorithm>
#include <cmath>

namespace orlix {

namespace {

// The analysis always looks at about this many pixels, whatever the image's size.
constexpr std::uint32_t thumbnailArea = 10000;
constexpr std::uint8_t greyscaleQuality = 85;
constexpr std::uint8_t noThumbnailQuality = 75;

} // namespace

const AreaFinder::Config& JPEGQualityCalculator::areaFinderConfig() {
    static const AreaFinder::Config config{200, std::sqrt(84.0)};
    return config;
}

std::uint8_t JPEGQualityCalculator::automaticJPEGQuality() const {
    if (metadata_.greyscale) {
        return greyscaleQuality;
    }
    // Small images are enlarged to the thumbnail: the rule is calibrated on its size, the target
    // area's. A single pixel row of the thumbnail can move the quality by a step, so it is the
    // export's own resize, never a cheaper approximation.
    const auto thumbnail = BitmapResize::resized(
        bitmapImageRep_, ResizeConfig::targetArea(thumbnailArea), std::nullopt);
    if (!thumbnail) {
        return noThumbnailQuality;
    }
    return thumbnailQuality(thumbnail);
}

std::uint8_t
JPEGQualityCalculator::thumbnailQuality(const std::shared_ptr<const BitmapImageRep>& thumbnail) {
    const double share = flatShare(thumbnail);
    if (share < 0.03) {
        return 60;
    }
    return std::uint8_t(std::ceil((std::min(share, 0.15) - 0.03) / 0.12 * 15.0 + 60.0));
}

double JPEGQualityCalculator::flatShare(const std::shared_ptr<const BitmapImageRep>& thumbnail) {
    const auto getter = RGBPixelGetter::make(thumbnail);
    if (!getter) {
        return 0.0;
    }
    AreaFinder finder(areaFinderConfig(), *getter);
    finder.findAreas();
    AreaFinder::Area covered(thumbnail->pixelsWide(), thumbnail->pixelsHigh());
    for (const auto& area : finder.areasFound()) {
        covered.formUnion(area);
    }
    return double(covered.size()) /
           (double(thumbnail->pixelsWide()) * double(thumbnail->pixelsHigh()));
}

} // namespace orlix
