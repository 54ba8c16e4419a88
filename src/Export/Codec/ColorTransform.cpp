#include "Export/Codec/ColorTransform.h"

#include <lcms2.h>

#include <limits>
#include <new>

namespace orlix {

namespace {

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

cmsHPROFILE makeGreyWithSRGBCurve() {
    // sRGB's piecewise curve in lcms's parametric form 4.
    const cmsFloat64Number parameters[] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, parameters);
    if (curve == nullptr) {
        return nullptr;
    }
    cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), curve);
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
        return {cmsSigRgbData, TYPE_RGBA_8, TYPE_RGBA_8, cmsFLAGS_COPY_ALPHA};
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
    const Formats formats = formatsFor(input);
    if (embedded.get() == nullptr || cmsGetColorSpace(embedded.get()) != formats.expected) {
        return nullptr;
    }
    const bool grey = formats.expected == cmsSigGrayData;
    const Profile target(grey ? makeGreyWithSRGBCurve() : cmsCreate_sRGBProfile());
    if (target.get() == nullptr) {
        return nullptr;
    }
    cmsHTRANSFORM transform = cmsCreateTransform(embedded.get(), formats.input, target.get(),
                                                 formats.output, INTENT_PERCEPTUAL, formats.flags);
    if (transform == nullptr) {
        return nullptr;
    }
    std::unique_ptr<ColorTransform> wrapped(new (std::nothrow) ColorTransform(transform));
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

} // namespace orlix
