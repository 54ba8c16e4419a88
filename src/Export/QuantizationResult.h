#pragma once

#include "Export/CancellableResult.h"

#include <cstdint>
#include <vector>

namespace orlix {

// The outcome of one palette quantisation. Everything but the result is empty unless it succeeded.
struct QuantizationResult {
    CancellableResult result = CancellableResult::failure();
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint16_t paletteSize = 0;
    // Red, green, blue, alpha per entry.
    std::vector<std::uint8_t> palette;
    // One palette index per pixel, top row first.
    std::vector<std::uint8_t> palettizedPixels;
};

} // namespace orlix
