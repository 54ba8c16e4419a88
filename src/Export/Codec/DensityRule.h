#pragma once

#include <cmath>

namespace orlix {

// Both writers record a pixel density only when both axes differ from one pixel per point: a
// density that is off on only one axis, or not a number, is not worth recording.
inline bool shouldRecordDensity(double xDensity, double yDensity) {
    constexpr double tolerance = 1e-9;
    return std::fabs(xDensity - 1.0) > tolerance && std::fabs(yDensity - 1.0) > tolerance;
}

} // namespace orlix
