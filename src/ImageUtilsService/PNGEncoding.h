#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace orlix {

// One way of storing a PNG's pixels: the header, the palette and transparency chunks' data
// (empty when the encoding has none) and the rows, unfiltered, pass after pass.
struct PNGEncoding {
    std::array<std::uint8_t, 13> header{};
    std::vector<std::uint8_t> palette;
    std::vector<std::uint8_t> transparency;
    std::vector<std::uint8_t> rows;
};

} // namespace orlix
