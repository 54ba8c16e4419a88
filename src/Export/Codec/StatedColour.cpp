#include "Export/Codec/StatedColour.h"

#include <cmath>
#include <initializer_list>

namespace orlix {

namespace {

constexpr double sRGBDisplayGamma = 2.2;
constexpr double gammaTolerance = 0.05;
constexpr double chromaticityTolerance = 0.001;

bool near(double value, double expected) {
    return std::fabs(value - expected) <= chromaticityTolerance;
}

bool sameChromaticities(const StatedColour::Chromaticities& a,
                        const StatedColour::Chromaticities& b) {
    return near(a.whiteX, b.whiteX) && near(a.whiteY, b.whiteY) && near(a.redX, b.redX) &&
           near(a.redY, b.redY) && near(a.greenX, b.greenX) && near(a.greenY, b.greenY) &&
           near(a.blueX, b.blueX) && near(a.blueY, b.blueY);
}

} // namespace

bool StatedColour::isSRGB(bool grey) const {
    const bool sRGBGamma = !gamma || std::fabs(*gamma * sRGBDisplayGamma - 1.0) <= gammaTolerance;
    const bool sRGBPrimaries =
        grey || !chromaticities || sameChromaticities(*chromaticities, sRGBChromaticities);
    return sRGBGamma && sRGBPrimaries;
}

bool StatedColour::isUsable() const {
    if (gamma && !(std::isfinite(*gamma) && *gamma >= 0.01 && *gamma <= 100.0)) {
        return false;
    }
    if (!chromaticities) {
        return true;
    }
    const auto& c = *chromaticities;
    for (const double value :
         {c.whiteX, c.whiteY, c.redX, c.redY, c.greenX, c.greenY, c.blueX, c.blueY}) {
        if (!std::isfinite(value) || value < 0.0 || value > 1.0) {
            return false;
        }
    }
    // A y of 0 has no luminance to scale by.
    return c.whiteY > 0.0 && c.redY > 0.0 && c.greenY > 0.0 && c.blueY > 0.0;
}

} // namespace orlix
