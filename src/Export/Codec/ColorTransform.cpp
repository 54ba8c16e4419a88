#include "Export/Codec/ColorTransform.h"

#include "Export/Codec/ColourMemory.h"
#include "Platform/WorkerThreads.h"

#include <lcms2.h>

#include <algorithm>
#include <limits>
#include <new>

namespace orlix {

namespace {

// Smaller bitmaps are converted on the calling thread alone.
constexpr std::uint64_t sharedPixelMinimum = 1u << 18;
// Each band remembers colours of its own, so the bands are few.
constexpr std::uint32_t bandsPerThread = 2;

class Profile {
public:
    explicit Profile(cmsHPROFILE handle)
        : handle_(handle) {}
    ~Profile() {
        if (handle_ != nullptr) {
            cmsCloseProfile(handle_);
        }
    }
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;

    cmsHPROFILE get() const { return handle_; }

private:
    cmsHPROFILE handle_;
};

// sRGB's piecewise curve in lcms's parametric form 4.
cmsToneCurve* makeSRGBCurve() {
    const cmsFloat64Number parameters[] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
    return cmsBuildParametricToneCurve(nullptr, 4, parameters);
}

cmsHPROFILE makeGreyWithSRGBCurve() {
    cmsToneCurve* curve = makeSRGBCurve();
    if (curve == nullptr) {
        return nullptr;
    }
    cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), curve);
    cmsFreeToneCurve(curve);
    return profile;
}

// The profile a PNG's gamma and chromaticities describe. The file's gamma is the exponent its
// samples were encoded with, so the curve that decodes them is its inverse.
cmsHPROFILE statedProfile(const StatedColour& stated, bool grey) {
    cmsToneCurve* curve =
        stated.gamma ? cmsBuildGamma(nullptr, 1.0 / *stated.gamma) : makeSRGBCurve();
    if (curve == nullptr) {
        return nullptr;
    }
    cmsHPROFILE profile = nullptr;
    if (grey) {
        profile = cmsCreateGrayProfile(cmsD50_xyY(), curve);
    } else {
        const auto c = stated.chromaticities.value_or(StatedColour::sRGBChromaticities);
        const cmsCIExyY white{c.whiteX, c.whiteY, 1.0};
        const cmsCIExyYTRIPLE primaries{
            {c.redX, c.redY, 1.0}, {c.greenX, c.greenY, 1.0}, {c.blueX, c.blueY, 1.0}};
        cmsToneCurve* const curves[3] = {curve, curve, curve};
        profile = cmsCreateRGBProfile(&white, &primaries, curves);
    }
    cmsFreeToneCurve(curve);
    return profile;
}

struct Formats {
    cmsColorSpaceSignature expected;
    cmsUInt32Number input;
    cmsUInt32Number output;
    cmsUInt32Number flags;
};

Formats formatsFor(ColorTransform::Input input) {
    switch (input) {
    case ColorTransform::Input::grey:
        return {cmsSigGrayData, TYPE_GRAY_8, TYPE_GRAY_8, 0};
    case ColorTransform::Input::greyAlpha:
        return {cmsSigGrayData, TYPE_GRAYA_8, TYPE_GRAYA_8, cmsFLAGS_COPY_ALPHA};
    case ColorTransform::Input::rgba:
        // The library reads RGBA through a general unpacker at twice the cost of RGB, for the same
        // colours out (all 16.7 M of them, for every profile tried); alpha never reaches it.
        return {cmsSigRgbData, TYPE_RGB_8, TYPE_RGB_8, 0};
    case ColorTransform::Input::cmyk:
        break;
    }
    return {cmsSigCmykData, TYPE_CMYK_8, TYPE_RGBA_8, 0};
}

} // namespace

std::unique_ptr<ColorTransform> ColorTransform::toSRGB(std::span<const std::uint8_t> profile,
                                                       Input input) {
    if (profile.empty() || profile.size() > std::numeric_limits<cmsUInt32Number>::max()) {
        return nullptr;
    }
    const Profile embedded(
        cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size())));
    return fromProfile(embedded.get(), input);
}

std::unique_ptr<ColorTransform> ColorTransform::fromStatedColour(const StatedColour& stated,
                                                                 Input input) {
    const bool grey = input == Input::grey || input == Input::greyAlpha;
    if (input == Input::cmyk || stated.isSRGB(grey) || !stated.isUsable()) {
        return nullptr;
    }
    const Profile source(statedProfile(stated, grey));
    return fromProfile(source.get(), input);
}

std::unique_ptr<ColorTransform> ColorTransform::fromProfile(void* profile, Input input) {
    const Formats formats = formatsFor(input);
    if (profile == nullptr || cmsGetColorSpace(profile) != formats.expected) {
        return nullptr;
    }
    const bool grey = formats.expected == cmsSigGrayData;
    const Profile target(grey ? makeGreyWithSRGBCurve() : cmsCreate_sRGBProfile());
    if (target.get() == nullptr) {
        return nullptr;
    }
    // Without the cache of the last pixel converted, which would be shared, one transform serves
    // several threads; the cache only ever spared work, never changed a result.
    cmsHTRANSFORM transform =
        cmsCreateTransform(profile, formats.input, target.get(), formats.output, INTENT_PERCEPTUAL,
                           formats.flags | cmsFLAGS_NOCACHE);
    if (transform == nullptr) {
        return nullptr;
    }
    std::unique_ptr<ColorTransform> wrapped(new (std::nothrow) ColorTransform(transform, input));
    if (wrapped == nullptr) {
        cmsDeleteTransform(transform);
    }
    return wrapped;
}

ColorTransform::~ColorTransform() {
    cmsDeleteTransform(static_cast<cmsHTRANSFORM>(transform_));
}

void ColorTransform::apply(const std::uint8_t* source, std::uint8_t* destination,
                           std::uint32_t pixelCount) const {
    cmsDoTransform(static_cast<cmsHTRANSFORM>(transform_), source, destination, pixelCount);
}

void ColorTransform::applyInPlace(BitmapImageRep& bitmap) const {
    const std::uint32_t height = bitmap.pixelsHigh();
    const std::uint64_t pixels = std::uint64_t{bitmap.pixelsWide()} * height;
    const std::uint32_t bands =
        pixels < sharedPixelMinimum
            ? 1
            : std::min<std::uint32_t>(height, WorkerThreads::maxThreads * bandsPerThread);
    WorkerThreads::forEach(bands, [&](std::size_t band) {
        const auto first = static_cast<std::uint32_t>(std::uint64_t{height} * band / bands);
        const auto end = static_cast<std::uint32_t>(std::uint64_t{height} * (band + 1) / bands);
        const std::size_t count = std::size_t{bitmap.pixelsWide()} * (end - first);
        ColourMemory(*this).convert(bitmap.row(first), count);
    });
}

} // namespace orlix
