#pragma once

namespace orlix {

// How the resolutions of the preferences become outputs: the defined size is the largest or the
// smallest output, or there is one output at the largest resolution the source can supply.
enum class ResolutionConfig {
    defaultResolutionsWithMaxPredefinedSize,
    defaultResolutionsWithMinPredefinedSize,
    defaultResolutionsWithMaxSupportedResolutionForImage,
};

} // namespace orlix
