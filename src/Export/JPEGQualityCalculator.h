#pragma once

#include "Export/AreaFinder.h"
#include "Export/BitmapImageRep.h"
#include "Export/Metadata.h"

#include <cstdint>
#include <memory>

namespace orlix {

// Chooses the JPEG quality of one image: the more of the picture is large flat colour, where
// compression artefacts show most, the higher the quality.
class JPEGQualityCalculator {
public:
    JPEGQualityCalculator(std::shared_ptr<const BitmapImageRep> bitmapImageRep, Metadata metadata)
        : bitmapImageRep_(std::move(bitmapImageRep))
        , metadata_(metadata) {}

    // How flat areas are found in the thumbnail: more than 200 pixels whose colour is within a
    // distance of sqrt(84) of the area's seed.
    static const AreaFinder::Config& areaFinderConfig();

    // 85 for greyscale; 60 to 75 for colour; 75 when no thumbnail can be made.
    std::uint8_t automaticJPEGQuality() const;

    // 60 to 75: the quality the flat share of a colour thumbnail gives, the thumbnail taken as it
    // is.
    static std::uint8_t thumbnailQuality(const std::shared_ptr<const BitmapImageRep>& thumbnail);

private:
    // The share of the thumbnail that lies in kept flat areas, each pixel counted once.
    static double flatShare(const std::shared_ptr<const BitmapImageRep>& thumbnail);

    std::shared_ptr<const BitmapImageRep> bitmapImageRep_;
    Metadata metadata_;
};

} // namespace orlix
