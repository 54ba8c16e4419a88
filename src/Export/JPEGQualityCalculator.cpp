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
// A pixel row of the thumbnail can move the quality by a step, so the cheap reduction stays close
// to the full filter: eight times the thumbnail's size before the Lanczos step, whose support then
// stays below 96 taps however large the image.
constexpr std::uint32_t boxMultiple = 8;

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
    // area's.
    const auto size =
        BitmapResize::geometry({bitmapImageRep_->pixelsWide(), bitmapImageRep_->pixelsHigh()},
                               ResizeConfig::targetArea(thumbnailArea), std::nullopt);
    const auto thumbnail =
        size ? BitmapResize::reduced(bitmapImageRep_, size->canvas, boxMultiple) : nullptr;
    if (!thumbnail) {
        return noThumbnailQuality;
    }
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
