#include "UI/ExportSettings/FixedResizeUIType.h"

namespace orlix {

ResizeConfig FixedResizeUIType::resizeConfig() const {
    if (width && height) {
        return ResizeConfig::trim(*width, *height);
    }
    if (width) {
        return ResizeConfig::fitToWidth(*width);
    }
    if (height) {
        return ResizeConfig::fitToHeight(*height);
    }
    return ResizeConfig::none();
}

FixedResizeUIType FixedResizeUIType::fromResizeConfig(const ResizeConfig& resize) {
    switch (resize.kind()) {
    case ResizeConfig::Kind::trim:
        return {resize.width(), resize.height()};
    case ResizeConfig::Kind::fitToWidth:
        return {resize.width(), std::nullopt};
    case ResizeConfig::Kind::fitToHeight:
        return {std::nullopt, resize.height()};
    default:
        return {};
    }
}

} // namespace orlix
