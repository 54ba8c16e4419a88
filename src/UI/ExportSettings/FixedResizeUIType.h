#pragma once

#include "Model/ResizeConfig.h"

#include <cstdint>
#include <optional>

namespace orlix {

// The fixed-size pane's view of its two fields: both numbers trim to that size, only a width or
// only a height fits that side, neither is no resize.
struct FixedResizeUIType {
    std::optional<std::uint32_t> width;
    std::optional<std::uint32_t> height;

    ResizeConfig resizeConfig() const;
    // The fields that show a trim, fit-to-width or fit-to-height resize; empty ones for any other.
    static FixedResizeUIType fromResizeConfig(const ResizeConfig& resize);

    bool operator==(const FixedResizeUIType&) const = default;
};

} // namespace orlix
