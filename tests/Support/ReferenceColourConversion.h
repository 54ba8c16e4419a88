#pragma once

#include "Export/Codec/ColorTransform.h"

#include <cstdint>
#include <span>
#include <vector>

namespace orlix::testing {

// A profile's conversion written as plainly as it can be: one lcms2 transform with the library's
// defaults, perceptual, to sRGB (grey to a grey with sRGB's tone curve), over every pixel in one
// call, alpha copied. The yardstick the decoders' conversion must match byte for byte.
class ReferenceColourConversion {
public:
    // `pixels` in the layout (grey, grey and alpha, or RGBA), converted; empty when the profile
    // cannot be used for that layout.
    static std::vector<std::uint8_t> converted(std::span<const std::uint8_t> profile,
                                               ColorTransform::Input layout,
                                               std::span<const std::uint8_t> pixels);

    // Profiles as photos carry them: wide primaries like Adobe RGB's with a gamma of 2.2, and a
    // grey with the same gamma.
    static std::vector<std::uint8_t> wideGamutProfile();
    static std::vector<std::uint8_t> greyProfile();
};

} // namespace orlix::testing
