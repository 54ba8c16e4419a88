#pragma once

#include "Export/RGBPixelGetter.h"

#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <vector>

namespace orlix {

// Cuts a bitmap into areas of nearly uniform colour: every area grows from a seed pixel and holds
// the connected pixels whose colour is close to the seed's. Only areas larger than a minimum are
// kept; kept areas may overlap.
class AreaFinder {
public:
    struct PixelLocation {
        std::size_t x;
        std::size_t y;

        bool operator==(const PixelLocation&) const = default;
    };

    struct PixelLocationHash {
        std::size_t operator()(const PixelLocation& location) const;
    };

    using Area = std::unordered_set<PixelLocation, PixelLocationHash>;

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
