#pragma once

#include <set>

namespace orlix {

// The @1x, @2x and @3x outputs, ordered by size.
enum class OutputResolution { x1, x2, x3 };

using OutputResolutionSet = std::set<OutputResolution>;

constexpr double multiplier(OutputResolution resolution) {
    switch (resolution) {
    case OutputResolution::x1:
        return 1.0;
    case OutputResolution::x2:
        return 2.0;
    case OutputResolution::x3:
        return 3.0;
    }
    return 1.0;
}

} // namespace orlix
