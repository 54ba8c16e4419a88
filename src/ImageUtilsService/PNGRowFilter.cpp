#include "ImageUtilsService/PNGRowFilter.h"

#include <algorithm>
#include <cstdlib>

namespace orlix {

namespace {

constexpr int filterCount = 5;

std::uint8_t paethPredictor(int left, int above, int aboveLeft) {
    const int estimate = left + above - aboveLeft;
    const int toLeft = std::abs(estimate - left);
    const int toAbove = std::abs(estimate - above);
    const int toAboveLeft = std::abs(estimate - aboveLeft);
    if (toLeft <= toAbove && toLeft <= toAboveLeft) {
        return static_cast<std::uint8_t>(left);
    }
    return static_cast<std::uint8_t>(toAbove <= toAboveLeft ? above : aboveLeft);
}

// What filter `type` predicts for byte `index` of a row; `previous` is the unfiltered row above
// (zeros for the first), `row` the unfiltered current row up to `index`.
std::uint8_t prediction(int type, const std::uint8_t* row, const std::uint8_t* previous,
                        std::size_t index, std::size_t distance) {
    const int left = index >= distance ? row[index - distance] : 0;
    const int above = previous[index];
    switch (type) {
    case 1:
        return static_cast<std::uint8_t>(left);
    case 2:
        return static_cast<std::uint8_t>(above);
    case 3:
        return static_cast<std::uint8_t>((left + above) / 2);
    case 4:
        return paethPredictor(left, above, index >= distance ? previous[index - distance] : 0);
    default:
        return 0;
    }
}

void filterRow(int type, const std::uint8_t* row, const std::uint8_t* previous, std::size_t length,
               std::size_t distance, std::uint8_t* out) {
    for (std::size_t index = 0; index < length; ++index) {
        out[index] = static_cast<std::uint8_t>(row[index] -
                                               prediction(type, row, previous, index, distance));
    }
}

std::uint64_t magnitude(const std::uint8_t* filtered, std::size_t length) {
    std::uint64_t sum = 0;
    for (std::size_t index = 0; index < length; ++index) {
        sum += std::min<unsigned>(filtered[index], 256u - filtered[index]);
    }
    return sum;
}

int filterTypeOf(PNGRowFilter::Strategy strategy) {
    return static_cast<int>(strategy);
}

} // namespace

std::optional<std::vector<std::uint8_t>>
PNGRowFilter::unfiltered(const std::vector<std::uint8_t>& raw, const PNGRowLayout& layout) {
    if (raw.size() != layout.rawSize()) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> rows;
    rows.reserve(raw.size());
    const std::uint8_t* in = raw.data();
    for (const PNGRowLayout::Pass& pass : layout.passes()) {
        const auto length = static_cast<std::size_t>(pass.rowBytes);
        const std::vector<std::uint8_t> zeros(length, 0);
        for (std::uint64_t y = 0; y < pass.rows; ++y, in += length + 1) {
            const int type = in[0];
            if (type >= filterCount) {
                return std::nullopt;
            }
            const std::size_t start = rows.size();
            const std::uint8_t* previous = y == 0 ? zeros.data() : rows.data() + start - length;
            rows.resize(start + length);
            std::uint8_t* row = rows.data() + start;
            // Bytes are restored left to right, so every prediction sees restored bytes only.
            for (std::size_t index = 0; index < length; ++index) {
                row[index] =
                    static_cast<std::uint8_t>(in[1 + index] + prediction(type, row, previous, index,
                                                                         layout.filterDistance()));
            }
        }
    }
    return rows;
}

std::vector<std::uint8_t> PNGRowFilter::filtered(const std::vector<std::uint8_t>& rows,
                                                 const PNGRowLayout& layout, Strategy strategy) {
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(layout.rawSize()));
    std::uint8_t* out = raw.data();
    const std::uint8_t* row = rows.data();
    for (const PNGRowLayout::Pass& pass : layout.passes()) {
        const auto length = static_cast<std::size_t>(pass.rowBytes);
        const std::vector<std::uint8_t> zeros(length, 0);
        std::vector<std::uint8_t> trial(length);
        for (std::uint64_t y = 0; y < pass.rows; ++y, row += length, out += length + 1) {
            const std::uint8_t* previous = y == 0 ? zeros.data() : row - length;
            int type = filterTypeOf(strategy);
            if (strategy == Strategy::smallestSum) {
                std::uint64_t best = UINT64_MAX;
                for (int candidate = 0; candidate < filterCount; ++candidate) {
                    filterRow(candidate, row, previous, length, layout.filterDistance(),
                              trial.data());
                    const std::uint64_t sum = magnitude(trial.data(), length);
                    if (sum < best) {
                        best = sum;
                        type = candidate;
                    }
                }
            }
            out[0] = static_cast<std::uint8_t>(type);
            filterRow(type, row, previous, length, layout.filterDistance(), out + 1);
        }
    }
    return raw;
}

} // namespace orlix
