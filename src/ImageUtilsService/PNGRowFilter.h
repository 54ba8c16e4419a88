#pragma once

#include "ImageUtilsService/PNGRowLayout.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace orlix {

// Undoes and redoes the per-row filters of PNG image data. Which filter a row carries changes
// nothing of its pixels, only how well the data compresses: the writer's choice can be replaced
// by whichever choice compresses best.
class PNGRowFilter {
public:
    enum class Strategy {
        none,
        sub,
        up,
        average,
        paeth,
        // Per row, the filter whose output has the smallest sum of magnitudes (bytes taken as
        // signed), the usual guess at what compresses best.
        smallestSum,
    };
    static constexpr Strategy strategies[] = {Strategy::none,  Strategy::sub,
                                              Strategy::up,    Strategy::average,
                                              Strategy::paeth, Strategy::smallestSum};

    // The rows without their filter bytes, pass after pass; nothing when a row names a filter
    // that does not exist or the data is not the size the layout gives.
    static std::optional<std::vector<std::uint8_t>> unfiltered(const std::vector<std::uint8_t>& raw,
                                                               const PNGRowLayout& layout);

    // Rows as `unfiltered` gives them, filtered again by the strategy.
    static std::vector<std::uint8_t> filtered(const std::vector<std::uint8_t>& rows,
                                              const PNGRowLayout& layout, Strategy strategy);
};

} // namespace orlix
