#pragma once

#include "Model/OutputResolution.h"

namespace orlix {

// Which outputs a resolution option of the export settings produces.
enum class OutputResolutionsPreference { x3x2x1, x2x1 };

inline OutputResolutionSet resolutions(OutputResolutionsPreference preference) {
    if (preference == OutputResolutionsPreference::x3x2x1) {
        return {OutputResolution::x3, OutputResolution::x2, OutputResolution::x1};
    }
    return {OutputResolution::x2, OutputResolution::x1};
}

} // namespace orlix
