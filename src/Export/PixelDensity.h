#pragma once

namespace orlix {

// Pixels per point along each axis; the writers record it as density x 72 pixels per inch.
struct PixelDensity {
    double xDensity = 1.0;
    double yDensity = 1.0;

    bool operator==(const PixelDensity&) const = default;
};

} // namespace orlix
