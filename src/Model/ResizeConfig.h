#pragma once

#include "Model/ImagePixelSize.h"
#include "Model/IntegerPercentage.h"
#include "Model/Size.h"
#include "Platform/PropertyList.h"

#include <cstdint>
#include <optional>
#include <string>

namespace orlix {

// How an image is resized. Dimensions are pixel counts.
class ResizeConfig {
public:
    enum class Kind { percentage, trim, fitMin, fitMax, fitToWidth, fitToHeight, targetArea, none };

    static ResizeConfig percentage(IntegerPercentage percentage);
    // Exactly this size: the source covers it and is cropped evenly on both sides.
    static ResizeConfig trim(std::uint32_t width, std::uint32_t height);
    static ResizeConfig fitMin(std::uint32_t width, std::uint32_t height);
    static ResizeConfig fitMax(std::uint32_t width, std::uint32_t height);
    static ResizeConfig fitToWidth(std::uint32_t width);
    static ResizeConfig fitToHeight(std::uint32_t height);
    static ResizeConfig targetArea(std::uint32_t pixelCount);
    static ResizeConfig none();

    Kind kind() const { return kind_; }
    // The payload of the case; 0 for a field the case does not have.
    IntegerPercentage percentageValue() const { return {static_cast<std::uint8_t>(first_)}; }
    std::uint32_t width() const;
    std::uint32_t height() const;
    std::uint32_t pixelCount() const { return kind_ == Kind::targetArea ? first_ : 0; }

    // The output size for a source, in double precision. The order of the floating-point
    // operations is fixed: outputs one pixel apart would differ from earlier exports.
    Size targetSize(std::uint32_t sourceWidth, std::uint32_t sourceHeight) const;
    // The same, times the multiplier when there is one, truncated toward zero. Absent when a
    // component is not finite or does not fit 32 bits, which only extreme sources cause.
    std::optional<ImagePixelSize>
    targetPixelSize(std::uint32_t sourceWidth, std::uint32_t sourceHeight,
                    std::optional<double> multiplier = std::nullopt) const;

    // The short text of the activity display ("50%", "820/462", "1080/AUTO"; empty for the
    // internal cases).
    std::string uiString() const;
    static std::string uiDimensionsString(std::optional<std::uint32_t> width,
                                          std::optional<std::uint32_t> height);
    static std::string uiDimensionString(std::optional<std::uint32_t> dimension);

    PropertyList::Dictionary propertyList() const;
    static std::optional<ResizeConfig> fromPropertyList(const PropertyList::Dictionary& dictionary);

    bool operator==(const ResizeConfig&) const = default;

private:
    ResizeConfig(Kind kind, std::uint32_t first, std::uint32_t second)
        : kind_(kind)
        , first_(first)
        , second_(second) {}

    Size targetAreaSize(double aspectRatio) const;

    // Unused payload fields stay 0, so memberwise equality compares exactly the case's payload.
    Kind kind_;
    std::uint32_t first_;
    std::uint32_t second_;
};

} // namespace orlix
