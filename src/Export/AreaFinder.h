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
    // A small picture is cut into many areas, most of them dropped and grown again from each of
    // their pixels: the pass keeps one entry a pixel for what it needs to know, and the pixels of
    // the area being grown in a list, so that growing one costs only the pixels it reaches.
    struct Fill {
        RGBPixelGetter::RGB seedColour;
        bool kept;
    };

    void readColours();
    void processPixel(std::uint32_t pixel);
    // Grows the area of the seed into `members_`, as fill number `fills_.size()`.
    void findArea(std::uint32_t seed);
    // Whether a pixel not yet in the area being grown is close to its seed's colour.
    bool joins(std::uint32_t pixel, RGBPixelGetter::RGB seedColour) const;
    void take(std::uint32_t pixel);

    Config config_;
    RGBPixelGetter rgbPixelGetter_;
    std::vector<Area> areasFound_;
    bool processed_ = false;

    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    // Squared distances are whole numbers: "close" is at most this one.
    std::int64_t largestCloseDistance_ = -1;
    std::vector<RGBPixelGetter::RGB> colours_;
    // The fill that took each pixel last (0: none yet); fills are numbered from 1.
    std::vector<std::uint32_t> lastFill_;
    std::vector<Fill> fills_;
    std::vector<bool> inKeptArea_;
    std::vector<std::uint32_t> members_;
    std::vector<std::uint32_t> queue_;
};

} // namespace orlix
