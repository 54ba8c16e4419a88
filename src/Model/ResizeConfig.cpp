#include "Model/ResizeConfig.h"

#include "Model/PropertyListKey.h"
#include "Model/PropertyListReading.h"
#include "Platform/Localization.h"

#include <algorithm>
#include <cmath>

namespace orlix {

namespace {

// The stored resize type codes.
enum class ResizeTypeCode : std::uint8_t {
    none = 0,
    percentage = 1,
    trim = 2,
    fitToWidth = 3,
    fitToHeight = 4,
};

// Truncation toward zero of a component that must lie strictly between -1 and 2^32.
std::optional<std::uint32_t> truncatedDimension(double value) {
    if (!std::isfinite(value) || value <= -1.0 || value >= 4294967296.0) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(std::trunc(value));
}

} // namespace

ResizeConfig ResizeConfig::percentage(IntegerPercentage percentage) {
    return {Kind::percentage, percentage.value, 0};
}
ResizeConfig ResizeConfig::trim(std::uint32_t width, std::uint32_t height) {
    return {Kind::trim, width, height};
}
ResizeConfig ResizeConfig::fitMin(std::uint32_t width, std::uint32_t height) {
    return {Kind::fitMin, width, height};
}
ResizeConfig ResizeConfig::fitMax(std::uint32_t width, std::uint32_t height) {
    return {Kind::fitMax, width, height};
}
ResizeConfig ResizeConfig::fitToWidth(std::uint32_t width) {
    return {Kind::fitToWidth, width, 0};
}
ResizeConfig ResizeConfig::fitToHeight(std::uint32_t height) {
    return {Kind::fitToHeight, 0, height};
}
ResizeConfig ResizeConfig::targetArea(std::uint32_t pixelCount) {
    return {Kind::targetArea, pixelCount, 0};
}
ResizeConfig ResizeConfig::none() {
    return {Kind::none, 0, 0};
}

std::uint32_t ResizeConfig::width() const {
    switch (kind_) {
    case Kind::trim:
    case Kind::fitMin:
    case Kind::fitMax:
    case Kind::fitToWidth:
        return first_;
    default:
        return 0;
    }
}

std::uint32_t ResizeConfig::height() const {
    switch (kind_) {
    case Kind::trim:
    case Kind::fitMin:
    case Kind::fitMax:
    case Kind::fitToHeight:
        return second_;
    default:
        return 0;
    }
}

Size ResizeConfig::targetSize(std::uint32_t sourceWidth, std::uint32_t sourceHeight) const {
    const double sw = sourceWidth;
    const double sh = sourceHeight;
    const double aspectRatio = sw / sh;
    const double w = first_;
    const double h = second_;
    switch (kind_) {
    case Kind::percentage: {
        const double factor = w / 100.0;
        return {sw * factor, sh * factor};
    }
    case Kind::trim:
        return {w, h};
    case Kind::fitToWidth:
        return {w, w / aspectRatio};
    case Kind::fitToHeight:
        return {aspectRatio * h, h};
    case Kind::fitMin:
    case Kind::fitMax: {
        const Size byWidth{w, w / aspectRatio};
        const Size byHeight{aspectRatio * h, h};
        const double areaByWidth = (w / aspectRatio) * w;
        const double areaByHeight = (aspectRatio * h) * h;
        if (kind_ == Kind::fitMin) {
            return areaByWidth > areaByHeight ? byHeight : byWidth;
        }
        return areaByWidth > areaByHeight ? byWidth : byHeight;
    }
    case Kind::targetArea:
        return targetAreaSize(aspectRatio);
    case Kind::none:
        break;
    }
    return {sw, sh};
}

Size ResizeConfig::targetAreaSize(double aspectRatio) const {
    // Both sides pass through whole 32-bit values; one that cannot makes the size unusable, which
    // the pixel conversion then reports.
    const auto nan = std::nan("");
    const auto height = truncatedDimension(std::ceil(std::sqrt(double(first_) / aspectRatio)));
    if (!height) {
        return {nan, nan};
    }
    const auto width = truncatedDimension(std::ceil(aspectRatio * double(*height)));
    if (!width) {
        return {nan, nan};
    }
    return {double(*width), double(*height)};
}

std::optional<ImagePixelSize>
ResizeConfig::targetPixelSize(std::uint32_t sourceWidth, std::uint32_t sourceHeight,
                              std::optional<double> multiplier) const {
    auto size = targetSize(sourceWidth, sourceHeight);
    if (multiplier) {
        size.width *= *multiplier;
        size.height *= *multiplier;
    }
    const auto width = truncatedDimension(size.width);
    const auto height = truncatedDimension(size.height);
    if (!width || !height) {
        return std::nullopt;
    }
    return ImagePixelSize{*width, *height};
}

std::string ResizeConfig::uiString() const {
    switch (kind_) {
    case Kind::percentage:
        return std::to_string(first_) + "%";
    case Kind::trim:
        return uiDimensionsString(first_, second_);
    case Kind::fitToWidth:
        return uiDimensionsString(first_, std::nullopt);
    case Kind::fitToHeight:
        return uiDimensionsString(std::nullopt, second_);
    case Kind::none:
        return "100%";
    case Kind::fitMin:
    case Kind::fitMax:
    case Kind::targetArea:
        break;
    }
    return {};
}

std::string ResizeConfig::uiDimensionsString(std::optional<std::uint32_t> width,
                                             std::optional<std::uint32_t> height) {
    return uiDimensionString(width) + "/" + uiDimensionString(height);
}

std::string ResizeConfig::uiDimensionString(std::optional<std::uint32_t> dimension) {
    if (dimension) {
        return std::to_string(*dimension);
    }
    return localized("AUTO", "String presented in activity UI to represent an undefined "
                             "dimension in a resizing export task");
}

PropertyList::Dictionary ResizeConfig::propertyList() const {
    const auto code = [](ResizeTypeCode type) { return PropertyList(unsigned(type)); };
    PropertyList::Dictionary dictionary;
    auto& type = dictionary[PropertyListKey::presetResizeConfigType];
    switch (kind_) {
    case Kind::percentage:
        type = code(ResizeTypeCode::percentage);
        dictionary[PropertyListKey::presetResizeConfigPercentage] = unsigned{first_};
        break;
    case Kind::trim:
        type = code(ResizeTypeCode::trim);
        dictionary[PropertyListKey::presetResizeConfigFixedWidth] = unsigned{first_};
        dictionary[PropertyListKey::presetResizeConfigFixedHeight] = unsigned{second_};
        break;
    case Kind::fitToWidth:
        type = code(ResizeTypeCode::fitToWidth);
        dictionary[PropertyListKey::presetResizeConfigFixedWidth] = unsigned{first_};
        break;
    case Kind::fitToHeight:
        type = code(ResizeTypeCode::fitToHeight);
        dictionary[PropertyListKey::presetResizeConfigFixedHeight] = unsigned{second_};
        break;
    case Kind::fitMin:
    case Kind::fitMax:
    case Kind::targetArea:
    case Kind::none:
        // The stored form has no place for the internal cases: they come back as no resize.
        type = code(ResizeTypeCode::none);
        break;
    }
    return dictionary;
}

std::optional<ResizeConfig>
ResizeConfig::fromPropertyList(const PropertyList::Dictionary& dictionary) {
    using Reading = PropertyListReading;
    const auto type = Reading::uint8(dictionary, PropertyListKey::presetResizeConfigType);
    if (!type) {
        return std::nullopt;
    }
    switch (ResizeTypeCode(*type)) {
    case ResizeTypeCode::none:
        return none();
    case ResizeTypeCode::percentage: {
        const auto value =
            Reading::uint8(dictionary, PropertyListKey::presetResizeConfigPercentage);
        if (!value) {
            return std::nullopt;
        }
        return percentage({std::min<std::uint8_t>(*value, 100)});
    }
    case ResizeTypeCode::trim: {
        const auto width =
            Reading::uint32(dictionary, PropertyListKey::presetResizeConfigFixedWidth);
        if (!width) {
            return std::nullopt;
        }
        const auto height =
            Reading::uint32(dictionary, PropertyListKey::presetResizeConfigFixedHeight);
        if (!height) {
            return std::nullopt;
        }
        return trim(*width, *height);
    }
    case ResizeTypeCode::fitToWidth: {
        const auto width =
            Reading::uint32(dictionary, PropertyListKey::presetResizeConfigFixedWidth);
        return width ? std::optional(fitToWidth(*width)) : std::nullopt;
    }
    case ResizeTypeCode::fitToHeight: {
        const auto height =
            Reading::uint32(dictionary, PropertyListKey::presetResizeConfigFixedHeight);
        return height ? std::optional(fitToHeight(*height)) : std::nullopt;
    }
    }
    return std::nullopt;
}

} // namespace orlix
