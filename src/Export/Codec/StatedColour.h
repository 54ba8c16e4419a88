#pragma once

#include <optional>

namespace orlix {

// What a PNG without an embedded profile says of its colours: the gamma its samples were encoded
// with and the chromaticities of its white point and primaries, each only when it says so.
struct StatedColour {
    struct Chromaticities {
        double whiteX, whiteY;
        double redX, redY;
        double greenX, greenY;
        double blueX, blueY;
    };
    static constexpr Chromaticities sRGBChromaticities{0.3127, 0.3290, 0.64, 0.33,
                                                       0.30,   0.60,   0.15, 0.06};

    // The encoding exponent, as the file stores it: sRGB's is about 1/2.2.
    std::optional<double> gamma;
    std::optional<Chromaticities> chromaticities;

    // Whether the pixels are best taken as sRGB as they are: nothing stated, or a gamma within 5 %
    // of 1/2.2 and (for colour) primaries within 0.001 of sRGB's, the tolerances libpng itself
    // allows when it asks the same question. Ordinary files that state sRGB's values this way
    // are then left exactly as they are.
    bool isSRGB(bool grey) const;
    // Whether the stated values can describe a colour space at all.
    bool isUsable() const;
};

} // namespace orlix
