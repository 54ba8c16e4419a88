#pragma once

#include "Export/PixelArea.h"
#include "Export/RGBPixelGetter.h"

#include <cstdint>
#include <vector>

namespace orlix {

// Cuts a bitmap into areas of nearly uniform colour: every area grows from a seed pixel and holds
// the connected pixels whose colour is close to the seed's. Only areas larger than a minimum are
// kept; kept areas may overlap.
class AreaFinder {
public:
    using PixelLocation = PixelArea::Location;
    // A small picture is cut into many areas, most of them dropped and grown again from each of
    // their pixels: sets of one bit a pixel keep that cheap.
    using Area = PixelArea;

    struct Config {
        std::uint32_t pixelMinimumForAreaToBeCounted;
        // Colours are close when their RGB distance is below this.
        double differenceTolerance;
    };

    AreaFinder(Config config, RGBPixelGetter rgbPixelGetter);

    // One pass over the whole bitmap, seeding from every pixel no kept area holds yet.
    void findAreas();

    const Config& config() const { return config_; }
    const std::vector<Area>& areasFound() const { return areasFound_; }
    bool processed() const { return processed_; }

private:
    void processPixel(PixelLocation location);
    Area findArea(PixelLocation seed) const;
    bool joins(const Area& area, PixelLocation location, RGBPixelGetter::RGB seedColour) const;
    bool isClose(RGBPixelGetter::RGB first, RGBPixelGetter::RGB second) const;

    Config config_;
    RGBPixelGetter rgbPixelGetter_;
    std::vector<Area> areasFound_;
    bool processed_ = false;
};

} // namespace orlix
