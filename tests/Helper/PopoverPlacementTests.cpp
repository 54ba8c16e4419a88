#include "Helper/PopoverPlacement.h"

#include <gtest/gtest.h>

namespace orlix::helper {
namespace {

using P = PopoverPlacement;
const ScreenRect screen{0, 30, 1280, 770};
constexpr double width = 360, height = 168;

TEST(PopoverPlacementTests, ThePopoverOpensCentredAboveThePointerWithItsArrowAtIt) {
    const auto placement = P::place({640, 500}, width, height, screen);
    EXPECT_TRUE(placement.opensAbove);
    const double fullHeight = height + 2 * P::padding + P::arrowHeight;
    EXPECT_EQ(placement.frame, (ScreenRect{640 - (width / 2 + P::padding), 500 - 5 - fullHeight,
                                           width + 2 * P::padding, fullHeight}));
    EXPECT_EQ(placement.content, (ScreenRect{placement.frame.x + P::padding,
                                             placement.frame.y + P::padding, width, height}));
    EXPECT_EQ(placement.arrowTipX, 640);
}

TEST(PopoverPlacementTests, NearTheTopItFlipsBelowAndNearASideItStaysOnTheScreen) {
    const auto below = P::place({1270, 60}, width, height, screen);
    EXPECT_FALSE(below.opensAbove);
    EXPECT_EQ(below.frame.y, 65);
    EXPECT_EQ(below.content.y, 65 + P::padding + P::arrowHeight);
    EXPECT_EQ(below.frame.x + below.frame.width, 1280);
    // The arrow keeps clear of the rounded corner.
    EXPECT_EQ(below.arrowTipX, 1280 - P::cornerRadius - P::arrowHalfWidth);

    const auto left = P::place({3, 500}, width, height, screen);
    EXPECT_EQ(left.frame.x, 0);
    EXPECT_EQ(left.arrowTipX, P::cornerRadius + P::arrowHalfWidth);
}

TEST(PopoverPlacementTests, OnAScreenTooLowForEitherItOpensAbove) {
    EXPECT_TRUE(P::place({640, 100}, width, height, {0, 0, 1280, 150}).opensAbove);
}

} // namespace
} // namespace orlix::helper
