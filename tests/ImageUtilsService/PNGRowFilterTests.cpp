#include "ImageUtilsService/PNGRowFilter.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

namespace orlix {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes header(std::uint32_t width, std::uint32_t height, std::uint8_t depth, std::uint8_t colourType,
             bool interlaced) {
    Bytes ihdr;
    for (const std::uint32_t value : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            ihdr.push_back(static_cast<std::uint8_t>(value >> shift));
        }
    }
    ihdr.insert(ihdr.end(), {depth, colourType, 0, 0, static_cast<std::uint8_t>(interlaced)});
    return ihdr;
}

// Rows of random bytes with some runs, so that every filter has something to predict.
Bytes randomRows(const PNGRowLayout& layout, unsigned seed) {
    std::mt19937 random(seed);
    Bytes rows;
    for (const auto& pass : layout.passes()) {
        for (std::uint64_t index = 0; index < pass.rowBytes * pass.rows; ++index) {
            rows.push_back(random() % 3 == 0 ? std::uint8_t(random()) : std::uint8_t(index / 7));
        }
    }
    return rows;
}

TEST(PNGRowFilterTests, EveryStrategyGivesBackTheSameRowsOfEveryLayout) {
    const struct {
        std::uint8_t depth;
        std::uint8_t colourType;
        std::size_t distance;
    } layouts[] = {{1, 0, 1}, {4, 3, 1}, {8, 3, 1}, {8, 2, 3}, {16, 0, 2}, {16, 6, 8}};
    for (const auto& kind : layouts) {
        for (const bool interlaced : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << int(kind.depth) << "-bit type " << int(kind.colourType)
                         << (interlaced ? " adam7" : ""));
            const auto layout =
                PNGRowLayout::fromHeader(header(13, 11, kind.depth, kind.colourType, interlaced));
            ASSERT_TRUE(layout);
            EXPECT_EQ(layout->filterDistance(), kind.distance);
            const Bytes rows = randomRows(*layout, kind.depth * 7u + kind.colourType);
            for (const auto strategy : PNGRowFilter::strategies) {
                const Bytes raw = PNGRowFilter::filtered(rows, *layout, strategy);
                ASSERT_EQ(raw.size(), layout->rawSize());
                EXPECT_EQ(PNGRowFilter::unfiltered(raw, *layout), rows)
                    << "strategy " << int(strategy);
            }
        }
    }
}

TEST(PNGRowFilterTests, SmallestSumPicksPerRowAndUnknownFiltersAreRefused) {
    // A row that repeats the one above is all zeros under "up"; one that climbs by one is all ones
    // under "sub".
    const auto layout = PNGRowLayout::fromHeader(header(6, 3, 8, 0, false));
    ASSERT_TRUE(layout);
    const Bytes rows = {9, 80, 3, 77, 41, 5, 9, 80, 3, 77, 41, 5, 1, 2, 3, 4, 5, 6};
    const Bytes raw = PNGRowFilter::filtered(rows, *layout, PNGRowFilter::Strategy::smallestSum);
    EXPECT_EQ(raw[7], 2) << "up";
    EXPECT_EQ(Bytes(raw.begin() + 8, raw.begin() + 14), Bytes(6, 0));
    EXPECT_EQ(raw[14], 1) << "sub";

    Bytes broken = raw;
    broken[7] = 5;
    EXPECT_FALSE(PNGRowFilter::unfiltered(broken, *layout));
    broken.pop_back();
    EXPECT_FALSE(PNGRowFilter::unfiltered(broken, *layout));
}

} // namespace
} // namespace orlix
