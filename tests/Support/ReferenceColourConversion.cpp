#include "Support/ReferenceColourConversion.h"

#include <lcms2.h>

namespace orlix::testing {

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes saved(cmsHPROFILE profile) {
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    Bytes bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

cmsToneCurve* gamma22() {
    return cmsBuildGamma(nullptr, 2.2);
}

cmsHPROFILE target(bool grey) {
    if (!grey) {
        return cmsCreate_sRGBProfile();
    }
    const cmsFloat64Number sRGBCurve[] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, sRGBCurve);
    cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), curve);
    cmsFreeToneCurve(curve);
    return profile;
}

} // namespace

Bytes ReferenceColourConversion::converted(std::span<const std::uint8_t> profile,
                                           ColorTransform::Input layout,
                                           std::span<const std::uint8_t> pixels) {
    const bool grey = layout != ColorTransform::Input::rgba;
    const cmsUInt32Number format = layout == ColorTransform::Input::grey        ? TYPE_GRAY_8
                                   : layout == ColorTransform::Input::greyAlpha ? TYPE_GRAYA_8
                                                                                : TYPE_RGBA_8;
    const cmsUInt32Number samples = T_CHANNELS(format) + T_EXTRA(format);
    cmsHPROFILE source =
        cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size()));
    cmsHPROFILE destination = target(grey);
    cmsHTRANSFORM transform = source == nullptr
                                  ? nullptr
                                  : cmsCreateTransform(source, format, destination, format,
                                                       INTENT_PERCEPTUAL, cmsFLAGS_COPY_ALPHA);
    Bytes result;
    if (transform != nullptr) {
        result.resize(pixels.size());
        cmsDoTransform(transform, pixels.data(), result.data(),
                       static_cast<cmsUInt32Number>(pixels.size() / samples));
        cmsDeleteTransform(transform);
    }
    if (source != nullptr) {
        cmsCloseProfile(source);
    }
    cmsCloseProfile(destination);
    return result;
}

Bytes ReferenceColourConversion::wideGamutProfile() {
    const cmsCIExyY white{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
    cmsToneCurve* curve = gamma22();
    cmsToneCurve* const curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
    return saved(profile);
}

Bytes ReferenceColourConversion::greyProfile() {
    cmsToneCurve* curve = gamma22();
    cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), curve);
    cmsFreeToneCurve(curve);
    return saved(profile);
}

} // namespace orlix::testing
