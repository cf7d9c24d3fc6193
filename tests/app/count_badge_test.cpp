#include "app/count_badge.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CountBadge, TextCountsToNinetyNineThenSaysMore) {
    const struct {
        int count;
        const char* text;
    } cases[] = {{-1, ""}, {0, ""}, {1, "1"}, {9, "9"}, {10, "10"}, {99, "99"}, {100, "99+"}, {100000, "99+"}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.text, app::badgeText(c.count)) << c.count;
    }
}

// Whole screen pixels per font pixel, the badge never above two fifths of the icon (but at least one pixel per
// font pixel) and never wider than the icon, at every size of the square and the tray icon.
TEST(CountBadge, ScaleIsWholePixelsWithinTwoFifthsOfTheIcon) {
    const struct {
        int iconSize;
        int scale;
    } cases[] = {{16, 1}, {20, 1}, {24, 1}, {32, 1}, {40, 2}, {48, 2}, {56, 3}, {64, 3}, {96, 5}};
    for (const auto& c : cases) {
        const app::BadgeImage badge = app::badgeImage(100, c.iconSize);
        EXPECT_EQ(c.scale, badge.scale) << c.iconSize;
        EXPECT_TRUE(badge.height() * 5 <= c.iconSize * 2 || badge.scale == 1) << c.iconSize;
        EXPECT_LE(badge.width(), c.iconSize) << c.iconSize;
    }
    EXPECT_TRUE(app::badgeImage(0, 32).cells.empty());
}

}  // namespace
