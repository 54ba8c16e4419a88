#pragma once

#include "Export/BitmapImageRep.h"
#include "Export/Codec/StatedColour.h"

#include <cstdint>
#include <memory>
#include <span>

namespace orlix {

// Converts 8-bit pixels described by an embedded ICC profile into what the bitmaps hold: sRGB for
// colour, and for grey a grey whose tone curve is sRGB's, so that grey outputs, which are written
// without a profile, look as they did. Perceptual intent; alpha passes through untouched.
class ColorTransform {
public:
    enum class Input {
        grey,      // 1 sample, to 1
        greyAlpha, // 2 samples, to 2
        rgba,      // 4 samples, to 4; the library itself is handed the colour as RGB (see `apply`)
        cmyk,      // 4 samples, 0 meaning no ink, to RGBA whose alpha is left as it was
    };

    // Null when the profile cannot be read or describes another kind of colour than `input`: the
    // pixels are then better taken as they are than refused.
    static std::unique_ptr<ColorTransform> toSRGB(std::span<const std::uint8_t> profile,
                                                  Input input);
    // For colour a PNG states by its gamma and primaries instead of a profile (sRGB's primaries
    // and tone curve stand in for what it leaves out). Null when that is sRGB anyway, when the
    // values describe no colour space, or for CMYK.
    static std::unique_ptr<ColorTransform> fromStatedColour(const StatedColour& stated,
                                                            Input input);

    ~ColorTransform();
    ColorTransform(const ColorTransform&) = delete;
    ColorTransform& operator=(const ColorTransform&) = delete;

    Input input() const { return input_; }

    // The library's own conversion, which may run on several threads at once. Its layout is the
    // input's, except that colour goes as RGB triples without alpha; a picture's pixels go
    // through `ColourMemory`, which hands it only the colours it has not met.
    void apply(const std::uint8_t* source, std::uint8_t* destination,
               std::uint32_t pixelCount) const;
    // Converts a whole bitmap whose pixels are the input's layout, in place, a band of rows on
    // each of a few threads, each band through a memory of its own.
    void applyInPlace(BitmapImageRep& bitmap) const;

private:
    ColorTransform(void* transform, Input input)
        : transform_(transform)
        , input_(input) {}

    static std::unique_ptr<ColorTransform> fromProfile(void* profile, Input input);

    void* transform_;
    Input input_;
};

} // namespace orlix
